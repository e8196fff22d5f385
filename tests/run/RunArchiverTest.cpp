// One format's archive: the stale archive, an archiver that cannot be loaded, and the
// callback through which a cancel reaches a library.
#include "FileBytes.h"
#include "RunFixture.h"
#include "archivers/FindArchiver.h"
#include "run/ArchiverCallback.h"
#include "run/ArchiverCommands.h"
#include "run/FormatTable.h"
#include "run/ListFiles.h"

namespace vexel {
namespace {

class RunArchiverTest : public RunFixture {
protected:
    std::string tempBase = tmp + "krytmp";
    FormatResult record;

    std::string reason;

    int run(const std::string &format)
    {
        const FormatInfo *info = findFormat(format);
        const ArchiverOutcome outcome =
            RunArchiver(ctx, format, source, tempBase + std::string(info->typedExtension),
                        tempBase + ".lst", record, tempBase);
        reason = outcome.reason;
        EXPECT_EQ(outcome.result == 0, reason.empty()) << reason;
        return outcome.result;
    }
};

TEST_F(RunArchiverTest, StaleArchiveIsDeletedBeforeTheCall)
{
    writeFile(tempBase + ".lzh", "left over from an earlier run");
    writeFile(tempBase + ".lst", "\"a b.txt\"\n");
    qputenv(fakes::kNoArchiveEnv, "lzh");
    EXPECT_EQ(run("LHA"), 1);
    EXPECT_EQ(reason, "no archive was made: " + tempBase + ".lzh");
    EXPECT_FALSE(platform::fileExists(tempBase + ".lzh"));
    EXPECT_TRUE(record.ArchivePath.empty());
}

TEST_F(RunArchiverTest, MadeArchiveIsRecorded)
{
    writeFile(tempBase + ".lst", "\"a b.txt\"\n");
    qputenv(fakes::kSizesEnv, "gza=321");
    ASSERT_EQ(run("GZIP"), 0);
    EXPECT_EQ(record.ArchivePath, tempBase + ".gza");
    EXPECT_EQ(record.FormatName, "GZIP");
    EXPECT_EQ(record.ArchiveSize, 321);
    EXPECT_EQ(control.CurrentFormat, "GZIP");
    EXPECT_EQ(host.events.back(), "timer off");
}

// The script is the list files' head with the archiver line after it; the archiver is
// the fake rar that the lookup finds on PATH.
TEST_F(RunArchiverTest, ScriptIsTheHeadAndTheArchiverLine)
{
    std::string error;
    ASSERT_TRUE(writeListFiles(tempBase, {source + "a b.txt"}, source, &error)) << error;
    ASSERT_EQ(run("RAR"), 0);
    std::string folder;
    ASSERT_TRUE(FindArchiver("rar.exe", folder, state.Libraries.searchPath()));
    EXPECT_EQ(folder, VEXEL_FAKE_BIN_DIR);
    EXPECT_EQ(bytesOf(tempBase + ".bat"),
              bytesOf(tempBase + ".btt") + archiverScriptLine("RAR", folder, tempBase) + "\n");
    EXPECT_EQ(control.ArchiverProcess, 0);
}

TEST_F(RunArchiverTest, LibraryThatCannotBeLoadedFailsTheFormat)
{
    const std::string broken = top + "broken/";
    std::filesystem::create_directories(broken);
    writeFile(broken + "cab32.so", "not a shared object");
    state.Libraries = ArchiverLibraries(platform::SearchPath(broken));
    EXPECT_EQ(run("CAB"), 1);
    EXPECT_EQ(host.events.back(), "timer off");
    // The loader's own words, naming the file it refused.
    EXPECT_NE(reason.find(broken + "cab32.so"), std::string::npos) << reason;
}

TEST_F(RunArchiverTest, ScriptThatCannotBeWrittenSaysWhy)
{
    tempBase = top + "no such folder/krytmp";
    EXPECT_EQ(run("ACE"), 1);
    EXPECT_NE(reason.find(tempBase + ".bat"), std::string::npos) << reason;
    EXPECT_NE(reason.find("No such file or directory"), std::string::npos) << reason;
}

TEST_F(RunArchiverTest, CommandLineArchiverNotInstalledFails)
{
    qputenv("PATH", "/nonexistent");
    EXPECT_EQ(run("GCA"), 1);
    // The shell's own complaint about the missing program.
    EXPECT_NE(reason.find("gcac: exit status 127\n"), std::string::npos) << reason;
    EXPECT_EQ(control.ArchiverProcess, 0);
}

TEST(ArchiverCallbackTest, AnswersForTheActiveRunOnly)
{
    RunControl control;
    EXPECT_EQ(ArchiverCallback(nullptr, 0, 0, nullptr), 1);
    {
        const ActiveRunControl active(control);
        EXPECT_EQ(ArchiverCallback(nullptr, 0, 0, nullptr), 1);
        control.CancelRequested = true;
        EXPECT_EQ(ArchiverCallback(nullptr, 0, 0, nullptr), 0);
    }
    EXPECT_EQ(ArchiverCallback(nullptr, 0, 0, nullptr), 1);
}

} // namespace
} // namespace vexel
