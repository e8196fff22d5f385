#include "LhPriceModel.h"

#include "Huffman.h"

#include <algorithm>
#include <bit>

namespace vexel::codec {

namespace {

std::uint32_t positionSymbol(std::uint32_t distance)
{
    return static_cast<std::uint32_t>(std::bit_width(distance - 1));
}

// Code lengths for counts in which every symbol is possible (unseen ones get one
// count), so that no choice is ever priced as free or impossible.
std::vector<std::uint8_t> smoothedLengths(const std::vector<std::uint32_t> &counts)
{
    std::vector<std::uint32_t> smoothed(counts);
    for (auto &c : smoothed)
        c += 1;
    return limitedCodeLengths(smoothed, lh::kMaxCodeLength);
}

} // namespace

LhPriceModel::LhPriceModel(const LhMethodInfo &method)
    : codeCounts_(lh::kCodeSymbols, 0), positionCounts_(method.positionCodes, 0),
      codeBits_(lh::kCodeSymbols), positionBits_(method.positionCodes)
{
    // A first guess for the first parse of the first segment: plain bytes, short
    // lengths cheaper than long ones, every position code alike.
    for (std::uint32_t s = 0; s < lh::kCodeSymbols; ++s)
        codeBits_[s] = static_cast<std::uint8_t>(s < 256 ? 8 : 6 + std::bit_width(s - 256) / 2);
    for (auto &bits : positionBits_)
        bits = 4;
}

std::uint32_t LhPriceModel::distancePrice(std::uint32_t distance) const
{
    const std::uint32_t symbol = positionSymbol(distance);
    return positionBits_[symbol] + (symbol > 1 ? symbol - 1 : 0);
}

bool LhPriceModel::distancePricesByWidth(std::span<std::uint32_t, 33> prices) const
{
    // The position symbol is the width itself; widths past the dictionary never occur.
    for (std::uint32_t width = 0; width < prices.size(); ++width) {
        const std::uint32_t symbol =
            std::min<std::uint32_t>(width, static_cast<std::uint32_t>(positionBits_.size()) - 1);
        prices[width] = positionBits_[symbol] + (symbol > 1 ? symbol - 1 : 0);
    }
    return true;
}

void LhPriceModel::learn(std::span<const LzToken> tokens)
{
    // Older statistics fade by half at each lesson, so the prices follow the data.
    for (auto &c : codeCounts_)
        c /= 2;
    for (auto &c : positionCounts_)
        c /= 2;
    for (const LzToken &t : tokens) {
        if (t.isLiteral()) {
            ++codeCounts_[t.value];
        } else {
            ++codeCounts_[256 + t.value - lh::kMinMatch];
            ++positionCounts_[positionSymbol(t.distance)];
        }
    }
    codeBits_ = smoothedLengths(codeCounts_);
    positionBits_ = smoothedLengths(positionCounts_);
}

} // namespace vexel::codec
