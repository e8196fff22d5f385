// zip32j.so (with its engine zip32.so), loaded as the program loads it; every archive is
// checked by unzip and 7-Zip and extracted bit-exactly.
#include "LoadedLibrary.h"
#include "TestTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <utime.h>

using namespace vexel::testsupport;
namespace fs = std::filesystem;

namespace {

// UTF-8 names must reach the file system as UTF-8 whatever the test's locale.
const std::string kUnzip = "LC_ALL=C.UTF-8 unzip ";

class ZipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library.loaded()) << library.error();
        base = tmp.path() + "base/";
        fs::create_directories(base + "input");
        list = tmp.path() + "krytmp.lst";
        zip = tmp.path() + "krytmp.zip";
    }

    // The line the program builds: -r -N "archive" "base" @list (or two blanks when the
    // base folder is empty).
    int archive(int level, const std::string &listLines, std::string *reason, bool withBase = true)
    {
        const std::string switches = "-r -" + std::to_string(level);
        return library.run("Zip",
                           libraryCommandLine(switches, zip, withBase ? base : "", list, listLines),
                           reason);
    }

    void expectToolsAccept()
    {
        std::string output;
        EXPECT_EQ(runCommand(kUnzip + "-t " + shellQuote(zip), &output), 0) << output;
        output.clear();
        EXPECT_EQ(runCommand("7zz t " + shellQuote(zip), &output), 0) << output;
    }

    void expectUnzipExtractsBitExact()
    {
        const std::string out = tmp.path() + "unzipped/";
        fs::create_directories(out);
        std::string output;
        ASSERT_EQ(runCommand(kUnzip + "-qq " + shellQuote(zip) + " -d " + shellQuote(out), &output),
                  0)
            << output;
        EXPECT_EQ(compareTrees(scanTree(base + "input"), scanTree(out + "input")), "");
    }

    LoadedLibrary library{"zip32j.so"};
    TempFolder tmp;
    std::string base, list, zip;
};

TEST_F(ZipTest, CorpusPassesUnzipAnd7zipAndExtractsBitExact)
{
    buildTree(base + "input", TreeOptions{false, true});
    std::string reason;
    ASSERT_EQ(archive(9, "\"input/*.*\"\r\n", &reason), 0) << reason;
    expectToolsAccept();
    expectUnzipExtractsBitExact();
    const std::string out = tmp.path() + "7z/";
    std::string output;
    ASSERT_EQ(runCommand("7zz x -y -o" + shellQuote(out) + " " + shellQuote(zip), &output), 0)
        << output;
    EXPECT_EQ(compareTrees(scanTree(base + "input"), scanTree(out + "input")), "");
}

TEST_F(ZipTest, BigFileExtractsBitExact)
{
    buildTree(base + "input", TreeOptions{true, false});
    fs::remove_all(base + "input/many");
    std::string reason;
    ASSERT_EQ(archive(6, "\"input/*.*\"\n", &reason), 0) << reason;
    expectUnzipExtractsBitExact();
}

TEST_F(ZipTest, StoresWhatDeflateCannotShrinkAndFlagsUtf8Names)
{
    buildTree(base + "input", TreeOptions{false, true});
    std::string reason;
    ASSERT_EQ(archive(9, "\"input/*.*\"\n", &reason), 0) << reason;
    std::string listing;
    ASSERT_EQ(runCommand("7zz l -slt " + shellQuote(zip), &listing), 0) << listing;
    const auto methodOf = [&](const std::string &name) {
        const std::size_t at = listing.find("Path = " + name + "\n");
        const std::size_t method = listing.find("Method = ", at);
        // "Deflate" may be followed by ":Maximum" and the like
        return at == std::string::npos
            ? std::string("(missing)")
            : listing.substr(method + 9, listing.find_first_of(":\n", method) - method - 9);
    };
    EXPECT_EQ(methodOf("input/random.bin"), "Store");
    EXPECT_EQ(methodOf("input/empty.txt"), "Store");
    EXPECT_EQ(methodOf("input/text.txt"), "Deflate");
    // 7-Zip shows a UTF-8 name correctly only when the UTF-8 flag is set.
    EXPECT_NE(listing.find("Path = input/日本語フォルダ/テスト ファイル.txt"), std::string::npos);
    EXPECT_NE(listing.find("Path = input/emoji 😀.txt"), std::string::npos);
}

TEST_F(ZipTest, EmptyBaseFolderLineStoresFullPathsWithoutTheLeadingSlash)
{
    writeFile(base + "input/a.txt", "alpha");
    std::string reason;
    ASSERT_EQ(archive(6, "\"" + base + "input/*.*\"\n", &reason, false), 0) << reason;
    std::string listing;
    ASSERT_EQ(runCommand(kUnzip + "-Z1 " + shellQuote(zip), &listing), 0) << listing;
    const std::string expected = base.substr(1) + "input/a.txt";
    EXPECT_NE(listing.find(expected + "\n"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("\n/"), std::string::npos) << listing;
}

TEST_F(ZipTest, LevelsChangeTheOutput)
{
    buildTree(base + "input", TreeOptions{false, false});
    std::string reason;
    std::uintmax_t sizes[3];
    const int levels[3] = {0, 1, 9};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(archive(levels[i], "\"input/*.*\"\n", &reason), 0) << reason;
        sizes[i] = fs::file_size(zip);
        expectToolsAccept();
    }
    EXPECT_GT(sizes[0], sizes[1]);
    EXPECT_GT(sizes[1], sizes[2]);
}

TEST_F(ZipTest, KeepsModificationTimesAndPermissions)
{
    const std::string script = base + "input/tool.sh";
    writeFile(script, "#!/bin/sh\necho hi\n");
    ::chmod(script.c_str(), 0750);
    const utimbuf times{1500000001, 1500000001}; // an odd second: only the UT field keeps it
    ::utime(script.c_str(), &times);
    std::string reason;
    ASSERT_EQ(archive(9, "\"input/tool.sh\"\n", &reason), 0) << reason;
    const std::string out = tmp.path() + "out/";
    fs::create_directories(out);
    std::string output;
    ASSERT_EQ(runCommand(kUnzip + "-qq " + shellQuote(zip) + " -d " + shellQuote(out), &output), 0)
        << output;
    struct stat st {};
    ASSERT_EQ(::stat((out + "input/tool.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    EXPECT_EQ(st.st_mtime, 1500000001);
}

TEST_F(ZipTest, MissingListedFileFailsWithItsNameAndLeavesNothing)
{
    writeFile(base + "input/here.txt", "here");
    std::string reason;
    EXPECT_NE(archive(9, "\"input/here.txt\"\n\"input/gone away.txt\"\n", &reason), 0);
    EXPECT_NE(reason.find("gone away.txt"), std::string::npos) << reason;
    EXPECT_EQ(reason.find('\n'), std::string::npos);
    for (const auto &item : fs::directory_iterator(tmp.path()))
        EXPECT_EQ(item.path().filename().string().find("krytmp.zip"), std::string::npos)
            << item.path();
}

TEST_F(ZipTest, UnreadableListedFileFailsWithItsName)
{
    writeFile(base + "input/secret.txt", "secret");
    writeFile(list, "\"input/secret.txt\"\n");
    ::chmod((base + "input/secret.txt").c_str(), 0);
    for (const std::string &folder : {tmp.path(), base, base + "input/"})
        fs::permissions(folder, fs::perms::all); // reachable when the call runs as "nobody"
    fs::permissions(list, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    std::string reason;
    const int rc = runUnprivileged(
        [&](std::string *why) {
            return library.run("Zip", "-r -9 \"" + zip + "\" \"" + base + "\" @" + list, why) != 0
                ? 0
                : 1;
        },
        &reason);
    if (rc == -2)
        GTEST_SKIP() << "no unprivileged user to read as";
    EXPECT_EQ(rc, 0) << "the call must fail";
    EXPECT_NE(reason.find("secret.txt"), std::string::npos) << reason;
    EXPECT_FALSE(fileExists(zip));
}

TEST_F(ZipTest, ZipLibraryCannotWorkWithoutItsEngine)
{
    // Checked by the dynamic loader in another process: this one already holds zip32.so.
    const std::string alone = tmp.path() + "alone/";
    fs::create_directories(alone);
    fs::copy_file(LoadedLibrary::libraryFolder() + "zip32j.so", alone + "zip32j.so");
    std::string output;
    runCommand("ldd " + shellQuote(alone + "zip32j.so"), &output);
    EXPECT_NE(output.find("zip32.so => not found"), std::string::npos) << output;
    output.clear();
    runCommand("ldd " + shellQuote(LoadedLibrary::libraryFolder() + "zip32j.so"), &output);
    EXPECT_NE(output.find("zip32.so => " + LoadedLibrary::libraryFolder() + "zip32.so"),
              std::string::npos)
        << output;
}

} // namespace
