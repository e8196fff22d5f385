// The CFDATA checksum: an XOR over little-endian 32-bit words of the payload, the
// 1-3 trailing bytes folded in most-significant first, then the cbData/cbUncomp pair.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cab {

std::uint32_t dataChecksum(const std::uint8_t *payload, std::size_t size,
                           std::uint16_t uncompressedSize);

} // namespace cab
