// Member collection from response files: folders, wildcards, recursion, links, failures.
#include "Members.h"
#include "Progress.h"

#include "TestTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace vexel::kit;
using namespace vexel::testsupport;
namespace fs = std::filesystem;

namespace {

class MembersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = tmp.path() + "base/";
        writeFile(base + "X/a.txt", "aaa");
        writeFile(base + "X/b.c", "b");
        writeFile(base + "X/noext", "n");
        writeFile(base + "X/sub/deep/d.txt", "dd");
        fs::create_directories(base + "X/empty");
        writeFile(base + "top.txt", "top");
    }

    // Names as "name" or "name/" for folders, in collection order.
    std::vector<std::string> collect(const std::string &listText, bool recurse,
                                     std::string *reason = nullptr,
                                     const std::string &baseFolder = "",
                                     std::vector<std::string> *warnings = nullptr)
    {
        writeFile(tmp.path() + "k.lst", listText);
        fs::permissions(tmp.path() + "k.lst",
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
        ParsedCommand command;
        command.archivePath = tmp.path() + "a.zip";
        command.baseFolder = baseFolder.empty() ? base : baseFolder;
        if (baseFolder == "-")
            command.baseFolder.clear();
        command.listFile = tmp.path() + "k.lst";
        std::vector<Member> members;
        std::string why;
        if (!collectMembers(command, CollectOptions{recurse, true}, &members, &why, nullptr,
                            warnings)) {
            if (reason)
                *reason = why;
            return {"(failed)"};
        }
        std::vector<std::string> names;
        for (const Member &m : members)
            names.push_back(m.storedName + (m.isFolder ? "/" : ""));
        return names;
    }

    TempFolder tmp;
    std::string base;
};

using Names = std::vector<std::string>;

TEST_F(MembersTest, DroppedFolderGivesItselfAndEverythingBelowWithRecursion)
{
    EXPECT_EQ(collect("\"X/*.*\"\r\n", true),
              (Names{"X/", "X/a.txt", "X/b.c", "X/empty/", "X/noext", "X/sub/", "X/sub/deep/",
                     "X/sub/deep/d.txt"}));
    EXPECT_EQ(collect("\"X/*.*\"\n", false),
              (Names{"X/", "X/a.txt", "X/b.c", "X/empty/", "X/noext", "X/sub/"}));
    EXPECT_EQ(collect("X\n", true), collect("\"X/*.*\"\n", true))
        << "a folder named alone is X/*.*";
}

TEST_F(MembersTest, EmptyDroppedFolderSurvives)
{
    EXPECT_EQ(collect("\"X/empty/*.*\"\n", true), (Names{"X/empty/"}));
}

TEST_F(MembersTest, ListFileLinesQuotedOrNotWithEitherLineEnd)
{
    EXPECT_EQ(collect("\"top.txt\"\r\n\r\nX/a.txt\n\"X/b.c\"", true),
              (Names{"top.txt", "X/a.txt", "X/b.c"}));
    EXPECT_EQ(collect("\"top.txt\"\n\"top.txt\"\n\"X/*.*\"\n\"X/a.txt\"\n", false).size(), 7u)
        << "each stored name appears once";
    writeFile(base + "say \"hi\".txt", "q");
    EXPECT_EQ(collect("\"say \"hi\".txt\"\n", true), (Names{"say \"hi\".txt"}))
        << "a name in quotes may hold quotes itself";
}

TEST_F(MembersTest, WildcardsAndTheBaseFolderContents)
{
    EXPECT_EQ(collect("\"X/*.txt\"\n", true), (Names{"X/a.txt"}));
    EXPECT_EQ(collect("\"*.*\"\n", false), (Names{"X/", "top.txt"}))
        << "the base folder itself has no name";
    std::string reason;
    EXPECT_EQ(collect("\"X/*.zzz\"\n", true, &reason), (Names{"(failed)"}));
    EXPECT_NE(reason.find("*.zzz"), std::string::npos) << reason;
}

TEST_F(MembersTest, StoredNamesNeverLeaveTheArchiveRoot)
{
    EXPECT_EQ(collect("\"../base/top.txt\"\n", true), (Names{"base/top.txt"}));
    EXPECT_EQ(collect("\"" + base + "top.txt\"\n", true, nullptr, "-"),
              (Names{base.substr(1) + "top.txt"}));
    EXPECT_EQ(collect("\"" + base + "top.txt\"\n", true), (Names{"top.txt"}))
        << "a full path below the base";
}

TEST_F(MembersTest, MissingOrBrokenEntriesFailWithTheirNames)
{
    std::string reason;
    EXPECT_EQ(collect("\"top.txt\"\n\"vanished file.txt\"\n", true, &reason), (Names{"(failed)"}));
    EXPECT_NE(reason.find("vanished file.txt"), std::string::npos) << reason;

    fs::create_symlink(base + "nowhere", base + "listed dangling");
    EXPECT_EQ(collect("\"listed dangling\"\n", true, &reason), (Names{"(failed)"}));
    EXPECT_NE(reason.find("listed dangling"), std::string::npos) << reason;

    ParsedCommand command;
    command.archivePath = "a.zip";
    command.listFile = tmp.path() + "no such list.lst";
    std::vector<Member> members;
    EXPECT_FALSE(collectMembers(command, CollectOptions{}, &members, &reason));
    EXPECT_NE(reason.find("no such list.lst"), std::string::npos) << reason;
}

TEST_F(MembersTest, UnreadableFileOrFolderFailsWithItsName)
{
    fs::permissions(tmp.path(), fs::perms::all); // reachable when the check runs as "nobody"
    fs::permissions(tmp.path() + "base", fs::perms::all);
    const auto failure = [this](std::string *reason) {
        return collect("\"X/*.*\"\n", true, reason) == Names{"(failed)"} ? 0 : 1;
    };
    ::chmod((base + "X/a.txt").c_str(), 0);
    std::string reason;
    const int rc = runUnprivileged(failure, &reason);
    if (rc == -2)
        GTEST_SKIP() << "no unprivileged user to read as";
    EXPECT_EQ(rc, 0);
    EXPECT_NE(reason.find("a.txt"), std::string::npos) << reason;

    ::chmod((base + "X/a.txt").c_str(), 0644);
    ::chmod((base + "X/sub").c_str(), 0);
    reason.clear();
    EXPECT_EQ(runUnprivileged(failure, &reason), 0);
    EXPECT_NE(reason.find("sub"), std::string::npos) << reason;
}

// The rule for links: what a link points to is stored under the link's name, wherever it
// lies; only a folder that is its own ancestor on the walked path (a loop) and a link to
// nothing are left out, each with a warning. A folder reached by a link first and by its
// own name later keeps its contents in both places (a "seen before" rule would empty it).
TEST_F(MembersTest, LinksAreFollowedAndOnlyLoopsAndDanglingLinksLeftOut)
{
    writeFile(base + "P/5.36.0/lib.pm", "perl");
    writeFile(tmp.path() + "outside/o.txt", "out");
    fs::create_directory_symlink("5.36.0", base + "P/5.36"); // sorts before its target
    fs::create_symlink("5.36.0/lib.pm", base + "P/file link");
    fs::create_directory_symlink(tmp.path() + "outside", base + "P/outside");
    fs::create_symlink("nowhere", base + "P/dangling");
    fs::create_directory_symlink("..", base + "P/5.36.0/up"); // back to P: a loop
    std::vector<std::string> warnings;
    const Names names = collect("\"P/*.*\"\n", true, nullptr, "", &warnings);
    EXPECT_EQ(names,
              (Names{"P/", "P/5.36/", "P/5.36/lib.pm", "P/5.36.0/", "P/5.36.0/lib.pm",
                     "P/file link", "P/outside/", "P/outside/o.txt"}));
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_NE(warnings[0].find("P/5.36/up"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[1].find("P/5.36.0/up"), std::string::npos) << warnings[1];
    EXPECT_NE(warnings[2].find("P/dangling"), std::string::npos) << warnings[2];

    // Without -r a linked folder is a folder entry like any other, and nothing loops.
    warnings.clear();
    EXPECT_EQ(collect("\"P/*.*\"\n", false, nullptr, "", &warnings),
              (Names{"P/", "P/5.36/", "P/5.36.0/", "P/file link", "P/outside/"}));
    EXPECT_EQ(warnings.size(), 1u) << "the dangling link";
}

TEST_F(MembersTest, ListedNameHoldingWildcardCharactersIsThatFileAlone)
{
    writeFile(base + "W/a?c.txt", "literal");
    writeFile(base + "W/abc.txt", "neighbour");
    writeFile(base + "W/x*.txt", "star");
    writeFile(base + "W/xyz.txt", "neighbour");
    EXPECT_EQ(collect("\"W/a?c.txt\"\n\"W/x*.txt\"\n", true), (Names{"W/a?c.txt", "W/x*.txt"}));
    EXPECT_EQ(collect("\"W/a?d.txt\"\n", true), (Names{"(failed)"}))
        << "a pattern matching nothing";
    EXPECT_EQ(collect("\"W/ab?.txt\"\n", true), (Names{"W/abc.txt"}))
        << "still a pattern when no such file";
}

TEST_F(MembersTest, NamesThatAreNotUtf8AreKeptAsTheirBytes)
{
    const std::string file = "bad\xff\xfe.txt";
    const std::string folder = "d\xe9j\xe0"; // Latin-1, not UTF-8
    writeFile(base + "B/" + file, "ff");
    writeFile(base + "B/" + folder + "/in.txt", "in");
    EXPECT_EQ(collect("\"B/*.*\"\n\"B/" + file + "\"\n", true),
              (Names{"B/", "B/" + file, "B/" + folder + "/", "B/" + folder + "/in.txt"}));
}

TEST_F(MembersTest, MembersCarrySizeTimeAndMode)
{
    ::chmod((base + "X/a.txt").c_str(), 0751);
    writeFile(tmp.path() + "k.lst", "\"X/a.txt\"\n");
    ParsedCommand command;
    command.archivePath = "a.zip";
    command.baseFolder = base;
    command.listFile = tmp.path() + "k.lst";
    std::vector<Member> members;
    std::string reason;
    ASSERT_TRUE(collectMembers(command, CollectOptions{}, &members, &reason)) << reason;
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].diskPath, base + "X/a.txt");
    EXPECT_EQ(members[0].size, 3u);
    EXPECT_EQ(members[0].mode, 0751u);
    EXPECT_GT(members[0].mtime, 1600000000);
}

TEST_F(MembersTest, StopRequestEndsTheWalk)
{
    writeFile(tmp.path() + "k.lst", "\"X/*.*\"\n");
    ParsedCommand command;
    command.archivePath = "a.zip";
    command.baseFolder = base;
    command.listFile = tmp.path() + "k.lst";
    Progress progress;
    progress.requestStop();
    std::vector<Member> members;
    std::string reason;
    EXPECT_FALSE(collectMembers(command, CollectOptions{true, true}, &members, &reason, &progress));
    EXPECT_NE(reason.find("stopped"), std::string::npos);
}

} // namespace
