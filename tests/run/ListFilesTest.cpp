// The list files' exact bytes, and the one shell-quoting helper they and the
// archiver scripts rely on.
#include "run/ListFiles.h"
#include "FileBytes.h"
#include "run/ShellQuote.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vexel {
namespace {

class ListFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string tempBase = dir.path().toStdString() + "/krytmp";

    void write(const std::vector<std::string> &list, const std::string &base)
    {
        std::string error;
        ASSERT_TRUE(writeListFiles(tempBase, list, base, &error)) << error;
    }
};

TEST_F(ListFiles, FileAndFolderEntries)
{
    write({"/home/u/a b/f.txt", "/home/u/a b/sub/*.*"}, "/home/u/a b/");
    EXPECT_EQ(bytesOf(tempBase + ".lst"), "\"f.txt\"\n\"sub/*.*\"\n");
    EXPECT_EQ(bytesOf(tempBase + ".kst"), "f.txt\nsub/*.*\n");
    EXPECT_EQ(bytesOf(tempBase + ".btt"), "cd '/home/u/a b/'\n");
}

TEST_F(ListFiles, RootEntryKeepsFullPathsAndNoCd)
{
    write({"/*.*"}, "");
    EXPECT_EQ(bytesOf(tempBase + ".lst"), "\"/*.*\"\n");
    EXPECT_EQ(bytesOf(tempBase + ".kst"), "/*.*\n");
    EXPECT_EQ(bytesOf(tempBase + ".btt"), "");
}

TEST_F(ListFiles, OlderFilesAreReplaced)
{
    write({"/a/long-name-one", "/a/long-name-two"}, "/a/");
    write({"/a/x"}, "/a/");
    EXPECT_EQ(bytesOf(tempBase + ".kst"), "x\n");
}

TEST_F(ListFiles, NameWithLineBreakIsRefused)
{
    std::string error;
    EXPECT_FALSE(writeListFiles(tempBase, {"/a/ok", "/a/two\nlines"}, "/a/", &error));
    EXPECT_NE(error.find("two\nlines"), std::string::npos);
}

TEST_F(ListFiles, UnwritableFolderIsReported)
{
    std::string error;
    EXPECT_FALSE(writeListFiles(tempBase + "-missing/krytmp", {"/a/x"}, "/a/", &error));
    EXPECT_FALSE(error.empty());
}

// What the shell makes of a quoted word: it must be the text itself, one word.
std::string throughShell(const std::string &text)
{
    QProcess shell;
    shell.start("/bin/sh", {"-c", QString::fromStdString("printf '%s|' " + shellQuote(text))});
    shell.waitForFinished();
    return shell.readAllStandardOutput().toStdString();
}

TEST(ShellQuote, NothingInANameIsExpandedOrSplit)
{
    for (const std::string name : {"plain", "a b", "say \"hi\"", "it's", "$HOME", "`id`", "$(id)",
                                   "a;b&c|d>e", "*.*", "''", "", "日本語 名"})
        EXPECT_EQ(throughShell(name), name + "|") << name;
}

} // namespace
} // namespace vexel
