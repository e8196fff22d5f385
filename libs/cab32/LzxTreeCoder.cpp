#include "LzxTreeCoder.h"

#include "LzxTables.h"
#include "codec/Huffman.h"

#include <algorithm>
#include <array>
#include <vector>

namespace cab::lzx {
namespace {

// Pretree symbols: 0-16 a length difference, 17 and 18 runs of zeros, 19 a short run of
// one repeated length.
constexpr int kZeroRunShort = 17; // 4 bits: 4..19 zeros
constexpr int kZeroRunLong = 18;  // 5 bits: 20..51 zeros
constexpr int kSameRun = 19;      // 1 bit: 4..5 equal lengths, then their difference symbol
constexpr unsigned kPretreeMaxLength = 15;

struct PretreeItem {
    std::uint8_t symbol;
    std::uint8_t extra;      // the bits that follow a run symbol
    std::uint8_t difference; // the difference symbol that follows kSameRun
};

std::uint8_t difference(std::uint8_t previous, std::uint8_t length)
{
    return std::uint8_t((previous + 17 - length) % 17);
}

std::size_t runLength(std::span<const std::uint8_t> lengths, std::size_t from)
{
    std::size_t end = from;
    while (end < lengths.size() && lengths[end] == lengths[from])
        ++end;
    return end - from;
}

std::vector<PretreeItem> pretreeItems(std::span<const std::uint8_t> lengths,
                                      std::span<const std::uint8_t> previous)
{
    std::vector<PretreeItem> items;
    std::size_t i = 0;
    while (i < lengths.size()) {
        const std::size_t run = runLength(lengths, i);
        if (lengths[i] == 0 && run >= 20) {
            const std::size_t n = std::min<std::size_t>(run, 51);
            items.push_back({kZeroRunLong, std::uint8_t(n - 20), 0});
            i += n;
        } else if (lengths[i] == 0 && run >= 4) {
            items.push_back({kZeroRunShort, std::uint8_t(run - 4), 0});
            i += run;
        } else if (run >= 4) {
            const std::size_t n = std::min<std::size_t>(run, 5);
            items.push_back({kSameRun, std::uint8_t(n - 4), difference(previous[i], lengths[i])});
            i += n;
        } else {
            items.push_back({difference(previous[i], lengths[i]), 0, 0});
            ++i;
        }
    }
    return items;
}

int extraBits(std::uint8_t symbol)
{
    switch (symbol) {
    case kZeroRunShort: return 4;
    case kZeroRunLong: return 5;
    case kSameRun: return 1;
    default: return 0;
    }
}

} // namespace

void writeTreeSegment(vexel::codec::BitWriter &out, std::span<const std::uint8_t> lengths,
                      std::span<const std::uint8_t> previous)
{
    const std::vector<PretreeItem> items = pretreeItems(lengths, previous);
    std::array<std::uint32_t, kPretreeSize> freq{};
    for (const PretreeItem &item : items) {
        freq[item.symbol]++;
        if (item.symbol == kSameRun)
            freq[item.difference]++;
    }
    const std::vector<std::uint8_t> pretree =
        vexel::codec::limitedCodeLengths(freq, kPretreeMaxLength);
    const std::vector<std::uint32_t> codes = vexel::codec::canonicalCodes(pretree);
    for (std::uint8_t len : pretree)
        out.put(len, 4);
    for (const PretreeItem &item : items) {
        out.put(codes[item.symbol], pretree[item.symbol]);
        out.put(item.extra, unsigned(extraBits(item.symbol)));
        if (item.symbol == kSameRun)
            out.put(codes[item.difference], pretree[item.difference]);
    }
}

} // namespace cab::lzx
