// Runs the built vexel program as a child with an exact environment and exact argument
// bytes (QProcess would re-encode names that are not UTF-8), its standard output and
// error captured in files.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vexel::test {

struct ChildResult {
    int status = -1; // exit status; 128 + signal when a signal ended it; -1 still running
    std::string out, err;
};

class VexelChild {
public:
    // `env` is the whole environment; `captureDir` receives out.txt and err.txt.
    VexelChild(const std::string &program, const std::vector<std::string> &args,
               const std::map<std::string, std::string> &env, const std::string &cwd,
               const std::string &captureDir)
        : outPath_(captureDir + "/out.txt"), errPath_(captureDir + "/err.txt")
    {
        std::vector<std::string> argStore{program};
        argStore.insert(argStore.end(), args.begin(), args.end());
        std::vector<std::string> envStore;
        for (const auto &[name, value] : env)
            envStore.push_back(name + "=" + value);
        std::vector<char *> argv, envp;
        for (auto &a : argStore)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto &e : envStore)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }

    ~VexelChild()
    {
        if (pid_ > 0 && !done_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool started() const { return pid_ > 0; }
    void signal(int sig) { ::kill(pid_, sig); }
    std::string errSoFar() const { return read(errPath_); }

    // Waits up to `limit`; result.status stays -1 when the child is still running then.
    ChildResult wait(std::chrono::milliseconds limit = std::chrono::seconds(300))
    {
        ChildResult result;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done_) {
            int status = 0;
            const pid_t got = ::waitpid(pid_, &status, WNOHANG);
            if (got == pid_) {
                done_ = true;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (std::chrono::steady_clock::now() >= end)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        result.status = done_ ? status_ : -1;
        result.out = read(outPath_);
        result.err = read(errPath_);
        return result;
    }

private:
    static std::string read(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string outPath_, errPath_;
    pid_t pid_ = -1;
    bool done_ = false;
    int status_ = -1;
};

} // namespace vexel::test
