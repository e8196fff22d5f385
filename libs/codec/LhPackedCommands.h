// A parsed chunk's -lhN- commands, packed into bytes while they wait to be coded into
// blocks. Literals are not stored, only how many come in a row (a byte per run of up
// to 128): they are read back from the input they were parsed from, which the encoder
// keeps until the blocks are coded anyway. A match takes four bytes (0x80, length - 3,
// distance - 1 in two bytes). Incompressible input then costs a byte per 128, text
// well under a byte per input byte, and nothing costs more than 4/3 (matches of 3),
// against eight bytes a command for LzToken.
// Not thread-safe; one writer or reader at a time.
#pragma once

#include "LzParser.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vexel::codec {

class LhPackedCommands {
public:
    // The most bytes the commands of `inputBytes` of input can pack into.
    static std::size_t worstBytes(std::size_t inputBytes) { return (4 * inputBytes + 2) / 3; }

    // Empties the store and makes room for the commands of `inputBytes` bytes of input,
    // so that appending them never reallocates (the room is kept across reset()).
    void reset(std::size_t inputBytes);
    // Commands as the -lhN- parsers make them: lengths 3..256, distances 1..65536; a
    // literal's byte is not kept. A match outside those limits throws
    // std::invalid_argument.
    void append(std::span<const LzToken> tokens);

    // Where unpacking stands: the byte of the store, the input position, and how many
    // literals of the current run were already handed out.
    struct Cursor {
        std::size_t at = 0;
        std::size_t position = 0;
        std::size_t runDone = 0;
    };
    // Unpacks commands from `cursor` on onto the end of `out` until `out` holds `limit`
    // commands or the store ends; literals are taken from `input`, the bytes the
    // commands were parsed from. False when the store is used up. Throws
    // std::out_of_range when the commands reach past the end of `input`.
    bool unpack(Cursor &cursor, std::size_t limit, std::span<const std::uint8_t> input,
                std::vector<LzToken> &out) const;

    std::size_t byteSize() const { return bytes_.size(); }
    std::size_t capacity() const { return bytes_.capacity(); }

private:
    std::vector<std::uint8_t> bytes_;
    bool runOpen_ = false; // the last byte counts a run that may still grow
};

} // namespace vexel::codec
