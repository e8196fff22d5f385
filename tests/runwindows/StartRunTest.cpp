// The run start's decisions: which formats a request makes, and its refusals.
#include "run/StartRun.h"

#include "AllArchiversAvailable.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vexel {
namespace {

// A RunHost without windows: a format list with marks and an output name; it records
// the messages shown and whether the progress window was opened.
class RecordingHost : public RunHost {
public:
    std::vector<std::pair<std::string, bool>> entries; // text, check mark
    std::string name;
    std::vector<std::string> errors;
    int progressShown = 0;
    mutable int marksRead = 0;

    int formatEntryCount() const override { return int(entries.size()); }
    std::string formatEntryText(int i) const override { return entries.at(i).first; }
    bool formatEntryChecked(int i) const override
    {
        ++marksRead;
        return entries.at(i).second;
    }
    std::string outputName() const override { return name; }
    bool dllVisible() const override { return false; }
    bool alwaysOnTop() const override { return false; }
    void *mainWindowHandle() override { return nullptr; }
    void *progressWindowHandle() override { return nullptr; }
    void setCounterText(const std::string &) override {}
    void setMessageText(const std::string &) override {}
    void setStatusWindowTimer(bool) override {}
    void processPendingEvents() override {}
    void showError(const std::string &text) override { errors.push_back(text); }
    void runProgressModal() override { ++progressShown; }
};

class StartRunTest : public ::testing::Test {
protected:
    StartRunTest()
    {
        host.entries = {
            {"LHA", false}, {"ZIP", false}, {"CAB", true}, {"GZIP", false}, {"RAR", true}};
        // Leftovers of an earlier start must not survive into this one.
        request.SingleFormat = "CAB";
        request.FormatCount = 7;
    }

    bool start(const std::string &outputName)
    {
        host.name = outputName;
        return StartRun(host, availability, request, control);
    }

    RecordingHost host;
    ArchiverAvailability availability = test::allArchiversAvailable();
    RunRequest request;
    RunControl control;
};

TEST_F(StartRunTest, TypedExtensionRunsItsFormatAloneWhateverTheMarks)
{
    EXPECT_FALSE(start("Backup.ZIP"));
    EXPECT_EQ(request.SingleFormat, "ZIP");
    EXPECT_EQ(request.FormatCount, 1);
    EXPECT_EQ(host.progressShown, 1);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.marksRead, 0);
}

TEST_F(StartRunTest, TypedExtensionIgnoresLetterCase)
{
    EXPECT_FALSE(start("書類.LzH"));
    EXPECT_EQ(request.SingleFormat, "LHA");

    // A name of Japanese characters only ends in no extension.
    EXPECT_FALSE(start("圧縮結果"));
    EXPECT_EQ(request.SingleFormat, "");
    EXPECT_EQ(request.FormatCount, 2);

    // A name of exactly the extension is its own last four characters.
    EXPECT_FALSE(start(".bza"));
    EXPECT_EQ(request.SingleFormat, "BZIP2");
}

TEST_F(StartRunTest, MissingArchiverOfTypedFormatIsRefusedWithItsMessage)
{
    availability.BGAAvailable = false;
    EXPECT_TRUE(start("a.gza"));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "必要なDLLが存在しないためGZA形式では圧縮できません");
    EXPECT_EQ(host.progressShown, 0);
    EXPECT_EQ(request.SingleFormat, "");
    EXPECT_EQ(request.FormatCount, 0);
}

TEST_F(StartRunTest, EveryTypedFormatIsRefusedWhenItsFlagIsFalse)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"x.lzh", "必要なDLLが存在しないためLHA形式では圧縮できません"},
        {"x.zip", "必要なDLLが存在しないためZIP形式では圧縮できません"},
        {"x.cab", "必要なDLLが存在しないためCAB形式では圧縮できません"},
        {"x.gza", "必要なDLLが存在しないためGZA形式では圧縮できません"},
        {"x.bza", "必要なDLLが存在しないためBZA形式では圧縮できません"},
        {"x.rar", "必要な実行ファイル(RAR.EXE)が存在しないためRAR形式では圧縮できません"},
        {"x.gca", "必要な実行ファイル(GCAC.EXE)が存在しないためGCA形式では圧縮できません"},
        {"x.ace", "必要な実行ファイル(ACE32.EXE)が存在しないためACE形式では圧縮できません"}};
    availability = ArchiverAvailability{};
    for (const auto &[name, message] : cases) {
        host.errors.clear();
        EXPECT_TRUE(start(name)) << name;
        ASSERT_EQ(host.errors.size(), 1u) << name;
        EXPECT_EQ(host.errors[0], message);
    }
    EXPECT_EQ(host.progressShown, 0);
}

TEST_F(StartRunTest, NamesWithoutATableExtensionRunTheMarkedFormats)
{
    for (const std::string name : {"report.tar", "abc", "data.lzh.", "data.zip ", "a"}) {
        host.progressShown = 0;
        EXPECT_FALSE(start(name)) << name;
        EXPECT_EQ(request.SingleFormat, "") << name;
        EXPECT_EQ(request.FormatCount, 2) << name;
        EXPECT_EQ(host.progressShown, 1) << name;
    }
    EXPECT_TRUE(host.errors.empty());
}

// An output name is a file name in the save folder: one that would leave it ("../x",
// "sub/x") or name a folder is refused before anything runs; dots and blanks are fine.
TEST_F(StartRunTest, OutputNamesThatAreNoFileNamesAreRefused)
{
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"../escaped", "ファイル名に「/」は使えません"},
        {"sub/x", "ファイル名に「/」は使えません"},
        {"/abs.zip", "ファイル名に「/」は使えません"},
        {"x/", "ファイル名に「/」は使えません"},
        {".", "ファイル名に「.」や「..」だけの名前は使えません"},
        {"..", "ファイル名に「.」や「..」だけの名前は使えません"}};
    for (const auto &[name, message] : refused) {
        host.errors.clear();
        EXPECT_TRUE(start(name)) << name;
        EXPECT_EQ(host.errors, std::vector<std::string>{message}) << name;
        EXPECT_EQ(request.FormatCount, 0) << name;
    }
    EXPECT_EQ(host.progressShown, 0);

    host.errors.clear();
    for (const std::string name : {"my data.v2", "...", ".hidden", " . ", "a..b", "x.."}) {
        EXPECT_FALSE(start(name)) << name;
        EXPECT_EQ(request.FormatCount, 2) << name;
    }
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.progressShown, 6);
}

TEST_F(StartRunTest, NoMarkedFormatIsRefused)
{
    for (auto &entry : host.entries)
        entry.second = false;
    EXPECT_TRUE(start("report.tar"));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "チェックする圧縮形式がひとつも存在しません");
    EXPECT_EQ(host.progressShown, 0);
    EXPECT_EQ(request.FormatCount, 0);
}

TEST_F(StartRunTest, EmptyFormatListIsRefusedLikeNoMark)
{
    host.entries.clear();
    EXPECT_TRUE(start("abc"));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.progressShown, 0);
}

} // namespace
} // namespace vexel
