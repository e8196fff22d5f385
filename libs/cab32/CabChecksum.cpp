#include "CabChecksum.h"

namespace cab {

std::uint32_t dataChecksum(const std::uint8_t *payload, std::size_t size,
                           std::uint16_t uncompressedSize)
{
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4)
        sum ^= std::uint32_t(payload[i]) | std::uint32_t(payload[i + 1]) << 8
            | std::uint32_t(payload[i + 2]) << 16 | std::uint32_t(payload[i + 3]) << 24;
    // The tail is read the other way round from the words: that is what every reader does.
    std::uint32_t tail = 0;
    for (; i < size; ++i)
        tail = tail << 8 | payload[i];
    sum ^= tail;
    sum ^= std::uint32_t(size & 0xFFFF) | std::uint32_t(uncompressedSize) << 16;
    return sum;
}

} // namespace cab
