#include "BgaFormat.h"

namespace vexel::bga {
namespace {

void put16(std::vector<std::uint8_t> &out, std::size_t at, std::uint16_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::vector<std::uint8_t> &out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

std::uint32_t headerChecksum(const std::uint8_t *fromOffset4, std::size_t size)
{
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum += static_cast<std::int8_t>(fromOffset4[i]);
    return static_cast<std::uint32_t>(sum);
}

std::vector<std::uint8_t> encodeHeader(Kind kind, const MemberHeader &header)
{
    std::vector<std::uint8_t> out(kHeaderSize);
    static const std::uint8_t gzip[4] = {'G', 'Z', 'I', 'P'};
    static const std::uint8_t bzip2[4] = {'B', 'Z', '2', 0};
    const std::uint8_t *type = kind == Kind::Gza ? gzip : bzip2;
    std::copy(type, type + 4, out.begin() + 4);
    put32(out, 8, header.packedSize);
    put32(out, 12, header.originalSize);
    put16(out, 16, header.dosDate);
    put16(out, 18, header.dosTime);
    out[20] = header.attribute;
    out[21] = 0;
    put16(out, 22, header.arcType);
    put16(out, 24, static_cast<std::uint16_t>(header.folderPart.size()));
    put16(out, 26, static_cast<std::uint16_t>(header.filePart.size()));
    out.insert(out.end(), header.folderPart.begin(), header.folderPart.end());
    out.insert(out.end(), header.filePart.begin(), header.filePart.end());
    put32(out, 0, headerChecksum(out.data() + 4, out.size() - 4));
    return out;
}

} // namespace vexel::bga
