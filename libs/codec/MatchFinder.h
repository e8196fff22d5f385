// Match finder over a sliding window, fed a stream piece by piece.
//
// The finder owns a buffer of the recent input (4 times the power of two above
// maxDistance, at least 256 KiB unless the whole stream fits in less) and a cursor into
// it. Matches are searched at the cursor among earlier positions at most `maxDistance`
// bytes back, in hash chains or binary trees (MatchStructure); either way the finder
// reports matches of 3 bytes or more. Shorter matches (LZX's 2-byte matches, repeated offsets) are the caller's to
// look for with current() and history(). Memory: the buffer, 4 (chains) or 8 (trees)
// bytes per ring position and 4 bytes per hash slot (about one slot per window byte;
// trees keyed by more than 4 bytes add 256 KiB at most), whatever the stream length.
// Not thread-safe; one finder per stream.
#pragma once

#include "BigTable.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace vexel::codec {

struct LzMatch {
    std::uint32_t length = 0;   // 0 = no match
    std::uint32_t distance = 0; // 1 = the byte just before the cursor
};

// The finder's hash of the 4 bytes at `bytes`, `bits` wide (1..32): for a caller that
// keeps the 4-byte hash itself (MatchFinderParams::fourByteMatches).
inline std::uint32_t fourByteHash(const std::uint8_t *bytes, std::uint32_t bits)
{
    std::uint32_t v;
    std::memcpy(&v, bytes, 4);
    return (v * 2654435761u) >> (32 - bits);
}

enum class MatchStructure {
    // Chains of positions sharing a 4-byte hash, plus the newest position sharing
    // 3 bytes: fast for shallow searches.
    HashChains,
    // A binary tree per 4-byte hash, ordered by the bytes that follow, plus the
    // newest position sharing 3 bytes: finds the longest match in few steps even
    // where candidates abound (text), at the price of a tree update at every
    // position, skipped ones included.
    BinaryTree,
};

struct MatchFinderParams {
    std::uint32_t windowSize = 1u << 16;  // power of two, 2^10 .. 2^21
    std::uint32_t maxDistance = 1u << 16; // largest distance reported, <= windowSize
    std::uint32_t maxMatch = 256;         // longest match reported, 3 .. 65535
    std::uint32_t maxChain = 64;          // candidates looked at per search (chain or tree)
    std::uint32_t niceLength = 128;       // a match this long ends the search at once
    MatchStructure structure = MatchStructure::HashChains;
    // Bytes hashed to pick a binary tree, 4 .. 8. Above 4, the trees are smaller
    // (fewer steps per search on text, where common 4-byte strings abound) and
    // matches shorter than this come from the newest position sharing 3 and 4 bytes.
    std::uint32_t treeHashBytes = 4;
    // Tree searches run side by side, 1 .. kMaxLanes (trees only, findAndInsert only).
    // A walk is a chain of cache misses, one node after the other; the walks of the
    // next few positions, in different trees, overlap theirs. Their positions enter
    // the trees before the cursor gets there, where a single search would have left
    // them out (insertShortOnly, skip): the trees hold a few more positions, never
    // fewer. Matches are those a single search finds, but for the last (lanes - 1)
    // distances of a ring (the power of two above maxDistance) that maxDistance nearly
    // fills: the positions entered ahead take those positions' slots.
    std::uint32_t lanes = 1;
    // Trees only: whether 3-byte matches are looked for. A caller that never codes a
    // 3-byte match at a new distance (LZX prices those from 4 bytes on) saves the
    // 3-byte hash: a table look-up and a comparison per position. Without it, the
    // shortest matches reported are 4 bytes long.
    bool threeByteMatches = true;
    // Trees keyed by more than 4 bytes, without 3-byte matches: whether the finder looks
    // up the 4- to 7-byte matches (from the newest position sharing 4 bytes) itself.
    // False: it reports tree matches only, and the caller keeps that hash: it enters
    // every position, looking up first those that were searched (findAndInsert, or a
    // side-by-side search ahead, which searchedAhead() tells). A caller on another
    // thread then takes that table's cache misses off the walks.
    bool fourByteMatches = true;
    // The stream's whole length, history included, when known (0: not known). Where it
    // fits in 4 times the ring, the buffer is no larger: the 256 KiB that spare a
    // small window's long streams frequent slides would be made for nothing.
    std::uint64_t streamBytes = 0;

    // For a stream of known length (0: not known, nothing changes): sets streamBytes,
    // and shrinks the window to the power of two above that length, `smallestWindow`
    // at least, and maxDistance with it. No match reaches further back than the stream
    // is long, so the matches are the same; the tables shrink with the window, which
    // matters where thousands of small files each make their own.
    void fitToStream(std::uint64_t bytes, std::uint32_t smallestWindow);
};

class MatchFinder {
public:
    static constexpr std::uint32_t kMaxLanes = 16;

    // Throws std::invalid_argument for parameters outside the ranges above.
    explicit MatchFinder(const MatchFinderParams &params);

    // Copies as much of `input` into the buffer as fits, sliding out history that is
    // further back than the window first. Returns the number of bytes taken (0 only
    // when the caller has left more than a window of unparsed bytes in the buffer).
    std::size_t append(std::span<const std::uint8_t> input);

    // Bytes from the cursor to the end of the input appended so far.
    std::uint32_t available() const { return static_cast<std::uint32_t>(end_ - cursor_); }
    // The byte at the cursor; history() bytes before it may be read too.
    const std::uint8_t *current() const { return buffer_.get() + cursor_; }
    std::uint32_t history() const;

    // The longest match at the cursor (the closest of equal length), at most
    // min(maxMatch, available()) long; then the cursor position is entered in the
    // hash chains. Does not move the cursor.
    LzMatch findAndInsert();
    // Like findAndInsert(), and fills `matches` with the matches met, each longer
    // than the one before, so every length up to the longest has a distance.
    // Returns the longest.
    // Searches one position at a time, whatever `lanes` says; throws std::logic_error
    // at a position findAndInsert has searched ahead already (do not mix the two).
    LzMatch findAllAndInsert(std::vector<LzMatch> &matches);
    // Moves the cursor one byte on, without entering anything (use after findAndInsert).
    void advance() { ++cursor_; }
    // Enters `count` positions from the cursor into the chains and moves past them.
    void skip(std::uint32_t count);
    // Enters the cursor in the short-match hashes only, not in the chains or trees,
    // without moving it: for positions inside a long match, whose source is already
    // there. Costs a few table writes instead of a walk; later searches cannot find the
    // position itself, only its source.
    void insertShortOnly();
    // For positions inside a long match, where a search would find little that the
    // match does not give: the match of a side-by-side search (lanes) that took the
    // cursor already, else insertShortOnly() and no match. Does not move the cursor.
    LzMatch findAheadOrInsertShort();
    // Whether the cursor was searched already, by a side-by-side search ahead of it.
    bool searchedAhead() const { return cursor_ >= aheadStart_ && cursor_ < aheadEnd_; }

    const MatchFinderParams &params() const { return params_; }

private:
    // One tree search in progress: where it stands in the tree, and what it has found.
    struct TreeWalk {
        std::size_t cur = 0;            // the position searched and entered
        std::int32_t cand = -1;         // the node to compare next
        // By side, kLarger and kSmaller: the slot that takes the next node on that
        // side, and the prefix shared with every node on that side. Indexed rather
        // than named, so that a step picks its side without a branch.
        std::array<std::int32_t *, 2> slot{};
        std::array<std::uint32_t, 2> sideLen{};
        std::uint32_t bestLen = 0, lenLimit = 0, limit = 0, steps = 0;
        std::int64_t oldest = 0; // candidates older than this are out of reach
        LzMatch best;
        bool done = false;
    };

    std::uint32_t hashAt(std::size_t pos, std::uint32_t bits) const;
    std::uint32_t hash3At(std::size_t pos, std::uint32_t bits) const;
    std::uint32_t treeHashAt(std::size_t pos) const;
    // The newest positions sharing 3 and 4 bytes with the cursor give its short
    // matches, appended to `all` when longer than the one before; enters the cursor.
    LzMatch shortMatches(std::size_t pos, std::uint32_t limit, bool wanted,
                         std::vector<LzMatch> *all);
    // The match at `recent` (the newest position with the bytes at `pos`), if any.
    LzMatch shortMatch(std::size_t pos, std::int32_t recent, std::uint32_t limit,
                       std::vector<LzMatch> *all) const;
    LzMatch chainFindAndInsert(std::vector<LzMatch> *all);
    // Enters the cursor in its tree; returns the longest match met when `wanted`,
    // and appends every longer match met to `all` when given.
    LzMatch treeInsert(bool wanted, std::vector<LzMatch> *all);
    // Searches the cursor and the next positions in other trees side by side, enters
    // them all, and keeps their matches in ahead_.
    void treeInsertLanes();
    // Finds the short matches at `pos` and sets `walk` up to enter `pos` in its tree
    // (`walk.done` when there is no tree to walk).
    void beginWalk(TreeWalk &walk, std::size_t pos, bool wanted, std::vector<LzMatch> *all);
    // One node of the walk.
    // How a walk step picks the side a candidate lies on. It is a coin toss to the branch
    // predictor, yet a lone walk gains by the guess: the next node's load starts before
    // the compare is done (LHA's -lh7-: 3% less time). Side-by-side walks hide each
    // other's misses, and there a missed guess costs more than it saves: an index.
    enum class SidePick { ByBranch, ByIndex };
    template <SidePick pick> void walkStep(TreeWalk &walk, std::vector<LzMatch> *all);
    static void takeSide(TreeWalk &walk, std::size_t side, std::int32_t cand, std::int32_t *node,
                         std::uint32_t len);
    // The walk's longest match, grown past niceLength when `wanted`.
    LzMatch endWalk(TreeWalk &walk, bool wanted, std::vector<LzMatch> *all) const;
    // Asks the cache for the tree roots of positions a little ahead of `pos`.
    void prefetchAhead(std::size_t pos) const;
    // Asks the cache for tree node `pos` and its bytes from `at` on.
    void prefetchNode(std::int32_t pos, std::uint32_t at) const;
    void insert(std::size_t pos);
    void slide();
    std::uint32_t matchLength(std::size_t a, std::size_t b, std::uint32_t limit) const;

    MatchFinderParams params_;
    std::uint32_t hashBits_;
    std::uint32_t hash4Bits_; // of head4_
    // Big tables are mapped zeroed (BigTable.h), not taken from a vector that writes
    // every byte first: the pages a short stream never reaches are never mapped (a
    // 2 MiB window's tables are tens of megabytes; filling them cost a quarter of the
    // time of 1 MiB).
    template <typename T> using Table = BigTable<T>;
    // capacity_ bytes, and padding for 8-byte reads, kept zero just after end_
    Table<std::uint8_t> buffer_;
    std::size_t capacity_;
    std::uint32_t ring_;              // power of two above maxDistance
    Table<std::int32_t> head_;        // chains: newest per 4-byte hash; tree: root per 4-byte hash
    std::size_t headCount_;
    std::vector<std::int32_t> head3_; // newest position per 3-byte hash (empty: none wanted)
    std::vector<std::int32_t> head4_; // newest position per 4-byte hash, when trees hash more
    // Chains: the previous position with the same hash; tree: the two children.
    // Indexed by position modulo the ring. Starts zero, not kNone: a slot is read only
    // once its position has been entered, which writes it (slide() rebases the rest).
    Table<std::int32_t> links_;
    std::size_t linkCount_;
    std::size_t cursor_ = 0;
    std::size_t end_ = 0;
    // Positions searched ahead by treeInsertLanes(): [aheadStart_, aheadEnd_), their
    // matches in ahead_; they are in the trees and short-match hashes already.
    std::size_t aheadStart_ = 0;
    std::size_t aheadEnd_ = 0;
    std::array<LzMatch, kMaxLanes> ahead_{};
    // The walks of treeInsertLanes(), kept here: set up afresh per position, they
    // need no clearing per batch (which cost as much as a tenth of a walk).
    std::array<TreeWalk, kMaxLanes> walks_{};
};

} // namespace vexel::codec
