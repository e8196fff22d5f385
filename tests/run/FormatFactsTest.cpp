// The format table is the one place that knows a format by name: the program's sources
// hold no other literal of the eight entry texts, and the status-window titles are
// written once, in the header the libraries and the program share.
#include "archivers/KryUnPackDec.h"
#include "run/FormatTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace vexel {
namespace {

namespace fs = std::filesystem;

std::string textOf(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every C++ source below the given folders of the source tree.
std::vector<fs::path> sourcesIn(std::initializer_list<const char *> folders)
{
    std::vector<fs::path> files;
    for (const char *folder : folders) {
        const fs::path root = fs::path(VEXEL_SOURCE_DIR) / folder;
        if (!fs::exists(root))
            continue;
        for (const auto &entry : fs::recursive_directory_iterator(root)) {
            const std::string ext = entry.path().extension().string();
            if (entry.is_regular_file() && (ext == ".cpp" || ext == ".h" || ext == ".c"))
                files.push_back(entry.path());
        }
    }
    return files;
}

// Code lines of `files` (except `allowed`) where `pattern` matches, as "path:line: text".
std::vector<std::string> matches(const std::vector<fs::path> &files, const std::regex &pattern,
                                 const std::vector<std::string> &allowed)
{
    std::vector<std::string> found;
    for (const fs::path &file : files) {
        const std::string relative = fs::relative(file, VEXEL_SOURCE_DIR).generic_string();
        if (std::find(allowed.begin(), allowed.end(), relative) != allowed.end())
            continue;
        std::istringstream text(textOf(file));
        int number = 0;
        for (std::string line; std::getline(text, line);) {
            ++number;
            const auto code = line.find_first_not_of(" \t");
            if (code != std::string::npos
                && (line.compare(code, 2, "//") == 0 || line[code] == '*'))
                continue; // a comment may name a format: it decides nothing
            if (std::regex_search(line, pattern))
                found.push_back(relative + ":" + std::to_string(number) + ": " + line);
        }
    }
    return found;
}

std::string joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return text;
}

TEST(FormatFacts, NoFormatNameOutsideTheTable)
{
    const std::regex name("\"(LHA|ZIP|CAB|GZIP|BZIP2|RAR|GCA|ACE)\"");
    const auto found =
        matches(sourcesIn({"run", "config", "mainwnd", "archivers", "platform", "dirtree", "app"}),
                name, {"run/FormatTable.cpp", "run/FormatTable.h"});
    EXPECT_TRUE(found.empty()) << "format names compared outside run/FormatTable:\n"
                               << joined(found);
}

TEST(FormatFacts, StatusTitlesAreDeclaredOnceForLibrariesWatcherAndFakes)
{
    const std::regex title(
        R"((圧縮状況|ZIP32J\.DLL Status|キャビネットファイルを操作しています|BGA32\.DLL Status))");
    const auto found = matches(sourcesIn({"libs", "run", "tests/fakes", "archivers"}), title,
                               {"archivers/KryUnPackDec.h"});
    EXPECT_TRUE(found.empty()) << "status titles written outside KryUnPackDec.h:\n"
                               << joined(found);
}

// What the table says each library is given, and what the watcher looks for.
TEST(FormatFacts, TableHoldsEachLibrarysCallingRules)
{
    const FormatInfo &lha = *findFormat("LHA");
    EXPECT_EQ(lha.entryPrefix, "Unlha");
    EXPECT_EQ(lha.owner, OwnerWindow::ProgressWindow);
    EXPECT_FALSE(lha.timerWhenDisplayOff);
    EXPECT_EQ(lha.statusTitle, KRY_STATUS_TITLE_UNLHA);

    const FormatInfo &zip = *findFormat("ZIP");
    EXPECT_EQ(zip.owner, OwnerWindow::None);
    EXPECT_TRUE(zip.timerWhenDisplayOff);
    EXPECT_EQ(zip.statusTitle, KRY_STATUS_TITLE_ZIP);

    EXPECT_EQ(findFormat("CAB")->statusTitle, KRY_STATUS_TITLE_CAB);
    for (const char *bga : {"GZIP", "BZIP2"}) {
        const FormatInfo &f = *findFormat(bga);
        EXPECT_EQ(f.entryPrefix, "Bga") << bga;
        EXPECT_EQ(f.owner, OwnerWindow::MainWindow) << bga;
        EXPECT_FALSE(f.timerWhenDisplayOff) << bga;
        EXPECT_TRUE(f.statusTitle.empty()) << bga << ": its window is never looked for";
    }
    for (const char *script : {"RAR", "GCA", "ACE"}) {
        const FormatInfo &f = *findFormat(script);
        EXPECT_EQ(f.kind, ArchiverKind::CommandLine) << script;
        EXPECT_TRUE(f.entryPrefix.empty()) << script;
        EXPECT_TRUE(f.statusTitle.empty()) << script;
    }
}

} // namespace
} // namespace vexel
