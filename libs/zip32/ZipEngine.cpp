// zip32.so: the ZIP engine. minizip writes the container (local headers patched in place,
// so no data descriptors are needed). At levels 1 to 8 zlib deflates: each file is first
// deflated into memory up to kProbeBytes; a file that ends within that window is written
// deflated or stored, whichever is smaller; a longer file is judged on that window and
// then streamed in the chosen method, so memory stays bounded whatever the file's size.
// At level 9 libdeflate's near-optimal parser deflates instead: a file of up to kPieceBytes
// is held whole, a longer one is deflated in pieces of that size joined into one stream
// (DeflatePieces), the first piece deciding between deflated and stored. Small files
// (up to kSmallFileLimit) deflate on worker threads while the next ones come in
// (DeflateQueue) and are written in their order; larger pieces deflate on a thread of
// their own when a stop query is set, so that a stop never waits for one.
#include "ZipEngine.h"

#include "BackgroundJob.h"
#include "DeflatePieces.h"
#include "DeflateQueue.h"
#include "common/NameBytes.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kProbeBytes = 1 << 20;
// libdeflate's levels for level 9. Level 10, the first with near-optimal parsing, gives
// nearly all of level 12's gain on small files at half its time. Larger files need
// more to match the best ZIP writers: level 11 is within 0.1% of level 12 on text and
// binaries in two thirds of its time. (Measured with bench/libs/sets.sh.)
constexpr int kSmallFileLevel = 10;
constexpr int kLargeFileLevel = 11;
constexpr std::size_t kSmallFileLimit = 256 * 1024;
// Level 9 holds at most this much of a file: its memory is about twice this.
constexpr std::size_t kPieceBytes = 8 << 20;
constexpr std::size_t kOutChunk = 256 * 1024;
// Small level-9 files deflate on worker threads (DeflateQueue): at most this many files
// and bytes wait in the queue before the engine waits for the oldest.
constexpr std::size_t kQueueFiles = 256;
constexpr std::size_t kQueueBytes = 16 << 20;
constexpr uLong kVersionMadeByUnix = (3 << 8) | 30; // host Unix, ZIP 3.0
constexpr uLong kUtf8NameFlag = 0x0800;
// Zip64 for members whose deflated size could reach 4 GiB: deflate may grow data by
// 5 bytes per 16 KiB, so leave a margin well above that.
constexpr std::uint64_t kZip64From = 0xFFFFFFFFull - (0xFFFFFFFFull >> 10);

// Holding: a level-9 file, kept for libdeflate a piece at a time.
enum class Mode { Holding, Probing, Deflating, Storing };

// What a small file's header needs once its deflated form comes back from the queue.
struct QueuedHeader {
    ZipEngineMember member;
    std::string name;
    uLong crc;
    std::uint64_t received;
};

unsigned deflateWorkers()
{
    return std::max(1u, std::min(std::thread::hardware_concurrency(), 4u));
}

uLong dosDateTime(std::int64_t unixSeconds)
{
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!localtime_r(&t, &local) || local.tm_year < 80)
        return (1u << 21) | (1u << 16); // 1980-01-01 00:00
    if (local.tm_year > 207)
        return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    return (static_cast<uLong>(local.tm_year - 80) << 25)
        | (static_cast<uLong>(local.tm_mon + 1) << 21) | (static_cast<uLong>(local.tm_mday) << 16)
        | (static_cast<uLong>(local.tm_hour) << 11) | (static_cast<uLong>(local.tm_min) << 5)
        | static_cast<uLong>(local.tm_sec / 2);
}

// The "UT" extended timestamp (0x5455): flags 1 (modification time), 32-bit UTC seconds.
// The same 9 bytes serve the local and the central header.
std::vector<unsigned char> timestampExtra(std::int64_t mtime)
{
    if (mtime < INT32_MIN || mtime > INT32_MAX)
        return {};
    const auto t = static_cast<std::uint32_t>(static_cast<std::int32_t>(mtime));
    return {0x55,
            0x54,
            5,
            0,
            1,
            static_cast<unsigned char>(t),
            static_cast<unsigned char>(t >> 8),
            static_cast<unsigned char>(t >> 16),
            static_cast<unsigned char>(t >> 24)};
}

void putLe(std::vector<unsigned char> &out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::uint64_t getLe(const unsigned char *in, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | in[i];
    return value;
}

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kEndSize = 22; // the end record without a comment (minizip writes none)
constexpr std::size_t kLocatorSize = 20;

// The Zip64 end record, its locator and an end record whose full fields send readers to them.
std::vector<unsigned char> zip64Tail(std::uint64_t entries, std::uint64_t directorySize,
                                     std::uint64_t directoryOffset)
{
    std::vector<unsigned char> out;
    const std::uint64_t recordOffset = directoryOffset + directorySize;
    putLe(out, kZip64EndSignature, 4);
    putLe(out, 44, 8); // size of the rest of the record
    putLe(out, kVersionMadeByUnix, 2);
    putLe(out, 45, 2);      // Zip64 needs version 4.5 to extract
    putLe(out, 0, 4);       // this disk
    putLe(out, 0, 4);       // the disk where the directory starts
    putLe(out, entries, 8); // entries on this disk
    putLe(out, entries, 8); // entries in all
    putLe(out, directorySize, 8);
    putLe(out, directoryOffset, 8);
    putLe(out, kZip64LocatorSignature, 4);
    putLe(out, 0, 4); // the disk holding the Zip64 end record
    putLe(out, recordOffset, 8);
    putLe(out, 1, 4); // disks in all
    putLe(out, kEndSignature, 4);
    putLe(out, 0, 2);
    putLe(out, 0, 2);
    putLe(out, std::min<std::uint64_t>(entries, 0xFFFF), 2);
    putLe(out, std::min<std::uint64_t>(entries, 0xFFFF), 2);
    putLe(out, std::min<std::uint64_t>(directorySize, 0xFFFFFFFF), 4);
    putLe(out, std::min<std::uint64_t>(directoryOffset, 0xFFFFFFFF), 4);
    putLe(out, 0, 2); // no comment
    return out;
}

// minizip 1.1 writes the Zip64 end record and locator only when the central directory
// starts at 4 GiB or beyond. An archive of 65,535 entries or more (the end record's
// count then reads 0xFFFF, "see the Zip64 record") or a directory of 4 GiB needs them
// as well, or readers find a record that does not exist and reject the archive. So
// the end is checked once written, and the records are added in place of the plain
// end record when it cannot tell the truth alone.
bool completeEndRecords(const std::string &path, std::uint64_t entries, std::string *why)
{
    std::FILE *file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        *why = "cannot reopen the archive " + path + ": " + std::strerror(errno);
        return false;
    }
    unsigned char tail[kLocatorSize + kEndSize] = {};
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const off_t size = ok ? ftello(file) : -1;
    ok = ok && size >= static_cast<off_t>(kEndSize);
    const std::size_t tailSize = size >= static_cast<off_t>(sizeof tail) ? sizeof tail : kEndSize;
    ok = ok && fseeko(file, size - static_cast<off_t>(tailSize), SEEK_SET) == 0
        && std::fread(tail, 1, tailSize, file) == tailSize;
    const unsigned char *end = tail + tailSize - kEndSize;
    if (!ok || getLe(end, 4) != kEndSignature) {
        std::fclose(file);
        *why = "the archive's end record is missing";
        return false;
    }
    const bool hasZip64 = tailSize == sizeof tail && getLe(tail, 4) == kZip64LocatorSignature;
    const std::uint64_t endOffset = static_cast<std::uint64_t>(size) - kEndSize;
    const std::uint64_t directoryOffset = getLe(end + 16, 4);
    const std::uint64_t directorySize = endOffset - directoryOffset;
    if (!hasZip64 && (entries >= 0xFFFF || directorySize >= 0xFFFFFFFF)) {
        const std::vector<unsigned char> records =
            zip64Tail(entries, directorySize, directoryOffset);
        ok = fseeko(file, static_cast<off_t>(endOffset), SEEK_SET) == 0
            && std::fwrite(records.data(), 1, records.size(), file) == records.size();
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        *why = "cannot write the Zip64 end records of " + path;
    return ok;
}

} // namespace

struct ZipEngine {
    zipFile zip = nullptr;
    int level = 6;
    std::string path;
    std::uint64_t entries = 0; // members whose headers were written
    std::string error;

    // The member being written.
    std::string name;
    ZipEngineMember member{};
    bool inMember = false;
    Mode mode = Mode::Probing;
    z_stream z{};
    bool zReady = false;
    std::vector<unsigned char> heldRaw;    // input kept while probing
    std::vector<unsigned char> heldPacked; // its deflated form
    uLong crc = 0;
    std::uint64_t received = 0;
    // Level 9's compressors, made on first use; shared with a background step in flight.
    std::shared_ptr<vexel::zip::DeflatePieces> smallFiles, largeFiles;
    // Set by ZipEngineSetStop: larger pieces then deflate on a thread of their own.
    int (*stopped)(void *) = nullptr;
    void *stopContext = nullptr;
    std::unique_ptr<vexel::kit::BackgroundJob> background;
    // Small level-9 files being deflated, in their order; written once at the head and done.
    std::unique_ptr<vexel::zip::DeflateQueue> queue;
    bool piecesWritten = false; // a held file's first pieces went out deflated

    bool fail(const std::string &why)
    {
        if (error.empty())
            error = why;
        return false;
    }
    bool deflateInto(const unsigned char *data, std::size_t size, int flush,
                     std::vector<unsigned char> *out);
    bool openEntry(int method);
    bool writeEntry(const unsigned char *data, std::size_t size);
    bool closeEntry();
    bool settleMethod();
    void endDeflate();
    bool packHeld(bool last);
    bool holdData(const unsigned char *data, std::size_t size);
    bool deflatePiece(const std::shared_ptr<vexel::zip::DeflatePieces> &pieces, bool inBackground,
                      bool last);
    bool queueHeld();
    bool writeQueued(vexel::zip::QueuedFile &file);
    bool drainQueue(bool all);
};

// Hands the small file just ended to the queue and writes whatever is ready before it.
bool ZipEngine::queueHeld()
{
    if (!queue)
        queue = std::make_unique<vexel::zip::DeflateQueue>(kSmallFileLevel, deflateWorkers());
    auto file = std::make_unique<vexel::zip::QueuedFile>();
    file->raw = std::move(heldRaw);
    heldRaw = {};
    file->tag = std::make_shared<QueuedHeader>(QueuedHeader{member, name, crc, received});
    queue->push(std::move(file));
    inMember = false;
    return drainQueue(false);
}

// Writes a file that came back from the queue, deflated or (when that did not shrink
// it) stored, exactly as the engine writes a file it deflated itself.
bool ZipEngine::writeQueued(vexel::zip::QueuedFile &file)
{
    const auto &header = *static_cast<const QueuedHeader *>(file.tag.get());
    member = header.member;
    name = header.name;
    crc = header.crc;
    received = header.received;
    if (!file.ok)
        return fail("no memory to deflate " + name);
    const bool ok = file.packed.empty()
        ? openEntry(0) && writeEntry(file.raw.data(), file.raw.size())
        : openEntry(Z_DEFLATED) && writeEntry(file.packed.data(), file.packed.size());
    return ok && closeEntry();
}

// Writes the queued files that are done, in order; with `all`, or while the queue is
// full, waits for them (a stop ends the wait and fails the engine).
bool ZipEngine::drainQueue(bool all)
{
    if (!queue)
        return true;
    const std::function<bool()> stopQuery = [this] { return stopped && stopped(stopContext) != 0; };
    while (true) {
        const bool wait = all || queue->files() >= kQueueFiles || queue->bytes() >= kQueueBytes;
        bool wasStopped = false;
        const std::unique_ptr<vexel::zip::QueuedFile> file =
            queue->pop(wait, stopQuery, &wasStopped);
        if (wasStopped) {
            queue->letGo();
            return fail("stopped by the user");
        }
        if (!file)
            return true;
        if (!writeQueued(*file))
            return false;
    }
}

// Deflates heldRaw into heldPacked, on the background thread when asked to and a stop
// query is set, so that a stop need not wait for libdeflate to finish a piece of
// several megabytes. The output is the same either way.
bool ZipEngine::deflatePiece(const std::shared_ptr<vexel::zip::DeflatePieces> &pieces,
                             bool inBackground, bool last)
{
    if (!inBackground || !stopped) {
        if (!pieces->add(heldRaw.data(), heldRaw.size(), last, &heldPacked))
            return fail("no memory to deflate " + name);
        return true;
    }
    if (!background) {
        int (*query)(void *) = stopped;
        void *context = stopContext;
        background = std::make_unique<vexel::kit::BackgroundJob>(
            [query, context] { return query(context) != 0; });
    }
    // The step owns its input and a share of the compressor: after a stop it may still
    // be running when the engine is gone.
    std::string why;
    const bool ok = background->run(
        [pieces, input = heldRaw, last, what = name](std::vector<unsigned char> *out,
                                                     std::string *reason) {
            if (pieces->add(input.data(), input.size(), last, out))
                return true;
            *reason = "no memory to deflate " + what;
            return false;
        },
        &heldPacked, &why);
    return ok || fail(why);
}

// Deflates the held bytes with libdeflate into heldPacked, as the stream's last piece
// or not. Sets heldPacked empty to mean "store": for a file held whole, or the first
// piece of a longer one, that did not shrink.
bool ZipEngine::packHeld(bool last)
{
    heldPacked.clear();
    if (heldRaw.empty())
        return true;
    const bool small = last && !piecesWritten && heldRaw.size() <= kSmallFileLimit;
    std::shared_ptr<vexel::zip::DeflatePieces> &pieces = small ? smallFiles : largeFiles;
    if (!pieces)
        pieces =
            std::make_shared<vexel::zip::DeflatePieces>(small ? kSmallFileLevel : kLargeFileLevel);
    // A small file deflates in a few tens of milliseconds: not worth a thread hand-over.
    if (!deflatePiece(pieces, !small, last))
        return false;
    if (!piecesWritten && heldPacked.size() >= heldRaw.size())
        heldPacked.clear();
    return true;
}

// Collects a level-9 file's data; each full piece of a file longer than one piece
// goes out at once, the first one choosing the member's method.
bool ZipEngine::holdData(const unsigned char *data, std::size_t size)
{
    while (size > 0) {
        const std::size_t n = std::min(size, kPieceBytes - heldRaw.size());
        heldRaw.insert(heldRaw.end(), data, data + n);
        data += n;
        size -= n;
        const bool more = received - size < member.size; // bytes still to come after these
        if (heldRaw.size() < kPieceBytes || !more)
            continue;
        if (!packHeld(false))
            return false;
        if (heldPacked.empty()) { // the first piece did not shrink: the file is stored
            mode = Mode::Storing;
            if (!openEntry(0) || !writeEntry(heldRaw.data(), heldRaw.size()))
                return false;
            std::vector<unsigned char>().swap(heldRaw);
            std::vector<unsigned char>().swap(heldPacked);
            return writeEntry(data, size);
        }
        if (!piecesWritten && !openEntry(Z_DEFLATED))
            return false;
        piecesWritten = true;
        if (!writeEntry(heldPacked.data(), heldPacked.size()))
            return false;
        heldRaw.clear();
    }
    return true;
}

bool ZipEngine::deflateInto(const unsigned char *data, std::size_t size, int flush,
                            std::vector<unsigned char> *out)
{
    z.next_in = const_cast<unsigned char *>(data);
    z.avail_in = static_cast<uInt>(size);
    unsigned char buffer[64 * 1024];
    while (true) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        const int rc = deflate(&z, flush);
        if (rc == Z_STREAM_ERROR)
            return fail("deflate failed");
        out->insert(out->end(), buffer, buffer + (sizeof buffer - z.avail_out));
        if (flush == Z_FINISH ? rc == Z_STREAM_END : (z.avail_in == 0 && z.avail_out != 0))
            return true;
    }
}

bool ZipEngine::openEntry(int method)
{
    zip_fileinfo info{};
    info.dosDate = dosDateTime(member.mtime);
    const std::uint32_t type = member.isFolder ? S_IFDIR : S_IFREG;
    const std::uint32_t permissions =
        member.mode ? (member.mode & 07777) : (member.isFolder ? 0755 : 0644);
    info.external_fa =
        (static_cast<uLong>(type | permissions) << 16) | (member.isFolder ? 0x10 : 0);
    const std::vector<unsigned char> extra = timestampExtra(member.mtime);
    const int zip64 = member.size >= kZip64From ? 1 : 0;
    const int rc = zipOpenNewFileInZip4_64(
        zip, name.c_str(), &info, extra.data(), static_cast<uInt>(extra.size()), extra.data(),
        static_cast<uInt>(extra.size()), nullptr, method, method ? level : 0, 1, -MAX_WBITS, 8,
        Z_DEFAULT_STRATEGY, nullptr, 0, kVersionMadeByUnix,
        vexel::kit::needsUtf8Flag(name) ? kUtf8NameFlag : 0, zip64);
    if (rc != ZIP_OK)
        return fail("cannot write the member header of " + name);
    ++entries;
    return true;
}

bool ZipEngine::writeEntry(const unsigned char *data, std::size_t size)
{
    while (size > 0) {
        const unsigned n = static_cast<unsigned>(std::min<std::size_t>(size, kOutChunk));
        if (zipWriteInFileInZip(zip, data, n) != ZIP_OK)
            return fail("cannot write the data of " + name);
        data += n;
        size -= n;
    }
    return true;
}

bool ZipEngine::closeEntry()
{
    inMember = false;
    return zipCloseFileInZipRaw64(zip, received, crc) == ZIP_OK
        || fail("cannot complete the member " + name);
}

void ZipEngine::endDeflate()
{
    if (zReady)
        deflateEnd(&z);
    zReady = false;
}

// Ends the probe of a long file: streams on deflated when the window shrank, stored otherwise.
bool ZipEngine::settleMethod()
{
    if (!deflateInto(nullptr, 0, Z_BLOCK, &heldPacked)) // the window's blocks, emitted
        return false;
    if (heldPacked.size() < heldRaw.size()) {
        mode = Mode::Deflating;
        if (!openEntry(Z_DEFLATED) || !writeEntry(heldPacked.data(), heldPacked.size()))
            return false;
    } else {
        mode = Mode::Storing;
        endDeflate();
        if (!openEntry(0) || !writeEntry(heldRaw.data(), heldRaw.size()))
            return false;
    }
    std::vector<unsigned char>().swap(heldRaw);
    std::vector<unsigned char>().swap(heldPacked);
    return true;
}

extern "C" {

ZipEngine *ZipEngineCreate(const char *path, int level, char *reason, size_t reasonSize)
{
    auto *engine = new ZipEngine;
    engine->level = level < 0 ? 0 : (level > 9 ? 9 : level);
    engine->path = path;
    engine->zip = zipOpen64(path, APPEND_STATUS_CREATE);
    if (!engine->zip) {
        if (reason && reasonSize > 0)
            std::snprintf(reason, reasonSize, "cannot create the archive %s: %s", path,
                          std::strerror(errno));
        delete engine;
        return nullptr;
    }
    return engine;
}

int ZipEngineBeginMember(ZipEngine *engine, const ZipEngineMember *member)
{
    if (!engine->error.empty())
        return 0;
    if (engine->inMember)
        return engine->fail("a member was started before the previous one ended");
    // A small level-9 file joins the queue behind the files in it; anything else is
    // written at once, so those go first.
    const bool queued = engine->level == 9 && !member->isFolder && member->size <= kSmallFileLimit;
    if (!engine->drainQueue(!queued))
        return 0;
    engine->member = *member;
    engine->name = member->name ? member->name : "";
    if (engine->name.empty())
        return engine->fail("a member has no name");
    engine->crc = crc32(0, nullptr, 0);
    engine->received = 0;
    if (member->isFolder) {
        if (engine->name.back() != '/')
            engine->name.push_back('/');
        engine->member.size = 0;
        return engine->openEntry(0) && engine->closeEntry();
    }
    engine->inMember = true;
    if (engine->level == 0) {
        engine->mode = Mode::Storing;
        return engine->openEntry(0);
    }
    if (engine->level == 9) {
        engine->mode = Mode::Holding;
        engine->piecesWritten = false;
        return 1;
    }
    engine->mode = Mode::Probing;
    engine->z = z_stream{};
    if (deflateInit2(&engine->z, engine->level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY)
        != Z_OK)
        return engine->fail("cannot start deflate");
    engine->zReady = true;
    return 1;
}

int ZipEngineWriteData(ZipEngine *engine, const void *data, size_t size)
{
    if (!engine->error.empty())
        return 0;
    if (!engine->inMember)
        return engine->fail("data without a member");
    if (engine->received + size > engine->member.size)
        return engine->fail("more data than announced for " + engine->name);
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (size_t done = 0; done < size;) { // crc32 takes at most 4 GiB a call
        const uInt n = static_cast<uInt>(std::min<size_t>(size - done, 1u << 30));
        engine->crc = crc32(engine->crc, bytes + done, n);
        done += n;
    }
    engine->received += size;
    switch (engine->mode) {
    case Mode::Storing: return engine->writeEntry(bytes, size);
    case Mode::Deflating: {
        std::vector<unsigned char> packed;
        return engine->deflateInto(bytes, size, Z_NO_FLUSH, &packed)
            && engine->writeEntry(packed.data(), packed.size());
    }
    case Mode::Holding: return engine->holdData(bytes, size) ? 1 : 0;
    case Mode::Probing:
        engine->heldRaw.insert(engine->heldRaw.end(), bytes, bytes + size);
        if (!engine->deflateInto(bytes, size, Z_NO_FLUSH, &engine->heldPacked))
            return 0;
        if (engine->heldRaw.size() >= kProbeBytes && engine->received < engine->member.size)
            return engine->settleMethod();
        return 1;
    }
    return 0;
}

int ZipEngineEndMember(ZipEngine *engine)
{
    if (!engine->error.empty())
        return 0;
    if (!engine->inMember)
        return engine->fail("no member to end");
    if (engine->received != engine->member.size)
        return engine->fail("less data than announced for " + engine->name);
    if (engine->mode == Mode::Holding && !engine->piecesWritten
        && engine->member.size <= kSmallFileLimit)
        return engine->queueHeld() ? 1 : 0;
    bool ok = true;
    if (engine->mode == Mode::Holding && engine->piecesWritten) {
        ok = engine->packHeld(true)
            && engine->writeEntry(engine->heldPacked.data(), engine->heldPacked.size());
        std::vector<unsigned char>().swap(engine->heldRaw);
        std::vector<unsigned char>().swap(engine->heldPacked);
    } else if (engine->mode == Mode::Holding || engine->mode == Mode::Probing) {
        if (engine->mode == Mode::Holding)
            ok = engine->packHeld(true);
        else
            ok = engine->deflateInto(nullptr, 0, Z_FINISH, &engine->heldPacked);
        if (ok && !engine->heldPacked.empty() && engine->heldPacked.size() < engine->heldRaw.size())
            ok = engine->openEntry(Z_DEFLATED)
                && engine->writeEntry(engine->heldPacked.data(), engine->heldPacked.size());
        else if (ok)
            ok = engine->openEntry(0)
                && engine->writeEntry(engine->heldRaw.data(), engine->heldRaw.size());
        engine->heldRaw.clear();
        engine->heldPacked.clear();
    } else if (engine->mode == Mode::Deflating) {
        std::vector<unsigned char> packed;
        ok = engine->deflateInto(nullptr, 0, Z_FINISH, &packed)
            && engine->writeEntry(packed.data(), packed.size());
    }
    engine->endDeflate();
    return (ok && engine->closeEntry()) ? 1 : 0;
}

int ZipEngineFinish(ZipEngine *engine)
{
    if (!engine->error.empty())
        return 0;
    if (engine->inMember)
        return engine->fail("the last member was not ended");
    if (!engine->drainQueue(true))
        return 0;
    const int rc = zipClose(engine->zip, nullptr);
    engine->zip = nullptr;
    if (rc != ZIP_OK)
        return engine->fail("cannot write the central directory");
    std::string why;
    return completeEndRecords(engine->path, engine->entries, &why) ? 1 : engine->fail(why);
}

const char *ZipEngineError(const ZipEngine *engine) { return engine->error.c_str(); }

void ZipEngineDestroy(ZipEngine *engine)
{
    if (!engine)
        return;
    engine->endDeflate();
    if (engine->zip)
        zipClose(engine->zip, nullptr);
    delete engine;
}

void ZipEngineSetStop(ZipEngine *engine, int (*stopped)(void *context), void *context)
{
    engine->stopped = stopped;
    engine->stopContext = context;
    engine->background.reset();
}

uint16_t ZipEngineVersion(void) { return 100; }

} // extern "C"
