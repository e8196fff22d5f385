#include "CabinetWriter.h"

#include "CabChecksum.h"
#include "CabFormat.h"
#include "common/NameBytes.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace cab {
namespace {

struct FolderPlan {
    std::size_t firstEntry = 0;
    std::size_t entryCount = 0;
    std::uint64_t bytes = 0;
};

// A file cannot span folders and a folder holds at most 65535 frames, so files are
// packed greedily into as few folders as that allows.
std::vector<FolderPlan> planFolders(const std::vector<CabEntry> &entries)
{
    std::vector<FolderPlan> folders(1);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (folders.back().bytes + entries[i].size > kMaxFolderBytes)
            folders.push_back(FolderPlan{i, 0, 0});
        folders.back().entryCount++;
        folders.back().bytes += entries[i].size;
    }
    return folders;
}

std::string cabinetName(const std::string &storedName)
{
    std::string name = storedName;
    for (char &c : name)
        if (c == '/')
            c = '\\';
    return name;
}

// CFHEADER, CFFOLDERs and CFFILEs. cbCabinet and the folders' data offsets and frame
// counts are patched in once the data is written.
std::vector<std::uint8_t> buildDirectory(const std::vector<CabEntry> &entries,
                                         const std::vector<FolderPlan> &folders,
                                         std::uint16_t method)
{
    static constexpr char kSignature[] = "MSCF";
    std::vector<std::uint8_t> out(kSignature, kSignature + 4);
    putU32(out, 0); // reserved1
    putU32(out, 0); // cbCabinet, patched
    putU32(out, 0); // reserved2
    putU32(out, std::uint32_t(kHeaderSize + kFolderEntrySize * folders.size())); // coffFiles
    putU32(out, 0);                                                              // reserved3
    out.push_back(3);                                                            // versionMinor
    out.push_back(1);                                                            // versionMajor
    putU16(out, std::uint32_t(folders.size()));
    putU16(out, std::uint32_t(entries.size()));
    putU16(out, 0); // flags
    putU16(out, 0); // setID
    putU16(out, 0); // iCabinet

    for (std::size_t f = 0; f < folders.size(); ++f) {
        putU32(out, 0); // coffCabStart, patched
        putU16(out, 0); // cCFData, patched
        putU16(out, method);
    }
    for (std::size_t f = 0; f < folders.size(); ++f) {
        std::uint64_t offset = 0;
        for (std::size_t i = folders[f].firstEntry;
             i < folders[f].firstEntry + folders[f].entryCount; ++i) {
            const CabEntry &e = entries[i];
            const std::string name = cabinetName(e.storedName);
            putU32(out, std::uint32_t(e.size));
            putU32(out, std::uint32_t(offset));
            putU16(out, std::uint32_t(f));
            putU16(out, e.dosDate);
            putU16(out, e.dosTime);
            // A name that is not valid UTF-8 goes in as its bytes without the flag:
            // readers trusting the flag would otherwise replace those bytes.
            putU16(out, e.attributes | (vexel::kit::needsUtf8Flag(name) ? kAttrNameIsUtf8 : 0));
            out.insert(out.end(), name.begin(), name.end());
            out.push_back(0);
            offset += e.size;
        }
    }
    return out;
}

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Stopped : public std::exception {};

// Streams the files of one folder through the encoder, frame by frame, and appends the
// CFDATA blocks to the cabinet.
class FolderWriter {
public:
    FolderWriter(std::FILE *cab, FolderEncoder &encoder, const ProgressFn &progress,
                 std::uint64_t &bytesDone)
        : cab_(cab), encoder_(encoder), progress_(progress), bytesDone_(bytesDone)
    {
        frame_.reserve(kFrameSize);
    }

    // Returns the number of CFDATA blocks written.
    std::uint32_t write(const std::vector<CabEntry> &entries, const FolderPlan &plan)
    {
        frames_ = 0;
        encoder_.beginFolder(
            [this](const std::uint8_t *payload, std::size_t size, std::uint32_t frameSize) {
                appendData(payload, size, frameSize);
            },
            plan.bytes);
        for (std::size_t i = plan.firstEntry; i < plan.firstEntry + plan.entryCount; ++i)
            readEntry(entries[i]);
        if (!frame_.empty())
            encoder_.addFrame(frame_.data(), frame_.size());
        frame_.clear();
        encoder_.endFolder();
        return frames_;
    }

private:
    void readEntry(const CabEntry &entry)
    {
        current_ = entry.storedName;
        File in(std::fopen(entry.sourcePath.c_str(), "rb"));
        if (!in)
            throw Failure("cannot open " + entry.sourcePath);
        std::uint64_t left = entry.size;
        while (left > 0) {
            const std::size_t want =
                std::size_t(std::min<std::uint64_t>(left, kFrameSize - frame_.size()));
            const std::size_t start = frame_.size();
            frame_.resize(start + want);
            const std::size_t got = std::fread(frame_.data() + start, 1, want, in.get());
            if (got != want) {
                throw Failure(std::ferror(in.get())
                                  ? "cannot read " + entry.sourcePath
                                  : entry.sourcePath + " became shorter while it was read");
            }
            left -= got;
            if (frame_.size() == kFrameSize)
                flushFrame();
        }
        if (std::fgetc(in.get()) != EOF)
            throw Failure(entry.sourcePath + " grew while it was read");
    }

    void flushFrame()
    {
        encoder_.addFrame(frame_.data(), frame_.size());
        bytesDone_ += frame_.size();
        frame_.clear();
        if (progress_ && !progress_(bytesDone_, current_))
            throw Stopped();
    }

    void appendData(const std::uint8_t *payload, std::size_t size, std::uint32_t frameSize)
    {
        if (size == 0 || size > kMaxDataSize)
            throw Failure("internal error: a compressed frame of " + std::to_string(size)
                          + " bytes");
        std::uint8_t head[kDataHeaderSize];
        setU32(head, dataChecksum(payload, size, std::uint16_t(frameSize)));
        setU16(head + 4, std::uint32_t(size));
        setU16(head + 6, frameSize);
        if (std::fwrite(head, 1, sizeof head, cab_) != sizeof head
            || std::fwrite(payload, 1, size, cab_) != size)
            throw Failure("cannot write the cabinet");
        if (std::uint64_t(ftello(cab_)) > kMaxCabinetBytes)
            throw Failure("the cabinet would exceed 2 GiB, more than one cabinet can hold");
        frames_++;
    }

    std::FILE *cab_;
    FolderEncoder &encoder_;
    const ProgressFn &progress_;
    std::uint64_t &bytesDone_;
    std::vector<std::uint8_t> frame_;
    std::string current_;
    std::uint32_t frames_ = 0;
};

void writeAll(std::FILE *cab, const std::vector<CabEntry> &entries, FolderEncoder &encoder,
              const ProgressFn &progress)
{
    const std::vector<FolderPlan> folders = planFolders(entries);
    std::vector<std::uint8_t> directory = buildDirectory(entries, folders, encoder.method());
    if (std::fwrite(directory.data(), 1, directory.size(), cab) != directory.size())
        throw Failure("cannot write the cabinet");

    std::uint64_t bytesDone = 0;
    FolderWriter writer(cab, encoder, progress, bytesDone);
    for (std::size_t f = 0; f < folders.size(); ++f) {
        std::uint8_t *entry = directory.data() + kHeaderSize + f * kFolderEntrySize;
        setU32(entry, std::uint32_t(ftello(cab)));
        setU16(entry + 4, writer.write(entries, folders[f]));
    }
    setU32(directory.data() + 8, std::uint32_t(ftello(cab)));
    if (std::fseek(cab, 0, SEEK_SET) != 0
        || std::fwrite(directory.data(), 1, kHeaderSize + kFolderEntrySize * folders.size(), cab)
            != kHeaderSize + kFolderEntrySize * folders.size())
        throw Failure("cannot write the cabinet");
}

} // namespace

std::string checkCabinetLimits(const std::vector<CabEntry> &entries)
{
    if (entries.empty())
        return "no files to store (a cabinet holds files only, not empty folders)";
    if (entries.size() > kMaxFiles)
        return "more than 65535 files, more than one cabinet can hold";
    for (const CabEntry &e : entries) {
        if (e.size > kMaxFileBytes)
            return e.storedName + " is larger than the 2 GiB a cabinet can hold";
        if (e.storedName.empty())
            return "a file without a name cannot be stored";
        if (e.storedName.size() > kMaxNameBytes)
            return "the name " + e.storedName + " is longer than the 255 bytes a cabinet can hold";
        if (e.storedName.find('\\') != std::string::npos)
            return "the name " + e.storedName
                + " contains a backslash, which a cabinet reads as a folder separator";
    }
    if (planFolders(entries).size() > kMaxFolders)
        return "too much data for one cabinet";
    return {};
}

bool writeCabinet(const std::string &cabPath, const std::vector<CabEntry> &entries,
                  FolderEncoder &encoder, const ProgressFn &progress, std::string *error)
{
    if (std::string reason = checkCabinetLimits(entries); !reason.empty()) {
        *error = reason;
        return false;
    }
    File cab(std::fopen(cabPath.c_str(), "wb"));
    if (!cab) {
        *error = "cannot create " + cabPath;
        return false;
    }
    try {
        writeAll(cab.get(), entries, encoder, progress);
        if (std::fflush(cab.get()) != 0)
            throw Failure("cannot write the cabinet");
        if (std::fclose(cab.release()) != 0)
            throw Failure("cannot write the cabinet");
        return true;
    } catch (const Stopped &) {
        *error = "stopped";
    } catch (const std::exception &e) {
        *error = e.what();
    }
    cab.reset();
    std::remove(cabPath.c_str());
    return false;
}

} // namespace cab
