// Writes LZX blocks that start at a frame boundary and cover whole frames, and cuts the
// bits into one word-aligned payload per frame, as cabinets store them.
#pragma once

#include "LzxOffsets.h"
#include "LzxTables.h"
#include "codec/BitWriter.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace cab::lzx {

// The code lengths the reader keeps from block to block; the next block's trees are
// sent as differences against them.
struct TreeLengths {
    std::array<std::uint8_t, kMaxMainTreeSize> main{};
    std::array<std::uint8_t, kLengthTreeSize> length{};
};

using FramePayloads = std::vector<std::vector<std::uint8_t>>;

// A verbatim or an aligned-offset block, whichever codes smaller. `out` may already
// hold the stream header. `frameSizes` are the uncompressed sizes of the frames the
// block covers; no item crosses a frame end. Updates `previous` to the block's trees.
FramePayloads writeCompressedBlock(vexel::codec::BitWriter &out, std::span<const LzxItem> items,
                                   std::span<const std::uint32_t> frameSizes, int mainTreeSize,
                                   TreeLengths &previous);

// One frame as an uncompressed block: it never grows a frame by more than 16 bytes,
// whatever the data, and leaves the trees and R0-R2 as they were.
std::vector<std::uint8_t> writeUncompressedFrame(vexel::codec::BitWriter &out,
                                                 std::span<const std::uint8_t> frame,
                                                 const RepeatedOffsets &offsets);

} // namespace cab::lzx
