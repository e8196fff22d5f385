// Streaming reads of a member's data: the file is never loaded whole.
#pragma once

#include "Members.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vexel::kit {

class Progress;

// Receives the data of a member chunk by chunk; false (with a reason) stops the read.
using ChunkSink =
    std::function<bool(const std::uint8_t *data, std::size_t size, std::string *reason)>;

// Reads the member's file in chunks of `chunkSize` bytes, counting them on `progress`
// (a second read of the same member is not counted twice).
// Fails with a reason naming the file when it cannot be opened or read, when the size
// changed since collection (so a header written with the old size can never lie), or
// when a stop was requested.
bool readMember(const Member &member, Progress &progress, const ChunkSink &sink,
                std::string *reason, std::size_t chunkSize = 256 * 1024);

} // namespace vexel::kit
