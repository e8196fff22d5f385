#include "DeflatePieces.h"

#include <libdeflate.h>
#include <zlib.h>

namespace vexel::zip {

namespace {

// Deflates one piece with zlib, ending it with a sync flush (byte-aligned, not final)
// or a finish: the way out should libdeflate's stream ever not be what is expected.
bool zlibPiece(const unsigned char *data, std::size_t size, bool last,
               std::vector<unsigned char> *out)
{
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    const std::size_t start = out->size();
    out->resize(start + deflateBound(&z, static_cast<uLong>(size)) + 16);
    z.next_in = const_cast<unsigned char *>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out->data() + start;
    z.avail_out = static_cast<uInt>(out->size() - start);
    const int rc = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
    out->resize(out->size() - z.avail_out);
    deflateEnd(&z);
    return last ? rc == Z_STREAM_END : rc == Z_OK && z.avail_in == 0;
}

} // namespace

bool deflateStreamBounds(const unsigned char *data, std::size_t size, std::size_t *lastBlockBit,
                         std::size_t *endBit)
{
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return false;
    z.next_in = const_cast<unsigned char *>(data);
    z.avail_in = static_cast<uInt>(size);
    unsigned char scratch[32 * 1024]; // the output itself is not needed
    std::size_t blockStart = 0, blockEnd = 0;
    bool complete = false;
    while (true) {
        z.next_out = scratch;
        z.avail_out = sizeof scratch;
        // Z_BLOCK stops after every end-of-block code (data_type bit 128), the last
        // block's included (bit 64 too); data_type's low bits are the bits of the last
        // byte read that are still unused.
        const int rc = inflate(&z, Z_BLOCK);
        if (rc == Z_STREAM_END) {
            *lastBlockBit = blockStart;
            *endBit = blockEnd;
            complete = blockEnd != 0;
            break;
        }
        if (rc != Z_OK)
            break;
        const std::size_t bit = z.total_in * 8 - (z.data_type & 7);
        if ((z.data_type & 128) && (z.data_type & 64))
            blockEnd = bit;
        else if (z.data_type & 128)
            blockStart = bit;
    }
    inflateEnd(&z);
    return complete && *endBit <= size * 8 && *lastBlockBit < *endBit;
}

DeflatePieces::DeflatePieces(int libdeflateLevel) : level_(libdeflateLevel) {}

DeflatePieces::~DeflatePieces() { libdeflate_free_compressor(compressor_); }

bool DeflatePieces::add(const unsigned char *data, std::size_t size, bool last,
                        std::vector<unsigned char> *out)
{
    if (!compressor_)
        compressor_ = libdeflate_alloc_compressor(level_);
    if (!compressor_ || size > (1u << 30)) // zlib's counters take the piece whole
        return zlibPiece(data, size, last, out);
    const std::size_t start = out->size();
    out->resize(start + libdeflate_deflate_compress_bound(compressor_, size) + 5);
    unsigned char *piece = out->data() + start;
    const std::size_t packed =
        libdeflate_deflate_compress(compressor_, data, size, piece, out->size() - start - 5);
    if (last && packed != 0) { // a whole stream as it is: nothing to patch, nothing to look for
        out->resize(start + packed);
        return true;
    }
    std::size_t lastBlock = 0, end = 0;
    // The final mark is the first bit of the last block's header.
    if (packed == 0 || !deflateStreamBounds(piece, packed, &lastBlock, &end)
        || !(piece[lastBlock / 8] >> (lastBlock % 8) & 1)) {
        out->resize(start);
        return zlibPiece(data, size, last, out);
    }
    piece[lastBlock / 8] &= static_cast<unsigned char>(~(1u << (lastBlock % 8)));
    // An empty stored block from the end bit: 3 header bits 000 (not final, stored),
    // zeros up to the byte boundary, then LEN 0 and NLEN 0xFFFF.
    std::size_t at = end / 8;
    piece[at] &= static_cast<unsigned char>((1u << (end % 8)) - 1);
    const std::size_t headerEnd = end + 3;
    for (std::size_t i = at + 1; i < (headerEnd + 7) / 8; ++i)
        piece[i] = 0;
    at = (headerEnd + 7) / 8;
    piece[at++] = 0x00;
    piece[at++] = 0x00;
    piece[at++] = 0xFF;
    piece[at++] = 0xFF;
    out->resize(start + at);
    return true;
}

} // namespace vexel::zip
