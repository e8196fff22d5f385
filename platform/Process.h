// Shell scripts run as child processes in their own process group.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace vexel::platform {

// Starts "/bin/sh <script>" in a new process group. With showOutput true its output
// goes to Vexel's own standard output and error. With false its standard output is
// discarded and its standard error goes to `errorLog` (replaced; discarded too when
// `errorLog` is empty), so that a failure can be explained afterwards. Returns the
// process id (which is also the group id), or 0 when it could not be started (*error
// says why).
std::int64_t startScript(const std::string &script, bool showOutput, const std::string &errorLog,
                         std::string *error);

// The scripts' process groups that are being ended: SIGTERM was sent and SIGKILL is due
// after a grace time. One object per owner (a run's control, a test), so no state is
// shared between unrelated waits. Thread-safe.
class ProcessGroups {
public:
    // Waits until the process ends without spinning: sleeps in short slices (50 ms at
    // most, cut short when the process ends) and calls `whileWaiting` between them (to
    // let window events through). Returns its exit code, 128 + signal number when a
    // signal ended it, or -1 when `pid` is no child of ours. After endProcessGroup,
    // what is left of the group when the process ends is killed too.
    int waitForExit(std::int64_t pid, const std::function<void()> &whileWaiting);

    // Ends the whole process group: SIGTERM, then SIGKILL if it is still there after
    // 2 s. Does not wait for the 2 s itself: the follow-up runs from waitForExit's loop.
    void endProcessGroup(std::int64_t pid);

private:
    void killOverdueGroup(std::int64_t pid, bool leaderEnded);
    void forgetGroup(std::int64_t pid);

    std::mutex mutex_;
    std::map<std::int64_t, std::chrono::steady_clock::time_point> pendingKills_;
};

} // namespace vexel::platform
