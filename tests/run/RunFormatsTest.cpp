// Whole runs against the fake archivers: what is saved, what is reported, what the
// progress window is told, and that nothing of the run's temporary folder remains.
#include "RunFixture.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace vexel {
namespace {

using RunFormatsTest = RunFixture;

TEST_F(RunFormatsTest, SmallestArchiveIsSavedAndReported)
{
    offer({{"LHA", true}, {"ZIP", false}, {"CAB", true}, {"RAR", true}});
    qputenv(fakes::kSizesEnv, "lzh=300,cab=200,rar=250");
    qputenv(fakes::kCheckMembersEnv, "1");
    control.CancelRequested = true; // a cancel before a format starts is forgotten
    const std::string directoryBefore = platform::currentDirectory();

    ASSERT_FALSE(RunFormats(ctx)) << (host.errors.empty() ? "" : host.errors.front());

    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(namesIn(save), std::vector<std::string>{"data.CAB"});
    EXPECT_EQ(platform::fileSize(save + "data.CAB"), 200);
    EXPECT_EQ(state.RunReport,
              "FileType:LHA -> FileSize:300Byte\n"
              "FileType:CAB -> FileSize:200Byte\n"
              "FileType:RAR -> FileSize:250Byte\n"
              "\n"
              "一番圧縮率の高かったCAB形式で保存しました。\n"
              "保存ファイル:"
                  + save + "data.CAB");
    EXPECT_TRUE(namesIn(tmp).empty());
    EXPECT_EQ(state.BaseFolder, source);
    // The members were found from the base folder (the fakes checked), yet the
    // process's current directory is where it was.
    EXPECT_EQ(platform::currentDirectory(), directoryBefore);
    EXPECT_NE(directoryBefore, source);
}

TEST_F(RunFormatsTest, ProgressWindowIsToldEachFormatInTurn)
{
    offer({{"LHA", false}, {"ZIP", true}, {"GZIP", true}});
    ASSERT_FALSE(RunFormats(ctx));
    const std::vector<std::string> expected{
        "Prg 1/2",   "MainMsg ファイルを圧縮しています － ZIP形式",
        "pending",   "timer on",
        "timer off", // ZIP's status window is looked for even with display off
        "Prg 2/2",   "MainMsg ファイルを圧縮しています － GZIP形式",
        "pending",   "timer off"}; // no status window of BGA32 is looked for with display off
    EXPECT_EQ(host.events, expected);
}

TEST_F(RunFormatsTest, LibrariesGetTheirCommandLines)
{
    offer({{"LHA", true}, {"CAB", true}, {"BZIP2", true}});
    settings.LHAFreezeType = " 3";
    settings.CABFreezeType = "1";
    settings.CABFreezeLevel = "21 ";
    host.display = false;
    ASSERT_FALSE(RunFormats(ctx));

    const std::string tempBase = state.TempBase;
    const std::string tail = "\" \"" + source + "\" @" + tempBase + ".lst";
    const auto made = calls();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0].program, "Unlha");
    EXPECT_EQ(made[0].arguments.at(0), "a -x1 -r2 -y1 -gm -n -jm3 \"" + tempBase + ".lzh" + tail);
    EXPECT_EQ(made[1].program, "Cab");
    EXPECT_EQ(made[1].arguments.at(0), "-a -r -i -ml:21 \"" + tempBase + ".cab" + tail);
    EXPECT_EQ(made[2].program, "Bga");
    EXPECT_EQ(made[2].arguments.at(0), "a -r -l9 \"" + tempBase + ".bza" + tail);
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "timer on"), 0);
}

TEST_F(RunFormatsTest, DisplayOnLetsLibrariesShowTheirStatus)
{
    offer({{"LHA", true}, {"CAB", true}, {"GZIP", true}});
    host.display = true;
    ASSERT_FALSE(RunFormats(ctx));

    const std::string tail = "\" \"" + source + "\" @" + state.TempBase + ".lst";
    const auto made = calls();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0].arguments.at(0),
              "a -x1 -r2 -y1 -gm -jm2 \"" + state.TempBase + ".lzh" + tail);
    EXPECT_EQ(made[1].arguments.at(0), "-a -r -mz \"" + state.TempBase + ".cab" + tail);
    EXPECT_EQ(made[2].arguments.at(0), "a -r -l9 \"" + state.TempBase + ".gza" + tail);
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "timer on"), 3);
}

TEST_F(RunFormatsTest, EqualSizesKeepTheEarlierFormat)
{
    offer({{"ZIP", true}, {"CAB", true}});
    qputenv(fakes::kSizesEnv, "*=500");
    ASSERT_FALSE(RunFormats(ctx));
    EXPECT_EQ(namesIn(save), std::vector<std::string>{"data.ZIP"});
}

TEST_F(RunFormatsTest, TypedExtensionRunsThatFormatAloneUnderTheTypedName)
{
    offer({{"LHA", false}, {"ZIP", true}});
    request.SingleFormat = "LHA";
    request.FormatCount = 1;
    host.output = "Data.LZH";
    qputenv(fakes::kSizesEnv, "lzh=42");
    ASSERT_FALSE(RunFormats(ctx));
    EXPECT_EQ(namesIn(save), std::vector<std::string>{"Data.LZH"});
    EXPECT_EQ(state.RunReport,
              "FileType:LHA -> FileSize:42Byte\n\nLHA形式で保存しました。\n"
              "保存ファイル:"
                  + save + "Data.LZH");
    ASSERT_EQ(calls().size(), 1u);
}

TEST_F(RunFormatsTest, ExistingDestinationIsReplaced)
{
    writeFile(save + "data.ZIP", std::string(5000, 'x'));
    offer({{"ZIP", true}});
    qputenv(fakes::kSizesEnv, "zip=77");
    ASSERT_FALSE(RunFormats(ctx));
    EXPECT_EQ(platform::fileSize(save + "data.ZIP"), 77);
    EXPECT_EQ(namesIn(save), std::vector<std::string>{"data.ZIP"});
}

class AbandonedRun : public RunFixture {
protected:
    // Every abandoned run ends alike: one message with its reason, nothing saved, no
    // temporary file, the report of the run before kept.
    void expectAbandoned(const std::string &message, const std::string &reason = {})
    {
        ASSERT_TRUE(RunFormats(ctx));
        EXPECT_EQ(host.errors, std::vector<std::string>{message});
        ASSERT_EQ(host.details.size(), 1u);
        EXPECT_EQ(host.details[0], reason);
        EXPECT_TRUE(namesIn(save).empty());
        EXPECT_TRUE(namesIn(tmp).empty());
        EXPECT_EQ(state.RunReport, "the previous report");
    }
};

TEST_F(AbandonedRun, FailingSecondOfThreeFormats)
{
    offer({{"LHA", true}, {"ZIP", true}, {"CAB", true}});
    qputenv(fakes::kFailEnv, "zip");
    expectAbandoned("処理を中止しました",
                    "ZIP: " VEXEL_FAKE_LIB_DIR "zip32j.so: failed on request");
    const auto made = calls();
    ASSERT_EQ(made.size(), 2u); // CAB is never tried
    EXPECT_EQ(made[1].program, "Zip");
}

TEST_F(AbandonedRun, ArchiverThatWritesNothing)
{
    offer({{"GCA", true}});
    qputenv(fakes::kNoArchiveEnv, "gca");
    expectAbandoned("処理を中止しました", "GCA: gcac: exit status 0");
}

TEST_F(AbandonedRun, CancelThroughTheCallback)
{
    offer({{"LHA", true}, {"CAB", true}, {"ZIP", true}});
    qputenv(fakes::kWorkEnv, "cab=20000");
    // The cancel button, pressed while the CAB library works.
    std::thread cancel([this] {
        while (control.CurrentFormat != "CAB")
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        control.CancelRequested = true;
    });
    const auto started = std::chrono::steady_clock::now();
    expectAbandoned("処理を中止しました", "CAB: " VEXEL_FAKE_LIB_DIR "cab32.so: stopped");
    cancel.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(calls().size(), 2u);
}

TEST_F(AbandonedRun, CancelEndingACommandLineArchiver)
{
    offer({{"ZIP", true}, {"ACE", true}, {"RAR", true}});
    qputenv(fakes::kHangEnv, "ace");
    const auto started = std::chrono::steady_clock::now();
    // The cancel button, pressed once ace32 has begun its archive (so that only the
    // cancel, not a missing archive, can fail the format); after 5 s in any case.
    host.onPendingEvents = [this, started] {
        const bool begun = platform::fileExists(state.TempBase + ".ace");
        if (control.ArchiverProcess != 0 && control.CurrentFormat == "ACE"
            && (begun || std::chrono::steady_clock::now() - started > std::chrono::seconds(5)))
            EndArchiverProcess(control);
    };
    expectAbandoned("処理を中止しました", "ACE: stopped by the user");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(control.ArchiverProcess, 0);
    EXPECT_EQ(calls().back().program, "ace32");
}

// A command-line archiver's failure is explained by its exit status and the last lines
// of its error output (its standard output is not part of it).
TEST_F(AbandonedRun, CommandLineArchiverFailureShowsItsErrorOutput)
{
    offer({{"RAR", true}});
    qputenv(fakes::kFailEnv, "rar");
    expectAbandoned("処理を中止しました",
                    "RAR: rar: exit status 1\n"
                    "rar: warning 3\nrar: warning 4\nrar: warning 5\n"
                    "rar: warning 6\nrar: failed on request");
}

TEST_F(AbandonedRun, MissingLibraryIsNamed)
{
    const std::string empty = top + "empty/";
    std::filesystem::create_directories(empty);
    state.Libraries = ArchiverLibraries(platform::SearchPath(empty));
    offer({{"LHA", true}});
    expectAbandoned("処理を中止しました", "LHA: unlha32.dll が見つかりません");
}

TEST_F(AbandonedRun, NoFormatTakesPart)
{
    offer({{"LHA", true}});
    request.SingleFormat = "RAR"; // typed, but not offered by this list
    request.FormatCount = 1;
    expectAbandoned("圧縮する形式がありませんでした");
    EXPECT_TRUE(calls().empty());
}

TEST_F(AbandonedRun, SaveFolderNotWritable)
{
    offer({{"ZIP", true}});
    request.SaveDir = top + "no such folder/";
    ASSERT_TRUE(RunFormats(ctx));
    EXPECT_EQ(host.errors, std::vector<std::string>{"圧縮ファイルを保存できませんでした"});
    ASSERT_EQ(host.details.size(), 1u);
    EXPECT_NE(host.details[0].find(top + "no such folder/data.ZIP"), std::string::npos)
        << host.details[0];
    EXPECT_TRUE(namesIn(tmp).empty());
    EXPECT_EQ(state.RunReport, "the previous report");
}

TEST_F(AbandonedRun, TemporaryFolderCannotBeMade)
{
    offer({{"ZIP", true}});
    qputenv("TMPDIR", QByteArray::fromStdString(top + "missing tmp"));
    ASSERT_TRUE(RunFormats(ctx));
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(namesIn(save).empty());
}

// Names with a blank, a double quote and shell characters reach the command-line
// archivers intact through the generated script; the lookup finds them on PATH.
TEST_F(RunFormatsTest, CommandLineArchiversWithAwkwardNames)
{
    const std::string awkward = top + "it's \"quoted\" $HOME `x`/";
    std::filesystem::create_directories(awkward + "in \"sub\"");
    writeFile(awkward + "a \"b\".txt", "gamma");
    writeFile(awkward + "in \"sub\"/c", "delta");
    request.FileList = {awkward + "a \"b\".txt", awkward + "in \"sub\"/*.*"};
    offer({{"RAR", true}, {"GCA", true}, {"ACE", true}});
    qputenv(fakes::kCheckMembersEnv, "1");
    qputenv(fakes::kSizesEnv, "rar=30,gca=20,ace=10");

    ASSERT_FALSE(RunFormats(ctx)) << (host.errors.empty() ? "" : host.errors.front());
    EXPECT_EQ(namesIn(save), std::vector<std::string>{"data.ACE"});

    const std::string tempBase = state.TempBase;
    const auto made = calls();
    ASSERT_EQ(made.size(), 3u);
    for (const auto &call : made)
        EXPECT_EQ(call.directory + "/", awkward) << call.program;
    EXPECT_EQ(made[0].program, "rar");
    EXPECT_EQ(made[0].arguments,
              (std::vector<std::string>{"a", "-r", tempBase + ".rar", "@" + tempBase + ".kst"}));
    EXPECT_EQ(made[1].program, "gcac");
    EXPECT_EQ(made[1].arguments,
              (std::vector<std::string>{"a", "-o" + tempBase + ".kst", tempBase + ".gca"}));
    EXPECT_EQ(made[2].program, "ace32");
    EXPECT_EQ(made[2].arguments,
              (std::vector<std::string>{"a", "-r", tempBase + ".ace", "@" + tempBase + ".kst"}));
}

// Entries from several folders: every member is found from the common folder.
TEST_F(RunFormatsTest, EntriesOutsideTheFirstEntrysFolder)
{
    std::filesystem::create_directories(top + "other");
    writeFile(top + "other/o.txt", "omega");
    request.FileList = {source + "a b.txt", top + "other/o.txt", source + "sub dir/*.*"};
    offer({{"LHA", true}, {"RAR", true}});
    qputenv(fakes::kCheckMembersEnv, "1");
    ASSERT_FALSE(RunFormats(ctx)) << (host.errors.empty() ? "" : host.errors.front());
    EXPECT_EQ(state.BaseFolder, top);
}

} // namespace
} // namespace vexel
