// Property test: seeded random inputs (runs, repeats up to the window's far end, x86
// call patterns, frame-boundary sizes) are written as cabinets with every method and
// read back by libmspack in this process; built with AddressSanitizer and
// UndefinedBehaviorSanitizer. Every fifth cabinet also goes through 7-Zip, the
// strictest reader (exact frame ends, zero padding, runs within their tree segment).
#include "../codec/CodecTestSupport.h"
#include "CabTestSupport.h"
#include "CabinetWriter.h"
#include "LzxEncoder.h"
#include "MszipEncoder.h"

#include <gtest/gtest.h>
#include <mspack.h>

#include <memory>

using namespace cabtest;

namespace {

constexpr int kCases = 240;

// Long runs of a few byte values, the kind of data that makes huge matches.
Bytes runs(std::size_t size, std::mt19937 &rng)
{
    Bytes data;
    while (data.size() < size)
        data.insert(data.end(), std::min<std::size_t>(1 + rng() % 5000, size - data.size()),
                    std::uint8_t(rng() % 3));
    return data;
}

// Random chunks repeated at distances near the window's end (and beyond it).
Bytes farRepeats(std::size_t size, std::uint32_t window, std::mt19937 &rng)
{
    Bytes data = randomBytes(size, rng());
    for (int i = 0; i < 40 && size > 600; ++i) {
        const std::size_t len = 2 + rng() % 300;
        const std::size_t distance =
            std::min<std::size_t>(window - 3 + rng() % 8 - 4, size - len - 1);
        const std::size_t at = distance + rng() % (size - len - distance);
        std::copy_n(data.begin() + std::ptrdiff_t(at - distance), len,
                    data.begin() + std::ptrdiff_t(at));
    }
    return data;
}

// Calls (0xE8 + small displacement) spread over text-like bytes, plus 0xE8 bytes
// right at frame ends, where the translation must stop.
Bytes x86Like(std::size_t size, std::mt19937 &rng)
{
    Bytes data = vexel::codec::test::mixedData(size, rng());
    for (std::size_t p = 0; p + 5 < size; p += 1 + rng() % 40) {
        data[p] = 0xE8;
        const std::int32_t target = std::int32_t(rng() % 20000) - 10000;
        for (int k = 0; k < 4; ++k)
            data[p + 1 + std::size_t(k)] = std::uint8_t(std::uint32_t(target) >> (8 * k));
    }
    for (std::size_t p = 32768 - 12; p < size; p += 32768)
        for (std::size_t k = 0; k < 12 && p + k < size; ++k)
            data[p + k] = 0xE8;
    return data;
}

std::size_t pickSize(int seed, std::mt19937 &rng)
{
    static const std::size_t edges[] = {0, 1, 2, 11, 32767, 32768, 32769, 65536, 98304 + 5};
    if (seed % 6 == 0)
        return edges[std::size_t(seed / 6) % std::size(edges)];
    return rng() % (seed % 3 == 0 ? 300 * 1024 : 64 * 1024);
}

struct Case {
    Bytes data;
    std::unique_ptr<cab::FolderEncoder> encoder;
    std::string description;
};

Case makeCase(int seed)
{
    std::mt19937 rng(std::uint32_t(seed) * 2654435761u);
    Case c;
    const std::size_t size = pickSize(seed, rng);
    cab::LzxEncoder::Options options;
    options.windowBits = 15 + seed % 7;
    options.e8 = static_cast<cab::LzxEncoder::E8Mode>(seed % 3);
    options.framesPerBlock = 1 + std::uint32_t(seed % 4);
    switch (seed % 4) {
    case 0: c.data = vexel::codec::test::mixedData(size, rng()); break;
    case 1: c.data = runs(size, rng); break;
    case 2: c.data = farRepeats(size, 1u << options.windowBits, rng); break;
    default: c.data = x86Like(size, rng); break;
    }
    if (seed % 8 == 7) {
        c.encoder = std::make_unique<cab::MszipEncoder>();
        c.description = "MSZIP";
    } else {
        c.encoder = std::make_unique<cab::LzxEncoder>(options);
        c.description = "LZX:" + std::to_string(options.windowBits) + " e8 "
            + std::to_string(seed % 3) + " frames/block " + std::to_string(options.framesPerBlock);
    }
    c.description += ", " + std::to_string(size) + " bytes, seed " + std::to_string(seed);
    return c;
}

// Splits the data over up to three files, so that file boundaries fall inside frames.
std::vector<cab::CabEntry> writeInputs(const fs::path &dir, const Bytes &data, int seed)
{
    std::vector<cab::CabEntry> entries;
    const std::size_t parts = 1 + std::size_t(seed % 3);
    std::size_t at = 0;
    for (std::size_t i = 0; i < parts; ++i) {
        const std::size_t end =
            i + 1 == parts ? data.size() : std::min(data.size(), at + data.size() / parts + i);
        const fs::path path = dir / ("in" + std::to_string(i));
        writeBytes(path,
                   Bytes(data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(end)));
        entries.push_back(
            {path.string(), "dir/part" + std::to_string(i), end - at, 0x5A21, 0x6000, 0x20});
        at = end;
    }
    return entries;
}

// Extracts every file with libmspack and returns their concatenation.
Bytes extractWithMspack(const fs::path &cabPath, const fs::path &outDir, std::string *error)
{
    mscab_decompressor *cabd = mspack_create_cab_decompressor(nullptr);
    Bytes all;
    mscabd_cabinet *cabinet = cabd->open(cabd, cabPath.c_str());
    if (!cabinet) {
        *error = "open failed, error " + std::to_string(cabd->last_error(cabd));
    } else {
        int n = 0;
        for (mscabd_file *f = cabinet->files; f; f = f->next) {
            const fs::path out = outDir / ("out" + std::to_string(n++));
            if (cabd->extract(cabd, f, out.c_str()) != MSPACK_ERR_OK) {
                *error = std::string("extracting ") + f->filename + " failed, error "
                    + std::to_string(cabd->last_error(cabd));
                break;
            }
            const Bytes part = readBytes(out);
            all.insert(all.end(), part.begin(), part.end());
        }
        cabd->close(cabd, cabinet);
    }
    mspack_destroy_cab_decompressor(cabd);
    return all;
}

TEST(CabMspackRoundTrip, SeededInputsRoundTripThroughLibmspack)
{
    for (int seed = 0; seed < kCases; ++seed) {
        Case c = makeCase(seed);
        SCOPED_TRACE(c.description);
        TempFolder folder;
        const fs::path dir(folder.path());
        const std::vector<cab::CabEntry> entries = writeInputs(dir, c.data, seed);
        const fs::path cabPath = dir / "test.cab";
        std::string error;
        ASSERT_TRUE(cab::writeCabinet(cabPath.string(), entries, *c.encoder, {}, &error)) << error;

        const Bytes back = extractWithMspack(cabPath, dir, &error);
        ASSERT_TRUE(error.empty()) << error;
        ASSERT_TRUE(back == c.data) << "libmspack extracted different bytes";
        if (seed % 5 == 0) {
            std::string strict;
            vexel::testsupport::runCommand(
                "7zz t " + vexel::testsupport::shellQuote(cabPath.string()), &strict);
            ASSERT_NE(strict.find("Everything is Ok"), std::string::npos) << strict;
        }
    }
}

// A folder shorter than the window is searched in a window sized to it (the files'
// sizes tell its length): a copy of its first bytes at its end, spread over two files,
// is still found, whichever side of a power of two the folder's length falls.
TEST(CabMspackRoundTrip, AFolderShorterThanTheWindowFindsMatchesBackToItsFirstByte)
{
    for (std::size_t power : {std::size_t{1} << 15, std::size_t{1} << 17}) {
        for (std::size_t length : {power - 1, power, power + 1}) {
            SCOPED_TRACE(std::to_string(length) + " bytes");
            const std::size_t copy = length / 3;
            Bytes data = randomBytes(length - copy, std::uint32_t(length));
            data.insert(data.end(), data.begin(), data.begin() + std::ptrdiff_t(copy));
            TempFolder folder;
            const fs::path dir(folder.path());
            const std::vector<cab::CabEntry> entries = writeInputs(dir, data, 1);
            const fs::path cabPath = dir / "test.cab";
            cab::LzxEncoder encoder({});
            std::string error;
            ASSERT_TRUE(cab::writeCabinet(cabPath.string(), entries, encoder, {}, &error)) << error;
            EXPECT_LT(fs::file_size(cabPath), length - copy + copy / 4);
            const Bytes back = extractWithMspack(cabPath, dir, &error);
            ASSERT_TRUE(error.empty()) << error;
            ASSERT_TRUE(back == data) << "libmspack extracted different bytes";
        }
    }
}

} // namespace
