#include "codec/BitWriter.h"

#include <gtest/gtest.h>

using vexel::codec::BitPacking;
using vexel::codec::BitWriter;

TEST(BitWriter, PacksBytesMostSignificantBitFirst)
{
    BitWriter w(BitPacking::MsbFirstBytes);
    w.put(0b101, 3);
    w.put(0b11110000, 8);
    w.put(1, 1);
    EXPECT_EQ(w.bytes().size(), 1u); // the last 4 bits wait for more
    w.alignToUnit();
    ASSERT_EQ(w.bytes().size(), 2u);
    EXPECT_EQ(w.bytes()[0], 0b10111110);
    EXPECT_EQ(w.bytes()[1], 0b00010000);
    EXPECT_EQ(w.bitCount(), 16u);
}

TEST(BitWriter, PacksLittleEndianWordsForWordPacking)
{
    BitWriter w(BitPacking::MsbFirstLe16Words);
    w.put(0xABC, 12);
    w.put(0x5, 4);
    w.put(1, 1);
    w.alignToUnit();
    ASSERT_EQ(w.bytes().size(), 4u);
    EXPECT_EQ(w.bytes()[0], 0xC5);
    EXPECT_EQ(w.bytes()[1], 0xAB);
    EXPECT_EQ(w.bytes()[2], 0x00);
    EXPECT_EQ(w.bytes()[3], 0x80);
    w.alignToUnit(); // already aligned: nothing added
    EXPECT_EQ(w.bytes().size(), 4u);
}

TEST(BitWriter, IgnoresHighBitsAndTakesFullWords)
{
    BitWriter w;
    w.put(0xFFFFFFFF, 2);
    w.put(0xDEADBEEF, 32);
    w.put(0, 0);
    w.alignToUnit();
    std::vector<std::uint8_t> sink{0x11};
    w.drainTo(sink);
    EXPECT_TRUE(w.bytes().empty());
    const std::vector<std::uint8_t> expected{0x11, 0xF7, 0xAB, 0x6F, 0xBB, 0xC0};
    EXPECT_EQ(sink, expected);
}
