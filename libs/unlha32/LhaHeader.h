// Level-2 LHA member headers, as Vexel writes them:
//   base header (26 bytes, OS id 'U', Unix UTC time), then the extended headers
//   0x00 header CRC, 0x01 file name, 0x02 folder path (0xFF after each component),
//   0x46 code page 65001 only on names that are valid UTF-8 and not plain ASCII, and
//   0x50 Unix mode, left out for a folder of mode 0755, the mode readers give a folder
//   without one.
// A header whose total size would have a low byte of 0 (which many readers take for
// the end of the archive) gets one more information byte in its 0x00 extension;
// it is never padded, because 7-Zip finds the data after the last extension.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexel::lha {

struct LhaEntry {
    std::string storedName; // bytes (UTF-8 when valid), "/" separators, no leading or trailing "/"
    bool isFolder = false;  // stored as -lhd- with the whole path in ext 0x02
    std::string method = "-lh0-";
    std::uint32_t packedSize = 0;
    std::uint32_t originalSize = 0;
    std::uint32_t mtime = 0;          // Unix seconds, UTC
    std::uint16_t permissions = 0644; // 07777 bits
    std::uint16_t dataCrc = 0;
};

// The header bytes, header CRC included. Its length does not depend on the sizes,
// time or CRC, so a header can be written first and rewritten once they are known.
// False with a reason when the name makes the header longer than 65535 bytes.
bool buildLevel2Header(const LhaEntry &entry, std::vector<std::uint8_t> *header,
                       std::string *reason);

// Clamps a time to what the 32-bit level-2 field holds.
std::uint32_t lhaTime(std::int64_t unixSeconds);

} // namespace vexel::lha
