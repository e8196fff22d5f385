#include "LzxMatchChooser.h"

#include <algorithm>

namespace cab::lzx {
namespace {

// Rough bit costs, good enough to rank candidates: a literal, the main-tree symbol of a
// match, and a repeated-offset match as a whole.
constexpr int kLiteralBits = 7;
constexpr int kMatchSymbolBits = 9;
constexpr int kRepeatMatchBits = 6;

int worth(std::uint32_t length, int costBits)
{
    return int(length) * kLiteralBits - costBits;
}

int newOffsetCost(std::uint32_t distance)
{
    return kMatchSymbolBits + slotExtraBits(slotOf(distance + 2));
}

std::uint32_t commonLength(const std::uint8_t *a, const std::uint8_t *b, std::uint32_t limit)
{
    std::uint32_t n = 0;
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

} // namespace

void LzxMatchChooser::refine(const std::uint8_t *cur, std::uint32_t available, std::uint32_t history,
                             vexel::codec::LzMatch &best)
{
    int bestWorth = best.length ? worth(best.length, newOffsetCost(best.distance)) : 0;
    if (bestWorth <= 0)
        best = {};
    const std::uint32_t limit = std::min<std::uint32_t>(available, kMaxMatch);
    for (std::uint32_t distance : offsets_.r) {
        if (distance > history || limit < kMinMatch)
            continue;
        const std::uint32_t length = commonLength(cur, cur - distance, limit);
        if (length < kMinMatch)
            continue;
        const int w = worth(length, kRepeatMatchBits);
        if (w > bestWorth) {
            bestWorth = w;
            best = {length, distance};
        }
    }
}

void LzxMatchChooser::committed(const vexel::codec::LzToken &token)
{
    if (!token.isLiteral())
        offsets_.code(token.distance, token.value);
}

} // namespace cab::lzx
