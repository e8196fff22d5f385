#include "codec/Huffman.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <queue>
#include <random>
#include <stdexcept>

using namespace vexel::codec;

namespace {

// Kraft sum scaled by 2^32: exactly 2^32 for a complete code.
std::uint64_t kraft(const std::vector<std::uint8_t> &lengths)
{
    std::uint64_t sum = 0;
    for (auto len : lengths)
        if (len)
            sum += std::uint64_t{1} << (32 - len);
    return sum;
}

std::uint64_t cost(const std::vector<std::uint32_t> &freq, const std::vector<std::uint8_t> &len)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < freq.size(); ++i)
        bits += std::uint64_t{freq[i]} * len[i];
    return bits;
}

} // namespace

TEST(Huffman, LengthsRespectLimitAndFormCompleteCodes)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const std::size_t n = 2 + rng() % 600;
        const unsigned limit = 9 + rng() % 8;
        std::vector<std::uint32_t> freq(n);
        for (auto &f : freq) {
            // Geometric-like spread forces deep trees that need limiting.
            f = (rng() % 3 == 0) ? 0 : (1u << (rng() % 24)) + rng() % 5;
        }
        freq[rng() % n] = 1;
        freq[rng() % n] = 1;
        if (usedSymbolCount(freq) > (1u << limit))
            continue;
        const auto lengths = limitedCodeLengths(freq, limit);
        for (std::size_t s = 0; s < n; ++s) {
            ASSERT_LE(lengths[s], limit);
            ASSERT_EQ(lengths[s] == 0, freq[s] == 0) << "symbol " << s;
        }
        ASSERT_EQ(kraft(lengths), std::uint64_t{1} << 32);
    }
}

TEST(Huffman, MatchesUnlimitedHuffmanCostWhenLimitIsLoose)
{
    // Frequencies 1,1,2,3,5,8: Huffman lengths 5,5,4,3,2,1 -> 1*5+1*5+2*4+3*3+5*2+8*1 = 45 bits.
    const std::vector<std::uint32_t> freq{1, 1, 2, 3, 5, 8};
    EXPECT_EQ(cost(freq, limitedCodeLengths(freq, 16)), 45u);
    // With a limit of 3 the only complete shape is 2,2,3,3,3,3: 47 bits.
    const auto limited = limitedCodeLengths(freq, 3);
    EXPECT_EQ(cost(freq, limited), 47u);
    EXPECT_EQ(kraft(limited), std::uint64_t{1} << 32);
}

// Codes whose unlimited Huffman tree fits the limit are built one way, the others
// another: at every limit around the unlimited tree's depth the code must be complete,
// within the limit, and as cheap as the limit allows (the unlimited cost, once the
// limit reaches that depth; never cheaper, never dearer for a looser limit).
TEST(Huffman, OptimalAtEveryLimitAroundTheUnlimitedDepth)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint32_t> freq(2 + rng() % 400);
        const unsigned spread = 1 + rng() % 20;
        for (auto &f : freq)
            f = rng() % 4 == 0 ? 0 : (1u << (rng() % spread)) + rng() % 3;
        freq[0] = freq[1] = 1;
        // Unlimited Huffman cost: the sum of the weights of every node made.
        std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> queue;
        for (auto f : freq)
            if (f)
                queue.push(f);
        std::uint64_t unlimitedCost = 0;
        while (queue.size() > 1) {
            const std::uint64_t a = queue.top();
            queue.pop();
            const std::uint64_t b = queue.top();
            queue.pop();
            unlimitedCost += a + b;
            queue.push(a + b);
        }
        const auto loose = limitedCodeLengths(freq, 31);
        ASSERT_EQ(cost(freq, loose), unlimitedCost) << "round " << round;
        const unsigned depth = *std::max_element(loose.begin(), loose.end());
        const auto used = usedSymbolCount(freq);
        std::uint64_t costBefore = ~std::uint64_t{0};
        for (unsigned limit = depth + 2; limit-- > 1 && (std::size_t{1} << limit) >= used;) {
            const auto lengths = limitedCodeLengths(freq, limit);
            ASSERT_LE(*std::max_element(lengths.begin(), lengths.end()), limit);
            ASSERT_EQ(kraft(lengths), std::uint64_t{1} << 32) << "limit " << limit;
            const std::uint64_t bits = cost(freq, lengths);
            if (limit >= depth) {
                ASSERT_EQ(bits, unlimitedCost) << "round " << round << ", limit " << limit;
            }
            ASSERT_GE(bits, unlimitedCost);
            if (costBefore != ~std::uint64_t{0}) {
                ASSERT_GE(bits, costBefore) << "a tighter limit gave a cheaper code";
            }
            costBefore = bits;
        }
    }
}

TEST(Huffman, ZeroAndOneUsedSymbols)
{
    const std::vector<std::uint32_t> none(19, 0);
    EXPECT_EQ(limitedCodeLengths(none, 16), std::vector<std::uint8_t>(19, 0));

    std::vector<std::uint32_t> one(19, 0);
    one[0] = 42;
    auto lengths = limitedCodeLengths(one, 16);
    EXPECT_EQ(lengths[0], 1);
    EXPECT_EQ(lengths[1], 1);
    EXPECT_EQ(kraft(lengths), std::uint64_t{1} << 32);

    one[0] = 0;
    one[7] = 3;
    lengths = limitedCodeLengths(one, 16);
    EXPECT_EQ(lengths[7], 1);
    EXPECT_EQ(lengths[0], 1);
    EXPECT_EQ(usedSymbolCount(one), 1u);
}

TEST(Huffman, RejectsSymbolsThatCannotFitTheLimit)
{
    const std::vector<std::uint32_t> freq(5, 1);
    EXPECT_THROW(limitedCodeLengths(freq, 2), std::invalid_argument);
    EXPECT_NO_THROW(limitedCodeLengths(std::vector<std::uint32_t>(4, 1), 2));
    EXPECT_THROW(limitedCodeLengths(std::vector<std::uint32_t>{5}, 16), std::invalid_argument);
}

TEST(Huffman, CanonicalCodesAreOrderedAndPrefixFree)
{
    const std::vector<std::uint8_t> lengths{3, 3, 3, 3, 3, 2, 4, 4, 0};
    const auto codes = canonicalCodes(lengths);
    // Deflate's worked example: F=00, A..E=010..110, G=1110, H=1111.
    const std::vector<std::uint32_t> expected{2, 3, 4, 5, 6, 0, 14, 15, 0};
    EXPECT_EQ(codes, expected);

    std::mt19937 rng(3);
    std::vector<std::uint32_t> freq(510);
    for (auto &f : freq)
        f = rng() % 1000;
    const auto len = limitedCodeLengths(freq, 16);
    const auto code = canonicalCodes(len);
    for (std::size_t a = 0; a < len.size(); ++a)
        for (std::size_t b = 0; b < len.size(); ++b) {
            if (a == b || !len[a] || !len[b] || len[a] > len[b])
                continue;
            ASSERT_NE(code[b] >> (len[b] - len[a]), code[a]) << a << " prefixes " << b;
        }
}
