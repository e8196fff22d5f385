#include "codec/LhPackedCommands.h"
#include "../codec/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using namespace vexel::codec;
using vexel::codec::test::expandTokens;

namespace {

bool same(const std::vector<LzToken> &a, const std::vector<LzToken> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].distance != b[i].distance || a[i].value != b[i].value)
            return false;
    return true;
}

// Unpacks the whole store `limit` commands at a time, as the block writer does.
std::vector<LzToken> unpackAll(const LhPackedCommands &store, std::size_t limit,
                               const std::vector<std::uint8_t> &input)
{
    std::vector<LzToken> all, some;
    LhPackedCommands::Cursor cursor;
    for (bool more = true; more;) {
        more = store.unpack(cursor, limit, input, some);
        EXPECT_LE(some.size(), limit);
        all.insert(all.end(), some.begin(), some.end());
        some.clear();
    }
    EXPECT_EQ(cursor.position, input.size());
    return all;
}

std::vector<LzToken> literals(std::size_t n, std::mt19937 &rng)
{
    std::vector<LzToken> t;
    for (std::size_t i = 0; i < n; ++i)
        t.push_back({0, static_cast<std::uint16_t>(rng() % 256)});
    return t;
}

} // namespace

// Commands at the edges of the byte form: runs of 1, 128 (one run byte) and 129
// literals (two), lengths 3 and 256 (length bytes 0 and 253), distances 1 and 65536,
// unpacked whole and resumed anywhere, mid-run included.
TEST(LhPackedCommands, EdgeCommandsComeBackFromTheirInput)
{
    std::mt19937 rng(3);
    std::vector<LzToken> tokens = literals(70000, rng);
    const std::vector<LzToken> tail = {{65536, 256}, {0, 0xFF}, {1, 3},     {0, 0x80},
                                       {0, 0x7F},    {2, 256},  {65535, 3}, {256, 255}};
    tokens.insert(tokens.end(), tail.begin(), tail.end());
    for (std::size_t run : {128u, 129u, 1u})
        for (const LzToken &t : literals(run, rng))
            tokens.push_back(t);
    tokens.push_back({65536, 200});
    const auto input = expandTokens(tokens);
    LhPackedCommands store;
    store.reset(input.size());
    store.append(tokens);
    for (std::size_t limit : {std::size_t{65535}, std::size_t{1}, std::size_t{3}, std::size_t{127}})
        EXPECT_TRUE(same(unpackAll(store, limit, input), tokens)) << limit;
}

TEST(LhPackedCommands, ByteCostAndRoomForTheWorstInput)
{
    std::mt19937 rng(4);
    LhPackedCommands store;
    store.reset(3000);
    EXPECT_GE(store.capacity(), LhPackedCommands::worstBytes(3000));
    const std::size_t room = store.capacity();
    // The worst input: matches of 3, four bytes each, fill the room without growing it.
    store.append(std::vector<LzToken>(1000, LzToken{5, 3}));
    EXPECT_EQ(store.byteSize(), 4000u);
    EXPECT_EQ(store.capacity(), room);
    // Literals cost a byte per run of up to 128, across append() calls too.
    store.reset(3000);
    EXPECT_EQ(store.capacity(), room);
    store.append(literals(100, rng));
    store.append(literals(28, rng));
    EXPECT_EQ(store.byteSize(), 1u);
    store.append(literals(1, rng));
    EXPECT_EQ(store.byteSize(), 2u);
    store.append(std::vector<LzToken>(1, LzToken{70, 3}));
    store.append(literals(1, rng));
    EXPECT_EQ(store.byteSize(), 2u + 4u + 1u);
}

TEST(LhPackedCommands, SeededStreamsRoundTripInAnyPieces)
{
    std::mt19937 rng(5);
    std::vector<LzToken> tokens = literals(300, rng);
    for (int i = 0; i < 20000; ++i) {
        if (rng() % 3) {
            for (const LzToken &t : literals(1 + rng() % 200, rng))
                tokens.push_back(t);
        } else {
            const auto length = static_cast<std::uint16_t>(3 + rng() % 254);
            tokens.push_back({static_cast<std::uint32_t>(1 + rng() % 300), length});
        }
    }
    const auto input = expandTokens(tokens);
    LhPackedCommands store;
    store.reset(input.size());
    for (std::size_t at = 0; at < tokens.size(); at += 777)
        store.append(std::span<const LzToken>(tokens).subspan(
            at, std::min<std::size_t>(777, tokens.size() - at)));
    EXPECT_LE(store.byteSize(), input.size());
    EXPECT_TRUE(same(unpackAll(store, 65535, input), tokens));
    EXPECT_TRUE(same(unpackAll(store, 1001, input), tokens));
}

TEST(LhPackedCommands, CommandsOutsideTheLimitsOrPastTheInputAreRefused)
{
    LhPackedCommands store;
    store.reset(10);
    const LzToken bad[] = {{1, 2}, {1, 257}, {65537, 3}};
    for (const LzToken &t : bad)
        EXPECT_THROW(store.append({&t, 1}), std::invalid_argument) << t.distance << "/" << t.value;
    EXPECT_EQ(store.byteSize(), 0u);
    // Ten commands' worth of input is needed; nine bytes are given.
    store.append(std::vector<LzToken>(7, LzToken{0, 'a'}));
    store.append(std::vector<LzToken>(1, LzToken{1, 3}));
    const std::vector<std::uint8_t> shortInput(9, 'a');
    std::vector<LzToken> out;
    LhPackedCommands::Cursor cursor;
    EXPECT_THROW(store.unpack(cursor, 100, shortInput, out), std::out_of_range);
    const std::vector<std::uint8_t> shorterStill(6, 'a');
    LhPackedCommands::Cursor fresh;
    out.clear();
    EXPECT_THROW(store.unpack(fresh, 100, shorterStill, out), std::out_of_range);
}
