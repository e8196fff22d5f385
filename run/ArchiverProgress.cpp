#include "run/ArchiverProgress.h"

#include <algorithm>
#include <cstddef>

namespace vexel {

namespace {

// True when a record of `size` bytes holds the whole of the field at `offset`.
constexpr bool covers(std::uint32_t size, std::size_t offset, std::size_t fieldSize)
{
    return size >= offset + fieldSize;
}

} // namespace

double ArchiverReport::fraction() const
{
    if (ended)
        return 1.0;
    if (bytesTotal == 0)
        return 0.0;
    return static_cast<double>(bytesDone) / static_cast<double>(bytesTotal);
}

void ArchiverProgress::clear()
{
    std::lock_guard lock(mutex_);
    report_ = ArchiverReport{};
}

void ArchiverProgress::store(const KryProgress &record, std::uint32_t state)
{
    if (!covers(record.size, offsetof(KryProgress, bytesTotal), sizeof record.bytesTotal))
        return;
    ArchiverReport r;
    r.reported = true;
    r.ended = state == KRY_STATE_END;
    r.bytesTotal = record.bytesTotal;
    r.bytesDone = std::min(record.bytesDone, record.bytesTotal);
    if (covers(record.size, offsetof(KryProgress, filesTotal), sizeof record.filesTotal)) {
        r.filesTotal = record.filesTotal;
        r.filesDone = std::min(record.filesDone, record.filesTotal);
    }
    if (covers(record.size, offsetof(KryProgress, member), sizeof record.member) && record.member)
        r.member = record.member;
    std::lock_guard lock(mutex_);
    report_ = std::move(r);
}

ArchiverReport ArchiverProgress::latest() const
{
    std::lock_guard lock(mutex_);
    return report_;
}

} // namespace vexel
