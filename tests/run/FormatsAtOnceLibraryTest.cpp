// The five library formats through the real libraries (build/bin), one after another and
// all at once: every temporary archive is the same, byte for byte, and so are the
// report and the saved archive.
#include "RecordingHost.h"
#include "TestTree.h"
#include "platform/SearchPath.h"
#include "run/KryArc.h"

#include <QByteArray>

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace vexel {
namespace {

namespace fs = std::filesystem;

class FormatsAtOnceLibraries : public ::testing::Test, protected RecordedRun {
protected:
    testsupport::TempFolder root;
    std::string source = root.path() + "src/";
    std::string save = root.path() + "save/";
    std::string tmp = root.path() + "tmp/";

    void SetUp() override
    {
        fs::create_directories(tmp);
        fs::create_directories(save);
        fs::create_directories(source + "input");
        testsupport::buildTree(source + "input", testsupport::TreeOptions{false, true});
        qputenv("TMPDIR", QByteArray::fromStdString(tmp));
        state.Libraries = ArchiverLibraries(platform::SearchPath(VEXEL_LIBRARY_DIR));
        host.formats = {
            {"LHA", true}, {"ZIP", true}, {"CAB", true}, {"GZIP", true}, {"BZIP2", true}};
        request.FileList = {source + "input/*.*"};
        request.SaveDir = save;
        request.FormatCount = 5;
    }

    void TearDown() override { qunsetenv("TMPDIR"); }

    struct Made {
        std::map<std::string, std::string> archives; // extension -> bytes
        std::string report, saved;
    };

    // A run with `jobs`; each temporary archive is read when the status-window timer is
    // switched off: after each format one at a time, after the last one all at once.
    Made runWith(int jobs)
    {
        settings.Jobs = jobs;
        Made made;
        host.onStatusWindowTimer = [&](bool on) {
            if (on)
                return;
            for (const char *ext : {".lzh", ".zip", ".cab", ".gza", ".bza"})
                if (fs::exists(state.TempBase + ext))
                    made.archives[ext] = testsupport::readFile(state.TempBase + ext);
        };
        EXPECT_FALSE(RunFormats(ctx)) << (host.details.empty() ? "" : host.details.back());
        host.onStatusWindowTimer = nullptr;
        made.report = state.RunReport;
        for (const auto &entry : fs::directory_iterator(save)) {
            made.saved =
                entry.path().filename().string() + ":" + testsupport::readFile(entry.path());
            fs::remove(entry.path());
        }
        return made;
    }
};

TEST_F(FormatsAtOnceLibraries, AllAtOnceMakesTheSameArchivesAsOneAfterAnother)
{
    const Made inTurn = runWith(1);
    ASSERT_EQ(inTurn.archives.size(), 5u);
    const Made atOnce = runWith(5);
    ASSERT_EQ(atOnce.archives.size(), 5u);
    for (const auto &[ext, bytes] : inTurn.archives)
        EXPECT_TRUE(atOnce.archives.at(ext) == bytes) << ext << " differs";
    EXPECT_EQ(atOnce.report, inTurn.report);
    EXPECT_TRUE(atOnce.saved == inTurn.saved) << "the saved archive differs";
    EXPECT_FALSE(inTurn.saved.empty());
}

} // namespace
} // namespace vexel
