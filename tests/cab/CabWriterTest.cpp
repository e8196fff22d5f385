// The cabinet container's own rules: limits refused before anything is written, inputs
// that change while being read, names and their UTF-8 flag, and LZX's slot tables.
#include "CabFormat.h"
#include "CabTestSupport.h"
#include "CabinetWriter.h"
#include "LzxEncoder.h"
#include "LzxTables.h"
#include "MszipEncoder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

using namespace cabtest;

namespace {

cab::CabEntry entry(const std::string &name, std::uint64_t size,
                    const std::string &source = "/dev/null")
{
    return {source, name, size, 0, 0, cab::kAttrArchive};
}

TEST(CabLimits, InputsBeyondOneCabinetAreRefusedWithTheirReason)
{
    EXPECT_NE(cab::checkCabinetLimits({}).find("no files"), std::string::npos);
    EXPECT_NE(cab::checkCabinetLimits({entry("", 1)}).find("without a name"), std::string::npos);
    EXPECT_TRUE(cab::checkCabinetLimits({entry(std::string(255, 'n'), 1)}).empty());
    EXPECT_NE(cab::checkCabinetLimits({entry(std::string(256, 'n'), 1)}).find("255 bytes"),
              std::string::npos);
    EXPECT_NE(cab::checkCabinetLimits({entry("a\\b", 1)}).find("backslash"), std::string::npos);
    EXPECT_NE(cab::checkCabinetLimits({entry("huge", cab::kMaxFileBytes + 1)}).find("2 GiB"),
              std::string::npos);
    EXPECT_TRUE(cab::checkCabinetLimits({entry("largest", cab::kMaxFileBytes)}).empty());
    std::vector<cab::CabEntry> many(cab::kMaxFiles + 1, entry("f", 0));
    EXPECT_NE(cab::checkCabinetLimits(many).find("65535"), std::string::npos);
}

TEST(CabLimits, RefusedInputLeavesNoFile)
{
    TempFolder folder;
    const fs::path dir(folder.path());
    cab::MszipEncoder encoder;
    std::string error;
    EXPECT_FALSE(
        cab::writeCabinet((dir / "x.cab").string(), {entry("a\\b", 0)}, encoder, {}, &error));
    EXPECT_FALSE(fs::exists(dir / "x.cab"));
}

TEST(CabWriter, AFileThatChangedSizeFailsAndLeavesNoCabinet)
{
    TempFolder folder;
    const fs::path dir(folder.path());
    writeBytes(dir / "in", textBytes(50000, 1));
    cab::MszipEncoder encoder;
    for (std::uint64_t declared : {std::uint64_t(100000), std::uint64_t(40000)}) {
        std::string error;
        EXPECT_FALSE(cab::writeCabinet((dir / "x.cab").string(),
                                       {entry("in", declared, (dir / "in").string())}, encoder, {},
                                       &error));
        EXPECT_NE(error.find(declared > 50000 ? "shorter" : "grew"), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(dir / "x.cab"));
    }
}

TEST(CabWriter, StopRequestLeavesNoCabinet)
{
    TempFolder folder;
    const fs::path dir(folder.path());
    writeBytes(dir / "in", textBytes(200000, 2));
    cab::MszipEncoder encoder;
    std::string error;
    const auto stopAtOnce = [](std::uint64_t, const std::string &) { return false; };
    EXPECT_FALSE(cab::writeCabinet((dir / "x.cab").string(),
                                   {entry("in", 200000, (dir / "in").string())}, encoder,
                                   stopAtOnce, &error));
    EXPECT_FALSE(fs::exists(dir / "x.cab"));
}

TEST(LzxEncoder, AStopWhileTheFirstMegabyteIsParsedEndsTheFolderAtOnce)
{
    // A folder shorter than the x86-code decision's MiB is parsed whole when it ends;
    // a stop met on the way ends it there, with nothing more parsed or written.
    for (const int stopAtPoll : {1, 3}) {
        int polls = 0;
        cab::LzxEncoder::Options options;
        options.stopRequested = [&] { return ++polls >= stopAtPoll; };
        cab::LzxEncoder encoder(options);
        int written = 0;
        encoder.beginFolder(
            [&](const std::uint8_t *, std::size_t, std::uint32_t) { ++written; }, 0);
        const Bytes data = textBytes(20 * cab::kFrameSize, 4);
        for (std::size_t at = 0; at < data.size(); at += cab::kFrameSize)
            encoder.addFrame(data.data() + at, cab::kFrameSize);
        encoder.endFolder();
        EXPECT_EQ(written, 0) << stopAtPoll;
        EXPECT_EQ(polls, stopAtPoll) << "asked again after it answered to stop";
    }
}

TEST(LzxEncoder, AStopBetweenBlocksEndsTheCodingOfTheFirstMegabyte)
{
    // The first MiB is parsed at once and its eight blocks coded one after the other;
    // a stop that comes once the first block is out leaves the other seven.
    int written = 0;
    cab::LzxEncoder::Options options;
    options.stopRequested = [&written] { return written > 0; };
    cab::LzxEncoder encoder(options);
    encoder.beginFolder([&](const std::uint8_t *, std::size_t, std::uint32_t) { ++written; }, 0);
    const Bytes data = textBytes(40 * cab::kFrameSize, 5);
    for (std::size_t at = 0; at < data.size(); at += cab::kFrameSize)
        encoder.addFrame(data.data() + at, cab::kFrameSize);
    encoder.endFolder();
    EXPECT_EQ(written, 4) << "frames handed on after the stop";
}

struct StoredFile {
    std::string name;
    std::uint16_t attributes;
};

// Reads the CFFILE entries back from a cabinet's bytes.
std::vector<StoredFile> storedFiles(const Bytes &cabinet)
{
    auto u16 = [&](std::size_t at) { return std::uint16_t(cabinet[at] | cabinet[at + 1] << 8); };
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(u16(at) | std::uint32_t(u16(at + 2)) << 16);
    };
    std::vector<StoredFile> files;
    std::size_t at = u32(0x10);
    for (unsigned i = 0; i < u16(0x1C); ++i) {
        const char *name = reinterpret_cast<const char *>(&cabinet[at + cab::kFileEntrySize]);
        files.push_back({name, u16(at + 14)});
        at += cab::kFileEntrySize + files.back().name.size() + 1;
    }
    return files;
}

TEST(CabWriter, NamesUseBackslashesAndTheUtf8FlagOnlyOnValidUtf8)
{
    TempFolder folder;
    const fs::path dir(folder.path());
    writeBytes(dir / "in", {1, 2, 3});
    const std::string in = (dir / "in").string();
    cab::MszipEncoder encoder;
    std::string error;
    ASSERT_TRUE(cab::writeCabinet((dir / "x.cab").string(),
                                  {entry("plain/name.txt", 3, in), entry("日本/名前.txt", 3, in),
                                   entry("d\xe9j\xe0/bad\xff.txt", 3, in),
                                   entry("\xe6\x97"
                                         "cut",
                                         3, in)},
                                  encoder, {}, &error))
        << error;
    const std::vector<StoredFile> files = storedFiles(readBytes(dir / "x.cab"));
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[0].name, "plain\\name.txt");
    EXPECT_EQ(files[0].attributes & cab::kAttrNameIsUtf8, 0);
    EXPECT_EQ(files[1].name, "日本\\名前.txt");
    EXPECT_NE(files[1].attributes & cab::kAttrNameIsUtf8, 0);
    // Names that are not UTF-8 keep their bytes, without the flag that would mislabel them.
    EXPECT_EQ(files[2].name, "d\xe9j\xe0\\bad\xff.txt");
    EXPECT_EQ(files[2].attributes & cab::kAttrNameIsUtf8, 0);
    EXPECT_EQ(files[3].name,
              "\xe6\x97"
              "cut");
    EXPECT_EQ(files[3].attributes & cab::kAttrNameIsUtf8, 0);
}

// Hands back one byte per frame: enough to check the container's bookkeeping over
// gigabytes without compressing them.
class TokenEncoder final : public cab::FolderEncoder {
public:
    std::uint16_t method() const override { return 0; }
    void beginFolder(FrameSink sink, std::uint64_t) override { sink_ = std::move(sink); }
    void addFrame(const std::uint8_t *, std::size_t size) override
    {
        const std::uint8_t token = 0;
        sink_(&token, 1, std::uint32_t(size));
    }
    void endFolder() override {}

private:
    FrameSink sink_;
};

// `size` zero bytes, readable by path, that take neither disk nor memory: a memory
// file that is one hole. Reading a hole there copies the kernel's zero page, where a
// sparse file on disk has every page of its hole zeroed into the page cache first
// (seconds of system time for 2 GiB).
class ZeroFile {
public:
    explicit ZeroFile(std::uint64_t size) : fd_(memfd_create("zeros", MFD_CLOEXEC))
    {
        if (fd_ < 0 || ftruncate(fd_, off_t(size)) != 0)
            ADD_FAILURE() << "memory file: " << std::strerror(errno);
    }
    ~ZeroFile() { close(fd_); }
    ZeroFile(const ZeroFile &) = delete;
    ZeroFile &operator=(const ZeroFile &) = delete;
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

TEST(CabWriter, FilesBeyondOneFolderStartASecondFolder)
{
    TempFolder folder;
    const fs::path dir(folder.path());
    const std::uint64_t firstSize = cab::kMaxFolderBytes - 10; // leaves no room for the second file
    writeBytes(dir / "small", textBytes(100, 3));
    const ZeroFile huge(firstSize);
    TokenEncoder encoder;
    std::string error;
    ASSERT_TRUE(cab::writeCabinet(
        (dir / "x.cab").string(),
        {entry("huge", firstSize, huge.path()), entry("small", 100, (dir / "small").string())},
        encoder, {}, &error))
        << error;
    const Bytes cabinet = readBytes(dir / "x.cab");
    auto u16 = [&](std::size_t at) { return unsigned(cabinet[at] | cabinet[at + 1] << 8); };
    ASSERT_EQ(u16(0x1A), 2u);                                       // cFolders
    EXPECT_EQ(u16(cab::kHeaderSize + 4), cab::kMaxFramesPerFolder); // first folder's frames
    EXPECT_EQ(u16(cab::kHeaderSize + cab::kFolderEntrySize + 4), 1u);
    const std::size_t secondFile =
        cab::kHeaderSize + 2 * cab::kFolderEntrySize + cab::kFileEntrySize + 5;
    EXPECT_EQ(u16(secondFile + 4), 0u) << "offset inside its folder";
    EXPECT_EQ(u16(secondFile + 8), 1u) << "folder index";
}

TEST(LzxTables, SlotsCoverExactlyTheirRangesAndEveryWindow)
{
    using namespace cab::lzx;
    const std::uint32_t expected[] = {0, 1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(kSlotBases.base[i], expected[i]);
    EXPECT_EQ(kSlotBases.base[36], 262144u);
    EXPECT_EQ(kSlotBases.base[37], 262144u + 131072u);
    for (int slot = 0; slot + 1 < kMaxSlots; ++slot) {
        EXPECT_EQ(slotOf(kSlotBases.base[slot]), slot);
        EXPECT_EQ(slotOf(kSlotBases.base[slot + 1] - 1), slot);
    }
    for (int bits = kMinWindowBits; bits <= kMaxWindowBits; ++bits) {
        // The farthest match a reader accepts is window - 3, formatted as window - 1.
        EXPECT_LT(slotOf((1u << bits) - 1), slotCount(bits)) << bits;
        EXPECT_EQ(mainTreeSize(bits), kNumChars + 8 * slotCount(bits));
    }
}

} // namespace
