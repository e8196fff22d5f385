// A small GZA/BZA reader for the tests: no tool on Linux reads these archives. Written
// from the format notes alone, independently of bga32's writer, so that the two check
// each other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexel::testsupport {

struct BgaEntry {
    std::string type; // "GZIP" or "BZ2\0"
    std::string name; // UTF-8, "/" separators; a folder's name without trailing "/"
    bool isFolder = false;
    bool utf8Name = false; // the stored bytes were valid UTF-8 (else decoded as CP932)
    std::string rawFolderPart, rawFilePart; // the stored bytes
    std::uint32_t packedSize = 0, originalSize = 0;
    std::uint16_t dosDate = 0, dosTime = 0;
    std::uint8_t attribute = 0;
    std::uint16_t arcType = 0;
    std::uint64_t payloadOffset = 0;
};

// Lists every member, checking each header's checksum and that payloads lie inside the file.
bool listBga(const std::string &archive, std::vector<BgaEntry> *entries, std::string *error);
// The stored payload bytes of one member.
std::string payloadOf(const std::string &archive, const BgaEntry &entry);
// Decodes one member's data (stored, gzip or bzip2), checking the original size.
bool memberData(const std::string &archive, const BgaEntry &entry, std::string *data,
                std::string *error);
// Recreates the archive's files and folders below `folder`.
bool extractBga(const std::string &archive, const std::string &folder, std::string *error);

} // namespace vexel::testsupport
