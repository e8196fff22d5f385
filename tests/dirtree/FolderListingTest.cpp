#include "platform/FolderListing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>

namespace vexel::platform {
namespace {

std::string utf8(const QString &text) { return text.toStdString(); }

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

TEST(FolderListing, ListsFoldersHiddenOnesAndLinksToFoldersButNoFiles)
{
    QTemporaryDir temp;
    const QString root = temp.path() + '/';
    ASSERT_TRUE(QDir().mkpath(root + "plain") && QDir().mkpath(root + ".hidden"));
    ASSERT_TRUE(touch(root + "file.txt"));
    ASSERT_TRUE(QFile::link(root + "plain", root + "link-to-folder"));
    ASSERT_TRUE(QFile::link(root + "file.txt", root + "link-to-file"));
    ASSERT_TRUE(QFile::link(root + "nowhere", root + "dangling"));

    FolderList list = listSubfolders(utf8(root));
    std::sort(list.names.begin(), list.names.end());
    EXPECT_EQ(list.error, 0);
    EXPECT_EQ(list.names, (std::vector<std::string>{".hidden", "link-to-folder", "plain"}));
}

TEST(FolderListing, SubfolderProbeFindsOneAmongManyFilesOrNone)
{
    QTemporaryDir temp;
    const QString root = temp.path() + '/';
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(touch(root + QString("f%1").arg(i)));
    EXPECT_FALSE(hasSubfolder(utf8(root)));
    ASSERT_TRUE(QDir().mkpath(root + ".only-hidden"));
    EXPECT_TRUE(hasSubfolder(utf8(root)));
    EXPECT_FALSE(hasSubfolder(utf8(root + "missing/")));
}

TEST(FolderListing, FailuresCarryTheSystemsErrorNumber)
{
    QTemporaryDir temp;
    const QString root = temp.path() + '/';
    ASSERT_TRUE(touch(root + "file"));
    EXPECT_EQ(listSubfolders(utf8(root + "missing")).error, ENOENT);
    EXPECT_EQ(probeFolder(utf8(root + "missing/")), ENOENT);
    EXPECT_EQ(probeFolder(utf8(root + "file/")), ENOTDIR);
    EXPECT_EQ(probeFolder(utf8(root)), 0);
    EXPECT_TRUE(isFolder(utf8(root)));
    EXPECT_FALSE(isFolder(utf8(root + "file")));
    EXPECT_FALSE(isFolder(""));
    EXPECT_FALSE(errorDescription(ENOENT).empty());
}

} // namespace
} // namespace vexel::platform
