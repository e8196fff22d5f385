#include "LzxBlockWriter.h"

#include "LzxTreeCoder.h"
#include "codec/Huffman.h"

#include <numeric>

namespace cab::lzx {
namespace {

using vexel::codec::BitWriter;

enum BlockType { kVerbatim = 1, kAligned = 2, kUncompressed = 3 };

constexpr unsigned kTreeMaxLength = 16;
constexpr unsigned kAlignedMaxLength = 7;
constexpr int kAlignedLengthBits = 3;
constexpr int kAlignedFooterBits = 3;

struct Code {
    std::vector<std::uint8_t> lengths;
    std::vector<std::uint32_t> codes;

    explicit Code(std::span<const std::uint32_t> freq, unsigned maxLength)
        : lengths(vexel::codec::limitedCodeLengths(freq, maxLength)),
          codes(vexel::codec::canonicalCodes(lengths))
    {}
    void put(BitWriter &out, std::size_t symbol) const { out.put(codes[symbol], lengths[symbol]); }
};

struct Frequencies {
    std::vector<std::uint32_t> main;
    std::array<std::uint32_t, kLengthTreeSize> length{};
    std::array<std::uint32_t, kAlignedTreeSize> aligned{};

    Frequencies(std::span<const LzxItem> items, int mainTreeSize)
        : main(std::size_t(mainTreeSize), 0)
    {
        for (const LzxItem &item : items) {
            if (item.length == 0) {
                main[item.slot]++;
                continue;
            }
            const int header = std::min(item.length - kMinMatch, kLengthHeaders - 1);
            main[kNumChars + item.slot * kLengthHeaders + header]++;
            if (header == kLengthHeaders - 1)
                length[item.length - kMinMatch - (kLengthHeaders - 1)]++;
            if (slotExtraBits(item.slot) >= kAlignedFooterBits)
                aligned[item.footer & 7]++;
        }
    }
};

// Whether the aligned tree saves more than its own 24 bits over plain footer bits.
bool alignedPays(const Frequencies &freq, const std::vector<std::uint8_t> &alignedLengths)
{
    if (vexel::codec::usedSymbolCount(freq.aligned) == 0)
        return false;
    long saved = -long(kAlignedTreeSize * kAlignedLengthBits);
    for (int i = 0; i < kAlignedTreeSize; ++i)
        saved += long(freq.aligned[i]) * (kAlignedFooterBits - alignedLengths[i]);
    return saved > 0;
}

void putBlockHeader(BitWriter &out, BlockType type, std::uint32_t size)
{
    out.put(type, 3);
    out.put(size, 24);
}

// Hands out the payload of each frame as the symbols reach its end.
class FrameCutter {
public:
    FrameCutter(BitWriter &out, std::span<const std::uint32_t> frameSizes)
        : out_(out), sizes_(frameSizes), left_(frameSizes.empty() ? 0 : frameSizes[0])
    {}
    void advance(std::uint32_t bytes)
    {
        left_ -= bytes;
        if (left_ == 0 && frames_.size() < sizes_.size()) {
            out_.alignToUnit();
            frames_.push_back(std::move(out_.bytes()));
            out_.bytes().clear();
            if (frames_.size() < sizes_.size())
                left_ = sizes_[frames_.size()];
        }
    }
    FramePayloads take() { return std::move(frames_); }

private:
    BitWriter &out_;
    std::span<const std::uint32_t> sizes_;
    std::uint32_t left_;
    FramePayloads frames_;
};

void putFooter(BitWriter &out, const LzxItem &item, const Code *aligned)
{
    const int extra = slotExtraBits(item.slot);
    if (aligned && extra >= kAlignedFooterBits) {
        out.put(item.footer >> kAlignedFooterBits, unsigned(extra - kAlignedFooterBits));
        aligned->put(out, item.footer & 7);
    } else {
        out.put(item.footer, unsigned(extra));
    }
}

} // namespace

FramePayloads writeCompressedBlock(BitWriter &out, std::span<const LzxItem> items,
                                   std::span<const std::uint32_t> frameSizes, int mainTreeSize,
                                   TreeLengths &previous)
{
    const Frequencies freq(items, mainTreeSize);
    const Code main(freq.main, kTreeMaxLength);
    const Code length(freq.length, kTreeMaxLength);
    const Code alignedCode(freq.aligned, kAlignedMaxLength);
    const bool useAligned = alignedPays(freq, alignedCode.lengths);

    const std::uint32_t blockSize = std::accumulate(frameSizes.begin(), frameSizes.end(), 0u);
    putBlockHeader(out, useAligned ? kAligned : kVerbatim, blockSize);
    if (useAligned)
        for (std::uint8_t len : alignedCode.lengths)
            out.put(len, kAlignedLengthBits);
    const std::span<const std::uint8_t> mainLengths(main.lengths);
    writeTreeSegment(out, mainLengths.first(kNumChars), std::span(previous.main).first(kNumChars));
    writeTreeSegment(
        out, mainLengths.subspan(kNumChars),
        std::span(previous.main).subspan(kNumChars, std::size_t(mainTreeSize - kNumChars)));
    writeTreeSegment(out, length.lengths, previous.length);
    std::copy(main.lengths.begin(), main.lengths.end(), previous.main.begin());
    std::copy(length.lengths.begin(), length.lengths.end(), previous.length.begin());

    FrameCutter cutter(out, frameSizes);
    for (const LzxItem &item : items) {
        if (item.length == 0) {
            main.put(out, item.slot);
            cutter.advance(1);
            continue;
        }
        const int header = std::min(item.length - kMinMatch, kLengthHeaders - 1);
        main.put(out, std::size_t(kNumChars + item.slot * kLengthHeaders + header));
        if (header == kLengthHeaders - 1)
            length.put(out, std::size_t(item.length - kMinMatch - (kLengthHeaders - 1)));
        putFooter(out, item, useAligned ? &alignedCode : nullptr);
        cutter.advance(item.length);
    }
    return cutter.take();
}

std::vector<std::uint8_t> writeUncompressedFrame(BitWriter &out,
                                                 std::span<const std::uint8_t> frame,
                                                 const RepeatedOffsets &offsets)
{
    putBlockHeader(out, kUncompressed, std::uint32_t(frame.size()));
    // The reader skips to the next word boundary, a whole word when already there.
    out.put(0, 1);
    out.alignToUnit();
    std::vector<std::uint8_t> payload = std::move(out.bytes());
    out.bytes().clear();
    for (std::uint32_t r : offsets.r)
        for (int shift = 0; shift < 32; shift += 8)
            payload.push_back(std::uint8_t(r >> shift));
    payload.insert(payload.end(), frame.begin(), frame.end());
    if (frame.size() % 2)
        payload.push_back(0);
    return payload;
}

} // namespace cab::lzx
