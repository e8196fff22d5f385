// Measures how long an archiver library takes to return after it is asked to stop:
//   vexel_stop_driver <library.so> <Prefix> <command line> <stop after ms> <how>
// <how> is "callback" (the registered callback answers 0 from then on) or "close"
// (close() on the library's status window, found by its title as the program does).
// The entry runs on the thread of an offscreen QApplication, as in the program, so the
// library runs its own event loop and status window. Prints one line:
//   stopped <ms from the stop request to the entry's return>
// or "finished" when the work ended before the stop was due (the caller then uses a
// larger input or an earlier moment).
#include "KryUnPackDec.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
std::atomic<bool> stopNow{false};

int answer(void *, uint32_t, uint32_t, void *) { return stopNow.load() ? 0 : 1; }

// Every status window of the kit has a title ending in one of these; the bench asks
// the one that is open, whatever its library.
void closeStatusWindows()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->close();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s <library.so> <Prefix> <command line> <ms> callback|close\n",
                     argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    const std::string prefix = argv[2];
    const auto entry = reinterpret_cast<ArchiverMainProc>(dlsym(library, prefix.c_str()));
    const auto setOwner =
        reinterpret_cast<ArchiverOwnerProc>(dlsym(library, (prefix + "SetOwnerWindowEx").c_str()));
    const bool byClose = std::string(argv[5]) == "close";
    if (!entry || (!byClose && !setOwner)) {
        std::fprintf(stderr, "%s lacks the entry points for a stop by %s\n", argv[1], argv[5]);
        return 2;
    }
    if (setOwner)
        setOwner(nullptr, answer);

    Clock::time_point stopAt{};
    QTimer::singleShot(std::atoi(argv[4]), [&] {
        stopAt = Clock::now();
        stopNow = true;
        if (byClose)
            closeStatusWindows();
    });
    char output[KRY_OUTPUT_SIZE] = "";
    const int rc = entry(nullptr, argv[3], output, sizeof output);
    const Clock::time_point returned = Clock::now();
    if (!stopNow.load()) {
        std::printf("finished %d\n", rc);
        return 0;
    }
    const auto ms = std::chrono::duration<double, std::milli>(returned - stopAt).count();
    std::printf("stopped %.1f %d\n", ms, rc);
    return 0;
}
