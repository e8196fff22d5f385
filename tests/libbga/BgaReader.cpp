#include "BgaReader.h"

#include "TestTree.h"

#include <bzlib.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iconv.h>

namespace vexel::testsupport {
namespace {

std::uint32_t le32(const unsigned char *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t le16(const unsigned char *p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

bool validUtf8(const std::string &s)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        const int extra = c < 0x80 ? 0
            : (c >> 5) == 6        ? 1
            : (c >> 4) == 14       ? 2
            : (c >> 3) == 30       ? 3
                                   : -1;
        if (extra < 0 || i + extra + 1 > s.size())
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

std::string fromCp932(const std::string &bytes)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
    std::string out(bytes.size() * 3 + 4, '\0');
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = bytes.size(), outLeft = out.size();
    char *o = out.data();
    iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string decodeName(const std::string &bytes, bool *utf8)
{
    *utf8 = validUtf8(bytes);
    std::string name = *utf8 ? bytes : fromCp932(bytes);
    for (char &c : name)
        if (c == '\\')
            c = '/';
    return name;
}

bool inflateGzip(const std::string &in, std::string *out)
{
    z_stream z{};
    if (inflateInit2(&z, 15 + 16) != Z_OK)
        return false;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    char buffer[1 << 16];
    int rc;
    do {
        z.next_out = reinterpret_cast<Bytef *>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out->append(buffer, sizeof buffer - z.avail_out);
    } while (rc == Z_OK);
    const bool ok = rc == Z_STREAM_END && z.avail_in == 0; // one stream, nothing after it
    inflateEnd(&z);
    return ok;
}

bool decompressBzip2(const std::string &in, std::string *out)
{
    bz_stream bz{};
    if (BZ2_bzDecompressInit(&bz, 0, 0) != BZ_OK)
        return false;
    bz.next_in = const_cast<char *>(in.data());
    bz.avail_in = static_cast<unsigned>(in.size());
    char buffer[1 << 16];
    int rc;
    do {
        bz.next_out = buffer;
        bz.avail_out = sizeof buffer;
        rc = BZ2_bzDecompress(&bz);
        out->append(buffer, sizeof buffer - bz.avail_out);
    } while (rc == BZ_OK);
    const bool ok = rc == BZ_STREAM_END && bz.avail_in == 0;
    BZ2_bzDecompressEnd(&bz);
    return ok;
}

} // namespace

bool listBga(const std::string &archive, std::vector<BgaEntry> *entries, std::string *error)
{
    const std::string bytes = readFile(archive);
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 28) {
            *error = "truncated header at " + std::to_string(at);
            return false;
        }
        const auto *h = reinterpret_cast<const unsigned char *>(bytes.data() + at);
        BgaEntry e;
        e.type = bytes.substr(at + 4, 4);
        e.packedSize = le32(h + 8);
        e.originalSize = le32(h + 12);
        e.dosDate = le16(h + 16);
        e.dosTime = le16(h + 18);
        e.attribute = h[20];
        e.arcType = le16(h + 22);
        const std::size_t dirLen = le16(h + 24), fileLen = le16(h + 26);
        if (bytes.size() - at < 28 + dirLen + fileLen) {
            *error = "truncated names at " + std::to_string(at);
            return false;
        }
        std::int32_t sum = 0;
        for (std::size_t i = 4; i < 28 + dirLen + fileLen; ++i)
            sum += static_cast<std::int8_t>(h[i]);
        if (static_cast<std::uint32_t>(sum) != le32(h)) {
            *error = "bad header checksum at " + std::to_string(at);
            return false;
        }
        e.rawFolderPart = bytes.substr(at + 28, dirLen);
        e.rawFilePart = bytes.substr(at + 28 + dirLen, fileLen);
        e.isFolder = (e.attribute & 0x10) != 0;
        e.name = decodeName(e.rawFolderPart + e.rawFilePart, &e.utf8Name);
        if (e.isFolder && !e.name.empty() && e.name.back() == '/')
            e.name.pop_back();
        e.payloadOffset = at + 28 + dirLen + fileLen;
        if (bytes.size() - e.payloadOffset < e.packedSize) {
            *error = "truncated payload of " + e.name;
            return false;
        }
        at = e.payloadOffset + e.packedSize;
        entries->push_back(e);
    }
    return true;
}

std::string payloadOf(const std::string &archive, const BgaEntry &entry)
{
    std::ifstream in(archive, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(entry.payloadOffset));
    std::string payload(entry.packedSize, '\0');
    in.read(payload.data(), entry.packedSize);
    return payload;
}

bool memberData(const std::string &archive, const BgaEntry &entry, std::string *data,
                std::string *error)
{
    const std::string payload = payloadOf(archive, entry);
    data->clear();
    bool ok;
    if (entry.arcType == 2)
        ok = (*data = payload, entry.packedSize == entry.originalSize);
    else if (entry.arcType == 1)
        ok = entry.type == "GZIP" ? inflateGzip(payload, data) : decompressBzip2(payload, data);
    else
        ok = false;
    if (!ok || data->size() != entry.originalSize) {
        *error =
            "cannot decode " + entry.name + " (arc type " + std::to_string(entry.arcType) + ")";
        return false;
    }
    return true;
}

bool extractBga(const std::string &archive, const std::string &folder, std::string *error)
{
    std::vector<BgaEntry> entries;
    if (!listBga(archive, &entries, error))
        return false;
    for (const BgaEntry &e : entries) {
        const std::string path = folder + "/" + e.name;
        if (e.isFolder) {
            std::filesystem::create_directories(path);
            continue;
        }
        std::string data;
        if (!memberData(archive, e, &data, error))
            return false;
        writeFile(path, data);
    }
    return true;
}

} // namespace vexel::testsupport
