// Shell scripts in their own process group, waited for without spinning.
#include "platform/Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace vexel::platform {

namespace {

using Clock = std::chrono::steady_clock;

// Between two calls of the waiter's callback (which lets window events through) the
// wait sleeps this long at most: short enough for a window that answers a click at
// once, long enough that a wait costs no CPU worth measuring (bench/run/cpu-wait.sh).
// The end of the child itself wakes the wait at once where the kernel has pidfds.
constexpr int kWaitSliceMs = 50;
// A group asked to end with SIGTERM gets this long before SIGKILL.
constexpr auto kTerminateGrace = std::chrono::seconds(2);

// Signals a Qt program may ignore or handle that a script must see with their defaults.
constexpr int kDefaultSignals[] = {SIGPIPE, SIGINT,  SIGQUIT, SIGTERM, SIGHUP,  SIGCHLD,
                                   SIGALRM, SIGUSR1, SIGUSR2, SIGTSTP, SIGTTIN, SIGTTOU};

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// Standard input is always /dev/null: in its own process group a script reading the
// terminal would be stopped, and an archiver asking a question must not wait forever.
// Nothing else of Vexel's is passed on: an archiver that outlives a cancel must not
// keep a pipe or a window-system connection of ours open.
bool prepareFiles(posix_spawn_file_actions_t *actions, bool showOutput, const std::string &errorLog)
{
    if (posix_spawn_file_actions_addopen(actions, 0, "/dev/null", O_RDONLY, 0) != 0
        || posix_spawn_file_actions_addclosefrom_np(actions, 3) != 0)
        return false;
    if (showOutput)
        return true;
    if (posix_spawn_file_actions_addopen(actions, 1, "/dev/null", O_WRONLY, 0) != 0)
        return false;
    if (errorLog.empty())
        return posix_spawn_file_actions_adddup2(actions, 1, 2) == 0;
    return posix_spawn_file_actions_addopen(actions, 2, errorLog.c_str(),
                                            O_WRONLY | O_CREAT | O_TRUNC, 0600)
        == 0;
}

bool prepareAttributes(posix_spawnattr_t *attributes)
{
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int signal : kDefaultSignals)
        sigaddset(&defaults, signal);
    sigemptyset(&none);
    return posix_spawnattr_setflags(
               attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK)
        == 0
        && posix_spawnattr_setpgroup(attributes, 0) == 0
        && posix_spawnattr_setsigdefault(attributes, &defaults) == 0
        && posix_spawnattr_setsigmask(attributes, &none) == 0;
}

// True once the child has ended; it is left unreaped, so its id (and with it the group
// id) cannot be handed to another process while what is left of the group is killed.
bool hasEnded(std::int64_t pid, bool *lost)
{
    for (;;) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0)
            return info.si_pid == pid;
        if (errno != EINTR) {
            *lost = true; // not our child, or already collected
            return true;
        }
    }
}

// A descriptor that becomes readable when the child ends, or -1 (kernels before 5.3,
// or a sandbox that forbids the call): the wait then just sleeps its slices.
int openExitNotifier(std::int64_t pid)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
}

void sleepSlice(int exitNotifier)
{
    if (exitNotifier < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kWaitSliceMs));
        return;
    }
    pollfd watch{exitNotifier, POLLIN, 0};
    ::poll(&watch, 1, kWaitSliceMs); // an interrupted sleep only shortens the slice
}

int reap(std::int64_t pid)
{
    int status = 0;
    while (::waitpid(static_cast<pid_t>(pid), &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return exitCodeOf(status);
}

} // namespace

// SIGKILL for a group whose grace time is over; forgets groups that are gone.
void ProcessGroups::killOverdueGroup(std::int64_t pid, bool leaderEnded)
{
    std::lock_guard lock(mutex_);
    const auto pending = pendingKills_.find(pid);
    if (pending == pendingKills_.end())
        return;
    // Once the leader has ended, what is left of the group was asked to end already.
    if (leaderEnded || Clock::now() >= pending->second) {
        ::kill(static_cast<pid_t>(-pid), SIGKILL);
        if (leaderEnded)
            pendingKills_.erase(pending);
    }
}

void ProcessGroups::forgetGroup(std::int64_t pid)
{
    std::lock_guard lock(mutex_);
    pendingKills_.erase(pid);
}

std::int64_t startScript(const std::string &script, bool showOutput, const std::string &errorLog,
                         std::string *error)
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    pid_t pid = 0;
    int result = EINVAL;
    if (prepareFiles(&actions, showOutput, errorLog) && prepareAttributes(&attributes)) {
        char shell[] = "/bin/sh";
        std::string scriptCopy = script;
        char *argv[] = {shell, scriptCopy.data(), nullptr};
        result = posix_spawn(&pid, shell, &actions, &attributes, argv, environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        if (error)
            *error = "/bin/sh " + script + ": " + std::strerror(result);
        return 0;
    }
    return pid;
}

int ProcessGroups::waitForExit(std::int64_t pid, const std::function<void()> &whileWaiting)
{
    if (pid <= 0)
        return -1;
    const int exitNotifier = openExitNotifier(pid);
    int code = -1;
    for (;;) {
        bool lost = false;
        if (hasEnded(pid, &lost)) {
            if (lost) {
                forgetGroup(pid);
            } else {
                killOverdueGroup(pid, true);
                code = reap(pid);
            }
            break;
        }
        killOverdueGroup(pid, false);
        if (whileWaiting)
            whileWaiting();
        sleepSlice(exitNotifier);
    }
    if (exitNotifier >= 0)
        ::close(exitNotifier);
    return code;
}

void ProcessGroups::endProcessGroup(std::int64_t pid)
{
    // pid 0 or 1 would make kill() reach our own group or every process we may signal.
    if (pid <= 1)
        return;
    {
        std::lock_guard lock(mutex_);
        pendingKills_.emplace(pid, Clock::now() + kTerminateGrace);
    }
    ::kill(static_cast<pid_t>(-pid), SIGTERM);
    ::kill(static_cast<pid_t>(-pid), SIGCONT); // a stopped member must run to see SIGTERM
}

} // namespace vexel::platform
