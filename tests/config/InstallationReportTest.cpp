// The installation report: the seven lines, when versions are asked, and the real
// libraries built beside the program.
#include "config/InstallationReport.h"
#include "config/KryOpr.h"
#include "platform/SearchPath.h"

#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

using namespace vexel;

namespace {

// A version query that records its calls and answers from a table.
struct RecordingQuery {
    std::vector<std::pair<std::string, std::string>> calls; // archiver file, entry prefix
    std::map<std::string, std::uint16_t> versions;          // by archiver file
    std::map<std::string, std::string> failures;            // archiver file -> reason

    LibraryVersionQuery query()
    {
        return [this](const std::string &file, const std::string &prefix,
                      std::string *error) -> std::optional<std::uint16_t> {
            calls.emplace_back(file, prefix);
            if (auto failure = failures.find(file); failure != failures.end()) {
                *error = failure->second;
                return std::nullopt;
            }
            return versions.at(file);
        };
    }
};

ArchiverAvailability everythingFound()
{
    ArchiverAvailability a;
    a.LHAAvailable = a.ZIPAvailable = a.CABAvailable = a.BGAAvailable = true;
    a.ACEAvailable = a.RARAvailable = a.GCAAvailable = true;
    return a;
}

// The lookup from `programFolder`, with PATH set to `path` while it lives.
struct ScopedLookup {
    ScopedLookup(const std::string &programFolder, const std::string &path)
        : searchPath(programFolder), oldPath_(std::getenv("PATH") ? std::getenv("PATH") : "")
    {
        ::setenv("PATH", path.c_str(), 1);
    }
    ~ScopedLookup() { ::setenv("PATH", oldPath_.c_str(), 1); }
    const platform::SearchPath searchPath;
    std::string oldPath_;
};

} // namespace

TEST(InstallationReport, VersionsAreTheWholePartAndTwoDigits)
{
    EXPECT_EQ(libraryVersionText(139), "1.39");
    EXPECT_EQ(libraryVersionText(105), "1.05");
    EXPECT_EQ(libraryVersionText(3), "0.03");
    EXPECT_EQ(libraryVersionText(0), "0.00");
    EXPECT_EQ(libraryVersionText(100), "1.00");
    EXPECT_EQ(libraryVersionText(1234), "12.34");
    EXPECT_EQ(libraryVersionText(65535), "655.35");
}

TEST(InstallationReport, EveryArchiverFoundGivesSevenLinesAndFourVersionCalls)
{
    RecordingQuery fake;
    fake.versions = {
        {"unlha32.dll", 139}, {"ZIP32J.DLL", 105}, {"cab32.dll", 3}, {"bga32.dll", 2000}};
    EXPECT_EQ(installationReport(everythingFound(), fake.query()),
              "UNLHA32.DLL - Version 1.39\n"
              "ZIP32J.DLL - Version 1.05\n"
              "CAB32.DLL - Version 0.03\n"
              "BGA32.DLL - Version 20.00\n"
              "ACE32.EXE - Installed.\n"
              "RAR.EXE - Installed.\n"
              "GCAC.EXE - Installed.\n");
    const std::vector<std::pair<std::string, std::string>> expected = {{"unlha32.dll", "Unlha"},
                                                                       {"ZIP32J.DLL", "Zip"},
                                                                       {"cab32.dll", "Cab"},
                                                                       {"bga32.dll", "Bga"}};
    EXPECT_EQ(fake.calls, expected);
}

TEST(InstallationReport, NoArchiverGivesSevenNotInstalledLinesAndNoCall)
{
    RecordingQuery fake;
    EXPECT_EQ(installationReport(ArchiverAvailability{}, fake.query()),
              "UNLHA32.DLL - Not Installed.\n"
              "ZIP32J.DLL - Not Installed.\n"
              "CAB32.DLL - Not Installed.\n"
              "BGA32.DLL - Not Installed.\n"
              "ACE32.EXE - Not Installed.\n"
              "RAR.EXE - Not Installed.\n"
              "GCAC.EXE - Not Installed.\n");
    EXPECT_TRUE(fake.calls.empty());
}

// ZIP needs both zip32j and its engine zip32: with the engine missing, ZIP counts as not
// installed and zip32j is never asked.
TEST(InstallationReport, Zip32jWithoutZip32IsNotInstalledAndNotAsked)
{
    const std::set<std::string> present = {"ZIP32J.DLL", "bga32.dll", "rar.exe"};
    const ArchiverAvailability found =
        DiscoverArchivers([&](const std::string &name) { return present.count(name) > 0; });
    RecordingQuery fake;
    fake.versions = {{"bga32.dll", 42}};
    EXPECT_EQ(installationReport(found, fake.query()),
              "UNLHA32.DLL - Not Installed.\n"
              "ZIP32J.DLL - Not Installed.\n"
              "CAB32.DLL - Not Installed.\n"
              "BGA32.DLL - Version 0.42\n"
              "ACE32.EXE - Not Installed.\n"
              "RAR.EXE - Installed.\n"
              "GCAC.EXE - Not Installed.\n");
    ASSERT_EQ(fake.calls.size(), 1u);
    EXPECT_EQ(fake.calls[0].first, "bga32.dll");
}

// A library that was found but does not load says why, on its own line.
TEST(InstallationReport, AFoundLibraryThatDoesNotLoadGivesItsReason)
{
    RecordingQuery fake;
    fake.versions = {{"unlha32.dll", 100}, {"ZIP32J.DLL", 100}, {"bga32.dll", 100}};
    fake.failures = {{"cab32.dll", "cab32.so: invalid ELF header\nsecond line"}};
    const std::string report = installationReport(everythingFound(), fake.query());
    EXPECT_NE(report.find("\nCAB32.DLL - Not Loaded: cab32.so: invalid ELF header second line\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 7);
    EXPECT_NE(report.find("\nBGA32.DLL - Version 1.00\n"), std::string::npos);
}

// The program's query against the libraries built beside it: each answers the version
// its own GetVersion entry returns.
TEST(InstallationReport, TheProgramsQueryAsksTheBuiltLibraries)
{
    QTemporaryDir empty;
    ScopedLookup lookup(VEXEL_BIN_DIR "/", empty.path().toStdString());
    ArchiverLibraries loaded(lookup.searchPath);
    const LibraryVersionQuery query = loadedLibraryVersion(loaded);
    const std::tuple<const char *, const char *, const char *> libraries[] = {
        {"unlha32.dll", "Unlha", "unlha32.so"},
        {"ZIP32J.DLL", "Zip", "zip32j.so"},
        {"cab32.dll", "Cab", "cab32.so"},
        {"bga32.dll", "Bga", "bga32.so"}};
    for (auto [file, prefix, mapped] : libraries) {
        QLibrary direct(QStringLiteral(VEXEL_BIN_DIR "/") + QString::fromLatin1(mapped));
        auto getVersion = reinterpret_cast<std::uint16_t (*)()>(
            direct.resolve((std::string(prefix) + "GetVersion").c_str()));
        ASSERT_NE(getVersion, nullptr) << mapped << ": " << direct.errorString().toStdString();
        std::string error;
        const std::optional<std::uint16_t> version = query(file, prefix, &error);
        ASSERT_TRUE(version) << file << ": " << error;
        EXPECT_EQ(*version, getVersion()) << file;
        EXPECT_GT(*version, 0) << file;
    }
}

TEST(InstallationReport, TheProgramsQueryReportsALibraryThatIsNotThere)
{
    QTemporaryDir empty;
    ScopedLookup lookup(empty.path().toStdString() + "/", empty.path().toStdString());
    std::string error;
    ArchiverLibraries loaded(lookup.searchPath);
    EXPECT_FALSE(loadedLibraryVersion(loaded)("cab32.dll", "Cab", &error));
    EXPECT_NE(error.find("cab32.dll"), std::string::npos) << error;
}

// A file that the lookup finds but that is no library: the report says so instead of
// taking the program down or showing a version.
TEST(InstallationReport, AFoundFileThatIsNoLibraryIsReportedWithTheLoadersReason)
{
    QTemporaryDir folder;
    {
        QFile fake(folder.path() + "/cab32.so");
        ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
        fake.write("not a shared object");
    }
    ScopedLookup lookup(folder.path().toStdString() + "/", folder.path().toStdString());
    const ArchiverAvailability found = DiscoverArchivers(lookup.searchPath);
    ASSERT_TRUE(found.CABAvailable);
    ArchiverLibraries loaded(lookup.searchPath);
    const std::string report = installationReport(found, loadedLibraryVersion(loaded));
    const std::string expectedStart = "UNLHA32.DLL - Not Installed.\n"
                                      "ZIP32J.DLL - Not Installed.\n"
                                      "CAB32.DLL - Not Loaded: ";
    EXPECT_EQ(report.substr(0, expectedStart.size()), expectedStart) << report;
    EXPECT_NE(report.find("cab32.so"), std::string::npos) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 7) << report;
}
