#include "LhaHeader.h"

#include "Crc16.h"
#include "common/NameBytes.h"

#include <algorithm>

namespace vexel::lha {

namespace {

constexpr std::size_t kBaseSize = 26;
constexpr std::uint8_t kOsUnix = 'U';
constexpr std::uint32_t kUtf8CodePage = 65001;
constexpr std::uint16_t kRegularFile = 0100000;
constexpr std::uint16_t kDirectory = 0040000;
// The mode lhasa and 7-Zip give a folder whose header has no 0x50 extension: 0777 less
// the usual umask 022. Files keep the extension whatever their mode, because lhasa
// creates a file without one as 0600, not as the umask would have it.
constexpr std::uint16_t kAssumedFolderMode = 0755;

struct Extension {
    std::uint8_t type;
    std::vector<std::uint8_t> body;
    std::size_t size() const { return 1 + body.size() + 2; }
};

void putLe(std::vector<std::uint8_t> &out, std::size_t at, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> le(std::uint64_t value, int bytes)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(bytes));
    putLe(out, 0, value, bytes);
    return out;
}

// "a/b/c" -> folder part "a\xFFb\xFF" and name "c"; a folder keeps its whole path
// in the folder part and an empty name.
void splitName(const LhaEntry &e, std::vector<std::uint8_t> *folder,
               std::vector<std::uint8_t> *name)
{
    std::string dir = e.storedName;
    std::string base;
    if (!e.isFolder) {
        const auto slash = dir.rfind('/');
        base = slash == std::string::npos ? dir : dir.substr(slash + 1);
        dir = slash == std::string::npos ? std::string() : dir.substr(0, slash);
    }
    name->assign(base.begin(), base.end());
    folder->clear();
    if (dir.empty())
        return;
    for (char c : dir)
        folder->push_back(c == '/' ? 0xFF : static_cast<std::uint8_t>(c));
    folder->push_back(0xFF);
}

bool isAscii(const std::string &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::vector<Extension> extensions(const LhaEntry &e)
{
    std::vector<std::uint8_t> folder, name;
    splitName(e, &folder, &name);
    const std::uint16_t type = e.isFolder ? kDirectory : kRegularFile;
    std::vector<Extension> ext;
    ext.push_back({0x00, {0, 0}});
    ext.push_back({0x01, name});
    if (!folder.empty())
        ext.push_back({0x02, folder});
    // Names are stored as their bytes. The code page says UTF-8 only where that is true,
    // and an ASCII name reads the same in every code page: there it would say nothing.
    if (!isAscii(e.storedName) && kit::isValidUtf8(e.storedName))
        ext.push_back({0x46, le(kUtf8CodePage, 4)});
    const std::uint16_t permissions = e.permissions & 07777;
    if (!e.isFolder || permissions != kAssumedFolderMode)
        ext.push_back({0x50, le(type | permissions, 2)});
    return ext;
}

std::size_t totalSize(const std::vector<Extension> &ext)
{
    std::size_t total = kBaseSize;
    for (const Extension &x : ext)
        total += x.size();
    return total;
}

} // namespace

std::uint32_t lhaTime(std::int64_t unixSeconds)
{
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(unixSeconds, 0, 0xFFFFFFFFll));
}

bool buildLevel2Header(const LhaEntry &e, std::vector<std::uint8_t> *header, std::string *reason)
{
    std::vector<Extension> ext = extensions(e);
    if ((totalSize(ext) & 0xFF) == 0)
        ext[0].body.push_back(0); // one information byte after the header CRC
    const std::size_t total = totalSize(ext);
    if (total > 0xFFFF) {
        *reason = "the name " + e.storedName + " is too long for an LHA header";
        return false;
    }
    std::vector<std::uint8_t> &h = *header;
    h.assign(kBaseSize, 0);
    putLe(h, 0, total, 2);
    std::copy_n(e.method.begin(), std::min<std::size_t>(5, e.method.size()), h.begin() + 2);
    putLe(h, 7, e.packedSize, 4);
    putLe(h, 11, e.originalSize, 4);
    putLe(h, 15, e.mtime, 4);
    h[19] = 0x20;
    h[20] = 2;
    putLe(h, 21, e.dataCrc, 2);
    h[23] = kOsUnix;
    putLe(h, 24, ext.front().size(), 2);
    for (std::size_t i = 0; i < ext.size(); ++i) {
        h.push_back(ext[i].type);
        h.insert(h.end(), ext[i].body.begin(), ext[i].body.end());
        const std::size_t next = i + 1 < ext.size() ? ext[i + 1].size() : 0;
        h.push_back(static_cast<std::uint8_t>(next));
        h.push_back(static_cast<std::uint8_t>(next >> 8));
    }
    // The header CRC covers the whole header with its own two bytes still zero.
    const std::uint16_t crc = crc16(h.data(), h.size());
    putLe(h, kBaseSize + 1, crc, 2);
    return true;
}

} // namespace vexel::lha
