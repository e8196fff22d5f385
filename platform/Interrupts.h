// Interrupts of a program run from a terminal or a script (SIGINT, SIGTERM, SIGHUP):
// instead of ending the process on the spot, which would leave a half-made run folder
// and a running archiver behind, the signal is only noted; the program looks at the
// note from its event loop and winds the run down itself.
#pragma once

#include <string>

namespace vexel::platform {

// Installs the handlers (once; later calls do nothing). SIGPIPE is ignored as well, so
// a closed standard output makes writes fail instead of killing the program.
void watchInterrupts();

// The number of the first interrupting signal received since watchInterrupts, or 0.
// Safe to call from any thread.
int interruptSignal();

// True when the standard error stream is a terminal.
bool standardErrorIsTerminal();

// Removes a folder and everything in it, best effort (for an emergency stop).
void removeFolderTree(const std::string &folder);

// Ends the process at once with `status`, without running destructors or handlers:
// for a stop that cannot wait for a worker thread that does not hear a cancel.
[[noreturn]] void exitImmediately(int status);

} // namespace vexel::platform
