#include "Crc16.h"

#include <array>

namespace vexel::lha {

namespace {

constexpr std::array<std::uint16_t, 256> makeTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t c = static_cast<std::uint16_t>(i);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? static_cast<std::uint16_t>((c >> 1) ^ 0xA001)
                        : static_cast<std::uint16_t>(c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr auto kTable = makeTable();

} // namespace

void Crc16::update(const std::uint8_t *data, std::size_t size)
{
    std::uint16_t c = crc_;
    for (std::size_t i = 0; i < size; ++i)
        c = static_cast<std::uint16_t>(kTable[(c ^ data[i]) & 0xFF] ^ (c >> 8));
    crc_ = c;
}

std::uint16_t crc16(const std::uint8_t *data, std::size_t size)
{
    Crc16 crc;
    crc.update(data, size);
    return crc.value();
}

} // namespace vexel::lha
