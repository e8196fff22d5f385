// The payload of a compressed GZA/BZA member: one complete .gz file (10-byte header
// with no name and MTIME 0, deflate data, CRC-32, ISIZE) or one complete .bz2 stream.
#pragma once

#include "BackgroundJob.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vexel::bga {

class PayloadEncoder {
public:
    virtual ~PayloadEncoder() = default;
    // Compresses more input; appends whatever output is ready to *out.
    virtual bool add(const std::uint8_t *data, std::size_t size, std::vector<std::uint8_t> *out,
                     std::string *reason) = 0;
    // Ends the stream; appends the rest of the output to *out.
    virtual bool finish(std::vector<std::uint8_t> *out, std::string *reason) = 0;
};

// zlib at `level` (1..9).
std::unique_ptr<PayloadEncoder> makeGzipEncoder(int level);
// libbz2 with blocks of `level` x 100 000 bytes (1..9). With a stop query, libbz2 runs on
// a thread of its own and a stop ends add() or finish() at once, whatever libbz2 is in
// the middle of (the encoder is then spent); without one, on the caller's thread.
std::unique_ptr<PayloadEncoder> makeBzip2Encoder(int level, kit::StopQuery stopped = {});

} // namespace vexel::bga
