// LZX's three repeated offsets R0-R2 and how a match distance is coded against them.
#pragma once

#include "LzxTables.h"

#include <cstdint>
#include <utility>

namespace cab::lzx {

// One coded unit of a block: a literal, or a match with its position slot and footer.
struct LzxItem {
    std::uint16_t length = 0; // 0 for a literal
    std::uint8_t slot = 0;    // the literal byte when length is 0
    std::uint32_t footer = 0; // formatted offset minus the slot's base
};

struct RepeatedOffsets {
    std::uint32_t r[3] = {1, 1, 1};

    // The slot a match at `distance` is coded with, updating R0-R2 as the reader will:
    // a repeated offset moves to R0, a new one pushes the others down.
    LzxItem code(std::uint32_t distance, std::uint16_t length)
    {
        for (int i = 0; i < kRepeatSlots; ++i) {
            if (r[i] == distance) {
                std::swap(r[0], r[i]);
                return {length, std::uint8_t(i), 0};
            }
        }
        r[2] = r[1];
        r[1] = r[0];
        r[0] = distance;
        const std::uint32_t formatted = distance + 2;
        const int slot = slotOf(formatted);
        return {length, std::uint8_t(slot), formatted - kSlotBases.base[slot]};
    }
};

} // namespace cab::lzx
