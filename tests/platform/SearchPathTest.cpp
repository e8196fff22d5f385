#include "platform/SearchPath.h"

#include "platform/Files.h"
#include "platform/RunFolder.h"
#include "tests/platform/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vexel;
using namespace vexel::platform;

TEST(MapArchiverName, DllBecomesSoExeIsDroppedOtherNamesStay)
{
    EXPECT_EQ(mapArchiverName("unlha32.dll"), "unlha32.so");
    EXPECT_EQ(mapArchiverName("ZIP32J.DLL"), "ZIP32J.so");
    EXPECT_EQ(mapArchiverName("rar.exe"), "rar");
    EXPECT_EQ(mapArchiverName("ACE32.EXE"), "ACE32");
    EXPECT_EQ(mapArchiverName("sfx32gui.dat"), "sfx32gui.dat");
    EXPECT_EQ(mapArchiverName("notes.dll.txt"), "notes.dll.txt");
    EXPECT_EQ(mapArchiverName("dll"), "dll");
}

// A program folder, its ../lib/vexel, a current directory and two PATH folders.
class SearchPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok()) << scratch.error();
        root = scratch.path();
        for (const char *folder : {"app/bin", "app/lib/vexel", "here", "path1", "path2"})
            std::filesystem::create_directories(root + folder);
        ASSERT_TRUE(setCurrentDirectory(root + "here"));
    }

    void put(const std::string &relative) { test::writeFile(root + relative, "x"); }
    std::string lookup(const std::string &name)
    {
        std::string folder = "junk";
        const bool found = SearchPath(root + "app/bin").find(name, &folder);
        EXPECT_EQ(found, !folder.empty()) << name;
        return folder;
    }

    RunFolder scratch;
    std::string root;
    test::ScopedCurrentDirectory keepDirectory;
    test::ScopedEnv path{"PATH", ""};
};

TEST_F(SearchPathTest, FoldersAreSearchedInOrderAndTheFirstMatchWins)
{
    test::ScopedEnv onlyPath("PATH", root + "path1:" + root + "path2");
    put("path2/rar");
    EXPECT_EQ(lookup("rar.exe"), root + "path2/");
    put("path1/rar");
    EXPECT_EQ(lookup("rar.exe"), root + "path1/");
    put("here/rar");
    EXPECT_EQ(lookup("rar.exe"), root + "here/");
    put("app/lib/vexel/rar");
    EXPECT_EQ(lookup("rar.exe"), root + "app/lib/vexel/");
    put("app/bin/rar");
    EXPECT_EQ(lookup("rar.exe"), root + "app/bin/");
}

TEST_F(SearchPathTest, LetterCaseIsIgnoredAndTheFolderEndsInSlash)
{
    test::ScopedEnv onlyPath("PATH", root + "path1");
    put("path1/UNLHA32.so");
    put("app/bin/zip32j.so");
    EXPECT_EQ(lookup("unlha32.dll"), root + "path1/");
    EXPECT_EQ(lookup("ZIP32J.DLL"), root + "app/bin/");
    EXPECT_EQ(findEntryIgnoringCase(root + "path1/", "unlha32.so"), "UNLHA32.so");
}

TEST_F(SearchPathTest, MissingNamesFoldersAndEmptyNamesAreNotFound)
{
    test::ScopedEnv onlyPath("PATH", root + "path1");
    std::filesystem::create_directories(root + "path1/gcac"); // a folder is no program
    EXPECT_EQ(lookup("gcac.exe"), "");
    EXPECT_EQ(lookup("ace32.exe"), "");
    EXPECT_EQ(lookup(""), "");
    put("path1/tool");
    EXPECT_EQ(lookup("path1/tool"), "") << "a name with a folder part is not a file name";
}

TEST_F(SearchPathTest, RelativeAndEmptyPathEntriesAreMadeAbsolute)
{
    // "../path1" is relative to the current directory root/here; "" is the current directory.
    put("path1/ace32");
    {
        test::ScopedEnv relative("PATH", "../path1");
        EXPECT_EQ(lookup("ace32.exe"), root + "path1/");
    }
    std::filesystem::remove(root + "path1/ace32");
    put("path2/ace32");
    ASSERT_TRUE(setCurrentDirectory(root + "path2"));
    test::ScopedEnv empty("PATH", ":/nonexistent");
    EXPECT_EQ(lookup("ace32.exe"), root + "path2/");
}

TEST_F(SearchPathTest, ExactSpellingWinsOverOtherSpellings)
{
    put("path1/Rar");
    put("path1/rar");
    put("path1/RAR");
    EXPECT_EQ(findEntryIgnoringCase(root + "path1/", "rar"), "rar");
    EXPECT_EQ(findEntryIgnoringCase(root + "path1/", "rAr"), "RAR");
    EXPECT_EQ(findEntryIgnoringCase(root + "missing/", "rar"), "");
}

TEST(ProgramFolder, IsTheFolderOfThisTestProgram)
{
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(std::filesystem::path(folder + "platform_tests"),
              std::filesystem::read_symlink("/proc/self/exe"));
    EXPECT_EQ(SearchPath().programFolder(), folder)
        << "the lookup starts from it unless told otherwise";
}

TEST(ProgramFolder, TwoLookupsWithTheirOwnFoldersDoNotMeet)
{
    RunFolder scratch;
    ASSERT_TRUE(scratch.ok()) << scratch.error();
    const std::string root = scratch.path();
    std::filesystem::create_directories(root + "one");
    std::filesystem::create_directories(root + "two");
    test::writeFile(root + "one/cab32.so", "x");
    test::ScopedEnv path("PATH", "");
    test::ScopedCurrentDirectory keepDirectory;
    ASSERT_TRUE(setCurrentDirectory(root + "two"));
    const SearchPath one(root + "one"), two(root + "two");
    EXPECT_EQ(one.programFolder(), root + "one/") << "the folder ends in /";
    std::string folder;
    EXPECT_TRUE(one.find("cab32.dll", &folder));
    EXPECT_EQ(folder, root + "one/");
    EXPECT_FALSE(two.find("cab32.dll", &folder));
    EXPECT_EQ(folder, "");
    EXPECT_FALSE(findOnSearchPath("cab32.dll", &folder)) << "the program's own lookup is untouched";
}
