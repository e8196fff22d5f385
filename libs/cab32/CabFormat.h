// Layout constants of a Microsoft cabinet as Vexel writes it: one cabinet, no reserve
// areas, no previous/next cabinet, so every header has a fixed size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cab {

constexpr std::size_t kHeaderSize = 36;     // CFHEADER with flags 0
constexpr std::size_t kFolderEntrySize = 8; // CFFOLDER without reserve
constexpr std::size_t kFileEntrySize = 16;  // CFFILE before its name
constexpr std::size_t kDataHeaderSize = 8;  // CFDATA before its payload

// Every CFDATA but the last of a folder holds exactly one 32 KiB frame.
constexpr std::uint32_t kFrameSize = 32768;
// Readers refuse a CFDATA payload larger than a frame plus this margin.
constexpr std::uint32_t kMaxDataSize = kFrameSize + 6144;

constexpr std::uint32_t kMaxFramesPerFolder = 65535;
constexpr std::uint64_t kMaxFolderBytes =
    std::uint64_t(kMaxFramesPerFolder) * kFrameSize; // 0x7FFF8000
constexpr std::uint64_t kMaxFileBytes = kMaxFolderBytes;
constexpr std::uint64_t kMaxCabinetBytes = 0x7FFFFFFF;
constexpr std::uint32_t kMaxFiles = 65535;
constexpr std::uint32_t kMaxFolders = 65535;
constexpr std::size_t kMaxNameBytes = 255; // without the terminating NUL

// typeCompress values.
constexpr std::uint16_t kMethodMszip = 0x0001;
constexpr std::uint16_t lzxMethod(int windowBits)
{
    return std::uint16_t(0x0003 | (windowBits << 8));
}

// CFFILE attribute bits.
constexpr std::uint16_t kAttrReadOnly = 0x01;
constexpr std::uint16_t kAttrArchive = 0x20;
constexpr std::uint16_t kAttrExecute = 0x40;
constexpr std::uint16_t kAttrNameIsUtf8 = 0x80;

inline void putU16(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

inline void putU32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

inline void setU16(std::uint8_t *at, std::uint32_t v)
{
    at[0] = std::uint8_t(v);
    at[1] = std::uint8_t(v >> 8);
}

inline void setU32(std::uint8_t *at, std::uint32_t v)
{
    setU16(at, v & 0xFFFF);
    setU16(at + 2, v >> 16);
}

} // namespace cab
