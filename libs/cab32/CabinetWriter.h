// Writes one cabinet from a list of files: the header, one folder per ~2 GiB of input
// (one folder in practice), a CFFILE entry per file and the folders' CFDATA frames.
// Inputs beyond what one cabinet can hold are refused before anything is written, and
// a cabinet that fails or is stopped half-way is removed, so a caller never sees a
// corrupt one.
#pragma once

#include "FolderEncoder.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cab {

struct CabEntry {
    std::string sourcePath; // where to read the bytes
    std::string storedName; // bytes (UTF-8 when valid), "/" between folders; stored with "\"
    std::uint64_t size = 0; // bytes expected; a file that changed size fails the write
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes =
        0; // kAttrReadOnly etc.; the UTF-8 flag is added for non-ASCII valid UTF-8
};

// Called after every frame with the bytes done so far and the file being read; an
// answer of false stops the write.
using ProgressFn = std::function<bool(std::uint64_t bytesDone, const std::string &storedName)>;

// Empty when the entries fit in one cabinet, else the reason they do not.
std::string checkCabinetLimits(const std::vector<CabEntry> &entries);

// Writes `entries` to `cabPath` with `encoder`. On failure or stop returns false with a
// one-line reason in *error and leaves no file at cabPath.
bool writeCabinet(const std::string &cabPath, const std::vector<CabEntry> &entries,
                  FolderEncoder &encoder, const ProgressFn &progress, std::string *error);

} // namespace cab
