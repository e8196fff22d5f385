#include "LhaArchiveWriter.h"

#include "Crc16.h"
#include "InputFile.h"
#include "LhaHeader.h"
#include "codec/LhEncoder.h"

namespace vexel::lha {

namespace {

constexpr std::uint64_t kMaxMemberSize = 0xFFFFFFFFull;

LhaEntry entryFor(const kit::Member &m)
{
    LhaEntry e;
    e.storedName = m.storedName;
    e.isFolder = m.isFolder;
    e.mtime = lhaTime(m.mtime);
    e.permissions = static_cast<std::uint16_t>(m.mode & 07777);
    e.method = m.isFolder ? "-lhd-" : "-lh0-";
    return e;
}

// Writes the header at `at` (appending when `at` is the output's end).
bool putHeader(const LhaEntry &e, kit::ArchiveOutput &out, std::uint64_t at, std::string *reason)
{
    std::vector<std::uint8_t> header;
    if (!buildLevel2Header(e, &header, reason))
        return false;
    return out.writeAt(at, header.data(), header.size(), reason);
}

// Compresses the member's data right after its header, a block's bytes at a time as
// the encoder finishes them. Sets *shrunk to false, with nothing written past the
// original size, as soon as the packed data reaches the original size: the member is
// then stored instead.
bool compressData(const kit::Member &m, codec::LhMethod method, kit::ArchiveOutput &out,
                  kit::Progress &progress, LhaEntry &e, bool *shrunk, std::string *reason)
{
    std::uint64_t packed = 0;
    std::string writeError; // why the archive could not take the encoder's bytes
    *shrunk = true;
    codec::LhEncoderOptions options;
    options.stopRequested = [&progress] { return progress.stopRequested(); };
    options.output = [&](std::span<const std::uint8_t> bytes) {
        if (packed + bytes.size() >= m.size) {
            *shrunk = false;
            return false;
        }
        if (!out.write(bytes.data(), bytes.size(), &writeError))
            return false;
        packed += bytes.size();
        return true;
    };
    codec::LhEncoder encoder(method, options);
    Crc16 crc;
    // A refused output drops the stream: the reading stops at once, for a file that
    // does not shrink (not an error) or with the archive's write error.
    auto refused = [&](std::string *why) {
        if (!writeError.empty())
            *why = writeError;
        return !*shrunk || !writeError.empty();
    };
    const bool read = kit::readMember(
        m, progress,
        [&](const std::uint8_t *data, std::size_t n, std::string *why) {
            crc.update(data, n);
            encoder.write({data, n});
            return !refused(why);
        },
        reason);
    if (!read)
        return !*shrunk; // giving up on compression is not an error
    encoder.finish();
    if (refused(reason))
        return !*shrunk;
    e.method = encoder.method().id;
    e.packedSize = static_cast<std::uint32_t>(packed);
    e.dataCrc = crc.value();
    return true;
}

// Stores the member's bytes unchanged from `at`, over any compressed bytes that
// were written there before compression was given up.
bool storeData(const kit::Member &m, kit::ArchiveOutput &out, std::uint64_t at,
               kit::Progress &progress, LhaEntry &e, std::string *reason)
{
    Crc16 crc;
    // The bytes were counted once already, by the compression attempt: this second
    // read goes uncounted, but still stops when asked to.
    kit::Progress uncounted;
    const bool ok = kit::readMember(
        m, uncounted,
        [&](const std::uint8_t *data, std::size_t n, std::string *why) {
            if (progress.stopRequested()) {
                *why = "stopped by the user";
                return false;
            }
            crc.update(data, n);
            if (!out.writeAt(at, data, n, why))
                return false;
            at += n;
            return true;
        },
        reason);
    e.method = "-lh0-";
    e.packedSize = static_cast<std::uint32_t>(m.size);
    e.dataCrc = crc.value();
    return ok;
}

// Names go in as their bytes, so a name that is not UTF-8 comes back exactly. The one
// byte LHA cannot hold in a folder name is 0xFF, its folder separator: "a\xFFb/c" would
// come back as "a/b/c". (In the last component it is kept, as readers take that part
// whole.) Checked for every member before anything is written.
bool namesFit(const std::vector<kit::Member> &members, std::string *reason)
{
    for (const kit::Member &m : members) {
        const std::size_t folderEnd = m.isFolder ? m.storedName.size() : m.storedName.rfind('/');
        if (folderEnd == std::string::npos)
            continue;
        if (m.storedName.find('\xFF') < folderEnd) {
            *reason =
                "a folder name holding the byte 0xFF (LHA's folder separator) cannot be stored: "
                + m.diskPath;
            return false;
        }
    }
    return true;
}

bool writeMember(const kit::Member &m, codec::LhMethod method, kit::ArchiveOutput &out,
                 kit::Progress &progress, std::string *reason)
{
    if (m.size > kMaxMemberSize) {
        *reason = m.diskPath + " is 4 GiB or larger, more than an LHA archive can hold";
        return false;
    }
    progress.beginMember(m.storedName);
    LhaEntry e = entryFor(m);
    e.originalSize = static_cast<std::uint32_t>(m.size);
    const std::uint64_t headerAt = out.size();
    if (!putHeader(e, out, headerAt, reason))
        return false;
    if (m.isFolder || m.size == 0)
        return true;
    const std::uint64_t dataAt = out.size();
    bool shrunk = false;
    if (!compressData(m, method, out, progress, e, &shrunk, reason))
        return false;
    if (!shrunk && !storeData(m, out, dataAt, progress, e, reason))
        return false;
    return putHeader(e, out, headerAt, reason);
}

} // namespace

bool writeLhaArchive(const std::vector<kit::Member> &members, codec::LhMethod method,
                     kit::ArchiveOutput &output, kit::Progress &progress, std::string *reason)
{
    if (!namesFit(members, reason))
        return false;
    for (const kit::Member &m : members) {
        if (!writeMember(m, method, output, progress, reason))
            return false;
    }
    const std::uint8_t end = 0;
    return output.write(&end, 1, reason);
}

} // namespace vexel::lha
