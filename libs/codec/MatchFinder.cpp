#include "MatchFinder.h"

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

inline std::uint32_t MatchFinder::matchLength(std::size_t a, std::size_t b,
                                              std::uint32_t limit) const
{
    const std::uint8_t *pa = buffer_.data() + a;
    const std::uint8_t *pb = buffer_.data() + b;
    std::uint32_t n = 0;
    while (n + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, pa + n, 8);
        std::memcpy(&y, pb + n, 8);
        if (x != y)
            return n + static_cast<std::uint32_t>(std::countr_zero(x ^ y) / 8);
        n += 8;
    }
    while (n < limit && pa[n] == pb[n])
        ++n;
    return n;
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
    if (params_.maxChain == 0)
        params_.maxChain = 1;
    // The ring must hold positions maxDistance back, beside the cursor's own slot.
    ring_ = std::bit_ceil(params.maxDistance + 1);
    hashBits_ = hashBitsFor(w);
    hash4Bits_ = std::min(hashBits_, kMaxShortHash4Bits);
    capacity_ = std::max<std::size_t>(4 * std::size_t{ring_}, 1u << 18);
    buffer_.resize(capacity_ + 8);
    head_.assign(std::size_t{1} << hashBits_, kNone);
    head3_.assign(std::size_t{1} << kShortHashBits, kNone);
    if (params.structure == MatchStructure::BinaryTree && params.treeHashBytes > kHashBytes)
        head4_.assign(std::size_t{1} << hash4Bits_, kNone);
    links_.assign(params.structure == MatchStructure::HashChains ? ring_ : 2 * std::size_t{ring_},
                  kNone);
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
        std::memcpy(buffer_.data() + end_, input.data(), n);
    end_ += n;
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
    std::memmove(buffer_.data(), buffer_.data() + shift, end_ - shift);
    cursor_ -= shift;
    end_ -= shift;
    const auto s = static_cast<std::int32_t>(shift);
    auto rebase = [s](std::int32_t &p) { p = p >= s ? p - s : kNone; };
    std::for_each(head_.begin(), head_.end(), rebase);
    std::for_each(head3_.begin(), head3_.end(), rebase);
    std::for_each(head4_.begin(), head4_.end(), rebase);
    std::for_each(links_.begin(), links_.end(), rebase);
}

inline std::uint32_t MatchFinder::hashAt(std::size_t pos) const
{
    std::uint32_t v;
    std::memcpy(&v, buffer_.data() + pos, 4);
    return (v * 2654435761u) >> (32 - hashBits_);
}

inline std::uint32_t MatchFinder::hash3At(std::size_t pos, std::uint32_t bits) const
{
    // The buffer's padding makes the 4-byte read safe; only three bytes count.
    std::uint32_t v;
    std::memcpy(&v, buffer_.data() + pos, 4);
    return ((v << 8) * 2654435761u) >> (32 - bits);
}

inline std::uint32_t MatchFinder::treeHashAt(std::size_t pos) const
{
    if (params_.treeHashBytes == kHashBytes)
        return hashAt(pos);
    // The buffer's padding makes the 8-byte read safe; only the hashed bytes count.
    std::uint64_t v;
    std::memcpy(&v, buffer_.data() + pos, 8);
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
    const std::uint32_t h = hashAt(pos);
    links_[pos & (ring_ - 1)] = head_[h];
    head_[h] = static_cast<std::int32_t>(pos);
}

LzMatch MatchFinder::findAndInsert()
{
    if (params_.structure == MatchStructure::BinaryTree)
        return treeInsert(true, nullptr);
    return chainFindAndInsert(nullptr);
}

inline LzMatch MatchFinder::shortMatch(std::int32_t recent, std::uint32_t limit,
                                       std::vector<LzMatch> *all) const
{
    LzMatch m;
    if (recent == kNone || cursor_ - static_cast<std::size_t>(recent) > params_.maxDistance)
        return m;
    // Most candidates of a hashed slot that differ do so in the first bytes.
    if (buffer_[static_cast<std::size_t>(recent)] != buffer_[cursor_])
        return m;
    const std::uint32_t len = matchLength(static_cast<std::size_t>(recent), cursor_, limit);
    if (len < kShortBytes)
        return m;
    m = {len, static_cast<std::uint32_t>(cursor_ - static_cast<std::size_t>(recent))};
    if (all)
        all->push_back(m);
    return m;
}

inline LzMatch MatchFinder::shortMatches(std::uint32_t limit, bool wanted,
                                         std::vector<LzMatch> *all)
{
    const std::size_t cur = cursor_;
    const std::uint32_t h3 = hash3At(cur, kShortHashBits);
    LzMatch best;
    if (wanted)
        best = shortMatch(head3_[h3], limit, all);
    head3_[h3] = static_cast<std::int32_t>(cur);
    if (head4_.empty() || limit < kHashBytes)
        return best;
    // Any position sharing 4 bytes shares 3 too, so this one is no closer: it counts
    // only when it is longer, and it is the same position when that shares 4 bytes.
    std::uint32_t v;
    std::memcpy(&v, buffer_.data() + cur, 4);
    const std::uint32_t h4 = (v * 2654435761u) >> (32 - hash4Bits_);
    if (wanted && best.length < kHashBytes) {
        const LzMatch m = shortMatch(head4_[h4], limit, nullptr);
        if (m.length > best.length) {
            best = m;
            if (all)
                all->push_back(m);
        }
    }
    head4_[h4] = static_cast<std::int32_t>(cur);
    return best;
}

LzMatch MatchFinder::chainFindAndInsert(std::vector<LzMatch> *all)
{
    LzMatch best;
    const std::uint32_t limit = std::min(params_.maxMatch, available());
    if (limit < kShortBytes)
        return best;
    const std::size_t cur = cursor_;
    const std::uint8_t *data = buffer_.data();
    // The newest position with the same 3 bytes gives the short matches ...
    best = shortMatch(head3_[hash3At(cur, kShortHashBits)], limit, all);
    std::uint32_t bestLen = std::max(best.length, kShortBytes - 1);
    // ... and the chain of positions with the same 4 bytes the longer ones: far
    // fewer candidates than a 3-byte chain on text, where "the " and "e t" abound.
    std::int32_t cand = limit >= kHashBytes && bestLen < limit ? head_[hashAt(cur)] : kNone;
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
    __builtin_prefetch(buffer_.data() + p + at);
}

// The tree root of a position is a random read in a table of megabytes, and so are the
// root's node and bytes and the bytes of the newest position sharing 3 bytes: fetched a
// few positions ahead, they are in the cache by the time the search starts there,
// instead of three misses at the start of every search.
[[gnu::always_inline]] inline void MatchFinder::prefetchAhead() const
{
    constexpr std::size_t kHeadAhead = 16; // positions ahead whose root slot is fetched
    constexpr std::size_t kRootAhead = 8;  // ... and whose root node and bytes are
    // treeHashAt() reads 8 bytes; the buffer's padding covers those past end_.
    if (cursor_ + kHeadAhead < end_)
        __builtin_prefetch(&head_[treeHashAt(cursor_ + kHeadAhead)]);
    if (cursor_ + kRootAhead < end_) {
        prefetchNode(head_[treeHashAt(cursor_ + kRootAhead)], 0);
        const std::int32_t recent = head3_[hash3At(cursor_ + kRootAhead, kShortHashBits)];
        if (recent >= 0)
            __builtin_prefetch(buffer_.data() + recent);
    }
}

LzMatch MatchFinder::treeInsert(bool wanted, std::vector<LzMatch> *all)
{
    // The positions sharing a hash of their first treeHashBytes form a binary search
    // tree ordered by the bytes that follow them, newest at the root. Walking down
    // from the root to place the cursor visits exactly the candidates that share the
    // longest prefixes with it, and re-links the tree around the cursor as its new
    // root. Shorter matches come from the newest positions sharing 3 and 4 bytes.
    LzMatch best;
    const std::uint32_t limit = std::min(params_.maxMatch, available());
    if (limit < kShortBytes)
        return best;
    const std::size_t cur = cursor_;
    const std::uint8_t *data = buffer_.data();
    prefetchAhead();
    best = shortMatches(limit, wanted, all);
    std::uint32_t bestLen = std::max(best.length, kShortBytes - 1);
    if (limit < params_.treeHashBytes)
        return best;
    const std::uint32_t lenLimit = std::min(limit, params_.niceLength);
    const std::uint32_t h = treeHashAt(cur);
    std::int32_t cand = head_[h];
    head_[h] = static_cast<std::int32_t>(cur);
    std::int32_t *smallerSlot = &links_[2 * (cur & (ring_ - 1))];    // takes the next smaller node
    std::int32_t *largerSlot = &links_[2 * (cur & (ring_ - 1)) + 1]; // takes the next larger node
    std::uint32_t smallerLen = 0, largerLen = 0; // prefix shared with every node on that side
    // Candidates older than this are out of reach; kNone is below it too.
    const std::int64_t oldest =
        std::max<std::int64_t>(0, static_cast<std::int64_t>(cur) - params_.maxDistance);
    for (std::uint32_t steps = params_.maxChain;; --steps) {
        if (cand < oldest || steps == 0) {
            *smallerSlot = *largerSlot = kNone;
            break;
        }
        std::int32_t *node = &links_[2 * (static_cast<std::size_t>(cand) & (ring_ - 1))];
        std::uint32_t len = std::min(smallerLen, largerLen);
        // The walk is a chain of cache misses, one node after the other: fetching both
        // children while this candidate is compared overlaps the next step's misses.
        prefetchNode(node[0], len);
        prefetchNode(node[1], len);
        len += matchLength(static_cast<std::size_t>(cand) + len, cur + len, lenLimit - len);
        if (len > bestLen) {
            bestLen = len;
            best = {len, static_cast<std::uint32_t>(cur - static_cast<std::size_t>(cand))};
            if (all)
                all->push_back(best);
        }
        if (len == lenLimit) {
            // The candidate equals the cursor as far as the tree looks: the cursor
            // takes its place, with its subtrees.
            *smallerSlot = node[0];
            *largerSlot = node[1];
            break;
        }
        if (data[cand + len] < data[cur + len]) {
            *smallerSlot = cand;
            smallerSlot = &node[1];
            cand = node[1];
            smallerLen = len;
        } else {
            *largerSlot = cand;
            largerSlot = &node[0];
            cand = node[0];
            largerLen = len;
        }
    }
    if (wanted && best.length == lenLimit && lenLimit < limit) {
        best.length +=
            matchLength(cur - best.distance + lenLimit, cur + lenLimit, limit - lenLimit);
        if (all)
            all->back() = best;
    }
    return best;
}

void MatchFinder::insertShortOnly()
{
    if (available() >= kHashBytes)
        shortMatches(kHashBytes, false, nullptr);
}

void MatchFinder::skip(std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count && cursor_ < end_; ++i) {
        if (params_.structure == MatchStructure::BinaryTree)
            treeInsert(false, nullptr);
        else
            insert(cursor_);
        advance();
    }
}

} // namespace vexel::codec
