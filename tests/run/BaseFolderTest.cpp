// The base folder that member names are relative to, and the names cut from it.
#include "run/BaseFolder.h"

#include <gtest/gtest.h>

namespace vexel {
namespace {

TEST(BaseFolder, FirstEntrysFolder)
{
    EXPECT_EQ(BaseFolder({"/a/f.txt"}), "/a/");
    EXPECT_EQ(BaseFolder({"/a/b/*.*"}), "/a/"); // a folder entry: its parent
    EXPECT_EQ(BaseFolder({"/a/f.txt", "/a/b/*.*", "/a/b/c/g"}), "/a/");
    EXPECT_EQ(BaseFolder({"/f.txt"}), "/");
}

TEST(BaseFolder, RootOrBareNameGivesNone)
{
    EXPECT_EQ(BaseFolder({"/*.*"}), "");
    EXPECT_EQ(BaseFolder({"/*.*", "/a/f.txt"}), "");
    EXPECT_EQ(BaseFolder({"f.txt"}), "");
    EXPECT_EQ(BaseFolder({}), "");
}

TEST(BaseFolder, EntriesOutsideTheFirstFolderGetTheCommonFolder)
{
    EXPECT_EQ(BaseFolder({"/a/b/f.txt", "/a/c/g.txt"}), "/a/");
    EXPECT_EQ(BaseFolder({"/a/b/f.txt", "/a/*.*"}), "/"); // the folder /a itself
    EXPECT_EQ(BaseFolder({"/a/bc/f", "/a/b/g"}), "/a/");  // not the text prefix "/a/b"
    EXPECT_EQ(BaseFolder({"/home/u/f", "/srv/g"}), "/");
}

TEST(BaseFolder, NoNameIsMangled)
{
    const std::vector<std::string> list{"/a/b/f.txt", "/a/c/*.*", "/x/y"};
    const std::string base = BaseFolder(list);
    ASSERT_EQ(base, "/");
    EXPECT_EQ(relativeName(list[0], base), "a/b/f.txt");
    EXPECT_EQ(relativeName(list[1], base), "a/c/*.*");
    EXPECT_EQ(relativeName(list[2], base), "x/y");
    EXPECT_EQ(relativeName("/a/f", ""), "/a/f");
}

} // namespace
} // namespace vexel
