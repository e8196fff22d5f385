// Packs variable-width bit fields into bytes, most significant bit first.
//
// Two packings share one accumulator:
//  - MsbFirstBytes: each byte is filled from its top bit down (the -lhN- streams);
//  - MsbFirstLe16Words: 16-bit words are filled from their top bit down and stored
//    little-endian, low byte first (LZX frames).
// Not thread-safe; one writer per stream.
#pragma once

#include <cstdint>
#include <vector>

namespace vexel::codec {

enum class BitPacking { MsbFirstBytes, MsbFirstLe16Words };

class BitWriter {
public:
    explicit BitWriter(BitPacking packing = BitPacking::MsbFirstBytes)
        : unitBits_(packing == BitPacking::MsbFirstBytes ? 8 : 16)
    {}

    // Appends the low `count` bits of `value` (0 <= count <= 32), highest of them
    // first. Bits of `value` above `count` are ignored.
    void put(std::uint32_t value, unsigned count)
    {
        if (count == 0)
            return;
        const std::uint64_t masked = value & (count == 32 ? 0xFFFFFFFFull : ((1ull << count) - 1));
        acc_ = (acc_ << count) | masked;
        pending_ += count;
        total_ += count;
        while (pending_ >= unitBits_)
            emitUnit();
    }

    // Pads with zero bits up to the next unit boundary (byte or 16-bit word).
    // Does nothing when already aligned.
    void alignToUnit()
    {
        if (pending_ != 0)
            put(0, unitBits_ - pending_);
    }

    // Bits written so far, padding included.
    std::uint64_t bitCount() const { return total_; }

    // The completed bytes not yet taken. A partial unit stays inside the writer
    // until alignToUnit() or more bits complete it.
    std::vector<std::uint8_t> &bytes() { return out_; }

    // Moves the completed bytes to the end of `sink` and forgets them here, so a
    // long stream can be written out piece by piece.
    void drainTo(std::vector<std::uint8_t> &sink)
    {
        sink.insert(sink.end(), out_.begin(), out_.end());
        out_.clear();
    }

private:
    void emitUnit()
    {
        pending_ -= unitBits_;
        const auto unit = static_cast<std::uint32_t>(acc_ >> pending_);
        if (unitBits_ == 8) {
            out_.push_back(static_cast<std::uint8_t>(unit));
        } else {
            out_.push_back(static_cast<std::uint8_t>(unit));
            out_.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        acc_ &= (1ull << pending_) - 1;
    }

    unsigned unitBits_;
    unsigned pending_ = 0;
    std::uint64_t acc_ = 0;
    std::uint64_t total_ = 0;
    std::vector<std::uint8_t> out_;
};

} // namespace vexel::codec
