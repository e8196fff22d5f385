// Measures the CPU time Vexel spends waiting for a command-line archiver: a script runs
// the fake rar, which works for the given time, and the wait lets events through as
// the run does. Prints "cpu_seconds=<user+system of this process during the wait>".
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/RunFolder.h"
#include "run/ShellQuote.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FAKE_RAR (VEXEL_FAKE_WORK_MS sets its time)\n", argv[0]);
        return 2;
    }
    vexel::platform::RunFolder folder;
    if (!folder.ok()) {
        std::fprintf(stderr, "%s\n", folder.error().c_str());
        return 1;
    }
    // The script the run writes for RAR: change to the base folder, run the archiver.
    using vexel::shellQuote;
    const std::string base = folder.path() + "krytmp";
    const std::vector<std::string> script{"cd " + shellQuote(folder.path()),
                                          shellQuote(argv[1]) + " a -r " + shellQuote(base + ".rar")
                                              + " " + shellQuote("@" + base + ".kst")};
    std::string error;
    if (!vexel::platform::writeTextLines(base + ".kst", {"krytmp.kst"}, &error)
        || !vexel::platform::writeTextLines(base + ".bat", script, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double cpuBefore = cpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    const std::int64_t pid = vexel::platform::startScript(base + ".bat", false, "", &error);
    if (pid == 0) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const int code = vexel::platform::ProcessGroups().waitForExit(
        pid, [] { QCoreApplication::processEvents(); });
    const double cpu = cpuSeconds() - cpuBefore;
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallBefore;
    std::printf("cpu_seconds=%.4f wall_seconds=%.2f exit=%d archive=%s\n", cpu, wall.count(), code,
                vexel::platform::fileExists(base + ".rar") ? "made" : "missing");
    return code == 0 ? 0 : 1;
}
