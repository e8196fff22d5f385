// Writes one block of a -lhN- stream: the command count, the T, C and P code
// tables, then the commands. Pure function of its inputs; thread-compatible.
#pragma once

#include "BitWriter.h"
#include "LhFormat.h"
#include "LzParser.h"

#include <span>

namespace vexel::codec {

// `tokens` holds 1 .. 65535 commands whose lengths are 3..256 and distances
// 1..2^dictBits (LzParser output with the method's limits). Throws
// std::invalid_argument for an empty or oversized block.
void writeLhBlock(BitWriter &out, std::span<const LzToken> tokens, const LhMethodInfo &method);

// A quick estimate of the bits a block of `tokens` costs: the entropy of its symbols
// plus a rough price for its tables, without building any code. Good enough to
// decide where to split blocks; any number of tokens.
double estimateLhBlockBits(std::span<const LzToken> tokens, const LhMethodInfo &method);

} // namespace vexel::codec
