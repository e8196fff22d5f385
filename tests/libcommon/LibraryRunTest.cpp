// runLibrary without any Qt application (as in a command-line host): results, reasons,
// the callback and stopping, and what is left on disk.
#include "LibraryRun.h"
#include "InputFile.h"

#include "TestTree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

using namespace vexel::kit;
using namespace vexel::testsupport;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const LibraryTraits kTraits{"Test Status", CommandSyntax{false}};

// A writer that stores the member names, one a line, taking `perMember` per member and
// giving up when asked to stop.
ArchiveWriter namesWriter(std::chrono::milliseconds perMember = 0ms)
{
    return [perMember](const std::vector<Member> &members, ArchiveOutput &output,
                       Progress &progress, std::string *reason) {
        for (const Member &m : members) {
            progress.beginMember(m.storedName);
            const auto end = std::chrono::steady_clock::now() + perMember;
            do {
                if (!progress.advance(0)) {
                    *reason = "stopped by the user";
                    return false;
                }
                std::this_thread::sleep_for(1ms);
            } while (std::chrono::steady_clock::now() < end);
            const std::string line = m.storedName + "\n";
            if (!output.write(line.data(), line.size(), reason))
                return false;
        }
        return true;
    };
}

class LibraryRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(tmp.path() + "base/a.txt", "a");
        writeFile(tmp.path() + "base/b.txt", "b");
        writeFile(tmp.path() + "k.lst", "\"a.txt\"\n\"b.txt\"\n");
        archive = tmp.path() + "out.arc";
        line = "-r \"" + archive + "\" \"" + tmp.path() + "base/\" @" + tmp.path() + "k.lst";
    }

    int run(const ArchiveWriter &writer, std::string *output, const OwnerSlot *owner = nullptr)
    {
        char buffer[260] = "garbage";
        const int rc = runLibrary({nullptr, line.c_str(), buffer, sizeof buffer}, kTraits, owner,
                                  [&](const ParsedCommand &, JobPlan *plan, std::string *) {
                                      plan->write = writer;
                                      return true;
                                  });
        *output = buffer;
        return rc;
    }

    // Nothing but the inputs: no archive, no temporary file.
    void expectNothingLeft()
    {
        for (const auto &item : fs::directory_iterator(tmp.path()))
            EXPECT_EQ(item.path().filename().string().find("out.arc"), std::string::npos)
                << item.path();
    }

    TempFolder tmp;
    std::string archive, line;
};

TEST_F(LibraryRunTest, CompleteArchiveReturnsZeroWithAnEmptyLine)
{
    std::string output;
    EXPECT_EQ(run(namesWriter(), &output), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(readFile(archive), "a.txt\nb.txt\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()), 3)
        << "no temporary left";
}

TEST_F(LibraryRunTest, FailingWriterLeavesNoArchiveAndGivesItsReason)
{
    std::string output;
    const ArchiveWriter failing = [](const std::vector<Member> &, ArchiveOutput &output, Progress &,
                                     std::string *reason) {
        output.write("partial", 7, reason);
        *reason = "the disk is on fire";
        return false;
    };
    EXPECT_NE(run(failing, &output), 0);
    EXPECT_EQ(output, "the disk is on fire");
    expectNothingLeft();
}

TEST_F(LibraryRunTest, RefusedCommandLeavesAnExistingFileAlone)
{
    writeFile(archive, "not ours");
    line = "-r \"" + archive + "\" \"" + tmp.path() + "base/\" @" + tmp.path() + "missing.lst";
    std::string output;
    EXPECT_NE(run(namesWriter(), &output), 0);
    EXPECT_NE(output.find("missing.lst"), std::string::npos) << output;
    EXPECT_EQ(readFile(archive), "not ours") << "a failure never removes a file it did not write";
}

std::atomic<int> calls{0};
std::atomic<int> stopAfter{1000000};
std::atomic<std::uint32_t> firstState{99};
int countingCallback(void *, std::uint32_t, std::uint32_t state, void *)
{
    if (calls.fetch_add(1) == 0)
        firstState = state;
    return calls.load() > stopAfter.load() ? 0 : 1;
}

TEST_F(LibraryRunTest, CallbackIsCalledThroughoutAndZeroStopsTheWork)
{
    OwnerSlot owner;
    owner.set(nullptr, countingCallback);
    calls = 0;
    stopAfter = 1000000;
    std::string output;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run(namesWriter(300ms), &output, &owner), 0) << output;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(firstState.load(), CallbackBegin);
    EXPECT_GE(calls.load(), elapsed / 100ms) << "at least one call per 100 ms of work";
    fs::remove(archive);

    calls = 0;
    stopAfter = 3;
    EXPECT_NE(run(namesWriter(5000ms), &output, &owner), 0);
    EXPECT_EQ(output, "stopped by the user");
    expectNothingLeft();

    calls = 0;
    stopAfter = 0; // the very first call says stop: the work never starts
    EXPECT_NE(run(namesWriter(), &output, &owner), 0);
    expectNothingLeft();
}

TEST_F(LibraryRunTest, ASecondReadOfAMemberIsNotCountedTwice)
{
    // A writer that gives up compressing a member and stores it instead reads it twice.
    writeFile(tmp.path() + "base/a.txt", std::string(300000, 'x'));
    std::vector<Progress::Snapshot> afterReads;
    const ArchiveWriter twice = [&](const std::vector<Member> &members, ArchiveOutput &output,
                                    Progress &progress, std::string *reason) {
        const auto ignore = [](const std::uint8_t *, std::size_t, std::string *) { return true; };
        for (const Member &m : members) {
            progress.beginMember(m.storedName);
            if (!readMember(m, progress, ignore, reason, 4096)
                || !readMember(m, progress, ignore, reason, 4096))
                return false;
            afterReads.push_back(progress.snapshot());
        }
        return output.write("x", 1, reason);
    };
    std::string output;
    ASSERT_EQ(run(twice, &output), 0) << output;
    ASSERT_EQ(afterReads.size(), 2u);
    EXPECT_EQ(afterReads[0].done, 300000u);
    EXPECT_EQ(afterReads[0].total, 300001u);
    EXPECT_EQ(afterReads[0].filesDone, 1u);
    EXPECT_EQ(afterReads[1].done, 300001u);
    EXPECT_EQ(afterReads[1].filesDone, 2u);
    EXPECT_EQ(afterReads[1].filesTotal, 2u);
    EXPECT_EQ(afterReads[1].member, "b.txt");
}

TEST(OutputLine, CutAtNewlineOrBufferSizeOnACharacterBoundary)
{
    char buffer[8];
    writeOutputLine("first\nsecond", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "first");
    writeOutputLine("ab日本", buffer, sizeof buffer); // "日本" is 6 bytes: only "日" fits
    EXPECT_STREQ(buffer, "ab日");
    writeOutputLine("abcdef日", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "abcdef");
    writeOutputLine("x", buffer, 0); // never writes into a zero-size buffer
    writeOutputLine("x", nullptr, 8);
}

} // namespace
