// Shell scripts run as child processes in their own process group.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vexel::platform {

// Starts "/bin/sh <script>" in a new process group. With showOutput false its output
// is discarded; with true it goes to Vexel's own standard output. Returns the process
// id (which is also the group id), or 0 when it could not be started (*error says why).
std::int64_t startScript(const std::string &script, bool showOutput, std::string *error);

// Waits until the process ends without spinning: sleeps in short slices (50 ms at most,
// cut short when the process ends) and calls `whileWaiting` between them (to let window
// events through). Returns its exit code, 128 + signal number when a signal ended it,
// or -1 when `pid` is no child of ours. After endProcessGroup, what is left of the group
// when the process ends is killed too.
int waitForExit(std::int64_t pid, const std::function<void()> &whileWaiting);

// Ends the whole process group: SIGTERM, then SIGKILL if it is still there after 2 s.
// Does not wait for the 2 s itself: the follow-up runs from waitForExit's loop.
void endProcessGroup(std::int64_t pid);

} // namespace vexel::platform
