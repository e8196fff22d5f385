// How many bytes two places of a buffer share from their start, compared eight at a
// time: the inner loop of every match search and match extension of the codec kit.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace vexel::codec {

// The length of the common prefix of `a` and `b`, at most `limit`. Both must be
// readable for `limit` bytes.
inline std::uint32_t commonPrefixLength(const std::uint8_t *a, const std::uint8_t *b,
                                        std::uint32_t limit)
{
    std::uint32_t n = 0;
    while (n + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y)
            return n + static_cast<std::uint32_t>(std::countr_zero(x ^ y) / 8);
        n += 8;
    }
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

} // namespace vexel::codec
