#include "LzxOptimalParser.h"

#include "CabFormat.h"
#include "codec/CommonPrefix.h"

#include <algorithm>
#include <limits>

namespace cab::lzx {
namespace {

using vexel::codec::LzMatch;
using vexel::codec::LzToken;

// Prices before the first block, and for symbols the latest block did not use.
constexpr std::uint8_t kDefaultLiteralBits = 8;
constexpr std::uint8_t kDefaultMatchBits = 10;
constexpr std::uint8_t kDefaultLengthBits = 8;
constexpr std::uint8_t kUnusedSymbolBits = 14;
constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();
// A frame takes tens of milliseconds to parse on a busy machine (text, the largest
// window); a stop is looked at eight times per frame.
constexpr std::size_t kStopCheckPositions = 4096;
// Inside a match this long, positions are not searched but for its last kSearchedTail,
// where the next step starts: a search there finds little that the match itself does
// not offer, yet cost as much as anywhere. On the mixed inputs of
// bench/cab/compare-revision.sh it saved 8% of the time at 16 MiB and 3% at 1 MiB, for
// 0.13% and 0.03% more bytes (no searched tail, or one of 16, cost 0.3-0.4% there).
constexpr std::uint32_t kUnsearchedMatch = 64;
constexpr std::uint32_t kSearchedTail = 32;

vexel::codec::MatchFinderParams finderParams(int windowBits, std::uint32_t maxChain,
                                             std::uint32_t niceLength, std::uint32_t treeHashBytes,
                                             std::uint64_t expectedBytes)
{
    vexel::codec::MatchFinderParams params;
    params.windowSize = 1u << windowBits;
    // The reader refuses the last three positions of the window.
    params.maxDistance = params.windowSize - 3;
    // A folder shorter than the window is searched in a window fitted to it.
    constexpr std::uint32_t kSmallestSearchWindow = 1u << 15;
    params.fitToStream(expectedBytes, kSmallestSearchWindow);
    params.maxMatch = kMaxMatch;
    params.maxChain = maxChain;
    params.niceLength = niceLength;
    // Text offers so many candidates per position that only a tree finds the long
    // matches far back in a big window in reasonable time.
    params.structure = vexel::codec::MatchStructure::BinaryTree;
    params.treeHashBytes = treeHashBytes;
    // A new distance is priced from 4 bytes on (relaxFrom): 3-byte matches would
    // only be looked for and dropped.
    params.threeByteMatches = false;
    // Side-by-side searches overlap the cache misses of tables larger than the caches
    // (a 2 MiB window: 28 MiB); small windows' tables stay in the cache, and there the
    // lanes' bookkeeping costs more than it saves (2^15: 18% more time, 2^17: 6%).
    constexpr int kLaneWindowBits = 20;
    params.lanes =
        params.windowSize >= (1u << kLaneWindowBits) ? vexel::codec::MatchFinder::kMaxLanes : 1;
    return params;
}

} // namespace

LzxOptimalParser::LzxOptimalParser(int windowBits, std::uint32_t maxChain, std::uint32_t niceLength,
                                   std::uint32_t treeHashBytes, std::uint64_t expectedBytes)
    : finder_(finderParams(windowBits, maxChain, niceLength, treeHashBytes, expectedBytes)),
      niceLength_(niceLength)
{
    std::fill(mainBits_.begin(), mainBits_.begin() + kNumChars, kDefaultLiteralBits);
    std::fill(mainBits_.begin() + kNumChars, mainBits_.end(), kDefaultMatchBits);
    lengthBits_.fill(kDefaultLengthBits);
    updateLengthTail();
}

void LzxOptimalParser::setCosts(std::span<const std::uint8_t> mainLengths,
                                std::span<const std::uint8_t> lengthLengths)
{
    auto price = [](std::uint8_t len) { return len ? len : kUnusedSymbolBits; };
    std::transform(mainLengths.begin(), mainLengths.end(), mainBits_.begin(), price);
    std::transform(lengthLengths.begin(), lengthLengths.end(), lengthBits_.begin(), price);
    updateLengthTail();
}

// A length past the main tree's headers adds a length-tree symbol.
void LzxOptimalParser::updateLengthTail()
{
    lengthTail_.fill(0);
    for (std::uint32_t len = kMinMatch + kLengthHeaders - 1; len <= kMaxMatch; ++len)
        lengthTail_[len] = lengthBits_[len - kMinMatch - (kLengthHeaders - 1)];
}

void LzxOptimalParser::feed(std::span<const std::uint8_t> input, std::vector<LzToken> &out)
{
    while (!input.empty()) {
        const std::size_t taken = finder_.append(input);
        input = input.subspan(taken);
        appended_ += taken;
        // A frame is parsed once a whole match of bytes after it is in the finder, so
        // that the tree is built with full comparisons.
        while (!stopped_ && (parsed_ / kFrameSize + 1) * kFrameSize + kMaxMatch + 1 <= appended_)
            parseFrame((parsed_ / kFrameSize + 1) * kFrameSize, out);
    }
}

void LzxOptimalParser::finish(std::vector<LzToken> &out)
{
    while (!stopped_ && parsed_ < appended_)
        parseFrame(std::min<std::uint64_t>((parsed_ / kFrameSize + 1) * kFrameSize, appended_),
                   out);
}

void LzxOptimalParser::reach(std::size_t index)
{
    for (; reached_ < index; ++reached_) {
        nodes_[reached_ + 1].price = kUnreached;
        nodes_[reached_ + 1].length = 0;
    }
}

// Prices the steps of `lengths` at `distance` from node `from`, coded with `slot`; a
// cheaper path to a node takes the step and the repeated offsets after it.
void LzxOptimalParser::relax(std::size_t from, std::uint32_t distance, int slot,
                             std::pair<std::uint32_t, std::uint32_t> lengths,
                             const RepeatedOffsets &after)
{
    const auto [first, last] = lengths;
    if (first > last)
        return;
    reach(from + last);
    const std::uint32_t base = nodes_[from].price + slotExtraBits(slot);
    const std::uint8_t *headers = &mainBits_[std::size_t(kNumChars + slot * kLengthHeaders)];
    Node *to = &nodes_[from];
    auto take = [&](std::uint32_t len, std::uint32_t price) {
        Node &n = to[len];
        if (price < n.price) {
            n.price = price;
            n.distance = distance;
            n.length = std::uint16_t(len);
            n.offsets = after;
        }
    };
    // Short lengths are told by the main symbol alone; from the last header on, the
    // header is the same and the length tree tells the rest.
    constexpr std::uint32_t kLastHeaderLength = kMinMatch + kLengthHeaders - 1;
    std::uint32_t len = first;
    for (; len <= last && len < kLastHeaderLength; ++len)
        take(len, base + headers[len - kMinMatch]);
    const std::uint32_t longBase = base + headers[kLengthHeaders - 1];
    for (; len <= last; ++len)
        take(len, longBase + lengthTail_[len]);
}

// Walks the best path back from node `to`, emits its steps in order and makes node
// `to` the start of the next stretch.
void LzxOptimalParser::emitPath(std::size_t to, std::vector<LzToken> &out)
{
    const std::size_t first = out.size();
    for (std::size_t at = to; at > 0; at -= nodes_[at].length ? nodes_[at].length : 1) {
        const Node &n = nodes_[at];
        out.push_back(n.length ? LzToken{n.distance, n.length}
                               : LzToken{0, static_cast<std::uint16_t>(n.distance)});
    }
    std::reverse(out.begin() + std::ptrdiff_t(first), out.end());
    offsets_ = nodes_[to].offsets;
    parsed_ += to;
}

// Inside a match, going on at its distance from node `i` (R0) reaches only nodes that
// the match's own longer lengths reach in one step, for less (one symbol instead of
// two) and with the same offsets after; only lengths past the longest match are new.
// This keeps a stretch of long matches from costing its length squared.
std::uint32_t LzxOptimalParser::firstRepeatLength(const Node &here, int r)
{
    if (r != 0 || here.length == 0)
        return kMinMatch;
    return std::max<std::uint32_t>(kMinMatch, kMaxMatch + 1 - here.length);
}

// Prices every step from node `i`. A distance is priced
// with the slot the block writer will code it with: the first repeated offset that
// holds it, else its position slot.
void LzxOptimalParser::relaxFrom(std::size_t i, const LzMatch &best, std::uint32_t limit)
{
    const Node here = nodes_[i];
    const std::uint8_t *cur = finder_.current();
    reach(i + 1);
    // A literal keeps the offsets; its step keeps the byte in `distance`.
    if (here.price + literalPrice(*cur) < nodes_[i + 1].price)
        nodes_[i + 1] = Node{here.price + literalPrice(*cur), *cur, 0, here.offsets};
    std::uint32_t longestRepeat = 0;
    bool bestIsRepeated = false;
    const std::uint32_t history = finder_.history();
    for (int r = 0; r < kRepeatSlots && limit >= kMinMatch; ++r) {
        const std::uint32_t distance = here.offsets.r[r];
        if (distance > history || std::find(here.offsets.r, here.offsets.r + r, distance)
                != here.offsets.r + r)
            continue;
        bestIsRepeated = bestIsRepeated || distance == best.distance;
        // Most repeated offsets fail on the first two bytes: no match there (shorter
        // than two bytes, it would price nothing).
        if (cur[0] != cur[0 - std::ptrdiff_t(distance)] || cur[1] != cur[1 - std::ptrdiff_t(distance)])
            continue;
        const std::uint32_t length = vexel::codec::commonPrefixLength(cur, cur - distance, limit);
        longestRepeat = std::max(longestRepeat, length);
        const std::uint32_t first = firstRepeatLength(here, r);
        if (first > length)
            continue;
        // A repeated offset moves to R0 (RepeatedOffsets::code).
        RepeatedOffsets after = here.offsets;
        std::swap(after.r[0], after.r[r]);
        relax(i, distance, r, {first, length}, after);
    }
    // Up to the longest repeated match, a repeated offset codes any length for less
    // than a new distance does.
    if (best.length > kMinMatch && !bestIsRepeated) {
        RepeatedOffsets after = here.offsets;
        after.code(best.distance, 0);
        relax(i, best.distance, slotOf(best.distance + 2),
              {std::max<std::uint32_t>(kMinMatch + 1, longestRepeat + 1), best.length}, after);
    }
}

void LzxOptimalParser::parseFrame(std::uint64_t frameEnd, std::vector<LzToken> &out)
{
    nodes_.resize(kFrameSize + 1);
    while (parsed_ < frameEnd) {
        const std::size_t span = std::size_t(frameEnd - parsed_);
        nodes_[0] = Node{0, 0, 0, offsets_};
        reached_ = 0;
        std::size_t i = 0;
        // Positions from here to `unsearchedEnd` lie inside a long match at
        // `insideDistance` that reaches kSearchedTail bytes further.
        std::size_t unsearchedEnd = 0;
        std::uint32_t insideDistance = 0;
        for (; i < span; ++i) {
            if (i % kStopCheckPositions == 0 && stopRequested_ && stopRequested_()) {
                stopped_ = true;
                return;
            }
            const std::uint32_t limit = std::uint32_t(std::min<std::size_t>(kMaxMatch, span - i));
            LzMatch best;
            if (i < unsearchedEnd) {
                // What is left of the long match stands in for a search.
                best = finder_.findAheadOrInsertShort();
                const auto rest = std::uint32_t(unsearchedEnd + kSearchedTail - i);
                if (best.length < rest)
                    best = {rest, insideDistance};
            } else {
                best = finder_.findAndInsert();
            }
            best.length = std::min(best.length, limit);
            if (best.length >= kUnsearchedMatch && i + best.length - kSearchedTail > unsearchedEnd) {
                unsearchedEnd = i + best.length - kSearchedTail;
                insideDistance = best.distance;
            }
            if (best.length >= niceLength_) { // taken whole: runs and long repeats stay linear
                // The positions inside it go into the short-match hashes only: its
                // source is in the trees already, and a tree walk per byte of a long
                // repeat cost more than the 0.1% it gained.
                finder_.advance();
                for (std::uint32_t k = 1; k < best.length; ++k, finder_.advance())
                    finder_.insertShortOnly();
                emitPath(i, out);
                out.push_back({best.distance, std::uint16_t(best.length)});
                offsets_.code(best.distance, std::uint16_t(best.length));
                parsed_ += best.length;
                break;
            }
            relaxFrom(i, best, limit);
            finder_.advance();
        }
        if (i == span)
            emitPath(span, out);
    }
}

} // namespace cab::lzx
