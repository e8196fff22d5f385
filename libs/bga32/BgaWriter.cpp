#include "BgaWriter.h"

#include "BgaNames.h"
#include "DosTime.h"
#include "InputFile.h"
#include "PayloadEncoder.h"

#include <libdeflate.h>
#include <memory>
#include <set>

namespace vexel::bga {
namespace {

constexpr std::uint64_t kMemberLimit = 0xFFFFFFFFull; // sizes are 32-bit fields
// At level 9, gzip members up to 1 MiB are compressed in memory by libdeflate, larger
// ones stream through zlib so that memory stays bounded. Up to 256 KiB its level 10
// (near-optimal parsing: a few percent smaller than zlib, and faster on small files,
// having no per-file set-up); beyond, its level 9, as fast as zlib and a little smaller,
// where level 10 would cost three times zlib's time. (Measured on the benchmark corpus.)
constexpr std::uint64_t kInMemoryLimit = 1 << 20;
constexpr std::uint64_t kStrongLimit = 256 * 1024;
constexpr int kStrongLevel = 10;
constexpr int kFastLevel = 9;
// bzip2 members larger than this compress on a thread of their own, so that a stop does
// not wait for libbz2 to sort a block (up to a second under load). Below, the sort of
// the whole member is short, and a thread per small file would cost more than it saves.
constexpr std::uint64_t kBackgroundBzip2From = 256 * 1024;

struct CompressorDeleter {
    void operator()(libdeflate_compressor *c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

class MemberWriter {
public:
    MemberWriter(Kind kind, int level, NameEncoding encoding, kit::ArchiveOutput &output,
                 kit::Progress &progress)
        : kind_(kind), level_(level), encoding_(encoding), output_(output), progress_(progress)
    {}

    bool write(const kit::Member &member, std::string *reason)
    {
        EncodedName name;
        if (!encodeName(member, encoding_, &name, reason))
            return false;
        MemberHeader header;
        header.folderPart = name.folderPart;
        header.filePart = name.filePart;
        if (member.isFolder) { // as Bga32 writes them: no date, arc type 1, no payload
            header.attribute = kAttrFolder;
            header.arcType = kArcCompressed;
            return writeHeader(header, reason);
        }
        const kit::DosDateTime dos = kit::toDosDateTime(member.mtime);
        header.dosDate = dos.date;
        header.dosTime = dos.time;
        header.attribute = kAttrArchive | ((member.mode & 0200) ? 0 : kAttrReadOnly);
        header.originalSize = static_cast<std::uint32_t>(member.size);
        if (member.size == 0 || level_ == 0)
            return writeStored(member, header, reason);
        if (kind_ == Kind::Gza && level_ == 9 && member.size <= kInMemoryLimit)
            return writeStrongGzip(member, header, reason);
        bool smaller = false;
        if (!writeCompressed(member, header, &smaller, reason))
            return false;
        return smaller || writeStored(member, header, reason);
    }

private:
    bool writeHeader(const MemberHeader &header, std::string *reason)
    {
        const std::vector<std::uint8_t> bytes = encodeHeader(kind_, header);
        return output_.write(bytes.data(), bytes.size(), reason);
    }

    bool writeStored(const kit::Member &member, MemberHeader header, std::string *reason)
    {
        header.arcType = kArcStored;
        header.packedSize = header.originalSize;
        if (!writeHeader(header, reason))
            return false;
        return kit::readMember(
            member, progress_,
            [&](const std::uint8_t *data, std::size_t size, std::string *why) {
                return output_.write(data, size, why);
            },
            reason);
    }

    // Streams the compressed payload after a provisional header and patches the header
    // at the end. Gives up (and cuts the archive back) as soon as the payload reaches
    // the original size: the member is then stored instead.
    bool writeCompressed(const kit::Member &member, MemberHeader header, bool *smaller,
                         std::string *reason)
    {
        const std::uint64_t start = output_.size();
        if (!writeHeader(header, reason))
            return false;
        const std::uint64_t payloadStart = output_.size();
        auto encoder = kind_ == Kind::Gza ? makeGzipEncoder(level_)
                                          : makeBzip2Encoder(level_, stopQuery(member));
        std::vector<std::uint8_t> packed;
        bool grew = false;
        const auto flush = [&](std::string *why) {
            const bool ok = output_.write(packed.data(), packed.size(), why);
            packed.clear();
            if (output_.size() - payloadStart >= member.size)
                grew = true;
            return ok;
        };
        const bool read = kit::readMember(
            member, progress_,
            [&](const std::uint8_t *data, std::size_t size, std::string *why) {
                if (!encoder->add(data, size, &packed, why) || !flush(why))
                    return false;
                if (grew)
                    *why = {}; // not an error: the caller stores the member instead
                return !grew;
            },
            reason);
        if (!read && !grew)
            return false;
        if (!grew && !(encoder->finish(&packed, reason) && flush(reason)))
            return false;
        if (grew) {
            *smaller = false;
            return output_.truncate(start, reason);
        }
        header.arcType = kArcCompressed;
        header.packedSize = static_cast<std::uint32_t>(output_.size() - payloadStart);
        const std::vector<std::uint8_t> bytes = encodeHeader(kind_, header);
        *smaller = true;
        return output_.writeAt(start, bytes.data(), bytes.size(), reason);
    }

    kit::StopQuery stopQuery(const kit::Member &member) const
    {
        if (member.size <= kBackgroundBzip2From)
            return {};
        kit::Progress *progress = &progress_;
        return [progress] { return progress->stopRequested(); };
    }

    bool writeStrongGzip(const kit::Member &member, MemberHeader header, std::string *reason)
    {
        std::vector<std::uint8_t> data;
        data.reserve(member.size);
        if (!kit::readMember(
                member, progress_,
                [&](const std::uint8_t *bytes, std::size_t size, std::string *) {
                    data.insert(data.end(), bytes, bytes + size);
                    return true;
                },
                reason))
            return false;
        const bool small = data.size() <= kStrongLimit;
        Compressor &compressor = small ? strong_ : fast_;
        if (!compressor)
            compressor.reset(libdeflate_alloc_compressor(small ? kStrongLevel : kFastLevel));
        std::vector<std::uint8_t> payload(data.size());
        // Limited to one byte less than the data: 0 means "not smaller", so stored.
        const std::size_t packed = compressor && !data.empty()
            ? libdeflate_gzip_compress(compressor.get(), data.data(), data.size(), payload.data(),
                                       payload.size() - 1)
            : 0;
        const std::vector<std::uint8_t> &written =
            packed ? (payload.resize(packed), payload) : data;
        header.arcType = packed ? kArcCompressed : kArcStored;
        header.packedSize = static_cast<std::uint32_t>(written.size());
        return writeHeader(header, reason) && output_.write(written.data(), written.size(), reason);
    }

    Kind kind_;
    int level_;
    Compressor strong_, fast_;
    NameEncoding encoding_;
    kit::ArchiveOutput &output_;
    kit::Progress &progress_;
};

// The folders that some other member's path already names: a reader recreates them
// when it writes that member, and a folder member carries nothing else (no date, no
// mode), so only the others, the empty folders, need members of their own.
std::set<std::string> foldersNamedByPaths(const std::vector<kit::Member> &members)
{
    std::set<std::string> named;
    for (const kit::Member &m : members)
        for (std::size_t slash = m.storedName.find('/'); slash != std::string::npos;
             slash = m.storedName.find('/', slash + 1))
            named.insert(m.storedName.substr(0, slash));
    return named;
}

} // namespace

bool writeArchive(Kind kind, int level, const std::vector<kit::Member> &members,
                  kit::ArchiveOutput &output, kit::Progress &progress, std::string *reason)
{
    for (const kit::Member &m : members) {
        if (m.size >= kMemberLimit) {
            *reason = m.diskPath + " is 4 GiB or larger, more than a GZA/BZA member can hold";
            return false;
        }
    }
    MemberWriter writer(kind, level, chooseEncoding(members), output, progress);
    const std::set<std::string> implied = foldersNamedByPaths(members);
    for (const kit::Member &m : members) {
        if (m.isFolder && implied.count(m.storedName))
            continue;
        progress.beginMember(m.storedName);
        if (!writer.write(m, reason))
            return false;
    }
    return true;
}

} // namespace vexel::bga
