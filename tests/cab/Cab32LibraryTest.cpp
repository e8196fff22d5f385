// cab32.so end to end: cabinets written through the C entry point must pass the
// reference tools and extract bit-exactly, for MSZIP and LZX at several windows.
#include "Cab32Library.h"
#include "CabTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

using namespace cabtest;

namespace {

void writeText(const fs::path &path, const std::string &text)
{
    writeBytes(path, Bytes(text.begin(), text.end()));
}

// The corpus of the format tests: edge sizes, runs, random data, text, source code,
// machine code, nested folders and names with blanks and UTF-8.
void makeCorpus(const fs::path &root)
{
    writeBytes(root / "empty.txt", {});
    writeBytes(root / "one.bin", {0x42});
    writeBytes(root / "run.bin", Bytes(65536, 'a'));
    writeBytes(root / "frame.bin", randomBytes(32768, 1));
    writeBytes(root / "frame-plus-one.bin", textBytes(32769, 2));
    writeBytes(root / "random.bin", randomBytes(1 << 20, 3));
    writeBytes(root / "text.txt", textBytes(600 * 1024, 4));
    for (const auto &entry : fs::directory_iterator(CAB32_SOURCE_DIR))
        fs::copy_file(entry.path(), root / "source" / entry.path().filename(), fs::copy_options::none);
    writeBytes(root / "program.so", readBytes(CAB32_LIBRARY_PATH));
    writeText(root / "a" / "b" / "c" / "deep.txt", "deep inside\n");
    writeText(root / "with blank.txt", "blank\n");
    writeText(root / "日本語の名前.txt", "こんにちは\n");
    writeText(root / "café" / "über.txt", "utf-8\n");
    fs::create_directories(root / "emptydir");
}

class CabCorpus : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new TempDir;
        fs::create_directories(dir_->path() / "corpus" / "source");
        makeCorpus(dir_->path() / "corpus");
        writeText(dir_->path() / "list.lst", "\"corpus/*.*\"\n");
    }
    static void TearDownTestSuite()
    {
        delete dir_;
        dir_ = nullptr;
    }

    static fs::path base() { return dir_->path(); }
    static std::string listPath() { return (base() / "list.lst").string(); }

    // Writes the cabinet, checks it with cabextract and 7-Zip, extracts it and
    // compares the extracted files with `source`.
    static void roundTrip(const std::string &method, const fs::path &cab, const std::string &list,
                          const fs::path &source)
    {
        Cab32Library library;
        std::string output;
        ASSERT_EQ(library.run(cabCommand(method, cab.string(), base().string() + "/", list), &output), 0) << output;

        const ToolResult test = runTool("cabextract -t " + shellQuote(cab.string()));
        EXPECT_EQ(test.exitCode, 0) << test.output;
        EXPECT_NE(test.output.find("All done, no errors"), std::string::npos) << test.output;
        const ToolResult sevenZip = runTool("7zz t " + shellQuote(cab.string()));
        EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.output;
        EXPECT_NE(sevenZip.output.find("Everything is Ok"), std::string::npos) << sevenZip.output;

        TempDir out;
        const ToolResult extract =
            runTool("cabextract -q -d " + shellQuote(out.path().string()) + " " + shellQuote(cab.string()));
        ASSERT_EQ(extract.exitCode, 0) << extract.output;
        const fs::path extracted = out.path() / fs::relative(source, base());
        EXPECT_TRUE(filesBelow(source) == filesBelow(extracted)) << "extracted files differ for " << method;
    }

    static TempDir *dir_;
};

TempDir *CabCorpus::dir_ = nullptr;

class CabMethods : public CabCorpus, public ::testing::WithParamInterface<const char *> {};

TEST_P(CabMethods, CorpusPassesToolsAndExtractsBitExact)
{
    TempDir out;
    roundTrip(GetParam(), out.path() / "corpus.cab", listPath(), base() / "corpus");
}

INSTANTIATE_TEST_SUITE_P(AllMethods, CabMethods, ::testing::Values("-mz", "-ml:15", "-ml:16", "-ml:18", "-ml:21"),
                         [](const auto &info) {
                             std::string name = info.param + 2;
                             return name == "z" ? std::string("Mszip") : "Lzx" + name.substr(2);
                         });

// 20 MB: hundreds of frames, many blocks, matches across the whole window.
class CabBigFile : public CabCorpus, public ::testing::WithParamInterface<const char *> {
protected:
    static void SetUpTestSuite()
    {
        CabCorpus::SetUpTestSuite();
        Bytes data;
        const Bytes text = textBytes(3 << 20, 7);
        const Bytes program = readBytes(CAB32_LIBRARY_PATH);
        for (std::uint32_t i = 0; data.size() < (20u << 20); ++i) {
            const Bytes &piece = i % 3 == 0 ? program : text;
            data.insert(data.end(), piece.begin(), piece.end());
            const Bytes noise = randomBytes(100000, i);
            data.insert(data.end(), noise.begin(), noise.end());
        }
        data.resize(20u << 20);
        writeBytes(base() / "big" / "big.bin", data);
        writeText(base() / "big.lst", "\"big/*.*\"\n");
    }
};

TEST_P(CabBigFile, TwentyMegabytesRoundTrip)
{
    TempDir out;
    roundTrip(GetParam(), out.path() / "big.cab", (base() / "big.lst").string(), base() / "big");
}

INSTANTIATE_TEST_SUITE_P(TwoMethods, CabBigFile, ::testing::Values("-mz", "-ml:21"), [](const auto &info) {
    return std::string(info.param) == "-mz" ? std::string("Mszip") : std::string("Lzx21");
});

TEST_F(CabCorpus, RefusesWindowsOutsideTheFormat)
{
    Cab32Library library;
    TempDir out;
    for (const char *method : {"-ml:14", "-ml:22", "-ml:x"}) {
        std::string output;
        EXPECT_NE(library.run(cabCommand(method, (out.path() / "x.cab").string(), base().string() + "/", listPath()),
                              &output),
                  0);
        EXPECT_NE(output.find("15 to 21"), std::string::npos) << output;
        EXPECT_FALSE(fs::exists(out.path() / "x.cab"));
    }
}

TEST_F(CabCorpus, NothingButEmptyFoldersIsRefusedWithAReason)
{
    Cab32Library library;
    TempDir out;
    writeText(out.path() / "list.lst", "\"corpus/emptydir/*.*\"\n");
    std::string output;
    EXPECT_NE(library.run(cabCommand("-mz", (out.path() / "x.cab").string(), base().string() + "/",
                                     (out.path() / "list.lst").string()),
                          &output),
              0);
    EXPECT_NE(output.find("no files"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(out.path() / "x.cab"));
}

// A callback that lets the work run for a while, then asks it to stop.
std::atomic<long long> stopAskedAt{0};

long long nowMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int stopAfterAWhile(void *, uint32_t, uint32_t, void *)
{
    static long long firstCall = 0;
    const long long now = nowMicros();
    if (stopAskedAt.load() != 0)
        return 0;
    if (firstCall == 0)
        firstCall = now;
    if (now - firstCall < 200000)
        return 1;
    stopAskedAt.store(now);
    return 0;
}

TEST_F(CabBigFile, CancelStopsWithinHalfASecondAndLeavesNoCabinet)
{
    Cab32Library library;
    library.setOwner(stopAfterAWhile);
    TempDir out;
    std::string output;
    const int rc = library.run(
        cabCommand("-ml:21", (out.path() / "big.cab").string(), base().string() + "/", (base() / "big.lst").string()),
        &output);
    const long long returnedAt = nowMicros();
    library.setOwner(nullptr);
    ASSERT_NE(stopAskedAt.load(), 0) << "the work ended before the callback asked to stop";
    EXPECT_NE(rc, 0);
    EXPECT_LT(returnedAt - stopAskedAt.load(), 500000);
    EXPECT_TRUE(fs::is_empty(out.path())) << "a partial cabinet or temporary file was left";
}

} // namespace
