// Helpers shared by the codec kit tests: seeded inputs and a token decoder.
#pragma once

#include "codec/LzParser.h"

#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

namespace vexel::codec::test {

// Rebuilds the stream from tokens; throws when a match reaches before the start.
inline std::vector<std::uint8_t> expandTokens(const std::vector<LzToken> &tokens)
{
    std::vector<std::uint8_t> out;
    for (const LzToken &t : tokens) {
        if (t.isLiteral()) {
            out.push_back(static_cast<std::uint8_t>(t.value));
            continue;
        }
        if (t.distance > out.size())
            throw std::runtime_error("match reaches before the start of the stream");
        for (std::uint32_t i = 0; i < t.value; ++i)
            out.push_back(out[out.size() - t.distance]);
    }
    return out;
}

// Text-like data with repeats at many distances, a run and random stretches.
inline std::vector<std::uint8_t> mixedData(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> data;
    data.reserve(size);
    while (data.size() < size) {
        const unsigned kind = rng() % 4;
        const std::size_t len = 1 + rng() % 300;
        for (std::size_t i = 0; i < len && data.size() < size; ++i) {
            if (kind == 0 || data.empty())
                data.push_back(static_cast<std::uint8_t>(rng()));
            else if (kind == 1)
                data.push_back('a' + rng() % 4);
            else {
                const std::size_t back = 1 + rng() % data.size();
                data.push_back(data[data.size() - back]);
            }
        }
    }
    return data;
}

} // namespace vexel::codec::test
