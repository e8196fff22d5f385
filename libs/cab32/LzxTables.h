// LZX position slots and match-length coding, fixed by the format for each window size.
#pragma once

#include <array>
#include <cstdint>

namespace cab::lzx {

constexpr int kMinWindowBits = 15;
constexpr int kMaxWindowBits = 21;
constexpr int kMaxSlots = 50;
constexpr int kNumChars = 256;
constexpr int kLengthHeaders = 8; // main-tree length headers per slot
constexpr int kLengthTreeSize = 249;
constexpr int kAlignedTreeSize = 8;
constexpr int kPretreeSize = 20;
constexpr int kMinMatch = 2;
constexpr int kMaxMatch = 257;
constexpr int kMaxMainTreeSize = kNumChars + kLengthHeaders * kMaxSlots;

// Repeated-offset slots; a real offset uses slots from 3 on.
constexpr int kRepeatSlots = 3;

constexpr int slotCount(int windowBits)
{
    constexpr int counts[] = {30, 32, 34, 36, 38, 42, 50};
    return counts[windowBits - kMinWindowBits];
}

constexpr int mainTreeSize(int windowBits)
{
    return kNumChars + kLengthHeaders * slotCount(windowBits);
}

// Extra bits of a slot: none below 4, then one more every two slots, capped at 17.
constexpr int slotExtraBits(int slot)
{
    if (slot < 4)
        return 0;
    return slot < 36 ? slot / 2 - 1 : 17;
}

struct SlotBases {
    std::array<std::uint32_t, kMaxSlots> base{};
    constexpr SlotBases()
    {
        for (int i = 1; i < kMaxSlots; ++i)
            base[i] = base[i - 1] + (1u << slotExtraBits(i - 1));
    }
};
inline constexpr SlotBases kSlotBases{};

// The slot holding a formatted offset (real distance + 2).
inline int slotOf(std::uint32_t formattedOffset)
{
    if (formattedOffset < 4)
        return int(formattedOffset);
    if (formattedOffset >= kSlotBases.base[36])
        return 36 + int((formattedOffset - kSlotBases.base[36]) >> 17);
    // Below slot 36 every power of two spans two slots.
    const int log2 = 31 - __builtin_clz(formattedOffset);
    const bool upperHalf = (formattedOffset >> (log2 - 1)) & 1;
    return 2 * log2 + (upperHalf ? 1 : 0);
}

} // namespace cab::lzx
