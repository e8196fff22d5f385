// Cost-based LZ77 parsing: for each segment of the stream the parser collects every
// useful match at every position (MatchFinder::findAllAndInsert) and then chooses
// the cheapest path of literals and matches through the segment under a price model
// (a shortest-path search over positions). The model is learned from the data: the
// first segment is parsed twice (a first guess, then prices learned from it), and
// every parse teaches the model the prices for the next segment.
//
// The format supplies the prices (LzPriceModel); the parser knows nothing of codes.
// Repeated offsets are not modelled: formats that have them (LZX) use LzParser and
// its hook. Memory: the MatchFinder, plus about 50 bytes per position of a segment
// (room for four matches a position; a segment with more ends early), reserved at
// construction whatever the content.
// Not thread-safe; one parser per stream.
#pragma once

#include "LzParser.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vexel::codec {

// Prices in bits (any fixed unit works, as long as it is the same for all three).
class LzPriceModel {
public:
    virtual ~LzPriceModel() = default;
    virtual std::uint32_t literalPrice(std::uint8_t byte) const = 0;
    // Called once per match found, so it may do some work.
    virtual std::uint32_t distancePrice(std::uint32_t distance) const = 0;
    virtual std::uint32_t lengthPrice(std::uint32_t length) const = 0;
    // Where the distance price depends only on std::bit_width(distance - 1), the
    // model may fill `prices` by that width and return true: the parser then looks
    // prices up instead of calling distancePrice() for every match.
    virtual bool distancePricesByWidth(std::span<std::uint32_t, 33> prices) const
    {
        (void)prices;
        return false;
    }
    // Learns from a parse of a segment; the following prices should reflect it.
    virtual void learn(std::span<const LzToken> tokens) = 0;
};

struct LzOptimalParams {
    MatchFinderParams finder; // structure should be BinaryTree
    std::uint32_t minMatch = 3;
    // A match at least this long is taken as it is; the positions it covers are
    // not searched. Keeps runs and long repeats fast.
    std::uint32_t takeLength = 128;
    std::uint32_t segmentSize = 1u << 15; // positions parsed together
    // Parse the first segment twice, first with the model's prices as they stand
    // only to teach it; off when the model has already learned from similar data.
    bool warmUp = true;
};

class LzOptimalParser {
public:
    // The model must outlive the parser. Throws std::invalid_argument for bad params.
    LzOptimalParser(const LzOptimalParams &params, LzPriceModel &model);

    // Enters bytes that precede the stream (at most maxDistance are useful): matches
    // may reach back into them, but no tokens are made for them. Call before feed().
    void prime(std::span<const std::uint8_t> history);

    // Same contract as LzParser: tokens of whole segments are appended to `out`.
    void feed(std::span<const std::uint8_t> input, std::vector<LzToken> &out);
    void finish(std::vector<LzToken> &out);

private:
    void collect(bool final, std::vector<LzToken> &out);
    void addPosition(std::uint8_t byte, std::span<const LzMatch> matches);
    void solveSegment(std::vector<LzToken> &out);
    void cheapestPath(std::vector<LzToken> &tokens);

    LzOptimalParams params_;
    LzPriceModel &model_;
    bool learned_ = false;
    std::size_t primeLeft_ = 0; // history positions still to enter into the finder
    MatchFinder finder_;
    std::vector<LzMatch> found_;
    // The current segment: its bytes, and the matches of position i at
    // matches_[first_[i] .. first_[i + 1]).
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint32_t> first_;
    std::vector<LzMatch> matches_;
    // Scratch of the path search, kept to avoid reallocation.
    struct Step {
        std::uint32_t cost;
        std::uint32_t length;   // of the token ending here (1 = literal)
        std::uint32_t distance; // 0 for a literal
    };
    std::vector<Step> steps_;
    std::uint32_t literalPrices_[256] = {};
    std::vector<std::uint32_t> lengthPrices_;
    std::uint32_t widthPrices_[33] = {};
};

} // namespace vexel::codec
