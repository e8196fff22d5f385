// Lazy LZ77 parsing of a stream into literals and matches, over MatchFinder.
//
// At each position the parser looks one byte ahead and keeps a match only when the
// next position offers nothing longer (one-step lazy evaluation). Input is fed in
// pieces of any size; tokens come out in stream order. Memory is that of the
// MatchFinder plus the tokens the caller lets pile up between calls.
// Not thread-safe; one parser per stream.
//
// Repeated offsets (LZX's R0-R2): pass an LzMatchHook. refine() sees the finder's
// best match at every position that is evaluated and may replace it, for example by
// a match at a repeated offset that is shorter but cheaper, or of length 2. State
// such as R0-R2 must be updated only in committed(), which sees every final token
// in order. This is consistent: a position is evaluated after all tokens before
// the previous byte are committed, and the previous byte either becomes a literal
// (which leaves repeated offsets alone) or a match that discards the evaluation.
#pragma once

#include "MatchFinder.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vexel::codec {

struct LzToken {
    std::uint32_t distance; // 0 for a literal
    std::uint16_t value;    // the literal byte, or the match length

    bool isLiteral() const { return distance == 0; }
};

class LzMatchHook {
public:
    virtual ~LzMatchHook() = default;
    // `cur` points at the position's byte; `available` bytes from it and `history`
    // bytes before it may be read. `best` may be replaced by any match that fits in
    // those bounds, the parser's maxMatch and the finder's maxDistance.
    virtual void refine(const std::uint8_t *cur, std::uint32_t available, std::uint32_t history,
                        LzMatch &best) = 0;
    virtual void committed(const LzToken &token) = 0;
};

struct LzParserParams {
    MatchFinderParams finder;
    std::uint32_t minMatch = 3; // shorter matches become literals (>= 2)
    // A match of exactly minMatch bytes further back than this becomes literals:
    // its distance would cost more bits than it saves.
    std::uint32_t shortMatchMaxDistance = 1u << 21;
    // A match at least this long is taken without looking one byte further.
    std::uint32_t lazyLimit = 64;
};

class LzParser {
public:
    // Throws std::invalid_argument when the finder rejects its parameters.
    explicit LzParser(const LzParserParams &params, LzMatchHook *hook = nullptr);

    // Appends `input` to the stream and parses all positions that have a full
    // maxMatch of lookahead, appending their tokens to `out`.
    void feed(std::span<const std::uint8_t> input, std::vector<LzToken> &out);
    // Parses the rest of the stream; no match reaches past its end. The parser
    // must not be fed afterwards.
    void finish(std::vector<LzToken> &out);

private:
    void parse(bool final, std::vector<LzToken> &out);
    LzMatch evaluate();
    void emit(const LzToken &token, std::vector<LzToken> &out);

    LzParserParams params_;
    MatchFinder finder_;
    LzMatchHook *hook_;
    bool havePending_ = false; // `pending_` at the byte before the cursor awaits a decision
    LzMatch pending_;
    std::uint8_t pendingByte_ = 0;
};

} // namespace vexel::codec
