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
// The table of the newest position per 4-byte hash: small enough for the cache nearest
// the core, looked up at every searched position.
constexpr std::uint32_t kFourByteHashBits = 16;

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
    // only be looked for and dropped. The 4- to 7-byte matches are added by the parser
    // (addFourByteMatches), off the search's thread.
    params.threeByteMatches = false;
    params.fourByteMatches = false;
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
                                   std::uint32_t treeHashBytes, std::uint64_t expectedBytes,
                                   bool searchOnItsOwnThread)
    : params_(finderParams(windowBits, maxChain, niceLength, treeHashBytes, expectedBytes)),
      search_(params_, niceLength, searchOnItsOwnThread), niceLength_(niceLength),
      fourByteHeads_(std::size_t{1} << kFourByteHashBits, 0)
{
    // Room for the history a repeated offset reaches and the frames on their way: the
    // bytes then move to the front once per window's worth, not per frame.
    bytes_.reserve(2 * std::size_t{params_.maxDistance} + 4 * std::size_t{kFrameSize});
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
    keepBytes(input);
    search_.append(input);
    // The newest searchable frame is left to the search while the ones before it
    // are priced.
    while (!stopped_ && framesParsed_ + 1 < search_.searchableFrames())
        parseNextFrame(out);
}

void LzxOptimalParser::endInput() { search_.finish(); }

bool LzxOptimalParser::parseNextFrame(std::vector<LzToken> &out)
{
    if (stopped_ || framesParsed_ >= search_.searchableFrames())
        return false;
    if (!search_.take(frame_, stopRequested_)) {
        stopped_ = true;
        return false;
    }
    addFourByteMatches(frame_);
    parseFrame(frame_, out);
    search_.giveBack(std::move(frame_));
    ++framesParsed_;
    return !stopped_;
}

void LzxOptimalParser::finish(std::vector<LzToken> &out)
{
    endInput();
    while (parseNextFrame(out)) {
    }
}

// Appends `input` to the bytes kept for pricing, first dropping what no repeated
// offset from the next position to price can reach any more, when room runs out.
void LzxOptimalParser::keepBytes(std::span<const std::uint8_t> input)
{
    const std::uint64_t oldest = parsed_ > params_.maxDistance ? parsed_ - params_.maxDistance : 0;
    if (bytes_.size() + input.size() > bytes_.capacity() && oldest > bytesStart_) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + std::ptrdiff_t(oldest - bytesStart_));
        bytesStart_ = oldest;
    }
    bytes_.insert(bytes_.end(), input.begin(), input.end());
}

// The search's trees are keyed by 8 bytes: the newest position sharing the first 4
// gives the shorter matches. Every position of the frame enters the table, in stream
// order; the searched ones look it up first and keep the longer of the two matches, or
// on a tie this one: any tree match that long shares the 4 bytes too, so this newest
// position sharing them is the closer (or the same).
void LzxOptimalParser::addFourByteMatches(SearchedFrame &frame)
{
    auto byteAt = [this](std::uint64_t pos) { return bytes_.data() + (pos - bytesStart_); };
    for (std::uint64_t pos = frame.start; pos < frame.end; ++pos) {
        const auto limit =
            std::uint32_t(std::min<std::uint64_t>(kMaxMatch, frame.lookaheadEnd - pos));
        if (limit < 4)
            continue;
        const std::uint8_t *cur = byteAt(pos);
        // Positions + 1, so that 0 is none. A folder is far shorter than 4 GiB; in a
        // longer stream a wrapped position would lie beyond the window, and be passed.
        std::uint32_t &head = fourByteHeads_[vexel::codec::fourByteHash(cur, kFourByteHashBits)];
        const std::size_t at = std::size_t(pos - frame.start);
        LzMatch &best = frame.best[at];
        if (frame.searched[at] && head != 0) {
            const std::uint64_t distance = pos - (head - 1);
            if (distance <= params_.maxDistance && cur[0 - std::ptrdiff_t(distance)] == cur[0]) {
                const std::uint32_t length = vexel::codec::commonPrefixLength(
                    cur, cur - std::ptrdiff_t(distance), limit);
                if (length >= 4 && length >= best.length)
                    best = {length, std::uint32_t(distance)};
            }
        }
        head = std::uint32_t(pos + 1);
    }
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
    const std::uint64_t at = parsed_ + i;
    const std::uint8_t *cur = bytes_.data() + (at - bytesStart_);
    reach(i + 1);
    // A literal keeps the offsets; its step keeps the byte in `distance`.
    if (here.price + literalPrice(*cur) < nodes_[i + 1].price)
        nodes_[i + 1] = Node{here.price + literalPrice(*cur), *cur, 0, here.offsets};
    std::uint32_t longestRepeat = 0;
    bool bestIsRepeated = false;
    const auto history = std::uint32_t(std::min<std::uint64_t>(at, params_.maxDistance));
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

void LzxOptimalParser::parseFrame(const SearchedFrame &frame, std::vector<LzToken> &out)
{
    nodes_.resize(kFrameSize + 1);
    while (parsed_ < frame.end) {
        const std::size_t span = std::size_t(frame.end - parsed_);
        const LzMatch *found = frame.best.data() + (parsed_ - frame.start);
        nodes_[0] = Node{0, 0, 0, offsets_};
        reached_ = 0;
        std::size_t i = 0;
        for (; i < span; ++i) {
            if (i % kStopCheckPositions == 0 && stopRequested_ && stopRequested_()) {
                stopped_ = true;
                search_.cancel();
                return;
            }
            const auto limit = std::uint32_t(std::min<std::size_t>(kMaxMatch, span - i));
            LzMatch best = found[i];
            best.length = std::min(best.length, limit);
            if (best.length >= niceLength_) { // taken whole: runs and long repeats stay linear
                emitPath(i, out);
                out.push_back({best.distance, std::uint16_t(best.length)});
                offsets_.code(best.distance, std::uint16_t(best.length));
                parsed_ += best.length;
                break;
            }
            relaxFrom(i, best, limit);
        }
        if (i == span)
            emitPath(span, out);
    }
}

} // namespace cab::lzx
