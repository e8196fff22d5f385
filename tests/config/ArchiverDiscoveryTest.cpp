// Archiver discovery: which formats each set of present files makes available, in
// which order the files are looked up, and the real lookup's order of folders.
#include "config/KryOpr.h"

#include "archivers/FindArchiver.h"
#include "platform/SearchPath.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace vexel {
namespace {

// Answers lookups from a set of present names and records every question asked.
struct PresentFiles {
    std::set<std::string> present;
    std::vector<std::string> asked;

    ArchiverAvailability discover()
    {
        return DiscoverArchivers([this](const std::string &name) {
            asked.push_back(name);
            return present.count(name) > 0;
        });
    }
};

ArchiverAvailability discoverWith(std::set<std::string> present)
{
    PresentFiles files{std::move(present), {}};
    return files.discover();
}

TEST(ArchiverDiscovery, LooksFilesUpOnceEachInTheFixedOrder)
{
    PresentFiles files;
    files.discover();
    const std::vector<std::string> expected{
        "unlha32.dll", "ZIP32.DLL", "ZIP32J.DLL", "cab32.dll",   "bga32.dll",    "rar.exe",
        "gcac.exe",    "ace32.exe", "ZIP32.DLL",  "IZIP32J.DLL", "sfx32gui.dat", "ZIP32J.DLL"};
    EXPECT_EQ(files.asked, expected);
}

TEST(ArchiverDiscovery, NothingPresentLeavesEveryFlagFalse)
{
    const ArchiverAvailability a = discoverWith({});
    for (bool flag :
         {a.LHAAvailable, a.ZIPAvailable, a.CABAvailable, a.BGAAvailable, a.RARAvailable,
          a.GCAAvailable, a.ACEAvailable, a.LHAExeAvailable, a.ZIPExeAvailable, a.CABExeAvailable,
          a.BGAExeAvailable, a.RARExeAvailable, a.GCAExeAvailable})
        EXPECT_FALSE(flag);
}

TEST(ArchiverDiscovery, ZipNeedsItsCompanionFilesPerKind)
{
    const ArchiverAvailability zip32jOnly = discoverWith({"ZIP32J.DLL"});
    EXPECT_FALSE(zip32jOnly.ZIPAvailable);
    EXPECT_FALSE(zip32jOnly.ZIPExeAvailable);

    const ArchiverAvailability izipAndStub =
        discoverWith({"ZIP32J.DLL", "IZIP32J.DLL", "sfx32gui.dat"});
    EXPECT_FALSE(izipAndStub.ZIPAvailable);
    EXPECT_TRUE(izipAndStub.ZIPExeAvailable);

    const ArchiverAvailability noStub = discoverWith({"ZIP32.DLL", "ZIP32J.DLL"});
    EXPECT_TRUE(noStub.ZIPAvailable);
    EXPECT_FALSE(noStub.ZIPExeAvailable);

    const ArchiverAvailability all = discoverWith({"ZIP32.DLL", "ZIP32J.DLL", "sfx32gui.dat"});
    EXPECT_TRUE(all.ZIPAvailable);
    EXPECT_TRUE(all.ZIPExeAvailable);

    const ArchiverAvailability noZip32j =
        discoverWith({"ZIP32.DLL", "IZIP32J.DLL", "sfx32gui.dat"});
    EXPECT_FALSE(noZip32j.ZIPAvailable);
    EXPECT_FALSE(noZip32j.ZIPExeAvailable);
}

TEST(ArchiverDiscovery, Bga32AloneEnablesGzipAndBzip2InBothKinds)
{
    const ArchiverAvailability a = discoverWith({"bga32.dll"});
    EXPECT_TRUE(a.BGAAvailable);
    EXPECT_TRUE(a.BGAExeAvailable);
    EXPECT_FALSE(a.LHAAvailable);
    EXPECT_FALSE(a.ZIPAvailable);
    EXPECT_FALSE(a.CABAvailable);
    EXPECT_FALSE(a.LHAExeAvailable);
    EXPECT_FALSE(a.CABExeAvailable);
}

TEST(ArchiverDiscovery, LhaAndCabCountForBothKinds)
{
    const ArchiverAvailability a = discoverWith({"unlha32.dll", "cab32.dll"});
    EXPECT_TRUE(a.LHAAvailable);
    EXPECT_TRUE(a.LHAExeAvailable);
    EXPECT_TRUE(a.CABAvailable);
    EXPECT_TRUE(a.CABExeAvailable);
}

TEST(ArchiverDiscovery, CommandLineArchiversAreNeverSelfExtracting)
{
    const ArchiverAvailability a = discoverWith({"rar.exe", "gcac.exe", "ace32.exe"});
    EXPECT_TRUE(a.RARAvailable);
    EXPECT_TRUE(a.GCAAvailable);
    EXPECT_TRUE(a.ACEAvailable);
    EXPECT_FALSE(a.RARExeAvailable);
    EXPECT_FALSE(a.GCAExeAvailable);
}

// The real lookup, over folders made for the test.
class DiscoveryOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath("program"));
        ASSERT_TRUE(QDir(root.path()).mkpath("onpath"));
        ASSERT_TRUE(QDir(root.path()).mkpath("elsewhere"));
        oldPath = qgetenv("PATH");
        oldCurrent = QDir::currentPath();
        qputenv("PATH", folder("onpath").toUtf8());
        QDir::setCurrent(folder("elsewhere")); // the current directory holds nothing
    }
    void TearDown() override
    {
        QDir::setCurrent(oldCurrent);
        qputenv("PATH", oldPath);
    }

    QString folder(const QString &name) const { return root.path() + "/" + name; }
    void touch(const QString &folderName, const QString &file) const
    {
        QFile f(folder(folderName) + "/" + file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    // Searches from the folder "program" in place of this test program's folder.
    platform::SearchPath lookup() const
    {
        return platform::SearchPath(folder("program").toStdString());
    }

    QTemporaryDir root;
    QByteArray oldPath;
    QString oldCurrent;
};

TEST_F(DiscoveryOnDisk, ProgramFolderIsSearchedBeforePath)
{
    touch("program", "rar");
    touch("onpath", "rar");
    std::string found;
    ASSERT_TRUE(FindArchiver("rar.exe", found, lookup()));
    EXPECT_EQ(found, folder("program").toStdString() + "/");

    ASSERT_TRUE(QFile::remove(folder("program") + "/rar"));
    ASSERT_TRUE(FindArchiver("rar.exe", found, lookup()));
    EXPECT_EQ(found, folder("onpath").toStdString() + "/");
}

TEST_F(DiscoveryOnDisk, FlagsFollowTheFilesFoundAnywhereOnTheSearch)
{
    touch("program", "zip32.so");
    touch("onpath", "ZIP32J.SO");
    touch("onpath", "sfx32gui.dat");
    touch("onpath", "bga32.so");
    const ArchiverAvailability a = DiscoverArchivers(lookup());
    EXPECT_TRUE(a.ZIPAvailable);
    EXPECT_TRUE(a.ZIPExeAvailable);
    EXPECT_TRUE(a.BGAAvailable);
    EXPECT_FALSE(a.LHAAvailable);
    EXPECT_FALSE(a.RARAvailable);
}

} // namespace
} // namespace vexel
