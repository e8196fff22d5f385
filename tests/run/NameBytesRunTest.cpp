// Whole runs through the real archiver libraries (build/bin), each format's saved archive
// read back by a reader that is not Vexel's: names that are not UTF-8 keep their exact
// bytes, valid UTF-8 names keep their flag, links follow one rule, and what a format
// cannot hold is refused by name.
#include "BgaReader.h"
#include "RecordingHost.h"
#include "TestTree.h"
#include "platform/Files.h"
#include "platform/SearchPath.h"
#include "run/KryArc.h"

#include <QByteArray>

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace vexel {
namespace {

namespace fs = std::filesystem;
using testsupport::python3;
using testsupport::runCommand;
using testsupport::shellQuote;
using testsupport::writeFile;

// Relative name -> contents, or "<folder>" for a folder.
using Tree = std::map<std::string, std::string>;
const std::string kFolder = "<folder>";

const std::string kBadFile = "bad\xff\xfe.txt";
const std::string kLatinFolder = "d\xe9j\xe0"; // Latin-1, not UTF-8
const std::string kLatinFile = kLatinFolder + "/in\xe9.txt";

Tree scan(const std::string &folder)
{
    Tree tree;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().native().substr(folder.size());
        tree[name] = entry.is_directory() ? kFolder : testsupport::readFile(entry.path().native());
    }
    return tree;
}

Tree withoutFolders(Tree tree)
{
    std::erase_if(tree, [](const auto &entry) { return entry.second == kFolder; });
    return tree;
}

std::string hex(const std::string &bytes)
{
    std::ostringstream out;
    for (const unsigned char c : bytes)
        out << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    return out.str();
}

class NameBytesRun : public ::testing::Test, protected RecordedRun {
protected:
    testsupport::TempFolder root;
    // The base folder too: its bytes, a blank and quotes travel through the command line.
    std::string source = root.path() + "src \xff\"q\"/";
    std::string save = root.path() + "save/";
    std::string tmp = root.path() + "tmp/";

    // The tree every format must give back: the files of the list with their exact name
    // bytes, and the linked tree as the link rule has it (links followed under their
    // own names; the loop "up" and the dangling link left out).
    Tree expected = {{"ok.txt", "ok"},          {kBadFile, "ff"},
                     {kLatinFolder, kFolder},   {kLatinFile, "latin"},
                     {"日本.txt", "jp"},        {"P", kFolder},
                     {"P/5.36", kFolder},       {"P/5.36/lib.pm", "perl"},
                     {"P/5.36.0", kFolder},     {"P/5.36.0/lib.pm", "perl"},
                     {"P/file link", "perl"},   {"P/outside", kFolder},
                     {"P/outside/o.txt", "out"}};

    void SetUp() override
    {
        savedDirectory = platform::currentDirectory();
        fs::create_directories(save);
        fs::create_directories(tmp);
        writeFile(source + "ok.txt", "ok");
        writeFile(source + kBadFile, "ff");
        fs::create_directories(source + kLatinFolder);
        writeFile(source + kLatinFile, "latin");
        writeFile(source + "日本.txt", "jp");
        writeFile(source + "P/5.36.0/lib.pm", "perl");
        writeFile(root.path() + "outside/o.txt", "out");
        fs::create_directory_symlink("5.36.0", source + "P/5.36");
        fs::create_symlink("5.36.0/lib.pm", source + "P/file link");
        fs::create_directory_symlink(root.path() + "outside", source + "P/outside");
        fs::create_symlink("nowhere", source + "P/dangling");
        fs::create_directory_symlink("..", source + "P/5.36.0/up");
        qputenv("TMPDIR", QByteArray::fromStdString(tmp));
        state.Libraries = ArchiverLibraries(platform::SearchPath(VEXEL_LIBRARY_DIR));
        request.FileList = {source + "ok.txt", source + kBadFile, source + kLatinFolder + "/*.*",
                            source + "日本.txt", source + "P/*.*"};
        request.SaveDir = save;
    }

    void TearDown() override
    {
        qunsetenv("TMPDIR");
        platform::setCurrentDirectory(savedDirectory);
    }

    // Runs one format alone; the saved archive's path, or "" when the run was abandoned.
    std::string runFormat(const std::string &format, const std::string &savedExtension)
    {
        host.formats = {{format, true}};
        host.output = "data";
        request.FormatCount = 1;
        if (RunFormats(ctx))
            return {};
        EXPECT_TRUE(host.errors.empty());
        return save + "data" + savedExtension;
    }

    std::string extractInto(const std::string &command)
    {
        const std::string out = root.path() + "out/";
        fs::remove_all(out);
        fs::create_directories(out);
        std::string output;
        EXPECT_EQ(runCommand("cd " + shellQuote(out) + " && " + command, &output), 0) << output;
        return out;
    }

    // The walk's warnings reach the library's output text: the loop twice (under both
    // names of the linked folder) and the dangling link.
    void expectLinkWarnings()
    {
        EXPECT_NE(state.ArchiverMessage.find("P/5.36/up"), std::string::npos)
            << state.ArchiverMessage;
        EXPECT_NE(state.ArchiverMessage.find("P/5.36.0/up"), std::string::npos)
            << state.ArchiverMessage;
        EXPECT_NE(state.ArchiverMessage.find("P/dangling"), std::string::npos)
            << state.ArchiverMessage;
    }

private:
    std::string savedDirectory;
};

TEST_F(NameBytesRun, LhaKeepsEveryNameByteForLhasa)
{
    const std::string archive = runFormat("LHA", ".lzh");
    ASSERT_FALSE(archive.empty()) << host.errors.at(0);
    expectLinkWarnings();
    const std::string out = extractInto("lhasa xqf " + shellQuote(archive));
    EXPECT_EQ(scan(out), expected);
}

// Python's zipfile gives each entry's raw name bytes and flag; unzip tests the data
// and lists the raw names too.
TEST_F(NameBytesRun, ZipFlagsOnlyValidUtf8AndKeepsTheOtherBytes)
{
    const std::string archive = runFormat("ZIP", ".ZIP");
    ASSERT_FALSE(archive.empty()) << host.errors.at(0);
    expectLinkWarnings();
    const std::string script =
        "import sys, zipfile\n"
        "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
        "    utf8 = bool(i.flag_bits & 0x800)\n"
        "    raw = i.filename.encode('utf-8' if utf8 else 'cp437')\n"
        "    data = b'' if i.is_dir() else zipfile.ZipFile(sys.argv[1]).read(i)\n"
        "    print(int(utf8), raw.rstrip(b'/').hex(), data.hex() if not i.is_dir() else '-')\n";
    std::string listing;
    ASSERT_EQ(
        runCommand(python3() + " -c " + shellQuote(script) + " " + shellQuote(archive), &listing),
        0)
        << listing;
    // Keyed by the raw name's hex: the archive keeps the walk's order, not the map's.
    std::map<std::string, std::string> lines, wanted;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);)
        lines[line.substr(2, line.find(' ', 2) - 2)] = line;
    for (const auto &[name, contents] : expected)
        wanted[hex(name)] = std::string(name == "日本.txt" ? "1 " : "0 ") + hex(name) + " "
            + (contents == kFolder ? "-" : hex(contents));
    EXPECT_EQ(lines, wanted);
    std::string output;
    EXPECT_EQ(runCommand("unzip -tq " + shellQuote(archive), &output), 0) << output;
}

// cabextract tests and extracts every file; the names and their flags are also read
// from the CFFILE entries directly.
TEST_F(NameBytesRun, CabFlagsOnlyValidUtf8AndKeepsTheOtherBytes)
{
    const std::string archive = runFormat("CAB", ".CAB");
    ASSERT_FALSE(archive.empty()) << host.errors.at(0);
    std::string output;
    EXPECT_EQ(runCommand("cabextract -t " + shellQuote(archive), &output), 0) << output;
    EXPECT_NE(output.find("All done, no errors"), std::string::npos) << output;

    const std::string bytes = testsupport::readFile(archive);
    const auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])
                                     | static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    std::map<std::string, bool> names; // stored name ("\" turned back into "/") -> UTF-8 flag
    std::size_t at = u32(0x10);
    for (unsigned i = 0; i < u16(0x1C); ++i) {
        std::string name(bytes.c_str() + at + 16);
        std::replace(name.begin(), name.end(), '\\', '/');
        names[name] = (u16(at + 14) & 0x80) != 0;
        at += 16 + name.size() + 1;
    }
    std::map<std::string, bool> wanted;
    for (const auto &[name, contents] : withoutFolders(expected)) // a cabinet holds no folders
        wanted[name] = name == "日本.txt";
    EXPECT_EQ(names, wanted);

    // Extracted by cabextract, every file comes back with its exact name and contents.
    const std::string out = extractInto("cabextract -q " + shellQuote(archive));
    EXPECT_EQ(withoutFolders(scan(out)), withoutFolders(expected));
}

// The GZA/BZA reader of the tests reads the raw name parts and decodes every member.
TEST_F(NameBytesRun, GzaAndBzaKeepEveryNameByte)
{
    for (const auto &[format, extension] :
         {std::pair{"GZIP", ".gza"}, std::pair{"BZIP2", ".bza"}}) {
        SCOPED_TRACE(format);
        const std::string archive = runFormat(format, extension);
        ASSERT_FALSE(archive.empty()) << host.errors.at(0);
        std::vector<testsupport::BgaEntry> entries;
        std::string error;
        ASSERT_TRUE(testsupport::listBga(archive, &entries, &error)) << error;
        Tree tree;
        for (const testsupport::BgaEntry &e : entries) {
            std::string name = e.rawFolderPart + e.rawFilePart;
            std::replace(name.begin(), name.end(), '\\', '/');
            if (e.isFolder) {
                name.pop_back();
                tree[name] = kFolder;
                continue;
            }
            std::string data;
            ASSERT_TRUE(testsupport::memberData(archive, e, &data, &error)) << error;
            tree[name] = data;
        }
        // Only empty folders are stored as folder members; every folder here holds files.
        EXPECT_EQ(tree, withoutFolders(expected));
    }
}

// What a format cannot store exactly stops the run, and the message names the file.
TEST_F(NameBytesRun, NamesAFormatCannotHoldAreRefusedByName)
{
    const std::string separatorFolder = "f\xff"
                                        "dir"; // 0xFF separates LHA's folders
    writeFile(source + separatorFolder + "/q.txt", "q");
    request.FileList = {source + "ok.txt", source + separatorFolder + "/*.*"};
    EXPECT_EQ(runFormat("LHA", ".lzh"), "");
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "処理を中止しました");
    EXPECT_EQ(host.details[0].rfind("LHA: ", 0), 0u) << host.details[0];
    EXPECT_NE(host.details[0].find(separatorFolder), std::string::npos) << host.details[0];
    EXPECT_FALSE(fs::exists(save + "data.lzh"));

    writeFile(source + "back\\slash.txt", "b"); // "\" separates CAB's and GZA's folders
    request.FileList = {source + "ok.txt", source + "back\\slash.txt"};
    for (const auto &[format, extension] : {std::pair{"CAB", ".CAB"}, std::pair{"GZIP", ".gza"}}) {
        host.errors.clear();
        host.details.clear();
        EXPECT_EQ(runFormat(format, extension), "") << format;
        ASSERT_EQ(host.details.size(), 1u) << format;
        EXPECT_NE(host.details[0].find("back\\slash.txt"), std::string::npos) << host.details[0];
        EXPECT_TRUE(fs::is_empty(save)) << format;
    }
}

} // namespace
} // namespace vexel
