// Reading the command line, the file list entries of named paths, and the JSON report.
#include "app/BatchOptions.h"
#include "app/BatchFiles.h"
#include "app/BatchReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace vexel {
namespace {

TEST(BatchOptions, OnlyOptionsBeforeTheEndMarkLeaveTheWindow)
{
    EXPECT_FALSE(wantsCommandLineMode({}));
    EXPECT_FALSE(wantsCommandLineMode({"a.txt", "-"}));
    EXPECT_FALSE(wantsCommandLineMode({"--", "--batch", "-x"}));
    EXPECT_TRUE(wantsCommandLineMode({"a.txt", "--version"}));
    EXPECT_TRUE(wantsCommandLineMode({"-h"}));
    EXPECT_TRUE(wantsCommandLineMode({"-o", "x"}));
    EXPECT_TRUE(wantsCommandLineMode({"--output=x", "a"}));
    // Qt's own options belong to the window's QApplication.
    EXPECT_FALSE(wantsCommandLineMode({"-style", "fusion", "a.txt"}));
    EXPECT_FALSE(wantsCommandLineMode({"-platform", "offscreen", "-x"}));
}

TEST(BatchOptions, ValuesAreReadAndMappedToTheStoredForms)
{
    const ParsedCommandLine parsed = parseCommandLine(
        {"--batch", "--output=data", "-d", "/tmp", "-f", " zip ,bzip2,Lha", "--lha", "LH7", "--cab",
         "LZX:21", "--zip-level", "9", "--bga-level", "1", "-q", "--json", "a", "b"});
    ASSERT_EQ(parsed.error, "");
    const BatchOptions &o = parsed.options;
    EXPECT_EQ(o.mode, CommandMode::Batch);
    EXPECT_EQ(o.output, "data");
    EXPECT_EQ(o.saveDir, "/tmp");
    EXPECT_EQ(*o.formats, (std::vector<std::string>{"ZIP", "BZIP2", "LHA"}));
    EXPECT_EQ(o.LHAFreezeType, "4");
    EXPECT_EQ(o.CABFreezeType, "1");
    EXPECT_EQ(o.CABFreezeLevel, "21");
    EXPECT_EQ(o.ZIPFreezeLevel, "9");
    EXPECT_EQ(o.BGAFreezeLevel, "1");
    EXPECT_TRUE(o.quiet && o.json);
    EXPECT_EQ(o.names, (std::vector<std::string>{"a", "b"}));

    const BatchOptions plain =
        parseCommandLine({"--batch", "-o", "x", "--cab", "mszip", "a"}).options;
    EXPECT_EQ(plain.CABFreezeType, "0");
    EXPECT_FALSE(plain.CABFreezeLevel.has_value()); // MSZIP keeps the stored LZX level
    EXPECT_FALSE(plain.formats.has_value());
    EXPECT_FALSE(plain.LHAFreezeType || plain.ZIPFreezeLevel || plain.BGAFreezeLevel);
}

TEST(BatchOptions, NamesKeepTheirBytesAndMayLookLikeOptionsAfterTheEndMark)
{
    const std::string odd = "caf\xe9 \xff\xfe.txt"; // Latin-1 bytes, not UTF-8
    const ParsedCommandLine parsed =
        parseCommandLine({"--batch", "-o", "n\xe9", odd, "--", "-q", "--json"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.output, "n\xe9");
    EXPECT_EQ(parsed.options.names, (std::vector<std::string>{odd, "-q", "--json"}));
    EXPECT_FALSE(parsed.options.quiet || parsed.options.json);
}

TEST(BatchOptions, BadValuesAreUsageErrors)
{
    for (const char *level : {"0", "10", "-1", "5x", " 5", "", "05x"})
        EXPECT_NE(parseCommandLine({"--batch", "-o", "x", "--zip-level", level, "a"}).error, "")
            << level;
    for (const char *cab : {"lzx:14", "lzx:22", "lzx", "lzx:", "zip", "mszip:15"})
        EXPECT_NE(parseCommandLine({"--batch", "-o", "x", "--cab", cab, "a"}).error, "") << cab;
    for (const char *formats : {"", "ZIP,", "ZIP,,CAB", "ZIPX", "7z"})
        EXPECT_NE(parseCommandLine({"--batch", "-o", "x", "-f", formats, "a"}).error, "")
            << formats;
    EXPECT_NE(parseCommandLine({"--batch", "-o", "", "a"}).error, "");
    EXPECT_NE(parseCommandLine({"--batch", "-o", "x", "-d", "", "a"}).error, "");
    EXPECT_NE(parseCommandLine({"--json", "a"}).error, "");
}

TEST(BatchOptions, JobsIsACountFromZeroToEightWithItsMessage)
{
    EXPECT_EQ(parseCommandLine({"--batch", "-o", "x", "-j", "0", "a"}).options.jobs, 0);
    EXPECT_EQ(parseCommandLine({"--batch", "-o", "x", "--jobs", "8", "a"}).options.jobs, 8);
    EXPECT_EQ(parseCommandLine({"--batch", "-o", "x", "--jobs=1", "-j", "3", "a"}).options.jobs, 3)
        << "the last one given counts";
    EXPECT_FALSE(parseCommandLine({"--batch", "-o", "x", "a"}).options.jobs.has_value());
    for (const char *jobs : {"9", "-1", "x", "", " 2", "2 ", "1.5", "100"}) {
        const std::string error = parseCommandLine({"--batch", "-o", "x", "-j", jobs, "a"}).error;
        EXPECT_NE(error.find("--jobs takes"), std::string::npos) << jobs << ": " << error;
    }
    EXPECT_NE(parseCommandLine({"--batch", "-o", "x", "a", "-j"}).error, "") << "a value is needed";
    EXPECT_NE(parseCommandLine({"-j", "2", "a"}).error, "") << "-j needs --batch";
    EXPECT_TRUE(wantsCommandLineMode({"--jobs=2", "a"}));
    EXPECT_NE(usageText().find("--jobs N"), std::string::npos);
}

TEST(BatchOptions, HelpAndVersionWinOverTheRest)
{
    EXPECT_EQ(parseCommandLine({"--batch", "--help"}).options.mode, CommandMode::Help);
    EXPECT_EQ(parseCommandLine({"-v"}).options.mode, CommandMode::Version);
    EXPECT_EQ(parseCommandLine({"a.txt", "--version"}).options.mode, CommandMode::Version);
}

class BatchFiles : public ::testing::Test {
protected:
    QTemporaryDir root;
    std::string top = root.path().toStdString() + "/";
    void SetUp() override
    {
        std::filesystem::create_directories(top + "d/e");
        std::ofstream(top + "d/f \xff.txt") << "x";
    }
    void TearDown() override
    {
        std::error_code error; // QTemporaryDir cannot remove names that are not UTF-8
        std::filesystem::remove_all(top, error);
    }
};

TEST_F(BatchFiles, EntriesAreAbsoluteTidyAndMarkFolders)
{
    EXPECT_EQ(batchFileListEntry("d/f \xff.txt", top), top + "d/f \xff.txt");
    EXPECT_EQ(batchFileListEntry("./d//e/../f \xff.txt", top), top + "d/f \xff.txt");
    EXPECT_EQ(batchFileListEntry("d/e/", top), top + "d/e/*.*");
    EXPECT_EQ(batchFileListEntry(top + "d", "/elsewhere/"), top + "d/*.*");
    EXPECT_EQ(batchFileListEntry("/", top), "/*.*");
    EXPECT_EQ(batchFileListEntry("d/missing", top), "");
    EXPECT_EQ(batchFileListEntry("d/f \xff.txt/", top), ""); // a file is no folder
}

TEST_F(BatchFiles, SaveFolderMustBeAnExistingFolder)
{
    EXPECT_EQ(batchSaveFolder("", top), top);
    EXPECT_EQ(batchSaveFolder("d/e", top), top + "d/e/");
    EXPECT_EQ(batchSaveFolder("/", top), "/");
    EXPECT_EQ(batchSaveFolder("d/f \xff.txt", top), "");
    EXPECT_EQ(batchSaveFolder("nowhere", top), "");
}

TEST(BatchReport, JsonNamesEverySizeTheWinnerAndTheSavedPath)
{
    const std::vector<FormatResult> made{{"/t/krytmp.lzh", "LHA", 300},
                                         {"/t/krytmp.zip", "ZIP", 5000000000LL}};
    const QJsonObject o =
        QJsonDocument::fromJson(QByteArray::fromStdString(batchJson(made, 0, "/s/日本.lzh")))
            .object();
    EXPECT_EQ(o.value("winner").toString(), "LHA");
    EXPECT_EQ(o.value("saved").toString(), QString::fromUtf8("/s/日本.lzh"));
    EXPECT_FALSE(o.contains("saved_base64"));
    const QJsonArray formats = o.value("formats").toArray();
    ASSERT_EQ(formats.size(), 2);
    EXPECT_EQ(formats.at(1).toObject().value("format").toString(), "ZIP");
    EXPECT_EQ(formats.at(1).toObject().value("size").toInteger(), 5000000000LL);

    const QJsonObject odd =
        QJsonDocument::fromJson(QByteArray::fromStdString(batchJson(made, 1, "/s/\xff.ZIP")))
            .object();
    EXPECT_EQ(QByteArray::fromBase64(odd.value("saved_base64").toString().toLatin1()),
              QByteArray("/s/\xff.ZIP"));
}

} // namespace
} // namespace vexel
