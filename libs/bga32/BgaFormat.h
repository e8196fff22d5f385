// GZA/BZA member headers. An archive is a plain sequence of members, each a 28-byte
// header, the names, then the payload; there is no archive header and no terminator.
//
//  off size field
//   0   4   checksum: sum of bytes 4 .. end of names, each taken as a SIGNED byte
//   4   4   type: "GZIP" in .gza, "BZ2\0" in .bza (every member, folders included)
//   8   4   packed size (payload bytes after the names)
//  12   4   original size
//  16   2   DOS date (the date comes first)
//  18   2   DOS time
//  20   1   attribute (0x01 read-only, 0x10 folder, 0x20 archive)
//  21   1   header type, always 0
//  22   2   arc type: 1 compressed (a complete .gz/.bz2 stream), 2 stored; never 0
//  24   2   folder-part length
//  26   2   file-part length
//  28       folder part (ending in '\'), then file part, no NUL
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexel::bga {

enum class Kind { Gza, Bza };

constexpr std::size_t kHeaderSize = 28;
constexpr std::uint8_t kAttrReadOnly = 0x01;
constexpr std::uint8_t kAttrFolder = 0x10;
constexpr std::uint8_t kAttrArchive = 0x20;
constexpr std::uint16_t kArcCompressed = 1;
constexpr std::uint16_t kArcStored = 2;

struct MemberHeader {
    std::uint32_t packedSize = 0;
    std::uint32_t originalSize = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint8_t attribute = 0;
    std::uint16_t arcType = kArcStored;
    std::string folderPart; // encoded bytes, '\' separators, ending in '\' when not empty
    std::string filePart;   // encoded bytes
};

// The header with its names and checksum, ready to write.
std::vector<std::uint8_t> encodeHeader(Kind kind, const MemberHeader &header);

// The checksum over bytes 4 .. end of names: signed bytes summed into a signed 32-bit value.
std::uint32_t headerChecksum(const std::uint8_t *fromOffset4, std::size_t size);

} // namespace vexel::bga
