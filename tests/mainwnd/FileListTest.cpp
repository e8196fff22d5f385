// The file list's entries: full paths kept as bytes (also bytes that are not UTF-8),
// folder wildcards, names that do not exist, and the names a drop's URLs carry.
#include "mainwnd/FileList.h"

#include <QMimeData>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace vexel {
namespace {

class Files : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    std::string path(const std::string &name) const
    {
        return dir_.path().toStdString() + "/" + name;
    }
    void makeFile(const std::string &name) const { std::ofstream(path(name)) << "x"; }
    void makeFolder(const std::string &name) const { ::mkdir(path(name).c_str(), 0755); }

    QTemporaryDir dir_;
};

TEST_F(Files, EntriesAreFullPathsAndFoldersGetTheWildcard)
{
    makeFile("a b.txt");
    makeFolder("folder");
    const std::string here = dir_.path().toStdString() + "/";
    EXPECT_EQ(fileListEntry("a b.txt", here), path("a b.txt"));
    EXPECT_EQ(fileListEntry("./folder/", here), path("folder") + "/*.*");
    EXPECT_EQ(fileListEntry("folder/../a b.txt", here), path("a b.txt"));
    EXPECT_EQ(fileListEntry(path("folder"), "/elsewhere/"), path("folder") + "/*.*");
    EXPECT_EQ(fileListEntry("/", here), "/*.*");
    EXPECT_EQ(fileListEntry("//", here), "/*.*");
}

// A name that is not UTF-8 reaches the list byte for byte; only its display changes.
TEST_F(Files, NamesThatAreNotUtf8AreKeptExactly)
{
    const std::string odd = "caf\xff\xfe.txt";
    makeFile(odd);
    const std::string here = dir_.path().toStdString() + "/";
    const NamedFiles named = fileListFromNames({odd}, here);
    ASSERT_EQ(named.entries.size(), 1u);
    EXPECT_EQ(named.entries[0], path(odd));
    EXPECT_TRUE(named.missing.empty());
    const QString shown = fileListDisplay(named.entries);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/caf\uFFFD\uFFFD.txt\""))) << shown.toStdString();

    // Through a drop: the URL carries the bytes percent-encoded.
    QMimeData mime;
    mime.setData("text/uri-list",
                 "file://" + QByteArray::fromStdString(path("")).toPercentEncoding("/")
                     + "caf%FF%FE.txt\r\n");
    EXPECT_EQ(droppedNames(&mime), std::vector<std::string>{path(odd)});
}

TEST_F(Files, NamesThatDoNotExistAreLeftOutAndListed)
{
    makeFile("one");
    makeFolder("two words");
    const NamedFiles named =
        fileListFromNames({"missing", "one", "", "two words"}, dir_.path().toStdString() + "/");
    EXPECT_EQ(named.entries, (std::vector<std::string>{path("one"), path("two words") + "/*.*"}));
    EXPECT_EQ(named.missing, (std::vector<std::string>{"missing", ""}));
}

TEST(FileListDisplay, OneDroppedEntryIsUnquotedEverythingElseQuoted)
{
    EXPECT_EQ(dropDisplay({"/a/b c"}), QStringLiteral("/a/b c"));
    EXPECT_EQ(dropDisplay({"/a", "/b/*.*", "/c"}), QStringLiteral("\"/a\" \"/b/*.*\" \"/c\""));
    EXPECT_EQ(fileListDisplay({"/a"}), QStringLiteral("\"/a\""));
}

TEST(DroppedNames, OnlyLocalFilesCountInTheDropsOrder)
{
    const QList<QUrl> urls{QUrl("https://example.invalid/x"), QUrl::fromLocalFile("/tmp/z z"),
                           QUrl::fromLocalFile("/tmp/ä"), QUrl("file:///tmp/%25lit")};
    EXPECT_EQ(localFileNames(urls),
              (std::vector<std::string>{"/tmp/z z", "/tmp/\xc3\xa4", "/tmp/%lit"}));
    QMimeData text;
    text.setText("/tmp/a");
    EXPECT_TRUE(droppedNames(&text).empty());
    EXPECT_TRUE(droppedNames(nullptr).empty());
}

} // namespace
} // namespace vexel
