// Sends the code lengths of an LZX tree segment as differences against the lengths the
// previous block used, coded with a freshly built 20-symbol pretree.
#pragma once

#include "codec/BitWriter.h"

#include <cstdint>
#include <span>

namespace cab::lzx {

// Writes the pretree (20 x 4 bits) and then the coded lengths of `lengths`, given the
// lengths `previous` that the reader holds for the same symbols. Runs never reach
// past the end of the segment.
void writeTreeSegment(vexel::codec::BitWriter &out, std::span<const std::uint8_t> lengths,
                      std::span<const std::uint8_t> previous);

} // namespace cab::lzx
