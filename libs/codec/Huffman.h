// Length-limited canonical Huffman codes, as the -lhN- and LZX formats use them.
// Pure functions, safe to call from any thread.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vexel::codec {

// Optimal code lengths (package-merge) for the given symbol frequencies, each length
// at most `maxLength` (1..31). Symbols with frequency 0 get length 0.
//  - No used symbol: every length is 0.
//  - One used symbol: it gets length 1, and so does one other symbol (the lowest
//    unused one), so that the code is complete; formats with a special one-symbol
//    form detect that case from the frequencies themselves.
//  - Two or more used symbols: the code is complete (Kraft sum exactly 1).
// Throws std::invalid_argument when the used symbols cannot fit in `maxLength`
// bits (more than 2^maxLength of them), or the alphabet has fewer than 2 symbols
// while one is used.
std::vector<std::uint8_t> limitedCodeLengths(std::span<const std::uint32_t> frequencies,
                                             unsigned maxLength);

// Canonical code values for the lengths: shorter codes first, equal lengths in
// symbol order, the first code all zeros. A code is meant to be written most
// significant bit first in `lengths[s]` bits. Symbols of length 0 get code 0.
// The lengths must satisfy Kraft (sum of 2^-len <= 1) and be at most 31.
std::vector<std::uint32_t> canonicalCodes(std::span<const std::uint8_t> lengths);

// Number of symbols with a nonzero frequency.
std::size_t usedSymbolCount(std::span<const std::uint32_t> frequencies);

} // namespace vexel::codec
