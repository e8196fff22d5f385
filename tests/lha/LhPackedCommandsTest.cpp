#include "codec/LhPackedCommands.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using namespace vexel::codec;

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

std::vector<LzToken> unpackAll(const LhPackedCommands &store, std::size_t limit)
{
    std::vector<LzToken> all, some;
    for (std::size_t at = 0; at < store.byteSize();) {
        at = store.unpack(at, limit, some);
        EXPECT_LE(some.size(), limit);
        all.insert(all.end(), some.begin(), some.end());
        some.clear();
    }
    return all;
}

} // namespace

// Every command at the edges of the byte form: the escape byte as a literal, the
// lengths whose byte is 0 and 253 (next to the escape), distances 1 and 65536.
TEST(LhPackedCommands, EdgeCommandsComeBackAsTheyWent)
{
    const std::vector<LzToken> tokens = {
        {0, 0xFF}, {0, 0xFE}, {0, 0x00}, {1, 3},     {65536, 256}, {0, 0xFF}, {0, 0xFF},
        {256, 255}, {255, 4}, {65535, 3}, {2, 256},  {0, 0x7F},    {0, 0xFF}, {1, 256}};
    LhPackedCommands store;
    store.reset(100);
    store.append(tokens);
    EXPECT_TRUE(same(unpackAll(store, 1000), tokens));
    // Resumed one command at a time, never stopping inside a command's bytes.
    EXPECT_TRUE(same(unpackAll(store, 1), tokens));
    EXPECT_TRUE(same(unpackAll(store, 3), tokens));
}

TEST(LhPackedCommands, ByteCostAndRoomForTheWorstInput)
{
    LhPackedCommands store;
    store.reset(1000);
    EXPECT_GE(store.capacity(), LhPackedCommands::worstBytes(1000));
    const std::size_t room = store.capacity();
    // The worst input: 1000 literals 0xFF fill the room without growing it.
    store.append(std::vector<LzToken>(1000, LzToken{0, 0xFF}));
    EXPECT_EQ(store.byteSize(), 2000u);
    EXPECT_EQ(store.capacity(), room);
    // reset() empties the store and keeps its room for the next chunk.
    store.reset(1000);
    EXPECT_EQ(store.byteSize(), 0u);
    EXPECT_EQ(store.capacity(), room);
    store.append(std::vector<LzToken>(10, LzToken{0, 'a'}));
    store.append(std::vector<LzToken>(10, LzToken{70, 3}));
    EXPECT_EQ(store.byteSize(), 10u + 40u);
    std::vector<LzToken> out;
    EXPECT_EQ(store.unpack(0, 100, out), store.byteSize());
    EXPECT_EQ(out.size(), 20u);
}

TEST(LhPackedCommands, SeededStreamsRoundTripInAnyPieces)
{
    std::mt19937 rng(5);
    std::vector<LzToken> tokens;
    for (int i = 0; i < 20000; ++i) {
        if (rng() % 3)
            tokens.push_back({0, static_cast<std::uint16_t>(rng() % 256)});
        else
            tokens.push_back({static_cast<std::uint32_t>(1 + rng() % 65536),
                              static_cast<std::uint16_t>(3 + rng() % 254)});
    }
    LhPackedCommands store;
    store.reset(tokens.size() * 3);
    for (std::size_t at = 0; at < tokens.size(); at += 777)
        store.append(std::span<const LzToken>(tokens).subspan(at, std::min<std::size_t>(
                                                                     777, tokens.size() - at)));
    EXPECT_TRUE(same(unpackAll(store, 65535), tokens));
    EXPECT_TRUE(same(unpackAll(store, 1001), tokens));
}

TEST(LhPackedCommands, CommandsOutsideTheLimitsAreRefused)
{
    LhPackedCommands store;
    store.reset(10);
    const LzToken bad[] = {{0, 256}, {1, 2}, {1, 257}, {65537, 3}};
    for (const LzToken &t : bad)
        EXPECT_THROW(store.append({&t, 1}), std::invalid_argument)
            << t.distance << "/" << t.value;
    EXPECT_EQ(store.byteSize(), 0u);
}
