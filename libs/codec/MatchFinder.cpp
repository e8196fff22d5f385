#include "MatchFinder.h"

#include "CommonPrefix.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace vexel::codec {

namespace {

constexpr std::int32_t kNone = -1;
constexpr std::uint32_t kShortBytes = 3; // shortest match found
constexpr std::uint32_t kHashBytes = 4;  // bytes hashed for the chains
constexpr std::uint32_t kShortHashBits = 14;
// Sides of a tree walk (MatchFinder::TreeWalk), and the link of a node that leads on
// from a candidate on that side.
constexpr std::size_t kLarger = 0;
constexpr std::size_t kSmaller = 1;

std::uint32_t hashBitsFor(std::uint32_t windowSize)
{
    // About one hash slot per window byte: in a 2 MiB window, a quarter as many slots
    // put four unrelated keys in each tree on incompressible data, and a tenth more
    // steps into every walk.
    const auto bits = static_cast<std::uint32_t>(std::countr_zero(windowSize));
    return std::clamp(bits, 14u, 20u);
}

// The newest position per 4-byte hash serves the 4- to 7-byte matches of trees keyed
// by more bytes. Looked up at every position, it stays small enough for the cache
// nearest the core; a collision costs a short match, rarely.
constexpr std::uint32_t kMaxShortHash4Bits = 16;

} // namespace

void MatchFinderParams::fitToStream(std::uint64_t bytes, std::uint32_t smallestWindow)
{
    streamBytes = bytes;
    if (bytes == 0)
        return;
    windowSize = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(
        std::bit_ceil(bytes), std::min(smallestWindow, windowSize), windowSize));
    maxDistance = std::min(maxDistance, windowSize);
}

inline std::uint32_t MatchFinder::matchLength(std::size_t a, std::size_t b,
                                              std::uint32_t limit) const
{
    return commonPrefixLength(buffer_.get() + a, buffer_.get() + b, limit);
}

MatchFinder::MatchFinder(const MatchFinderParams &params) : params_(params)
{
    const std::uint32_t w = params.windowSize;
    if (w < (1u << 10) || w > (1u << 21) || !std::has_single_bit(w))
        throw std::invalid_argument("window size must be a power of two from 1 KiB to 2 MiB");
    if (params.maxDistance == 0 || params.maxDistance > w)
        throw std::invalid_argument("largest distance must lie within the window");
    if (params.maxMatch < kShortBytes || params.maxMatch > 65535)
        throw std::invalid_argument("longest match out of range");
    if (params.treeHashBytes < kHashBytes || params.treeHashBytes > 8)
        throw std::invalid_argument("tree hash length out of range");
    if (params.lanes > kMaxLanes)
        throw std::invalid_argument("too many search lanes");
    if (params_.maxChain == 0)
        params_.maxChain = 1;
    if (params_.lanes == 0)
        params_.lanes = 1;
    // The ring must hold positions maxDistance back, beside the cursor's own slot.
    ring_ = std::bit_ceil(params.maxDistance + 1);
    hashBits_ = hashBitsFor(w);
    hash4Bits_ = std::min(hashBits_, kMaxShortHash4Bits);
    capacity_ = 4 * std::size_t{ring_};
    if (params.streamBytes == 0 || params.streamBytes > capacity_)
        capacity_ = std::max<std::size_t>(capacity_, 1u << 18);
    buffer_ = makeBigTable<std::uint8_t>(capacity_ + 8);
    headCount_ = std::size_t{1} << hashBits_;
    head_ = makeBigTable<std::int32_t>(headCount_);
    std::fill(head_.get(), head_.get() + headCount_, kNone);
    if (params.structure == MatchStructure::HashChains || params.threeByteMatches)
        head3_.assign(std::size_t{1} << kShortHashBits, kNone);
    if (params.structure == MatchStructure::BinaryTree && params.treeHashBytes > kHashBytes &&
        (params.fourByteMatches || params.threeByteMatches))
        head4_.assign(std::size_t{1} << hash4Bits_, kNone);
    linkCount_ = params.structure == MatchStructure::HashChains ? ring_ : 2 * std::size_t{ring_};
    links_ = makeBigTable<std::int32_t>(linkCount_);
}

std::uint32_t MatchFinder::history() const
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(cursor_, params_.maxDistance));
}

std::size_t MatchFinder::append(std::span<const std::uint8_t> input)
{
    if (end_ + input.size() > capacity_)
        slide();
    const std::size_t n = std::min(input.size(), capacity_ - end_);
    if (n != 0)
        std::memcpy(buffer_.get() + end_, input.data(), n);
    end_ += n;
    std::memset(buffer_.get() + end_, 0, 8); // hashes and prefetches read a little past end_
    return n;
}

void MatchFinder::slide()
{
    // Keep a whole ring of history before the cursor. Shifting by a multiple of the
    // ring keeps links_ (indexed by position modulo the ring) in place.
    const std::size_t w = ring_;
    if (cursor_ <= w)
        return;
    const std::size_t shift = (cursor_ - w) / w * w;
    if (shift == 0)
        return;
    std::memmove(buffer_.get(), buffer_.get() + shift, end_ - shift);
    cursor_ -= shift;
    end_ -= shift;
    const auto s = static_cast<std::int32_t>(shift);
    auto rebase = [s](std::int32_t &p) { p = p >= s ? p - s : kNone; };
    std::for_each(head_.get(), head_.get() + headCount_, rebase);
    std::for_each(head3_.begin(), head3_.end(), rebase);
    std::for_each(head4_.begin(), head4_.end(), rebase);
    std::for_each(links_.get(), links_.get() + linkCount_, rebase);
    aheadStart_ = aheadStart_ >= shift ? aheadStart_ - shift : 0;
    aheadEnd_ = aheadEnd_ >= shift ? aheadEnd_ - shift : 0;
}

inline std::uint32_t MatchFinder::hashAt(std::size_t pos, std::uint32_t bits) const
{
    return fourByteHash(buffer_.get() + pos, bits);
}

inline std::uint32_t MatchFinder::hash3At(std::size_t pos, std::uint32_t bits) const
{
    // The buffer's padding makes the 4-byte read safe; only three bytes count.
    std::uint32_t v;
    std::memcpy(&v, buffer_.get() + pos, 4);
    return ((v << 8) * 2654435761u) >> (32 - bits);
}

inline std::uint32_t MatchFinder::treeHashAt(std::size_t pos) const
{
    if (params_.treeHashBytes == kHashBytes)
        return hashAt(pos, hashBits_);
    // The buffer's padding makes the 8-byte read safe; only the hashed bytes count.
    std::uint64_t v;
    std::memcpy(&v, buffer_.get() + pos, 8);
    v <<= 64 - 8 * params_.treeHashBytes;
    return static_cast<std::uint32_t>((v * 0x9E3779B97F4A7C15ull) >> (64 - hashBits_));
}

void MatchFinder::insert(std::size_t pos)
{
    if (end_ - pos < kShortBytes)
        return;
    head3_[hash3At(pos, kShortHashBits)] = static_cast<std::int32_t>(pos);
    if (end_ - pos < kHashBytes)
        return;
    const std::uint32_t h = hashAt(pos, hashBits_);
    links_[pos & (ring_ - 1)] = head_[h];
    head_[h] = static_cast<std::int32_t>(pos);
}

LzMatch MatchFinder::findAndInsert()
{
    if (params_.structure == MatchStructure::BinaryTree && params_.lanes > 1) {
        if (cursor_ >= end_)
            return {};
        if (cursor_ < aheadStart_ || cursor_ >= aheadEnd_)
            treeInsertLanes();
        return ahead_[cursor_ - aheadStart_];
    }
    if (params_.structure == MatchStructure::BinaryTree)
        return treeInsert(true, nullptr);
    return chainFindAndInsert(nullptr);
}

inline LzMatch MatchFinder::shortMatch(std::size_t pos, std::int32_t recent, std::uint32_t limit,
                                       std::vector<LzMatch> *all) const
{
    LzMatch m;
    if (recent == kNone || pos - static_cast<std::size_t>(recent) > params_.maxDistance)
        return m;
    // Most candidates of a hashed slot that differ do so in the first bytes.
    if (buffer_[static_cast<std::size_t>(recent)] != buffer_[pos])
        return m;
    const std::uint32_t len = matchLength(static_cast<std::size_t>(recent), pos, limit);
    if (len < kShortBytes)
        return m;
    m = {len, static_cast<std::uint32_t>(pos - static_cast<std::size_t>(recent))};
    if (all)
        all->push_back(m);
    return m;
}

inline LzMatch MatchFinder::shortMatches(std::size_t pos, std::uint32_t limit, bool wanted,
                                         std::vector<LzMatch> *all)
{
    LzMatch best;
    if (!head3_.empty()) {
        const std::uint32_t h3 = hash3At(pos, kShortHashBits);
        if (wanted)
            best = shortMatch(pos, head3_[h3], limit, all);
        head3_[h3] = static_cast<std::int32_t>(pos);
    }
    if (head4_.empty() || limit < kHashBytes)
        return best;
    // Any position sharing 4 bytes shares 3 too, so this one is no closer: it counts
    // only when it is longer, and it is the same position when that shares 4 bytes.
    const std::uint32_t h4 = hashAt(pos, hash4Bits_);
    if (wanted && best.length < kHashBytes) {
        const LzMatch m = shortMatch(pos, head4_[h4], limit, nullptr);
        // A slot shared by another 4-byte string may still give 3 bytes.
        if (m.length > best.length && (m.length >= kHashBytes || !head3_.empty())) {
            best = m;
            if (all)
                all->push_back(m);
        }
    }
    head4_[h4] = static_cast<std::int32_t>(pos);
    return best;
}

LzMatch MatchFinder::chainFindAndInsert(std::vector<LzMatch> *all)
{
    LzMatch best;
    const std::uint32_t limit = std::min(params_.maxMatch, available());
    if (limit < kShortBytes)
        return best;
    const std::size_t cur = cursor_;
    const std::uint8_t *data = buffer_.get();
    // The newest position with the same 3 bytes gives the short matches ...
    best = shortMatch(cur, head3_[hash3At(cur, kShortHashBits)], limit, all);
    std::uint32_t bestLen = std::max(best.length, kShortBytes - 1);
    // ... and the chain of positions with the same 4 bytes the longer ones: far
    // fewer candidates than a 3-byte chain on text, where "the " and "e t" abound.
    std::int32_t cand =
        limit >= kHashBytes && bestLen < limit ? head_[hashAt(cur, hashBits_)] : kNone;
    for (std::uint32_t steps = params_.maxChain; cand != kNone && steps != 0; --steps) {
        const std::size_t distance = cur - static_cast<std::size_t>(cand);
        if (distance > params_.maxDistance || bestLen >= params_.niceLength)
            break;
        if (data[cand + bestLen] == data[cur + bestLen] && data[cand] == data[cur]) {
            const std::uint32_t len = matchLength(static_cast<std::size_t>(cand), cur, limit);
            if (len > bestLen) {
                bestLen = len;
                best = {len, static_cast<std::uint32_t>(distance)};
                if (all)
                    all->push_back(best);
                if (len == limit)
                    break;
            }
        }
        const std::int32_t next = links_[static_cast<std::size_t>(cand) & (ring_ - 1)];
        if (next >= cand)
            break; // the slot was reused by a newer position: the chain ends here
        cand = next;
    }
    insert(cur);
    return best;
}

LzMatch MatchFinder::findAllAndInsert(std::vector<LzMatch> &matches)
{
    matches.clear();
    if (cursor_ < aheadEnd_)
        throw std::logic_error("the cursor was searched ahead already");
    if (params_.structure == MatchStructure::BinaryTree)
        return treeInsert(true, &matches);
    return chainFindAndInsert(&matches);
}

// Forced inline: a separate function holding nothing but prefetches looks free of
// effects to GCC 12, which then drops every call to it at -O2 (no prefetch was left
// in the walk before).
[[gnu::always_inline]] inline void MatchFinder::prefetchNode(std::int32_t pos,
                                                             std::uint32_t at) const
{
    if (pos < 0)
        return;
    const auto p = static_cast<std::size_t>(pos);
    __builtin_prefetch(&links_[2 * (p & (ring_ - 1))]);
    __builtin_prefetch(buffer_.get() + p + at);
}

// The tree root of a position is a random read in a table of megabytes, and so are the
// root's node and bytes and the bytes of the newest position sharing 3 (or, without
// 3-byte matches, 4) bytes: fetched a few positions ahead, they are in the cache by the
// time the search starts there, instead of three misses at the start of every search.
[[gnu::always_inline]] inline void MatchFinder::prefetchAhead(std::size_t pos) const
{
    constexpr std::size_t kHeadAhead = 16; // positions ahead whose root slot is fetched
    constexpr std::size_t kRootAhead = 8;  // ... and whose root node and bytes are
    // treeHashAt() reads 8 bytes; the buffer's padding covers those past end_.
    if (pos + kHeadAhead < end_)
        __builtin_prefetch(&head_[treeHashAt(pos + kHeadAhead)]);
    if (pos + kRootAhead < end_) {
        prefetchNode(head_[treeHashAt(pos + kRootAhead)], 0);
        const std::int32_t recent = !head3_.empty()
            ? head3_[hash3At(pos + kRootAhead, kShortHashBits)]
            : !head4_.empty() ? head4_[hashAt(pos + kRootAhead, hash4Bits_)] : kNone;
        if (recent >= 0)
            __builtin_prefetch(buffer_.get() + recent);
    }
}

// The positions sharing a hash of their first treeHashBytes form a binary search tree
// ordered by the bytes that follow them, newest at the root. Walking down from the root
// to place a position visits exactly the candidates that share the longest prefixes with
// it, and re-links the tree around the position as its new root. Shorter matches come
// from the newest positions sharing 3 and 4 bytes.
inline void MatchFinder::beginWalk(TreeWalk &walk, std::size_t pos, bool wanted,
                                   std::vector<LzMatch> *all)
{
    walk.cur = pos;
    walk.done = true;
    walk.best = {};
    walk.limit = std::min<std::uint32_t>(params_.maxMatch, static_cast<std::uint32_t>(end_ - pos));
    walk.lenLimit = std::min(walk.limit, params_.niceLength); // nothing to grow when no walk
    if (walk.limit < kShortBytes)
        return;
    prefetchAhead(pos);
    walk.best = shortMatches(pos, walk.limit, wanted, all);
    walk.bestLen = std::max(walk.best.length, kShortBytes - 1);
    if (walk.limit < params_.treeHashBytes)
        return;
    walk.done = false;
    const std::uint32_t h = treeHashAt(pos);
    walk.cand = head_[h];
    head_[h] = static_cast<std::int32_t>(pos);
    // A node's two links: [0] its larger subtree, [1] its smaller one; the position's
    // own links start as the slots of the two sides.
    walk.slot[kSmaller] = &links_[2 * (pos & (ring_ - 1))];
    walk.slot[kLarger] = walk.slot[kSmaller] + 1;
    walk.sideLen = {0, 0};
    walk.steps = params_.maxChain;
    walk.oldest = std::max<std::int64_t>(0, static_cast<std::int64_t>(pos) - params_.maxDistance);
}

template <MatchFinder::SidePick pick>
[[gnu::always_inline]] inline void MatchFinder::walkStep(TreeWalk &w, std::vector<LzMatch> *all)
{
    const std::int32_t cand = w.cand;
    if (cand < w.oldest || w.steps == 0) { // kNone is below oldest too
        *w.slot[kSmaller] = *w.slot[kLarger] = kNone;
        w.done = true;
        return;
    }
    --w.steps;
    const std::uint8_t *data = buffer_.get();
    std::int32_t *node = &links_[2 * (static_cast<std::size_t>(cand) & (ring_ - 1))];
    std::uint32_t len = std::min(w.sideLen[0], w.sideLen[1]);
    // The walk is a chain of cache misses, one node after the other: fetching both
    // children while this candidate is compared overlaps the next step's misses.
    prefetchNode(node[0], len);
    prefetchNode(node[1], len);
    len += matchLength(static_cast<std::size_t>(cand) + len, w.cur + len, w.lenLimit - len);
    if (len > w.bestLen) {
        w.bestLen = len;
        w.best = {len, static_cast<std::uint32_t>(w.cur - static_cast<std::size_t>(cand))};
        if (all)
            all->push_back(w.best);
    }
    if (len == w.lenLimit) {
        // The candidate equals the position as far as the tree looks: the position
        // takes its place, with its subtrees.
        *w.slot[kSmaller] = node[0];
        *w.slot[kLarger] = node[1];
        w.done = true;
        return;
    }
    // A smaller candidate's larger subtree is next, and the other way round.
    const bool smaller = data[cand + len] < data[w.cur + len];
    if constexpr (pick == SidePick::ByIndex) {
        takeSide(w, smaller ? kSmaller : kLarger, cand, node, len);
    } else if (smaller) {
        takeSide(w, kSmaller, cand, node, len);
    } else {
        takeSide(w, kLarger, cand, node, len);
    }
}

[[gnu::always_inline]] inline void MatchFinder::takeSide(TreeWalk &w, std::size_t side,
                                                         std::int32_t cand, std::int32_t *node,
                                                         std::uint32_t len)
{
    *w.slot[side] = cand;
    w.slot[side] = &node[side];
    w.cand = node[side];
    w.sideLen[side] = len;
}

inline LzMatch MatchFinder::endWalk(TreeWalk &w, bool wanted, std::vector<LzMatch> *all) const
{
    LzMatch best = w.best;
    if (wanted && best.length == w.lenLimit && w.lenLimit < w.limit) {
        best.length += matchLength(w.cur - best.distance + w.lenLimit, w.cur + w.lenLimit,
                                   w.limit - w.lenLimit);
        if (all)
            all->back() = best;
    }
    return best;
}

LzMatch MatchFinder::treeInsert(bool wanted, std::vector<LzMatch> *all)
{
    TreeWalk walk;
    beginWalk(walk, cursor_, wanted, all);
    while (!walk.done)
        walkStep<SidePick::ByBranch>(walk, all);
    return endWalk(walk, wanted, all);
}

void MatchFinder::treeInsertLanes()
{
    // The walks of positions in one tree depend on each other (each re-links the tree
    // the next walks), those in different trees do not: the lanes take the cursor and
    // the positions after it up to the first whose tree is already taken. Positions
    // after the cursor join only with a full match of bytes after them, so that their
    // matches are those a search at the time the cursor gets there would find.
    std::array<TreeWalk, kMaxLanes> &walks = walks_; // beginWalk() sets every field it reads
    std::array<std::uint32_t, kMaxLanes> trees{};
    std::uint32_t lanes = 0;
    for (std::size_t pos = cursor_; lanes < params_.lanes && pos < end_; ++pos, ++lanes) {
        if (lanes != 0) {
            if (end_ - pos <= params_.maxMatch)
                break;
            trees[lanes] = treeHashAt(pos);
            if (std::find(trees.begin(), trees.begin() + lanes, trees[lanes]) !=
                trees.begin() + lanes)
                break;
        } else if (end_ - pos >= params_.treeHashBytes) {
            trees[0] = treeHashAt(pos);
        }
        beginWalk(walks[lanes], pos, true, nullptr);
    }
    // A position entered ahead takes the ring slot of the position a ring before it,
    // which the walks of the positions before it could still reach when the ring is
    // hardly longer than the largest distance (LZX's windows): the batch's walks stop
    // short of those few farthest positions.
    const auto reused = static_cast<std::int64_t>(cursor_ + lanes) - std::int64_t{ring_};
    for (std::uint32_t i = 0; i < lanes; ++i)
        walks[i].oldest = std::max(walks[i].oldest, reused);
    for (bool busy = true; busy;) {
        busy = false;
        for (std::uint32_t i = 0; i < lanes; ++i) {
            if (!walks[i].done) {
                walkStep<SidePick::ByIndex>(walks[i], nullptr);
                busy = true;
            }
        }
    }
    for (std::uint32_t i = 0; i < lanes; ++i)
        ahead_[i] = endWalk(walks[i], true, nullptr);
    aheadStart_ = cursor_;
    aheadEnd_ = cursor_ + lanes;
}

void MatchFinder::insertShortOnly()
{
    if (cursor_ >= aheadEnd_ && available() >= kHashBytes)
        shortMatches(cursor_, kHashBytes, false, nullptr);
}

LzMatch MatchFinder::findAheadOrInsertShort()
{
    if (searchedAhead())
        return ahead_[cursor_ - aheadStart_];
    insertShortOnly();
    return {};
}

void MatchFinder::skip(std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count && cursor_ < end_; ++i) {
        // Positions searched ahead are in their trees already.
        if (cursor_ >= aheadEnd_) {
            if (params_.structure == MatchStructure::BinaryTree)
                treeInsert(false, nullptr);
            else
                insert(cursor_);
        }
        advance();
    }
}

} // namespace vexel::codec
