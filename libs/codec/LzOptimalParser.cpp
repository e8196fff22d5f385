#include "LzOptimalParser.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <stdexcept>

namespace vexel::codec {

namespace {

// Matches a segment holds at most, per position of segmentSize: about twice what text
// gives (2.5 per position at most in 32 KiB segments), so that only unusual data ends
// its segments early.
constexpr std::size_t kMatchesPerPosition = 4;

} // namespace

LzOptimalParser::LzOptimalParser(const LzOptimalParams &params, LzPriceModel &model)
    : params_(params), model_(model), learned_(!params.warmUp), finder_(params.finder)
{
    if (params.minMatch < 3 || params.minMatch > params.finder.maxMatch)
        throw std::invalid_argument("shortest match out of range");
    if (params.segmentSize == 0)
        throw std::invalid_argument("empty segments");
    params_.takeLength = std::clamp(params.takeLength, params.minMatch, params.finder.maxMatch);
    lengthPrices_.assign(params.finder.maxMatch + 1, 0);
    // Room for the largest segment, made once: vectors grown by doubling leave their
    // outgrown copies behind in the heap of the thread that parses.
    const std::size_t positions = std::size_t{params.segmentSize} + params.finder.maxMatch;
    bytes_.reserve(positions);
    first_.reserve(positions + 1);
    steps_.reserve(positions + 1);
    matches_.reserve(kMatchesPerPosition * std::size_t{params.segmentSize});
    first_.push_back(0);
}

void LzOptimalParser::prime(std::span<const std::uint8_t> history)
{
    if (history.size() > params_.finder.maxDistance)
        history = history.last(params_.finder.maxDistance);
    // The positions are entered once the data after them has arrived, so that the
    // finder sorts them by their full lookahead.
    primeLeft_ += finder_.append(history);
}

void LzOptimalParser::feed(std::span<const std::uint8_t> input, std::vector<LzToken> &out)
{
    while (!input.empty()) {
        input = input.subspan(finder_.append(input));
        collect(false, out);
    }
}

void LzOptimalParser::finish(std::vector<LzToken> &out)
{
    collect(true, out);
    if (!bytes_.empty())
        solveSegment(out);
}

void LzOptimalParser::addPosition(std::uint8_t byte, std::span<const LzMatch> matches)
{
    bytes_.push_back(byte);
    matches_.insert(matches_.end(), matches.begin(), matches.end());
    first_.push_back(static_cast<std::uint32_t>(matches_.size()));
}

void LzOptimalParser::collect(bool final, std::vector<LzToken> &out)
{
    const std::uint32_t lookahead = params_.finder.maxMatch + 1;
    for (; primeLeft_ != 0 && (final || finder_.available() >= lookahead); --primeLeft_)
        finder_.skip(1);
    while (primeLeft_ == 0 && finder_.available() != 0
           && (final || finder_.available() >= lookahead)) {
        const std::uint8_t byte = *finder_.current();
        const LzMatch longest = finder_.findAllAndInsert(found_);
        const bool taken = longest.length >= params_.takeLength;
        // A segment rich in matches ends early rather than outgrow its room.
        if (!bytes_.empty() && matches_.size() + (taken ? 1 : found_.size()) > matches_.capacity())
            solveSegment(out);
        if (taken) {
            // Only the long match is offered here, and nothing inside it, so the
            // segment never ends inside it.
            addPosition(byte, {&longest, 1});
            finder_.advance();
            for (std::uint32_t i = 1; i < longest.length; ++i) {
                addPosition(*finder_.current(), {});
                finder_.skip(1);
            }
        } else {
            addPosition(byte, found_);
            finder_.advance();
        }
        if (bytes_.size() >= params_.segmentSize)
            solveSegment(out);
    }
}

void LzOptimalParser::cheapestPath(std::vector<LzToken> &tokens)
{
    const std::size_t n = bytes_.size();
    constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();
    steps_.assign(n + 1, {kUnreached, 0, 0});
    steps_[0].cost = 0;
    // The prices of one pass, looked up once instead of once per edge.
    for (std::uint32_t b = 0; b < 256; ++b)
        literalPrices_[b] = model_.literalPrice(static_cast<std::uint8_t>(b));
    for (std::uint32_t len = params_.minMatch; len <= params_.finder.maxMatch; ++len)
        lengthPrices_[len] = model_.lengthPrice(len);
    const bool byWidth = model_.distancePricesByWidth(widthPrices_);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t here = steps_[i].cost;
        const std::uint32_t literal = here + literalPrices_[bytes_[i]];
        if (literal < steps_[i + 1].cost)
            steps_[i + 1] = {literal, 1, 0};
        std::uint32_t shorter = params_.minMatch - 1;
        for (std::uint32_t k = first_[i]; k < first_[i + 1]; ++k) {
            const LzMatch m = matches_[k];
            const std::uint32_t longest =
                static_cast<std::uint32_t>(std::min<std::size_t>(m.length, n - i));
            if (longest <= shorter)
                continue;
            const std::uint32_t base = here
                + (byWidth ? widthPrices_[std::bit_width(m.distance - 1)]
                           : model_.distancePrice(m.distance));
            for (std::uint32_t len = shorter + 1; len <= longest; ++len) {
                const std::uint32_t cost = base + lengthPrices_[len];
                if (cost < steps_[i + len].cost)
                    steps_[i + len] = {cost, len, m.distance};
            }
            shorter = longest;
        }
    }
    // Walk back from the end, then put the tokens in stream order.
    const std::size_t start = tokens.size();
    for (std::size_t at = n; at > 0;) {
        const Step &s = steps_[at];
        if (s.distance == 0)
            tokens.push_back({0, bytes_[at - 1]});
        else
            tokens.push_back({s.distance, static_cast<std::uint16_t>(s.length)});
        at -= s.length;
    }
    std::reverse(tokens.begin() + static_cast<std::ptrdiff_t>(start), tokens.end());
}

void LzOptimalParser::solveSegment(std::vector<LzToken> &out)
{
    if (!learned_) {
        // The first segment is parsed once with the model's first guess, only to
        // learn prices from; later segments start from what earlier ones taught.
        std::vector<LzToken> trial;
        cheapestPath(trial);
        model_.learn(trial);
        learned_ = true;
    }
    const std::size_t start = out.size();
    cheapestPath(out);
    model_.learn(std::span<const LzToken>(out).subspan(start));
    bytes_.clear();
    matches_.clear();
    first_.assign(1, 0);
}

} // namespace vexel::codec
