// Near-optimal parsing for LZX: within each 32 KiB frame, the cheapest path of literals,
// matches (the lengths of the longest match found at a position that no repeated
// offset codes for less) and repeated-offset matches, priced with the code lengths of
// the latest block. Repeated offsets follow the path being priced, so the R0-R2 a match
// relies on are the ones the reader will hold. A match of niceLength or more is taken
// at once, and a match is not priced again at every position inside it, which keeps
// long runs linear. Inside a long match, only the positions near its end are searched.
// No token crosses a frame end.
//
// The matches come from LzxFrameSearch, by default a frame ahead on a thread of its
// own: a frame is priced once the frame after it is searchable, so its tokens come one
// feed() later than the bytes allow. The output does not depend on the thread.
// Memory: the match finder, the window's bytes once more for the pricing, and a few
// bytes per position of a few frames. Not thread-safe; one parser per stream.
#pragma once

#include "LzxFrameSearch.h"
#include "LzxOffsets.h"
#include "LzxTables.h"
#include "codec/LzParser.h"

#include <array>
#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace cab::lzx {

class LzxOptimalParser {
public:
    // `expectedBytes`: the stream's length if known (0: not known). Matches are then
    // looked for in a window of the power of two above it, where that is smaller:
    // no match reaches further back than the stream is long, and the finder's tables
    // shrink with the window. A longer stream is still parsed, its matches limited
    // to that window.
    // `searchOnItsOwnThread` false: the searches run on the caller's thread.
    LzxOptimalParser(int windowBits, std::uint32_t maxChain, std::uint32_t niceLength,
                     std::uint32_t treeHashBytes = 4, std::uint64_t expectedBytes = 0,
                     bool searchOnItsOwnThread = true);

    // Appends stream bytes (copied) and parses every frame whose next frame has a full
    // match of lookahead (a frame is searched while the one before it is priced).
    void feed(std::span<const std::uint8_t> input, std::vector<vexel::codec::LzToken> &out);
    // No more bytes: every frame left can then be parsed.
    void endInput();
    // Parses the next frame that can be, if any; false when none is left (or stopped).
    // The caller may set new costs between frames.
    bool parseNextFrame(std::vector<vexel::codec::LzToken> &out);
    // endInput(), then parses the rest; the parser must not be fed afterwards.
    void finish(std::vector<vexel::codec::LzToken> &out);

    // Asked every few thousand positions while a frame is parsed; once it answers
    // true the parser stops where it is (its tokens are then incomplete) and parses
    // nothing more. Must be cheap; empty: never.
    void setStopCheck(std::function<bool()> stopRequested)
    {
        stopRequested_ = std::move(stopRequested);
    }
    bool stopped() const { return stopped_; }

    // Prices symbols with the main and length trees of the block just written.
    void setCosts(std::span<const std::uint8_t> mainLengths,
                  std::span<const std::uint8_t> lengthLengths);

private:
    struct Node {
        std::uint32_t price = 0;
        std::uint32_t distance = 0; // of the step that reached this node; 0 for a literal
        std::uint16_t length = 0;   // of that step
        RepeatedOffsets offsets;    // R0-R2 after the best path to this node
    };

    void keepBytes(std::span<const std::uint8_t> input);
    void addFourByteMatches(SearchedFrame &frame);
    void parseFrame(const SearchedFrame &frame, std::vector<vexel::codec::LzToken> &out);
    void relaxFrom(std::size_t i, const vexel::codec::LzMatch &best, std::uint32_t limit);
    void reach(std::size_t index);
    void relax(std::size_t from, std::uint32_t distance, int slot,
               std::pair<std::uint32_t, std::uint32_t> lengths, const RepeatedOffsets &after);
    void updateLengthTail();
    static std::uint32_t firstRepeatLength(const Node &here, int r);
    void emitPath(std::size_t to, std::vector<vexel::codec::LzToken> &out);
    std::uint32_t literalPrice(std::uint8_t byte) const { return mainBits_[byte]; }

    const vexel::codec::MatchFinderParams params_;
    LzxFrameSearch search_;
    std::uint32_t niceLength_;
    std::uint64_t parsed_ = 0;         // stream bytes turned into tokens
    std::uint64_t framesParsed_ = 0;   // frames whose tokens are out
    SearchedFrame frame_;              // the frame being parsed
    // The bytes from the farthest a repeated offset reaches back from `parsed_` on:
    // bytes_[0] is stream byte `bytesStart_`.
    std::vector<std::uint8_t> bytes_;
    std::uint64_t bytesStart_ = 0;
    // The newest position (+ 1; 0: none) by hash of its first 4 bytes, for the 4- to
    // 7-byte matches that the search's trees, keyed by 8 bytes, do not hold.
    std::vector<std::uint32_t> fourByteHeads_;
    RepeatedOffsets offsets_;    // at `parsed_`
    std::vector<Node> nodes_;    // one stretch of a frame; node 0 is at `parsed_`
    std::size_t reached_ = 0;    // nodes beyond this one hold stale prices
    std::array<std::uint8_t, kMaxMainTreeSize> mainBits_{};
    std::array<std::uint8_t, kLengthTreeSize> lengthBits_{};
    std::array<std::uint8_t, kMaxMatch + 1> lengthTail_{}; // length-tree bits by match length
    std::function<bool()> stopRequested_;
    bool stopped_ = false;
};

} // namespace cab::lzx
