// One raw deflate stream made of pieces that libdeflate compresses one at a time.
//
// libdeflate only compresses whole buffers into whole streams, so a file too long to
// hold is cut into pieces. Every piece but the last is turned into the continuation
// of a stream: the final mark of its last block is cleared, and an empty stored block
// after its last bit brings the stream to a byte boundary, where the next piece's
// first block starts. Each piece loses only the matches it could have found in the
// previous one (at most 32 KiB back), so the cost is a few bytes per piece.
#pragma once

#include <cstddef>
#include <vector>

struct libdeflate_compressor;

namespace vexel::zip {

class DeflatePieces {
public:
    explicit DeflatePieces(int libdeflateLevel);
    ~DeflatePieces();
    DeflatePieces(const DeflatePieces &) = delete;
    DeflatePieces &operator=(const DeflatePieces &) = delete;

    // Appends the deflated piece to *out. `last` ends the stream. False when memory
    // for the compressor could not be had.
    bool add(const unsigned char *data, std::size_t size, bool last,
             std::vector<unsigned char> *out);

private:
    int level_;
    libdeflate_compressor *compressor_ = nullptr;
};

// Where the last block of a complete raw deflate stream starts and where the stream
// ends, in bits from its start; false when the bytes are not one complete stream.
bool deflateStreamBounds(const unsigned char *data, std::size_t size, std::size_t *lastBlockBit,
                         std::size_t *endBit);

} // namespace vexel::zip
