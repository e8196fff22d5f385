// Interrupt signals noted, not acted on, in the handler.
#include "platform/Interrupts.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <unistd.h>

namespace vexel::platform {

namespace {

// Lock-free, so the handler may store into it.
std::atomic<int> firstSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void noteInterrupt(int signal)
{
    int none = 0;
    firstSignal.compare_exchange_strong(none, signal);
}

} // namespace

void watchInterrupts()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress (poll, a library's condition wait) is cut short
    // so that the note is seen at once.
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

int interruptSignal() { return firstSignal.load(); }

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void removeFolderTree(const std::string &folder)
{
    std::error_code error;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::filesystem::remove_all(folder, error);
        if (!std::filesystem::exists(folder, error))
            return;
    }
}

void exitImmediately(int status) { ::_exit(status); }

} // namespace vexel::platform
