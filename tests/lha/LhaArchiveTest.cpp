// unlha32.so as the program calls it: archives checked by lhasa and 7-Zip, and
// extracted bit-exactly by lhasa.
#include "LhaCorpus.h"
#include "LoadedLibrary.h"
#include "TestTree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <sys/stat.h>

using namespace vexel::testsupport;
using vexel::test::buildLhaCorpus;
using vexel::test::writeMixedData;
using vexel::test::writeStopTestData;

namespace {

// The command line the run builds: switches, "archive", "base folder", @list.
std::string commandLine(const std::string &switches, const std::string &archive,
                        const std::string &base, const std::string &list)
{
    return switches + " \"" + archive + "\" \"" + base + "\" @" + list;
}

std::string listFile(const TempFolder &work, const std::string &line)
{
    const std::string list = work.path() + "krytmp.lst";
    writeFile(list, "\"" + line + "\"\n");
    return list;
}

// lhasa t, 7zz t, then lhasa x into a fresh folder compared with `expected`.
void expectArchiveChecksOut(const std::string &archive, const std::string &expectedFolder)
{
    std::string output;
    EXPECT_EQ(runCommand("lhasa t " + shellQuote(archive), &output), 0) << output;
    EXPECT_EQ(runCommand("7zz t " + shellQuote(archive), &output), 0) << output;
    TempFolder out;
    ASSERT_EQ(runCommand("cd " + shellQuote(out.path()) + " && LANG=C.UTF-8 lhasa xq "
                             + shellQuote(archive),
                         &output),
              0)
        << output;
    EXPECT_EQ(compareTrees(scanTree(expectedFolder), scanTree(out.path())), "");
}

std::string listing(const std::string &archive)
{
    std::string output;
    runCommand("LANG=C.UTF-8 lhasa v " + shellQuote(archive), &output);
    return output;
}

// The listing line of the member whose name ends in `name`.
std::string memberLine(const std::string &list, const std::string &name)
{
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t end = list.find('\n', at);
        const std::string line = list.substr(at, end - at);
        if (line.size() >= name.size()
            && line.compare(line.size() - name.size(), name.size(), name) == 0)
            return line;
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return {};
}

class LhaArchive : public ::testing::TestWithParam<const char *> {};

} // namespace

TEST_P(LhaArchive, CorpusPassesLhasaAnd7ZipAndExtractsBitExact)
{
    LoadedLibrary lib("unlha32.so");
    ASSERT_TRUE(lib.loaded()) << lib.error();
    TempFolder work;
    buildLhaCorpus(work.path() + "in/tree");
    const std::string archive = work.path() + "krytmp.lzh";
    std::string output;
    const std::string switches = std::string("a -x1 -r2 -y1 -gm -n -jm") + GetParam();
    ASSERT_EQ(
        lib.run("Unlha",
                commandLine(switches, archive, work.path() + "in/", listFile(work, "tree/*.*")),
                &output),
        0)
        << output;
    expectArchiveChecksOut(archive, work.path() + "in");

    const std::string methods[] = {"-lh5-", "-lh6-", "-lh7-"};
    const std::string method = methods[GetParam()[0] - '2'];
    const std::string list = listing(archive);
    EXPECT_NE(memberLine(list, "tree/text.txt").find(method), std::string::npos) << list;
    EXPECT_NE(memberLine(list, "tree/random.bin").find("-lh0-"), std::string::npos) << list;
    EXPECT_NE(memberLine(list, "tree/empty.txt").find("-lh0-"), std::string::npos) << list;
    EXPECT_NE(memberLine(list, "tree/empty folder/").find("-lhd-"), std::string::npos) << list;
    EXPECT_EQ(readFile(archive).back(), '\0');
}

INSTANTIATE_TEST_SUITE_P(Methods, LhaArchive, ::testing::Values("2", "3", "4"));

// 4 MiB: many reads of the member, several rounds of the encoder's background parse of
// a pair of chunks (whose joins the stream must cross seamlessly), dozens of blocks, and
// 64 times the largest dictionary.
TEST(LhaArchiveBig, FourMegabytesInLh5AndLh7)
{
    LoadedLibrary lib("unlha32.so");
    TempFolder work;
    writeMixedData(work.path() + "in/big/four.bin", 4u << 20);
    for (const char *jm : {"2", "4"}) {
        const std::string archive = work.path() + "big" + jm + ".lzh";
        std::string output;
        ASSERT_EQ(lib.run("Unlha",
                          commandLine(std::string("a -x1 -r2 -y1 -gm -n -jm") + jm, archive,
                                      work.path() + "in/", listFile(work, "big/*.*")),
                          &output),
                  0)
            << output;
        expectArchiveChecksOut(archive, work.path() + "in");
    }
}

namespace {

// The permission bits of everything below `folder`, by relative path.
std::map<std::string, unsigned> modesBelow(const std::string &folder)
{
    std::map<std::string, unsigned> modes;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder)) {
        struct stat st {};
        if (lstat(entry.path().c_str(), &st) == 0)
            modes[std::filesystem::relative(entry.path(), folder).string()] = st.st_mode & 07777;
    }
    return modes;
}

} // namespace

// Headers leave out the code page for ASCII names and the mode of 0755 folders: every
// name, mode and empty folder must still come back from lhasa extracting with the
// usual umask, and every name and folder from 7-Zip (which restores no LZH modes).
TEST(LhaArchiveModes, NamesModesAndEmptyFoldersSurviveTheLeanerHeaders)
{
    LoadedLibrary lib("unlha32.so");
    TempFolder work;
    const std::string in = work.path() + "in/";
    const std::string top = in + "set/";
    writeFile(top + "plain.txt", "plain ascii name, usual mode\n");
    writeFile(top + "run.sh", "#!/bin/sh\necho run\n");
    writeFile(top + "secret", "owner only\n");
    writeFile(top + "locked", "read only\n");
    writeFile(top + "caf\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC.txt",
              "non-ASCII folder and file names\n");
    writeFile(top + "private/inside.txt", "in a private folder\n");
    writeFile(top + "bytes\xFF\xFE.bin", "a name that is not UTF-8\n");
    std::filesystem::create_directories(top + "empty");
    std::filesystem::create_directories(top + "empty private");
    const std::pair<const char *, mode_t> modes[] = {
        {"plain.txt", 0644},     {"run.sh", 0755},      {"secret", 0600},
        {"locked", 0444},        {"private", 0700},     {"empty", 0755},
        {"empty private", 0750}, {"caf\xC3\xA9", 0755}, {"", 0755}};
    for (const auto &[name, mode] : modes)
        ASSERT_EQ(chmod((top + name).c_str(), mode), 0) << name;
    auto expected = modesBelow(in);

    const std::string archive = work.path() + "modes.lzh";
    std::string output;
    ASSERT_EQ(
        lib.run("Unlha",
                commandLine("a -x1 -r2 -y1 -gm -n -jm4", archive, in, listFile(work, "set/*.*")),
                &output),
        0)
        << output;
    expectArchiveChecksOut(archive, in);
    TempFolder byLhasa;
    ASSERT_EQ(runCommand("cd " + shellQuote(byLhasa.path()) + " && umask 022 && lhasa xq "
                             + shellQuote(archive),
                         &output),
              0)
        << output;
    EXPECT_EQ(modesBelow(byLhasa.path()), expected);
    TempFolder by7zip;
    ASSERT_EQ(runCommand("umask 022 && 7zz x -bd -y -o" + shellQuote(by7zip.path()) + " "
                             + shellQuote(archive),
                         &output),
              0)
        << output;
    std::map<std::string, unsigned> names;
    for (const auto &[name, mode] : modesBelow(by7zip.path()))
        names[name] = std::filesystem::is_directory(by7zip.path() + name) ? mode : 0;
    for (auto &[name, mode] : expected)
        mode = std::filesystem::is_directory(in + name) ? 0755 : 0;
    EXPECT_EQ(names, expected);
}

TEST(LhaArchiveCommand, RefusesOtherCommandsAndMethodsWithoutAnArchive)
{
    LoadedLibrary lib("unlha32.so");
    TempFolder work;
    writeFile(work.path() + "in/a.txt", "abc");
    const std::string archive = work.path() + "out.lzh";
    const std::string list = listFile(work, "a.txt");
    std::string output;
    EXPECT_NE(lib.run("Unlha", commandLine("x -n", archive, work.path() + "in/", list), &output),
              0);
    EXPECT_NE(output.find("command"), std::string::npos) << output;
    EXPECT_NE(
        lib.run("Unlha", commandLine("a -n -jm9", archive, work.path() + "in/", list), &output), 0);
    EXPECT_NE(output.find("-jm9"), std::string::npos) << output;
    EXPECT_FALSE(fileExists(archive));

    // Without -jm the method is -lh5-; a lone file needs no recursion.
    ASSERT_EQ(lib.run("Unlha", commandLine("a -n", archive, work.path() + "in/", list), &output), 0)
        << output;
    EXPECT_NE(memberLine(listing(archive), "a.txt").find("-lh0-"), std::string::npos);
    const auto version = reinterpret_cast<ArchiverVersionProc>(lib.symbol("UnlhaGetVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 100);
}

TEST(LhaArchiveCommand, MissingListedFileFailsNamingIt)
{
    LoadedLibrary lib("unlha32.so");
    TempFolder work;
    const std::string archive = work.path() + "out.lzh";
    std::string output;
    EXPECT_NE(lib.run("Unlha",
                      commandLine("a -n -jm4", archive, work.path(), listFile(work, "gone.txt")),
                      &output),
              0);
    EXPECT_NE(output.find("gone.txt"), std::string::npos) << output;
    EXPECT_FALSE(fileExists(archive));
}

namespace {

using Clock = std::chrono::steady_clock;
// The callback gets no context: the test sets both before every call.
std::atomic<Clock::rep> startAt{0};
std::atomic<Clock::rep> stopAt{0};

int stopAfterAMoment(void *, std::uint32_t, std::uint32_t, void *)
{
    const Clock::time_point start{Clock::duration(startAt.load())};
    if (Clock::now() - start < std::chrono::milliseconds(300))
        return 1;
    Clock::rep expected = 0;
    stopAt.compare_exchange_strong(expected, Clock::now().time_since_epoch().count());
    return 0;
}

} // namespace

// Two seconds: the bound the host's windows promise, and one that holds on a loaded
// machine (bench/stop/run.sh measures the real latency).
TEST(LhaArchiveCancel, CallbackAnsweringZeroStopsWithinTwoSecondsAndLeavesNoArchive)
{
    LoadedLibrary lib("unlha32.so");
    TempFolder work;
    writeStopTestData(work.path() + "in/big.bin");
    const std::string archive = work.path() + "krytmp.lzh";
    stopAt = 0;
    startAt = Clock::now().time_since_epoch().count();
    ASSERT_TRUE(lib.setOwner("Unlha", nullptr, stopAfterAMoment));
    std::string output;
    const int result = lib.run("Unlha",
                               commandLine("a -x1 -r2 -y1 -gm -n -jm4", archive,
                                           work.path() + "in/", listFile(work, "big.bin")),
                               &output);
    const Clock::time_point returned = Clock::now();
    lib.setOwner("Unlha", nullptr, nullptr);
    ASSERT_NE(stopAt.load(), 0) << "the work ended before the callback asked to stop";
    EXPECT_NE(result, 0);
    EXPECT_LT(returned - Clock::time_point(Clock::duration(stopAt.load())),
              std::chrono::seconds(2));
    // Nothing left behind: neither the archive nor a temporary file beside it.
    std::string names;
    for (const auto &[name, entry] : scanTree(work.path()))
        names += name + ";";
    EXPECT_EQ(names, "in;in/big.bin;krytmp.lst;");
}
