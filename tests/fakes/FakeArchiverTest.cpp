// The test doubles behave as the run core relies on: loaded through the real loader,
// run through the real script runner.
#include "tests/fakes/FakeArchiver.h"

#include "archivers/ArchiverLibrary.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/RunFolder.h"
#include "run/ShellQuote.h"
#include "tests/platform/TestFiles.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>

using namespace vexel;
using namespace vexel::fakes;

namespace {

std::unique_ptr<ArchiverLibrary> loadFake(const std::string &designName, const std::string &prefix)
{
    std::string error;
    auto library = ArchiverLibrary::load(VEXEL_FAKE_LIB_DIR, designName, prefix, &error);
    EXPECT_TRUE(library) << error;
    return library;
}

// The one QApplication of this test program (offscreen under CTest); never destroyed,
// so that no library window outlives it at exit.
QApplication &application()
{
    static int argc = 1;
    static char name[] = "archivers_tests";
    static char *argv[] = {name, nullptr};
    static auto *app = new QApplication(argc, argv);
    return *app;
}

QWidget *topLevelTitled(const char *title)
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == QString::fromUtf8(title))
            return widget;
    return nullptr;
}

std::atomic<int> callbackCalls{0};
std::atomic<int> callbackStopAfter{-1}; // answer 0 from this call on; -1: never

int countingCallback(void *, uint32_t, uint32_t, void *)
{
    const int call = ++callbackCalls;
    return callbackStopAfter >= 0 && call > callbackStopAfter ? 0 : 1;
}

} // namespace

class FakeLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok()) << scratch.error();
        callbackCalls = 0;
        callbackStopAfter = -1;
    }
    std::string line(const std::string &switches, const std::string &archive)
    {
        return switches + "\"" + scratch.path() + archive + "\" \"" + scratch.path() + "\" @"
            + scratch.path() + "krytmp.lst";
    }
    std::string at(const std::string &name) const { return scratch.path() + name; }

    platform::RunFolder scratch;
    test::ScopedEnv log{kLogEnv, scratch.path() + "log"};
    test::ScopedEnv sizes{kSizesEnv, "lzh=100,zip=50,cab=70,gza=3221225472,*=9"};
};

TEST_F(FakeLibraryTest, EveryLibraryWritesTheChosenSizeAndLogsItsCall)
{
    struct Case {
        const char *file, *prefix, *archive;
        std::int64_t size;
        bool owner;
    };
    const Case cases[] = {{"unlha32.dll", "Unlha", "krytmp.lzh", 100, true},
                          {"ZIP32J.DLL", "Zip", "krytmp.zip", 50, false},
                          {"cab32.dll", "Cab", "krytmp.cab", 70, true},
                          {"bga32.dll", "Bga", "krytmp.gza", 3221225472LL, true},
                          {"bga32.dll", "Bga", "krytmp.bza", 9, true}};
    for (const Case &c : cases) {
        auto library = loadFake(c.file, c.prefix);
        ASSERT_TRUE(library);
        EXPECT_EQ(library->version(), kFakeVersion);
        EXPECT_EQ(library->setOwnerWindow(nullptr, countingCallback), c.owner) << c.prefix;
        std::string output;
        EXPECT_EQ(library->run(nullptr, line("a -n ", c.archive), &output), 0) << output;
        EXPECT_EQ(platform::fileSize(at(c.archive)), c.size) << c.archive;
    }
    const auto calls = readFakeLog(at("log"));
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[1].program, "Zip");
    EXPECT_EQ(calls[1].directory, std::filesystem::current_path().string());
    EXPECT_EQ(calls[1].arguments, std::vector<std::string>{line("a -n ", "krytmp.zip")});
    EXPECT_EQ(calls[4].program, "Bga");
}

TEST_F(FakeLibraryTest, FailureAndEmptySuccessLeaveNoArchive)
{
    auto library = loadFake("cab32.dll", "Cab");
    ASSERT_TRUE(library);
    std::string output;
    {
        test::ScopedEnv fail(kFailEnv, "zip,CAB");
        EXPECT_EQ(library->run(nullptr, line("-a -r -i -mz ", "krytmp.cab"), &output), 1);
        EXPECT_EQ(output, "failed on request");
        EXPECT_FALSE(platform::fileExists(at("krytmp.cab")));
    }
    test::ScopedEnv nothing(kNoArchiveEnv, "cab");
    EXPECT_EQ(library->run(nullptr, line("-a -r -i -mz ", "krytmp.cab"), &output), 0);
    EXPECT_FALSE(platform::fileExists(at("krytmp.cab")));
}

TEST_F(FakeLibraryTest, AnsweringZeroStopsTheWorkAndRemovesTheArchive)
{
    auto library = loadFake("unlha32.dll", "Unlha");
    ASSERT_TRUE(library);
    library->setOwnerWindow(nullptr, countingCallback);
    test::ScopedEnv work(kWorkEnv, "lzh=200");
    std::string output;
    ASSERT_EQ(library->run(nullptr, line("a -n ", "krytmp.lzh"), &output), 0);
    // 200 ms with a call at least every 10 ms; lenient for a loaded machine.
    EXPECT_GE(callbackCalls, 10);

    test::ScopedEnv hang(kHangEnv, "lzh");
    callbackCalls = 0;
    callbackStopAfter = 3;
    EXPECT_NE(library->run(nullptr, line("a -n ", "krytmp.lzh"), &output), 0);
    EXPECT_EQ(callbackCalls, 4);
    EXPECT_FALSE(platform::fileExists(at("krytmp.lzh")));
}

TEST_F(FakeLibraryTest, MemberCheckFollowsTheBaseFolder)
{
    auto library = loadFake("bga32.dll", "Bga");
    ASSERT_TRUE(library);
    test::ScopedEnv check(kCheckMembersEnv, "1");
    test::writeFile(at("a b/f.txt"), "x");
    std::string error;
    ASSERT_TRUE(
        platform::writeTextLines(at("krytmp.lst"), {"\"a b/f.txt\"", "\"a b/*.*\""}, &error));
    std::string output;
    EXPECT_EQ(library->run(nullptr, line("a -r -l9 ", "krytmp.gza"), &output), 0) << output;
    ASSERT_TRUE(platform::writeTextLines(at("krytmp.lst"), {"\"a b/g.txt\""}, &error));
    EXPECT_EQ(library->run(nullptr, line("a -r -l9 ", "krytmp.gza"), &output), 1);
    EXPECT_EQ(output, "missing member: a b/g.txt");
    EXPECT_FALSE(platform::fileExists(at("krytmp.gza")));
}

TEST_F(FakeLibraryTest, StatusWindowsFollowTheDisplaySwitchAndCloseStops)
{
    application();
    struct Case {
        const char *file, *prefix, *switches, *archive, *title;
    };
    const Case cases[] = {
        {"unlha32.dll", "Unlha", "a -x1 -r2 -y1 -gm -jm2 ", "krytmp.lzh", kLhaStatusTitle},
        {"unlha32.dll", "Unlha", "a -x1 -r2 -y1 -gm -n -jm2 ", "krytmp.lzh", nullptr},
        {"ZIP32J.DLL", "Zip", "-r -6 ", "krytmp.zip", kZipStatusTitle},
        {"cab32.dll", "Cab", "-a -r -mz ", "krytmp.cab", kCabStatusTitle},
        {"cab32.dll", "Cab", "-a -r -i -mz ", "krytmp.cab", nullptr},
        {"bga32.dll", "Bga", "a -r -l9 ", "krytmp.gza", nullptr}};
    test::ScopedEnv work(kWorkEnv, "*=300");
    for (const Case &c : cases) {
        auto library = loadFake(c.file, c.prefix);
        ASSERT_TRUE(library);
        bool seen = false;
        bool timerRan = false;
        QTimer::singleShot(100, [&] {
            timerRan = true; // the host's events run during the call
            seen = c.title && topLevelTitled(c.title);
            for (const char *title : {kLhaStatusTitle, kZipStatusTitle, kCabStatusTitle}) {
                if (title != c.title) {
                    EXPECT_EQ(topLevelTitled(title), nullptr) << c.switches;
                }
            }
        });
        std::string output;
        EXPECT_EQ(library->run(nullptr, line(c.switches, c.archive), &output), 0) << c.switches;
        EXPECT_TRUE(timerRan) << c.switches;
        EXPECT_EQ(seen, c.title != nullptr) << c.switches;
        EXPECT_TRUE(platform::fileExists(at(c.archive)));
    }

    // close() on the status window, as the host's cancel sends it, stops a long call.
    test::ScopedEnv hang(kHangEnv, "zip");
    auto zip = loadFake("ZIP32J.DLL", "Zip");
    ASSERT_TRUE(zip);
    QTimer::singleShot(100, [] {
        if (QWidget *window = topLevelTitled(kZipStatusTitle))
            window->close();
    });
    std::string output;
    EXPECT_NE(zip->run(nullptr, line("-r -6 ", "krytmp.zip"), &output), 0);
    EXPECT_EQ(output, "stopped");
    EXPECT_FALSE(platform::fileExists(at("krytmp.zip")));
    EXPECT_EQ(topLevelTitled(kZipStatusTitle), nullptr) << "the window goes with the call";
}

// The command-line fakes, started the way the run starts them: through a shell script
// that changes to the base folder first.
class FakeProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok()) << scratch.error();
        std::filesystem::create_directories(base);
        test::writeFile(base + "f \"1\".txt", "x");
        std::string error;
        ASSERT_TRUE(platform::writeTextLines(list, {"f \"1\".txt"}, &error)) << error;
    }
    // One argument quoted as the run's script quotes paths.
    static std::string quoted(const std::string &text) { return shellQuote(text); }
    int run(const std::string &commandLine, std::int64_t *pid = nullptr)
    {
        const std::string script = scratch.path() + "krytmp.bat";
        test::writeFile(script, "cd " + quoted(base) + "\n" + commandLine + "\n");
        std::string error;
        const std::int64_t started = platform::startScript(script, false, "", &error);
        EXPECT_GT(started, 0) << error;
        if (pid)
            *pid = started;
        return pid ? 0 : groups.waitForExit(started, {});
    }

    platform::ProcessGroups groups;
    platform::RunFolder scratch;
    const std::string base = scratch.path() + "base $x `y` \"z\"/";
    const std::string list = scratch.path() + "krytmp.kst";
    const std::string bin = VEXEL_FAKE_BIN_DIR;
    test::ScopedEnv log{kLogEnv, scratch.path() + "log"};
    test::ScopedEnv sizes{kSizesEnv, "rar=40,GCA=3221225472"};
};

TEST_F(FakeProgramTest, EachProgramParsesItsLineWritesItsArchiveAndLogsItsArguments)
{
    test::ScopedEnv check(kCheckMembersEnv, "1");
    const std::string rar = scratch.path() + "krytmp.rar";
    const std::string gca = scratch.path() + "krytmp.gca";
    const std::string ace = scratch.path() + "krytmp.ace";
    EXPECT_EQ(run(quoted(bin + "rar") + " a -r " + quoted(rar) + " " + quoted("@" + list)), 0);
    EXPECT_EQ(run(quoted(bin + "gcac") + " a " + quoted("-o" + list) + " " + quoted(gca)), 0);
    EXPECT_EQ(run(quoted(bin + "ace32") + " a -r " + quoted(ace) + " " + quoted("@" + list)), 0);
    EXPECT_EQ(platform::fileSize(rar), 40);
    EXPECT_EQ(platform::fileSize(gca), 3221225472LL);
    EXPECT_EQ(platform::fileSize(ace), kDefaultSize);

    const auto calls = readFakeLog(scratch.path() + "log");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].program, "rar");
    EXPECT_EQ(calls[0].directory + "/", base);
    EXPECT_EQ(calls[0].arguments, (std::vector<std::string>{"a", "-r", rar, "@" + list}));
    EXPECT_EQ(calls[1].arguments, (std::vector<std::string>{"a", "-o" + list, gca}));
    EXPECT_EQ(calls[2].program, "ace32");

    ASSERT_TRUE(platform::writeTextLines(list, {"missing.txt"}, nullptr));
    EXPECT_EQ(run(quoted(bin + "rar") + " a -r " + quoted(rar) + " " + quoted("@" + list)), 1);
    EXPECT_FALSE(platform::fileExists(rar));
    EXPECT_EQ(run(quoted(bin + "rar") + " x " + quoted(rar)), 2) << "a wrong line is refused";
}

TEST_F(FakeProgramTest, FailureEmptySuccessAndHangingOnRequest)
{
    const std::string rar = scratch.path() + "krytmp.rar";
    const std::string command =
        quoted(bin + "rar") + " a -r " + quoted(rar) + " " + quoted("@" + list);
    {
        test::ScopedEnv fail(kFailEnv, "rar");
        EXPECT_EQ(run(command), 1);
        EXPECT_FALSE(platform::fileExists(rar));
    }
    {
        test::ScopedEnv nothing(kNoArchiveEnv, "gca,rar");
        EXPECT_EQ(run(command), 0);
        EXPECT_FALSE(platform::fileExists(rar));
    }
    test::ScopedEnv hang(kHangEnv, "rar");
    std::int64_t pid = 0;
    run(command, &pid);
    ASSERT_GT(pid, 0);
    int polls = 0;
    const int code = groups.waitForExit(pid, [&] {
        if (++polls == 10) // about 200 ms: the fake is asleep by now
            groups.endProcessGroup(pid);
    });
    EXPECT_EQ(code, 128 + SIGTERM);
    EXPECT_GE(polls, 10);
}
