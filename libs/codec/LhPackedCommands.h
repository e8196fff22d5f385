// A parsed chunk's -lhN- commands, packed into bytes while they wait to be coded into
// blocks: a literal takes one byte (two for 0xFF), a match four (0xFF, length - 3,
// distance - 1 in two bytes). Parsed text then costs about a byte per input byte and
// incompressible input a byte per byte, against eight for LzToken, so the commands of
// the chunks in flight take little memory whatever the content.
// Not thread-safe; one writer or reader at a time.
#pragma once

#include "LzParser.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vexel::codec {

class LhPackedCommands {
public:
    // The most bytes `inputBytes` of input can pack into (two per byte: a literal 0xFF).
    static std::size_t worstBytes(std::size_t inputBytes) { return 2 * inputBytes; }

    // Empties the store and makes room for the commands of `inputBytes` bytes of input,
    // so that appending them never reallocates (the room is kept across clear()).
    void reset(std::size_t inputBytes);
    // Commands as the -lhN- parsers make them: lengths 3..256, distances 1..65536.
    // Anything else does not fit and throws std::invalid_argument.
    void append(std::span<const LzToken> tokens);

    // Unpacks commands from byte offset `at` onwards onto the end of `out` until `out`
    // holds `limit` commands or the store ends; returns the offset after the last one.
    std::size_t unpack(std::size_t at, std::size_t limit, std::vector<LzToken> &out) const;

    std::size_t byteSize() const { return bytes_.size(); }
    std::size_t capacity() const { return bytes_.capacity(); }

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace vexel::codec
