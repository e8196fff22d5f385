// Property test: seeded inputs of mixed structure, every method, odd block sizes and
// feeding patterns; each stream must decode through liblhasa to its input, and a
// sample of them, wrapped in an archive, must pass 7-Zip's stricter checks (complete
// codes, exact packed size, zero padding). Built with ASan and UBSan.
#include "Crc16.h"
#include "LhaHeader.h"
#include "LhasaDecode.h"
#include "TestTree.h"
#include "codec/LhEncoder.h"

#include <gtest/gtest.h>

#include <random>

using namespace vexel::codec;

namespace {

constexpr int kInputs = 300;

std::vector<std::uint8_t> structuredInput(std::mt19937 &rng, std::size_t window)
{
    const std::size_t size = rng() % 8 == 0 ? rng() % 300001 : rng() % 30001;
    std::vector<std::uint8_t> data;
    data.reserve(size);
    while (data.size() < size) {
        const std::size_t len = 1 + rng() % (rng() % 8 == 0 ? 5000 : 300);
        switch (rng() % 4) {
        case 0: // a run of one byte
            data.insert(data.end(), len, static_cast<std::uint8_t>(rng()));
            break;
        case 1: { // a repeat from any distance up to the window, often exactly it
            if (data.empty())
                break;
            const std::size_t choices[] = {window, window - 1, 1 + rng() % window, 1 + rng() % 16};
            const std::size_t distance = std::min(choices[rng() % 4], data.size());
            for (std::size_t i = 0; i < len; ++i)
                data.push_back(data[data.size() - distance]);
            break;
        }
        case 2: // random bytes
            for (std::size_t i = 0; i < len; ++i)
                data.push_back(static_cast<std::uint8_t>(rng()));
            break;
        default: // a small alphabet, like text
            for (std::size_t i = 0; i < len; ++i)
                data.push_back(static_cast<std::uint8_t>('a' + rng() % 6));
        }
    }
    data.resize(size);
    return data;
}

std::vector<std::uint8_t> encode(LhMethod method, const std::vector<std::uint8_t> &data,
                                 std::mt19937 &rng)
{
    LhEncoderOptions options;
    const std::uint32_t blockChoices[] = {0, static_cast<std::uint32_t>(1 + rng() % 4),
                                          static_cast<std::uint32_t>(1 + rng() % 2000), 65535};
    options.blockTokens = blockChoices[rng() % 4];
    options.maxChain = static_cast<std::uint32_t>(1 + rng() % 64);
    LhEncoder encoder(method, options);
    std::vector<std::uint8_t> out;
    const std::size_t piece = 1 + rng() % 100000;
    for (std::size_t at = 0; at < data.size(); at += piece) {
        encoder.write({data.data() + at, std::min(piece, data.size() - at)});
        encoder.drainTo(out);
    }
    encoder.finish();
    encoder.drainTo(out);
    return out;
}

// One-member archive around the stream, for 7-Zip.
std::string archiveOf(LhMethod method, const std::vector<std::uint8_t> &data,
                      const std::vector<std::uint8_t> &packed)
{
    vexel::lha::LhaEntry e;
    e.storedName = "member.bin";
    e.method = lhMethodInfo(method).id;
    e.packedSize = static_cast<std::uint32_t>(packed.size());
    e.originalSize = static_cast<std::uint32_t>(data.size());
    e.dataCrc = vexel::lha::crc16(data.data(), data.size());
    std::vector<std::uint8_t> header;
    std::string reason;
    EXPECT_TRUE(vexel::lha::buildLevel2Header(e, &header, &reason));
    std::string bytes(header.begin(), header.end());
    bytes.append(packed.begin(), packed.end());
    bytes.push_back('\0');
    return bytes;
}

} // namespace

TEST(LhProperty, SeededInputsRoundTripThroughLiblhasa)
{
    const LhMethod methods[] = {LhMethod::Lh5, LhMethod::Lh6, LhMethod::Lh7};
    vexel::testsupport::TempFolder work;
    for (int seed = 0; seed < kInputs; ++seed) {
        std::mt19937 rng(static_cast<std::uint32_t>(seed));
        const LhMethod method = methods[seed % 3];
        const auto info = lhMethodInfo(method);
        const auto data = structuredInput(rng, std::size_t{1} << info.dictBits);
        const auto packed = encode(method, data, rng);
        std::size_t consumed = 0;
        const auto back = vexel::test::lhasaDecode(info.id, packed, data.size(), &consumed);
        ASSERT_TRUE(back == data) << "seed " << seed << ", " << info.id << ", " << data.size()
                                  << " bytes";
        ASSERT_LE(consumed, packed.size()) << "seed " << seed;
        if (seed % 25 == 0 && !data.empty()) {
            const std::string path = work.path() + "seed" + std::to_string(seed) + ".lzh";
            vexel::testsupport::writeFile(path, archiveOf(method, data, packed));
            std::string output;
            ASSERT_EQ(vexel::testsupport::runCommand(
                          "7zz t " + vexel::testsupport::shellQuote(path), &output),
                      0)
                << "seed " << seed << "\n"
                << output;
        }
    }
}
