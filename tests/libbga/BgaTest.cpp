// bga32.so, loaded as the program loads it: GZA/BZA archives read back by the test
// reader, payloads checked with gzip and bzip2 alone.
#include "BgaReader.h"
#include "LoadedLibrary.h"
#include "TestTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

using namespace vexel::testsupport;
namespace fs = std::filesystem;

namespace {

class BgaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library.loaded()) << library.error();
        base = tmp.path() + "base/";
        fs::create_directories(base + "input");
        list = tmp.path() + "krytmp.lst";
    }

    // The line the program builds: a -r -lN "archive" "base" @list.
    int archive(const std::string &archivePath, int level, const std::string &listLines,
                std::string *reason, bool withBase = true)
    {
        const std::string switches = "a -r -l" + std::to_string(level);
        return library.run(
            "Bga", libraryCommandLine(switches, archivePath, withBase ? base : "", list, listLines),
            reason);
    }

    std::vector<BgaEntry> entries(const std::string &archivePath)
    {
        std::vector<BgaEntry> result;
        std::string error;
        EXPECT_TRUE(listBga(archivePath, &result, &error)) << error;
        return result;
    }

    void expectRoundTrip(const std::string &archivePath)
    {
        std::string error;
        const std::string out =
            tmp.path() + "out-" + fs::path(archivePath).filename().string() + "/";
        ASSERT_TRUE(extractBga(archivePath, out, &error)) << error;
        EXPECT_EQ(compareTrees(scanTree(base + "input"), scanTree(out + "input")), "");
    }

    LoadedLibrary library{"bga32.so"};
    TempFolder tmp;
    std::string base, list;
};

const BgaEntry *findEntry(const std::vector<BgaEntry> &all, const std::string &name)
{
    for (const BgaEntry &e : all)
        if (e.name == name)
            return &e;
    return nullptr;
}

TEST_F(BgaTest, GzaAndBzaRoundTripTheCorpusWithUtf8Names)
{
    buildTree(base + "input", TreeOptions{false, true});
    for (const char *ext : {".gza", ".bza"}) {
        const std::string path = tmp.path() + "krytmp" + ext;
        std::string reason;
        ASSERT_EQ(archive(path, 9, "\"input/*.*\"\r\n", &reason), 0) << reason;
        expectRoundTrip(path);
        const auto all = entries(path);
        const std::string type =
            std::string(ext) == ".gza" ? std::string("GZIP") : std::string("BZ2\0", 4);
        for (const BgaEntry &e : all) {
            EXPECT_EQ(e.type, type) << e.name;
            EXPECT_TRUE(e.utf8Name) << "a name CP932 cannot hold makes the whole archive UTF-8";
            EXPECT_NE(e.arcType, 0) << e.name;
        }
        // Only empty folders are members of their own; the others come back from the
        // paths of the members inside them.
        EXPECT_EQ(findEntry(all, "input"), nullptr);
        EXPECT_EQ(findEntry(all, "input/nested"), nullptr);
        const BgaEntry *folder = findEntry(all, "input/empty folder");
        ASSERT_NE(folder, nullptr);
        EXPECT_TRUE(folder->isFolder);
        EXPECT_EQ(folder->rawFolderPart, "input\\empty folder\\");
        EXPECT_EQ(folder->rawFilePart, "");
        EXPECT_EQ(folder->arcType, 1);
        const BgaEntry *inner = findEntry(all, "input/nested/a/empty inside");
        ASSERT_NE(inner, nullptr);
        EXPECT_TRUE(inner->isFolder);
        for (const BgaEntry &e : all)
            EXPECT_TRUE(!e.isFolder || e.name.find("empty") != std::string::npos)
                << e.name << " needs no member";
        const BgaEntry *empty = findEntry(all, "input/empty.txt");
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(empty->arcType, 2);
        EXPECT_EQ(empty->packedSize, 0u);
        const BgaEntry *random = findEntry(all, "input/random.bin");
        ASSERT_NE(random, nullptr);
        EXPECT_EQ(random->arcType, 2) << "incompressible data is stored";
        EXPECT_EQ(random->packedSize, random->originalSize);
        const BgaEntry *text = findEntry(all, "input/text.txt");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->arcType, 1);
        EXPECT_LT(text->packedSize, text->originalSize);
        EXPECT_EQ(text->rawFolderPart, "input\\");
        EXPECT_EQ(text->rawFilePart, "text.txt");
    }
}

// A dropped folder that is empty, or holds nothing but empty folders, still comes back:
// the deepest empty folders are members, with names beyond ASCII in either encoding.
TEST_F(BgaTest, EmptyFoldersAloneSurviveInBothEncodings)
{
    int round = 0;
    for (const char *name :
         {"\xE7\xA9\xBA/\xE3\x81\x8B\xE3\x82\x89", "vide/d\xC3\xA9j\xC3\xA0 \xF0\x9F\x93\x81"}) {
        fs::remove_all(base + "input");
        fs::create_directories(base + "input/" + name);
        fs::create_directories(base + "input/plain");
        ++round;
        for (const char *ext : {".gza", ".bza"}) {
            const std::string path = tmp.path() + "krytmp" + std::to_string(round) + ext;
            std::string reason;
            ASSERT_EQ(archive(path, 9, "\"input/*.*\"\n", &reason), 0) << reason;
            expectRoundTrip(path);
            std::vector<std::string> folders;
            for (const BgaEntry &e : entries(path)) {
                EXPECT_TRUE(e.isFolder) << e.name;
                folders.push_back(e.name);
            }
            std::sort(folders.begin(), folders.end());
            EXPECT_EQ(folders,
                      (std::vector<std::string>{"input/plain", std::string("input/") + name}))
                << ext;
        }
    }
}

TEST_F(BgaTest, JapaneseNamesAreStoredInCp932WhenEveryNameConverts)
{
    buildTree(base + "input", TreeOptions{false, false});
    const std::string path = tmp.path() + "krytmp.gza";
    std::string reason;
    ASSERT_EQ(archive(path, 6, "\"input/*.*\"\n", &reason), 0) << reason;
    expectRoundTrip(path);
    const auto all = entries(path);
    const BgaEntry *japanese = findEntry(all, "input/日本語フォルダ/テスト ファイル.txt");
    ASSERT_NE(japanese, nullptr);
    EXPECT_FALSE(japanese->utf8Name);
    EXPECT_EQ(japanese->rawFilePart.substr(0, 6), "\x83\x65\x83\x58\x83\x67"); // テスト in CP932
}

TEST_F(BgaTest, EachCompressedPayloadDecodesWithGzipOrBzip2Alone)
{
    buildTree(base + "input", TreeOptions{false, false});
    for (const char *ext : {".gza", ".bza"}) {
        const std::string path = tmp.path() + "krytmp" + ext;
        std::string reason;
        ASSERT_EQ(archive(path, 9, "\"input/*.*\"\n", &reason), 0) << reason;
        int checked = 0;
        for (const BgaEntry &e : entries(path)) {
            if (e.arcType != 1 || e.isFolder
                || (e.name.find("/many/") != std::string::npos && checked > 8))
                continue; // every kind of member, but not a hundred tool runs
            const std::string payload = tmp.path() + "payload";
            writeFile(payload, payloadOf(path, e));
            const std::string tool = std::string(ext) == ".gza" ? "gzip -dc " : "bzip2 -dc ";
            const std::string decoded = tmp.path() + "decoded";
            ASSERT_EQ(runCommand(tool + shellQuote(payload) + " > " + shellQuote(decoded)), 0)
                << e.name;
            EXPECT_EQ(readFile(decoded), readFile(base + e.name)) << e.name;
            ++checked;
        }
        EXPECT_GT(checked, 10) << ext;
    }
}

TEST_F(BgaTest, BigFileRoundTripsInBothFormats)
{
    fs::create_directories(base + "input");
    buildTree(base + "input", TreeOptions{true, false});
    fs::remove_all(base + "input/many");
    for (const char *ext : {".gza", ".bza"}) {
        const std::string path = tmp.path() + "krytmp" + ext;
        std::string reason;
        ASSERT_EQ(archive(path, 1, "\"input/*.*\"\n", &reason), 0) << reason;
        expectRoundTrip(path);
    }
}

TEST_F(BgaTest, LevelsChangeTheOutputAndTheBzip2BlockSize)
{
    writeFile(base + "input/text.txt", std::string(readFile("/proc/self/exe").substr(0, 1 << 20)));
    std::string reason;
    const std::string fast = tmp.path() + "fast.gza", best = tmp.path() + "best.gza";
    ASSERT_EQ(archive(fast, 1, "\"input/text.txt\"\n", &reason), 0) << reason;
    ASSERT_EQ(archive(best, 9, "\"input/text.txt\"\n", &reason), 0) << reason;
    EXPECT_GT(fs::file_size(fast), fs::file_size(best));
    const std::string bza = tmp.path() + "small.bza";
    ASSERT_EQ(archive(bza, 3, "\"input/text.txt\"\n", &reason), 0) << reason;
    const auto all = entries(bza);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(payloadOf(bza, all[0]).substr(0, 4), "BZh3");
}

TEST_F(BgaTest, EmptyBaseFolderStoresTheFullPathWithoutItsLeadingSlash)
{
    writeFile(base + "input/a.txt", "hello hello hello hello");
    const std::string path = tmp.path() + "krytmp.gza";
    std::string reason;
    ASSERT_EQ(archive(path, 9, "\"" + base + "input/a.txt\"\n", &reason, false), 0) << reason;
    const auto all = entries(path);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ("/" + all[0].name, base + "input/a.txt");
}

TEST_F(BgaTest, HeaderCarriesDosTimeAndReadOnlyAttribute)
{
    writeFile(base + "input/ro.txt", "read only");
    ::chmod((base + "input/ro.txt").c_str(), 0444);
    struct stat st {};
    ::stat((base + "input/ro.txt").c_str(), &st);
    const std::string path = tmp.path() + "krytmp.bza";
    std::string reason;
    ASSERT_EQ(archive(path, 9, "\"input/ro.txt\"\n", &reason), 0) << reason;
    const auto all = entries(path);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].attribute, 0x21);
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    EXPECT_EQ(all[0].dosDate >> 9, local.tm_year - 80);
    EXPECT_EQ(all[0].dosTime >> 11, local.tm_hour);
}

TEST_F(BgaTest, RefusesBadInputWithAReasonAndLeavesNoArchive)
{
    writeFile(base + "input/a.txt", "a");
    std::string reason;
    EXPECT_NE(archive(tmp.path() + "krytmp.zip", 9, "\"input/a.txt\"\n", &reason), 0);
    EXPECT_NE(reason.find(".gza"), std::string::npos) << reason;
    EXPECT_FALSE(fileExists(tmp.path() + "krytmp.zip"));

    EXPECT_NE(
        archive(tmp.path() + "krytmp.gza", 9, "\"input/a.txt\"\n\"input/vanished.txt\"\n", &reason),
        0);
    EXPECT_NE(reason.find("vanished.txt"), std::string::npos) << reason;
    EXPECT_FALSE(fileExists(tmp.path() + "krytmp.gza"));

    EXPECT_NE(library.run("Bga", "x -r \"" + tmp.path() + "k.gza\" @" + list, &reason), 0);
    EXPECT_NE(reason.find("command"), std::string::npos) << reason;
}

TEST_F(BgaTest, MemberOfFourGibibytesFailsClearly)
{
    const std::string big = base + "input/huge.bin";
    writeFile(big, "");
    fs::resize_file(big, 0x100000000ull); // sparse: costs no disk
    std::string reason;
    const std::string path = tmp.path() + "krytmp.gza";
    EXPECT_NE(archive(path, 9, "\"input/huge.bin\"\n", &reason), 0);
    EXPECT_NE(reason.find("huge.bin"), std::string::npos) << reason;
    EXPECT_NE(reason.find("4 GiB"), std::string::npos) << reason;
    EXPECT_FALSE(fileExists(path));
}

std::atomic<int> callbackCalls{0};
std::atomic<bool> answerStop{false};
int ownerCallback(void *, uint32_t, uint32_t, void *)
{
    ++callbackCalls;
    return answerStop.load() ? 0 : 1;
}

TEST_F(BgaTest, CallbackAnswerZeroStopsWithinHalfASecondAndLeavesNoArchive)
{
    std::string text;
    for (int i = 0; i < 400000; ++i)
        text += "line " + std::to_string(static_cast<long long>(i) * 7919 % 100003)
            + " of a long file\n";
    writeFile(base + "input/long.txt", text);
    ASSERT_TRUE(library.setOwner("Bga", nullptr, ownerCallback));
    callbackCalls = 0;
    answerStop = false;
    writeFile(list, "\"input/long.txt\"\n");
    const std::string path = tmp.path() + "krytmp.bza";
    std::chrono::steady_clock::time_point stopAt;
    std::thread stopper([&] {
        while (callbackCalls.load() < 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stopAt = std::chrono::steady_clock::now();
        answerStop = true;
    });
    std::string reason;
    const int rc =
        library.run("Bga", "a -r -l9 \"" + path + "\" \"" + base + "\" @" + list, &reason);
    const auto returned = std::chrono::steady_clock::now();
    stopper.join();
    library.setOwner("Bga", nullptr, nullptr);
    EXPECT_NE(rc, 0);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(returned - stopAt).count(),
              2000);
    EXPECT_FALSE(fileExists(path));
    for (const auto &item : fs::directory_iterator(tmp.path()))
        EXPECT_EQ(item.path().filename().string().find("krytmp.bza"), std::string::npos)
            << item.path();
}

} // namespace
