#include "dirtree/RealPath.h"
#include "CountingFolderSource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vexel::dirtree {
namespace {

class RealPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        root = temp.path() + '/';
        for (const char *folder : {"Alpha/Beta", "Gamma", "same", "SAME", "with space/inner"})
            ASSERT_TRUE(QDir().mkpath(root + folder));
        QFile file(root + "Alpha/notes.txt");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString real(const QString &path) { return realPath(path, source); }

    QTemporaryDir temp;
    QString root;
    testing::CountingFolderSource source;
};

TEST_F(RealPathTest, ExistingPathKeepsItsComponentsAndGetsATrailingSlash)
{
    EXPECT_EQ(real(root + "Alpha/Beta"), root + "Alpha/Beta/");
    EXPECT_EQ(real(root + "Alpha/Beta/"), root + "Alpha/Beta/");
    EXPECT_EQ(real(root + "with space/inner"), root + "with space/inner/");
    EXPECT_EQ(real("/"), "/");
    // Components that exist as typed are found without listing any folder.
    EXPECT_EQ(source.totalListings(), 0);
}

TEST_F(RealPathTest, WrongLetterCaseBecomesTheStoredNameWhenOnlyOneMatches)
{
    EXPECT_EQ(real(root + "alpha/BETA/"), root + "Alpha/Beta/");
    EXPECT_EQ(real(root + "gAmMa"), root + "Gamma/");
}

TEST_F(RealPathTest, AmbiguousOrMissingComponentsCutThePathBack)
{
    EXPECT_EQ(real(root + "same/"), root + "same/"); // exists as typed
    EXPECT_EQ(real(root + "Same/x/"), root);         // "same" and "SAME": no choice
    EXPECT_EQ(real(root + "Alpha/missing/Beta/"), root + "Alpha/");
    EXPECT_EQ(real(root + "Alpha/notes.txt"), root + "Alpha/"); // a file is no folder
    EXPECT_EQ(real(root + "Alpha/NOTES.TXT/"), root + "Alpha/");
}

TEST_F(RealPathTest, BlanksRelativePathsAndDotsAreResolved)
{
    EXPECT_EQ(real("  " + root + "Gamma  "), root + "Gamma/");
    EXPECT_EQ(real(root + "Alpha/../Gamma/./"), root + "Gamma/");
    EXPECT_EQ(real(root + "//Alpha///Beta"), root + "Alpha/Beta/");

    const QString here = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root + "Alpha"));
    EXPECT_EQ(real("Beta"), root + "Alpha/Beta/");
    EXPECT_EQ(real(""), root + "Alpha/");
    QDir::setCurrent(here);
}

} // namespace
} // namespace vexel::dirtree
