#include "platform/Files.h"

#include "platform/RunFolder.h"
#include "tests/platform/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace vexel;
using namespace vexel::platform;
namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.ok()) << scratch.error(); }

    std::string at(const std::string &name) const { return scratch.path() + name; }
    // Names in the scratch folder, so a test can see that nothing was left behind.
    std::set<std::string> entries() const
    {
        std::set<std::string> names;
        for (const auto &entry : fs::directory_iterator(scratch.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    RunFolder scratch;
};

TEST_F(FilesTest, DeleteMatchingTouchesOnlyMatchingFilesOfThatFolder)
{
    for (const char *name : {"krytmp.lst", "krytmp.kst", "krytmp.rar", "krytmpx.lst", "other.txt",
                             "sub/krytmp.lst", ".krytmp.bak"})
        test::writeFile(at(name), "x");
    fs::create_directory(at("krytmp.dir"));

    EXPECT_TRUE(anyMatching(at("krytmp.*")));
    EXPECT_EQ(deleteMatching(at("krytmp.*")), 3);
    EXPECT_FALSE(anyMatching(at("krytmp.*")));
    EXPECT_EQ(
        entries(),
        (std::set<std::string>{".krytmp.bak", "krytmp.dir", "krytmpx.lst", "other.txt", "sub"}));
    EXPECT_TRUE(fileExists(at("sub/krytmp.lst")));
    EXPECT_EQ(deleteMatching(at("krytmp.*")), 0);
    EXPECT_EQ(deleteMatching(at("missing/krytmp.*")), 0);
    EXPECT_FALSE(anyMatching(at("missing/*")));
}

TEST_F(FilesTest, SizesAreSixtyFourBitAndMissingFilesHaveNone)
{
    // A sparse file takes no disk space but reports its full length.
    const std::int64_t threeGiB = 3LL * 1024 * 1024 * 1024;
    test::writeFile(at("big.lzh"), "");
    fs::resize_file(at("big.lzh"), static_cast<std::uintmax_t>(threeGiB));
    EXPECT_EQ(fileSize(at("big.lzh")), threeGiB);
    EXPECT_TRUE(fileExists(at("big.lzh")));

    test::writeFile(at("empty"), "");
    EXPECT_EQ(fileSize(at("empty")), 0);
    EXPECT_EQ(fileSize(at("missing")), -1);
    EXPECT_FALSE(fileExists(at("missing")));
    EXPECT_EQ(fileSize(scratch.path()), -1) << "a folder is no file";
    EXPECT_FALSE(fileExists(scratch.path()));
}

TEST_F(FilesTest, WriteTextLinesEndsEveryLineWithNewlineAndReplacesTheFile)
{
    test::writeFile(at("krytmp.lst"), "an older and much longer content\r\n");
    std::string error;
    ASSERT_TRUE(writeTextLines(at("krytmp.lst"), {"\"b/*.*\"", "", "f \"q\".txt"}, &error))
        << error;
    EXPECT_EQ(test::readFile(at("krytmp.lst")), "\"b/*.*\"\n\nf \"q\".txt\n");
    ASSERT_TRUE(writeTextLines(at("krytmp.lst"), {}, &error));
    EXPECT_EQ(test::readFile(at("krytmp.lst")), "");
    EXPECT_EQ(entries(), std::set<std::string>{"krytmp.lst"});

    EXPECT_FALSE(writeTextLines(at("missing/krytmp.lst"), {"x"}, &error));
    EXPECT_NE(error.find(at("missing/krytmp.lst")), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST_F(FilesTest, CopyReplacingCopiesEveryByteOverAnExistingFile)
{
    std::string content;
    for (std::uint32_t i = 0; i < 3 * 1024 * 1024 + 17; ++i)
        content += static_cast<char>((i * 7919u) >> 3);
    test::writeFile(at("krytmp.zip"), content);
    test::writeFile(at("save/data.ZIP"), "the old archive");
    std::string error;
    ASSERT_TRUE(copyReplacing(at("krytmp.zip"), at("save/data.ZIP"), &error)) << error;
    EXPECT_EQ(test::readFile(at("save/data.ZIP")), content);
    EXPECT_EQ(test::readFile(at("krytmp.zip")), content);
    EXPECT_EQ(std::distance(fs::directory_iterator(at("save")), fs::directory_iterator()), 1);
}

TEST_F(FilesTest, CopyReplacingWorksForNamesOfTheLongestLength)
{
    const std::string longest = std::string(251, 'n') + ".ZIP"; // 255 bytes, the limit
    test::writeFile(at("krytmp.zip"), "archive");
    std::string error;
    ASSERT_TRUE(copyReplacing(at("krytmp.zip"), at(longest), &error)) << error;
    EXPECT_EQ(test::readFile(at(longest)), "archive");
    EXPECT_EQ(entries(), (std::set<std::string>{"krytmp.zip", longest}));
}

TEST_F(FilesTest, FailedCopyKeepsTheOldDestinationAndLeavesNothingBehind)
{
    test::writeFile(at("save/data.ZIP"), "the old archive");
    std::string error;

    EXPECT_FALSE(copyReplacing(at("missing.zip"), at("save/data.ZIP"), &error));
    EXPECT_NE(error.find(at("missing.zip")), std::string::npos) << error;
    EXPECT_EQ(test::readFile(at("save/data.ZIP")), "the old archive");

    // A source that cannot be read to the end (a folder) fails after the copy began.
    EXPECT_FALSE(copyReplacing(at("save"), at("save/data.ZIP"), &error));
    EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
    EXPECT_EQ(test::readFile(at("save/data.ZIP")), "the old archive");

    test::writeFile(at("krytmp.zip"), "new");
    fs::create_directory(at("save/folder.ZIP"));
    EXPECT_FALSE(copyReplacing(at("krytmp.zip"), at("save/folder.ZIP"), &error));
    EXPECT_NE(error.find(at("save/folder.ZIP")), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(at("save/folder.ZIP")));

    EXPECT_FALSE(copyReplacing(at("krytmp.zip"), at("nowhere/data.ZIP"), &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    std::set<std::string> saved;
    for (const auto &entry : fs::directory_iterator(at("save")))
        saved.insert(entry.path().filename().string());
    EXPECT_EQ(saved, (std::set<std::string>{"data.ZIP", "folder.ZIP"})) << "no temporary copy left";
}

TEST_F(FilesTest, CopyIntoReadOnlyFolderFailsForOrdinaryUsers)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root: a read-only folder does not stop root";
    test::writeFile(at("krytmp.zip"), "new");
    test::writeFile(at("locked/data.ZIP"), "old");
    fs::permissions(at("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(copyReplacing(at("krytmp.zip"), at("locked/data.ZIP"), &error));
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    EXPECT_EQ(test::readFile(at("locked/data.ZIP")), "old");
    fs::permissions(at("locked"), fs::perms::owner_all);
}

TEST_F(FilesTest, CurrentDirectoryEndsInSlashAndFollowsChanges)
{
    test::ScopedCurrentDirectory keep;
    ASSERT_TRUE(setCurrentDirectory(scratch.path()));
    EXPECT_EQ(fs::path(currentDirectory()), fs::canonical(scratch.path()) / "");
    ASSERT_TRUE(setCurrentDirectory("/"));
    EXPECT_EQ(currentDirectory(), "/");
    EXPECT_FALSE(setCurrentDirectory(at("missing/")));
    EXPECT_EQ(currentDirectory(), "/");
}
