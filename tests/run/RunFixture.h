// A whole-run setting for the run's tests: a source tree, a save folder and a private
// TMPDIR in a temporary folder, the fake archivers on the lookup's path, and the state
// objects a run works on.
#pragma once

#include "RecordingHost.h"
#include "platform/Files.h"
#include "platform/SearchPath.h"
#include "run/KryArc.h"
#include "tests/fakes/FakeArchiver.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace vexel {

class RunFixture : public ::testing::Test, protected RecordedRun {
protected:
    QTemporaryDir root;
    std::string top = root.path().toStdString() + "/";
    // A blank, a quote and shell characters: the run's own paths must survive them.
    std::string tmp = top + "tmp 'q' $x/";
    std::string source = top + "src dir/";
    std::string save = top + "save/";
    std::string log = top + "fake.log";

    void SetUp() override
    {
        savedPath = qgetenv("PATH");
        std::filesystem::create_directories(tmp);
        std::filesystem::create_directories(source + "sub dir");
        std::filesystem::create_directories(save);
        writeFile(source + "a b.txt", "alpha");
        writeFile(source + "sub dir/inner.txt", "beta");
        qputenv("TMPDIR", QByteArray::fromStdString(tmp));
        qputenv("PATH", QByteArray(VEXEL_FAKE_BIN_DIR) + ":" + savedPath);
        qputenv(fakes::kLogEnv, QByteArray::fromStdString(log));
        state.Libraries = ArchiverLibraries(platform::SearchPath(VEXEL_FAKE_LIB_DIR));

        request.FileList = {source + "a b.txt", source + "sub dir/*.*"};
        request.SaveDir = save;
        state.RunReport = "the previous report";
    }

    void TearDown() override
    {
        for (const char *name :
             {fakes::kLogEnv, fakes::kSizesEnv, fakes::kFailEnv, fakes::kNoArchiveEnv,
              fakes::kWorkEnv, fakes::kHangEnv, fakes::kCheckMembersEnv, "TMPDIR"})
            qunsetenv(name);
        qputenv("PATH", savedPath);
    }

    static void writeFile(const std::string &path, const std::string &text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    // The formats offered in the list, checked as given.
    void offer(std::vector<std::pair<std::string, bool>> formats)
    {
        host.formats = std::move(formats);
        request.FormatCount = 0;
        for (const auto &format : host.formats)
            request.FormatCount += format.second ? 1 : 0;
    }

    static std::vector<std::string> namesIn(const std::string &folder)
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::vector<fakes::FakeCall> calls() const { return fakes::readFakeLog(log); }

private:
    QByteArray savedPath;
};

} // namespace vexel
