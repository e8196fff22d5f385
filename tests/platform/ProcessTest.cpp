#include "platform/Process.h"

#include "platform/Files.h"
#include "platform/RunFolder.h"
#include "tests/platform/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <thread>

using namespace vexel;
using namespace vexel::platform;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// True while `pid` is a live process (a zombie counts as gone).
bool processAlive(int pid)
{
    const std::string stat = test::readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close != std::string::npos && stat.size() > close + 2 && stat[close + 2] != 'Z';
}

// Waits up to a few seconds for a pid written by a script.
int pidWrittenTo(const std::string &path)
{
    for (int i = 0; i < 250 && fileSize(path) <= 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::string text = test::readFile(path);
    return text.empty() ? 0 : std::stoi(text);
}

} // namespace

class ProcessTest : public ::testing::Test {
protected:
    ProcessGroups groups;

    void SetUp() override { ASSERT_TRUE(scratch.ok()) << scratch.error(); }

    std::string script(const std::string &name, const std::string &body)
    {
        const std::string path = scratch.path() + name;
        test::writeFile(path, body);
        return path;
    }
    int run(const std::string &body)
    {
        std::string error;
        const std::int64_t pid = startScript(script("s.bat", body), false, "", &error);
        EXPECT_GT(pid, 0) << error;
        return groups.waitForExit(pid, {});
    }

    // Starts a script whose `sh -c '... GRANDCHILD ...'` part records the grandchild's pid.
    std::int64_t startWithGrandchild(std::string body)
    {
        const std::string marker = "GRANDCHILD";
        body.replace(body.find(marker), marker.size(), "echo $$ > \"" + pidFile + "\"");
        std::string error;
        const std::int64_t pid = startScript(script("s.bat", body), false, "", &error);
        EXPECT_GT(pid, 0) << error;
        grandchild = pidWrittenTo(pidFile);
        EXPECT_GT(grandchild, 0);
        return pid;
    }
    // A killed process may stay a zombie for a moment until its parent collects it.
    bool grandchildGoneSoon() const
    {
        for (int i = 0; i < 50 && processAlive(grandchild); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return !processAlive(grandchild);
    }

    RunFolder scratch;
    const std::string pidFile = scratch.path() + "grandchild";
    int grandchild = 0;
};

TEST_F(ProcessTest, ExitCodesAndSignalsAreReported)
{
    EXPECT_EQ(run("exit 0\n"), 0);
    EXPECT_EQ(run("exit 3\n"), 3);
    EXPECT_EQ(run("exit 255\n"), 255);
    EXPECT_EQ(run("kill -KILL $$\n"), 128 + SIGKILL);
    EXPECT_NE(run("this-command-does-not-exist\n"), 0);
    EXPECT_EQ(groups.waitForExit(0, {}), -1);
}

TEST_F(ProcessTest, ScriptNamesWithBlanksQuotesDollarsAndBackquotesRunAsIs)
{
    test::ScopedCurrentDirectory keep;
    ASSERT_TRUE(setCurrentDirectory(scratch.path()));
    const std::string folder = "a b\"c'd $HOME `touch injected` $(touch injected2)/";
    const std::string path =
        script(folder + "k r$y`x`.bat", "echo ran > \"$(dirname \"$0\")/out\"\n");
    std::string error;
    const std::int64_t pid = startScript(path, false, "", &error);
    ASSERT_GT(pid, 0) << error;
    EXPECT_EQ(groups.waitForExit(pid, {}), 0);
    EXPECT_EQ(test::readFile(scratch.path() + folder + "out"), "ran\n");
    EXPECT_FALSE(fileExists(scratch.path() + "injected"));
    EXPECT_FALSE(fileExists(scratch.path() + "injected2"));
}

TEST_F(ProcessTest, ScriptRunsInItsOwnGroupWithoutInputOrOurDescriptors)
{
    const int inherited = ::fcntl(::open("/dev/null", O_RDONLY), F_DUPFD, 5); // no CLOEXEC
    ASSERT_GE(inherited, 5);
    const std::string out = scratch.path() + "out";
    // Field 5 of /proc/<pid>/stat is the process group; `read` must meet end of input.
    EXPECT_EQ(run("set -- $(cat /proc/$$/stat)\n"
                  "if [ \"$1\" = \"$5\" ]; then echo own; else echo shared; fi > '"
                  + out
                  + "'\n"
                    "read line; echo \"read=$?\" >> '"
                  + out
                  + "'\n"
                    "[ -e /proc/$$/fd/"
                  + std::to_string(inherited) + " ] && echo leaked >> '" + out
                  + "'\n"
                    "exit 0\n"),
              0);
    ::close(inherited);
    EXPECT_EQ(test::readFile(out), "own\nread=1\n");
}

TEST_F(ProcessTest, WaitingCallsBackBetweenSleepsInsteadOfSpinning)
{
    std::string error;
    const std::int64_t pid = startScript(script("s.bat", "sleep 0.3\n"), false, "", &error);
    ASSERT_GT(pid, 0) << error;
    int calls = 0;
    EXPECT_EQ(groups.waitForExit(pid, [&] { ++calls; }), 0);
    // 300 ms in slices of about 20 ms: a handful of calls, not thousands.
    EXPECT_GE(calls, 3);
    EXPECT_LE(calls, 40);
}

TEST_F(ProcessTest, EndProcessGroupEndsASleepingGrandchild)
{
    const std::int64_t pid = startWithGrandchild("sh -c 'GRANDCHILD; exec sleep 30'\necho after\n");
    ASSERT_GT(grandchild, 0);
    const auto start = Clock::now();
    bool ended = false;
    const int code = groups.waitForExit(pid, [&] {
        if (!ended)
            groups.endProcessGroup(pid);
        ended = true;
    });
    EXPECT_EQ(code, 128 + SIGTERM);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(grandchildGoneSoon());
}

TEST_F(ProcessTest, AGroupThatIgnoresTerminationIsKilledAfterTheGraceTime)
{
    // The ignored SIGTERM is inherited by the grandchild.
    const std::int64_t pid =
        startWithGrandchild("trap '' TERM\nsh -c 'GRANDCHILD; exec sleep 30'\n");
    ASSERT_GT(grandchild, 0);
    const auto start = Clock::now();
    groups.endProcessGroup(pid);
    EXPECT_EQ(groups.waitForExit(pid, {}), 128 + SIGKILL);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1500)) << "SIGTERM got a grace time";
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(grandchildGoneSoon());
}

TEST_F(ProcessTest, WhatIsLeftOfACancelledGroupGoesWithItsLeader)
{
    // The leader ends at once on SIGTERM; its child ignores SIGTERM and would live on.
    const std::int64_t pid = startWithGrandchild(
        "sh -c 'trap \"\" TERM; GRANDCHILD; exec sleep 30' &\ntrap 'exit 7' TERM\nwait\n");
    ASSERT_GT(grandchild, 0);
    groups.endProcessGroup(pid);
    EXPECT_EQ(groups.waitForExit(pid, {}), 7);
    EXPECT_TRUE(grandchildGoneSoon());
}
