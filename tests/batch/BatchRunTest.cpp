// The batch mode as a user runs it: the built program, no display, exit statuses,
// standard output and error, what is saved and what is left behind.
#include "BatchFixture.h"
#include "RecordingHost.h"
#include "platform/Files.h"
#include "platform/SearchPath.h"
#include "run/KryArc.h"
#include "tests/fakes/FakeArchiver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>

namespace vexel::test {
namespace {

using namespace std::chrono_literals;
using BatchRun = BatchFixture;

// The same files through the run core in this process (the window's road without its
// windows), with the real libraries: the sizes a window run would report.
std::vector<FormatResult> coreRun(const std::string &folderEntry, const std::string &save,
                                  const std::string &tmp, const RunSettings &settings,
                                  const std::vector<std::string> &formats)
{
    RecordingHost host;
    for (const std::string &format : formats)
        host.formats.emplace_back(format, true);
    RunRequest request{{folderEntry}, save, "", int(formats.size())};
    RunControl control;
    RunState state;
    RunContext ctx{host, settings, request, control, state};
    const std::string directory = platform::currentDirectory();
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(tmp));
    state.Libraries = ArchiverLibraries(platform::SearchPath(VEXEL_BIN_DIR));
    const bool abandoned = RunFormats(ctx);
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
    platform::setCurrentDirectory(directory);
    EXPECT_FALSE(abandoned) << (host.errors.empty() ? "" : host.errors.front());
    return {state.Results.begin() + 1, state.Results.end()};
}

TEST_F(BatchRun, MakesTheSameArchivesAsTheCoreForTheStoredSettings)
{
    // Stored: ZIP level 1, LZX 16 for CAB, GZIP unticked.
    // Jobs 1: one after another, so that the progress lines are the window's texts.
    storeSettings("[Kry]\nZIPFreezeLevel= 1\nCABFreezeType=1\nCABFreezeLevel=16\n"
                  "FT_Chk_NA_GZIP=False\nJobs=1\n");
    RunSettings settings;
    settings.ZIPFreezeLevel = "1";
    settings.CABFreezeType = "1";
    settings.CABFreezeLevel = "16";
    std::filesystem::create_directories(top + "coresave/");
    const auto core =
        coreRun(source + "*.*", top + "coresave/", tmp, settings, {"LHA", "ZIP", "CAB", "BZIP2"});
    ASSERT_EQ(core.size(), 4u);

    const ChildResult result = run({"--batch", "--json", "-o", "data", "-d", "save", "src"});
    ASSERT_EQ(result.status, 0) << result.err;
    const QJsonObject report =
        QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).object();
    const QJsonArray formats = report.value("formats").toArray();
    ASSERT_EQ(formats.size(), 4) << result.out;
    std::size_t winner = 0;
    for (std::size_t i = 0; i < core.size(); ++i) {
        const QJsonObject entry = formats.at(qsizetype(i)).toObject();
        EXPECT_EQ(entry.value("format").toString().toStdString(), core[i].FormatName);
        EXPECT_EQ(entry.value("size").toInteger(), core[i].ArchiveSize) << core[i].FormatName;
        if (core[i].ArchiveSize < core[winner].ArchiveSize)
            winner = i;
    }
    EXPECT_EQ(report.value("winner").toString().toStdString(), core[winner].FormatName);
    const std::string saved = report.value("saved").toString().toStdString();
    EXPECT_EQ(namesIn(save), std::vector<std::string>{std::filesystem::path(saved).filename()});
    EXPECT_EQ(platform::fileSize(saved), core[winner].ArchiveSize);
    EXPECT_TRUE(namesIn(tmp).empty());
    // One progress line per format, the window's texts.
    EXPECT_NE(result.err.find("1/4 ファイルを圧縮しています － LHA形式\n"), std::string::npos);
    EXPECT_NE(result.err.find("4/4 ファイルを圧縮しています － BZIP2形式\n"), std::string::npos);

    // All four at once: the very same sizes, winner and saved archive.
    std::filesystem::remove(saved);
    const ChildResult atOnce =
        run({"--batch", "--json", "-j", "4", "-o", "data", "-d", "save", "src"});
    ASSERT_EQ(atOnce.status, 0) << atOnce.err;
    EXPECT_EQ(atOnce.out, result.out);
    EXPECT_NE(atOnce.err.find("0/4 ファイルを圧縮しています － LHA・ZIP・CAB・BZIP2形式\n"),
              std::string::npos)
        << atOnce.err;
    EXPECT_EQ(platform::fileSize(saved), core[winner].ArchiveSize);
    EXPECT_TRUE(namesIn(tmp).empty());
}

TEST_F(BatchRun, ChosenFormatsOverrideTheStoredTicks)
{
    storeSettings("[Kry]\nFT_Chk_NA_ZIP=False\n");
    const ChildResult result = run({"--batch", "-o", "two", "--formats", "zip,BZIP2", "src"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find("FileType:ZIP -> FileSize:"), 0u) << result.out;
    EXPECT_NE(result.out.find("\nFileType:BZIP2 -> FileSize:"), std::string::npos);
    EXPECT_EQ(result.out.find("LHA"), std::string::npos);
    EXPECT_NE(result.out.find("保存ファイル:" + top + "two."), std::string::npos);
    const std::vector<std::string> saved = namesIn(top);
    EXPECT_TRUE(std::count(saved.begin(), saved.end(), "two.ZIP")
                    + std::count(saved.begin(), saved.end(), "two.bza")
                == 1);
}

TEST_F(BatchRun, TypedCabinetNameMakesThatFormatAloneUnderTheNameAsTyped)
{
    const ChildResult result = run({"--batch", "-o", "Backup.Cab", "-d", "save", "-f", "ZIP",
                                    "--cab", "lzx:21", "--", "src/-dash.txt", "src/sub dir"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(namesIn(save), std::vector<std::string>{"Backup.Cab"});
    EXPECT_EQ(result.out.rfind("FileType:CAB -> FileSize:", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("\n\nCAB形式で保存しました。\n保存ファイル:" + save + "Backup.Cab\n"),
              std::string::npos)
        << result.out;
    const ChildResult listing = [&] {
        VexelChild sevenZip("/usr/bin/7zz", {"t", save + "Backup.Cab"}, env, top, capture);
        return sevenZip.wait();
    }();
    EXPECT_EQ(listing.status, 0) << listing.out;
}

TEST_F(BatchRun, JsonKeepsTheExactBytesOfANameThatIsNotUtf8)
{
    const std::string name = "out\xff";
    const ChildResult result = run({"--batch", "--json", "-q", "-o", name, "-f", "GZIP", "src"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err; // -q: no progress lines
    const QJsonObject report =
        QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).object();
    const QByteArray bytes =
        QByteArray::fromBase64(report.value("saved_base64").toString().toLatin1());
    EXPECT_EQ(bytes.toStdString(), top + name + ".gza");
    EXPECT_GT(platform::fileSize(top + name + ".gza"), 0);
}

TEST_F(BatchRun, UsageErrorsExitWithTwoAndMakeNothing)
{
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--batch", "src"}, "needs an output name: -o NAME"},
        {{"--batch", "-o", "x"}, "no files or folders to archive were named"},
        {{"--batch", "-o", "x", "src", "missing"}, "'missing': no such file or folder"},
        {{"--batch", "-o", "x", "-d", "nowhere", "src"}, "'nowhere': no such folder"},
        {{"--batch", "-o", "x", "--zip-level", "10", "src"},
         "--zip-level takes a level from 1 to 9"},
        {{"--batch", "-o", "x", "--bga-level", "", "src"}, "--bga-level takes a level from 1 to 9"},
        {{"--batch", "-o", "x", "--lha", "lh8", "src"}, "--lha takes lh5, lh6 or lh7"},
        {{"--batch", "-o", "x", "--cab", "lzx:22", "src"}, "--cab takes mszip or lzx:15"},
        {{"--batch", "-o", "x", "-f", "ZIP,TAR", "src"}, "unknown format 'TAR'"},
        {{"--batch", "-o", "x", "--bogus", "src"}, "Unknown option 'bogus'"},
        {{"--batch", "-o", "sub/x", "src"}, "must be a file name without '/'"},
        {{"--batch", "src", "-o"}, "Missing value after '-o'"},
        {{"-o", "x", "src"}, "--output needs --batch"},
    };
    for (const auto &c : cases) {
        const ChildResult result = run(c.args);
        EXPECT_EQ(result.status, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty()) << c.message;
    }
    EXPECT_TRUE(namesIn(save).empty());
    EXPECT_TRUE(namesIn(tmp).empty());
    EXPECT_EQ(namesIn(top).size(), 6u); // src save tmp config capture home: nothing new
}

TEST_F(BatchRun, RefusedRunsExitWithOneAndTheWindowsMessage)
{
    ChildResult result = run({"--batch", "-o", "x.rar", "src"}); // no rar on PATH
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "vexel: 必要な実行ファイル(RAR.EXE)が存在しないためRAR形式では圧縮できません\n");

    result = run({"--batch", "-o", "x", "-f", "RAR,ACE", "src"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("vexel: チェックする圧縮形式がひとつも存在しません\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("RAR: its archiver was not found"), std::string::npos);
    EXPECT_TRUE(result.out.empty());
    EXPECT_TRUE(namesIn(tmp).empty());
    EXPECT_EQ(namesIn(top).size(), 6u);
}

TEST_F(BatchRun, AFailingArchiverEndsTheRunWithOneAndSavesNothing)
{
    env["PATH"] = std::string(VEXEL_FAKE_BIN_DIR) + ":/usr/bin:/bin";
    env["VEXEL_FAKE_FAIL"] = "rar";
    const ChildResult result = run({"--batch", "-o", "x", "-f", "ZIP,RAR", "-d", "save", "src"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("vexel: 処理を中止しました\n"), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty());
    EXPECT_TRUE(namesIn(save).empty());
    EXPECT_TRUE(namesIn(tmp).empty());
}

TEST_F(BatchRun, HelpAndVersionNeedNoDisplay)
{
    ChildResult result = run({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, std::string("vexel ") + VEXEL_VERSION_TEXT + "\n");
    result = run({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("vexel --batch -o NAME"), std::string::npos);
}

// Whether any process still has `text` on its command line.
bool processMentions(const std::string &text)
{
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        const std::string line{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        if (line.find(text) != std::string::npos)
            return true;
    }
    return false;
}

// Waits until `predicate` holds, up to `limit`.
template <typename Predicate>
bool eventually(Predicate predicate, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// Interrupts the run and checks that it ends abandoned within `bound`: exit status 130
// and the run's message on standard error.
ChildResult interruptAndExpectAbandoned(VexelChild &child, std::chrono::seconds bound)
{
    const auto sent = std::chrono::steady_clock::now();
    child.signal(SIGINT);
    const ChildResult result = child.wait(10s);
    const auto took = std::chrono::steady_clock::now() - sent;
    EXPECT_EQ(result.status, 130) << result.err;
    EXPECT_LT(took, bound);
    EXPECT_NE(result.err.find("vexel: 処理を中止しました\n"), std::string::npos) << result.err;
    return result;
}

TEST_F(BatchRun, InterruptDuringALongLzxRunStopsItAndLeavesNothing)
{
    writeFile(source + "big/large.txt", corpusText(24 << 20, 9));
    VexelChild child(VEXEL_PROGRAM,
                     {"--batch", "-o", "big.cab", "--cab", "lzx:21", "-d", "save", "src/big"}, env,
                     top, capture);
    ASSERT_TRUE(child.started());
    // The library is at work once the progress line is out and its temporary archive exists.
    ASSERT_TRUE(
        eventually([&] { return child.errSoFar().find("1/1 ") != std::string::npos; }, 30s));
    std::this_thread::sleep_for(300ms);
    const ChildResult result = interruptAndExpectAbandoned(child, 2s);
    EXPECT_TRUE(result.out.empty());
    EXPECT_TRUE(namesIn(save).empty());
    EXPECT_TRUE(namesIn(tmp).empty());
}

// ZIP's library registers no callback, so a cancel cannot reach it: the program gives it
// a moment, then removes the run folder and ends. A copy of the program beside the fake
// libraries, whose ZIP works 60 s, shows it.
TEST_F(BatchRun, InterruptEndsALibraryThatCannotHearIt)
{
    const std::string bin = top + "bin/";
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file(VEXEL_PROGRAM, bin + "vexel");
    for (const char *library : {"unlha32.so", "zip32.so", "zip32j.so", "cab32.so", "bga32.so"})
        std::filesystem::create_symlink(std::string(VEXEL_FAKE_LIB_DIR) + library, bin + library);
    env["VEXEL_FAKE_WORK_MS"] = "zip=60000";
    VexelChild child(bin + "vexel", {"--batch", "-o", "x.zip", "-d", "save", "src"}, env, top,
                     capture);
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(
        eventually([&] { return child.errSoFar().find("1/1 ") != std::string::npos; }, 30s));
    std::this_thread::sleep_for(200ms);
    interruptAndExpectAbandoned(child, 3s);
    EXPECT_TRUE(namesIn(save).empty());
    EXPECT_TRUE(namesIn(tmp).empty());
}

// A copy of the program beside the fake libraries, so that a test can steer them.
std::string programBesideTheFakes(const std::string &top)
{
    const std::string bin = top + "bin/";
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file(VEXEL_PROGRAM, bin + "vexel");
    for (const char *library : {"unlha32.so", "zip32.so", "zip32j.so", "cab32.so", "bga32.so"})
        std::filesystem::create_symlink(std::string(VEXEL_FAKE_LIB_DIR) + library, bin + library);
    return bin + "vexel";
}

// The stored "Jobs" makes formats at once; -j overrides it.
TEST_F(BatchRun, StoredJobsAndTheJobsOptionChooseHowManyRunAtOnce)
{
    const std::string program = programBesideTheFakes(top);
    const auto runProgram = [&](const std::string &path, const std::vector<std::string> &args) {
        VexelChild child(path, args, env, top, capture);
        EXPECT_TRUE(child.started());
        return child.wait();
    };
    env["VEXEL_FAKE_WORK_MS"] = "lzh=300,cab=300";
    storeSettings("[Kry]\nJobs=2\n");
    ChildResult result =
        runProgram(program, {"--batch", "-o", "x", "-f", "LHA,CAB", "-d", "save", "src"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("0/2 ファイルを圧縮しています － LHA・CAB形式\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(namesIn(save), std::vector<std::string>{"x.lzh"});
    std::filesystem::remove(save + "x.lzh");

    result = runProgram(program,
                        {"--batch", "-o", "x", "-j", "1", "-f", "LHA,CAB", "-d", "save", "src"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("1/2 ファイルを圧縮しています － LHA形式\n"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("2/2 ファイルを圧縮しています － CAB形式\n"), std::string::npos)
        << result.err;
    EXPECT_TRUE(namesIn(tmp).empty());
}

// An interrupt while two libraries and a command-line archiver work at once stops them
// all: the program ends with 130, nothing saved, nothing left, no archiver living on.
TEST_F(BatchRun, InterruptStopsEveryFormatRunningAtOnce)
{
    const std::string program = programBesideTheFakes(top);
    const std::string log = top + "fake.log";
    env["PATH"] = std::string(VEXEL_FAKE_BIN_DIR) + ":/usr/bin:/bin";
    env["VEXEL_FAKE_WORK_MS"] = "lzh=60000,cab=60000";
    env["VEXEL_FAKE_HANG"] = "rar";
    env["VEXEL_FAKE_LOG"] = log;
    VexelChild child(program,
                     {"--batch", "-o", "x", "-j", "3", "-f", "LHA,CAB,RAR", "-d", "save", "src"},
                     env, top, capture);
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(eventually(
        [&] { return processMentions(tmp) && fakes::readFakeLog(log).size() == 3; }, 30s));
    interruptAndExpectAbandoned(child, 3s);
    EXPECT_TRUE(eventually([&] { return !processMentions(tmp); }, 5s)) << "an archiver lives on";
    EXPECT_TRUE(namesIn(save).empty());
    EXPECT_TRUE(namesIn(tmp).empty());
}

TEST_F(BatchRun, TerminateEndsAHangingCommandLineArchiver)
{
    const std::string log = top + "fake.log";
    env["PATH"] = std::string(VEXEL_FAKE_BIN_DIR) + ":/usr/bin:/bin";
    env["VEXEL_FAKE_HANG"] = "rar";
    env["VEXEL_FAKE_LOG"] = log;
    VexelChild child(VEXEL_PROGRAM, {"--batch", "-o", "x", "-f", "RAR,ZIP", "-d", "save", "src"},
                     env, top, capture);
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(log); }, 30s));
    EXPECT_TRUE(processMentions(tmp));
    child.signal(SIGTERM);
    const ChildResult result = child.wait(10s);
    EXPECT_EQ(result.status, 130) << result.err;
    EXPECT_NE(result.err.find("vexel: 処理を中止しました\n"), std::string::npos) << result.err;
    EXPECT_TRUE(eventually([&] { return !processMentions(tmp); }, 5s)) << "the archiver lives on";
    EXPECT_TRUE(namesIn(save).empty());
    EXPECT_TRUE(namesIn(tmp).empty());
}

} // namespace
} // namespace vexel::test
