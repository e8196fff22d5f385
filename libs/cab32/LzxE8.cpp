#include "LzxE8.h"

#include "CabFormat.h"

namespace cab::lzx {
namespace {

// Readers translate only the first 1 GiB of a stream, and never the last 10 bytes of a frame.
constexpr std::uint32_t kE8FrameLimit = 32768;
constexpr std::size_t kE8Tail = 10;

std::int32_t readI32(const std::uint8_t *p)
{
    return std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
                        | std::uint32_t(p[3]) << 24);
}

void writeI32(std::uint8_t *p, std::int64_t v) { setU32(p, std::uint32_t(v)); }

} // namespace

void translateE8Frame(std::uint8_t *frame, std::size_t size, std::uint32_t frameIndex,
                      std::uint32_t translationSize)
{
    if (frameIndex >= kE8FrameLimit || size <= kE8Tail || translationSize == 0)
        return;
    const std::int64_t t = translationSize;
    const std::int64_t frameStart = std::int64_t(frameIndex) * kFrameSize;
    for (std::size_t p = 0; p < size - kE8Tail;) {
        if (frame[p] != 0xE8) {
            ++p;
            continue;
        }
        const std::int64_t cur = frameStart + std::int64_t(p);
        const std::int64_t v = readI32(frame + p + 1);
        if (v >= -cur && v < t)
            writeI32(frame + p + 1, v < t - cur ? v + cur : v - t);
        p += 5;
    }
}

bool looksLikeX86Code(const std::uint8_t *data, std::size_t size)
{
    std::size_t calls = 0;
    std::size_t nearCalls = 0;
    for (std::size_t p = 0; p + 5 <= size; ++p) {
        if (data[p] != 0xE8)
            continue;
        ++calls;
        const std::uint8_t top = data[p + 4];
        if (top == 0x00 || top == 0xFF)
            ++nearCalls;
        p += 4;
    }
    // Text (UTF-8 in particular) has 0xE8 bytes too, but not followed by small numbers;
    // random data has about one such call in 32 KiB, machine code dozens per KiB.
    return nearCalls >= 16 && nearCalls * 3 >= calls * 2 && nearCalls * 1024 >= size * 2;
}

} // namespace cab::lzx
