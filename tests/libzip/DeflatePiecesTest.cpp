// Pieces deflated one at a time by libdeflate must join into one raw deflate stream
// that zlib inflates back to the original bytes, whatever the pieces hold.
#include "DeflatePieces.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <zlib.h>

using vexel::zip::DeflatePieces;
using vexel::zip::deflateStreamBounds;

namespace {

std::vector<unsigned char> inflateAll(const std::vector<unsigned char> &packed,
                                      std::size_t expected, bool *ended)
{
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
    std::vector<unsigned char> out(expected + 64);
    z.next_in = const_cast<unsigned char *>(packed.data());
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    *ended = rc == Z_STREAM_END && z.avail_in == 0; // the stream ends exactly at the last byte
    out.resize(out.size() - z.avail_out);
    inflateEnd(&z);
    return out;
}

// Text-like, repetitive, and random stretches, so that libdeflate picks dynamic,
// static and stored blocks.
std::vector<unsigned char> mixedData(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    const std::string words[] = {"deflate ", "piece ", "stream ", "block ", "archive ", "\n"};
    std::vector<unsigned char> data;
    while (data.size() < size) {
        const unsigned kind = rng() % 3;
        const std::size_t run = 1 + rng() % 20000;
        for (std::size_t i = 0; i < run && data.size() < size; ++i) {
            if (kind == 0) {
                const std::string &w = words[rng() % 6];
                data.insert(data.end(), w.begin(), w.end());
            } else if (kind == 1) {
                data.push_back(static_cast<unsigned char>(rng()));
            } else {
                data.push_back('z');
            }
        }
    }
    data.resize(size);
    return data;
}

void expectJoinedPiecesInflate(const std::vector<unsigned char> &data,
                               const std::vector<std::size_t> &cuts, int level)
{
    DeflatePieces pieces(level);
    std::vector<unsigned char> packed;
    std::size_t at = 0;
    for (std::size_t i = 0; i <= cuts.size(); ++i) {
        const std::size_t end = i < cuts.size() ? cuts[i] : data.size();
        ASSERT_TRUE(pieces.add(data.data() + at, end - at, i == cuts.size(), &packed));
        at = end;
    }
    bool ended = false;
    const auto back = inflateAll(packed, data.size(), &ended);
    EXPECT_TRUE(ended) << "level " << level << ", " << cuts.size() + 1 << " pieces";
    EXPECT_TRUE(back == data) << "level " << level << ", " << cuts.size() + 1 << " pieces";
}

} // namespace

TEST(DeflatePieces, JoinedPiecesInflateToTheOriginal)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed * 77);
        const auto data = mixedData(50000 + rng() % 400000, seed);
        std::vector<std::size_t> cuts;
        for (std::size_t at = rng() % 70000; at < data.size(); at += 1 + rng() % 90000)
            cuts.push_back(at);
        expectJoinedPiecesInflate(data, cuts, seed % 2 ? 12 : 10);
    }
}

TEST(DeflatePieces, EmptyTinyAndIncompressiblePieces)
{
    std::vector<unsigned char> random(300000);
    std::mt19937 rng(5);
    for (auto &b : random)
        b = static_cast<unsigned char>(rng());
    expectJoinedPiecesInflate(random, {100000, 200000}, 12); // stored blocks throughout
    expectJoinedPiecesInflate(mixedData(1000, 3), {0, 1, 2, 3, 500, 500},
                              12); // empty and one-byte pieces
    expectJoinedPiecesInflate(std::vector<unsigned char>(200000, 'a'), {65536, 131072}, 12);
}

TEST(DeflatePieces, StreamBoundsFindTheLastBlockAndTheEnd)
{
    const auto data = mixedData(400000, 9);
    DeflatePieces pieces(12);
    std::vector<unsigned char> packed;
    ASSERT_TRUE(pieces.add(data.data(), data.size(), true, &packed));
    std::size_t lastBlock = 0, end = 0;
    ASSERT_TRUE(deflateStreamBounds(packed.data(), packed.size(), &lastBlock, &end));
    EXPECT_EQ((end + 7) / 8, packed.size());
    EXPECT_EQ(packed[lastBlock / 8] >> (lastBlock % 8) & 1, 1) << "the last block's final mark";
    EXPECT_GT(lastBlock, 0u) << "this much mixed data takes several blocks";
    // A cut stream is not a complete one.
    EXPECT_FALSE(deflateStreamBounds(packed.data(), packed.size() / 2, &lastBlock, &end));
}
