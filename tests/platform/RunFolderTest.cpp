#include "platform/RunFolder.h"

#include "tests/platform/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace vexel;
using namespace vexel::platform;
namespace fs = std::filesystem;

TEST(RunFolder, IsPrivateUniqueAndUnderTmpdir)
{
    RunFolder parent;
    ASSERT_TRUE(parent.ok()) << parent.error();
    test::ScopedEnv tmpdir("TMPDIR", parent.path() + "tmp");
    fs::create_directory(parent.path() + "tmp");

    RunFolder first, second;
    ASSERT_TRUE(first.ok()) << first.error();
    ASSERT_TRUE(second.ok()) << second.error();
    EXPECT_NE(first.path(), second.path());
    EXPECT_EQ(first.path().rfind(parent.path() + "tmp/vexel-", 0), 0u) << first.path();
    EXPECT_EQ(first.path().back(), '/');

    struct stat info {};
    ASSERT_EQ(::stat(first.path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(RunFolder, IsRemovedWithEverythingInIt)
{
    RunFolder other;
    ASSERT_TRUE(other.ok());
    test::writeFile(other.path() + "keep.txt", "not part of the run");
    std::string path;
    {
        RunFolder folder;
        ASSERT_TRUE(folder.ok()) << folder.error();
        path = folder.path();
        test::writeFile(path + "krytmp.lst", "\"a\"\n");
        test::writeFile(path + "deep/er/krytmp.lzh", "archive");
        fs::create_symlink(other.path(), path + "link-outside");
        fs::permissions(path + "deep", fs::perms::owner_read | fs::perms::owner_exec);
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(test::readFile(other.path() + "keep.txt"), "not part of the run")
        << "a link is removed, not followed";
}

TEST(RunFolder, TemporaryFolderNameIsTakenAsItsBytes)
{
    RunFolder parent;
    ASSERT_TRUE(parent.ok());
    const std::string notUtf8 = parent.path() + "tmp\xff\xe9";
    ASSERT_EQ(::mkdir(notUtf8.c_str(), 0700), 0);
    test::ScopedEnv tmpdir("TMPDIR", notUtf8);
    RunFolder folder;
    ASSERT_TRUE(folder.ok()) << folder.error();
    EXPECT_EQ(folder.path().rfind(notUtf8 + "/vexel-", 0), 0u) << folder.path();
}

TEST(RunFolder, ReportsWhyItCouldNotBeMade)
{
    RunFolder parent;
    ASSERT_TRUE(parent.ok());
    test::ScopedEnv tmpdir("TMPDIR", parent.path() + "does-not-exist");
    RunFolder folder;
    EXPECT_FALSE(folder.ok());
    EXPECT_TRUE(folder.path().empty());
    EXPECT_NE(folder.error().find("does-not-exist"), std::string::npos) << folder.error();
    EXPECT_NE(folder.error().find("No such file or directory"), std::string::npos)
        << folder.error();
}
