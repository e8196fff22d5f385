// CRC-16/ARC (reflected polynomial 0xA001, initial value 0, no final XOR): the check
// value of LHA member data and of level-2 headers. "123456789" gives 0xBB3D.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexel::lha {

class Crc16 {
public:
    void update(const std::uint8_t *data, std::size_t size);
    std::uint16_t value() const { return crc_; }

private:
    std::uint16_t crc_ = 0;
};

std::uint16_t crc16(const std::uint8_t *data, std::size_t size);

} // namespace vexel::lha
