#include "Progress.h"

#include "Members.h"

#include <algorithm>

namespace vexel::kit {

void Progress::setMembers(const std::vector<Member> &members)
{
    std::vector<std::uint64_t> ends;
    std::uint64_t sum = 0;
    for (const Member &m : members) {
        if (m.isFolder)
            continue;
        sum += m.size;
        ends.push_back(sum);
    }
    {
        std::lock_guard lock(memberMutex_);
        fileEnds_ = std::move(ends);
    }
    total_.store(sum);
}

void Progress::setTotal(std::uint64_t bytes) { total_.store(bytes); }

void Progress::beginMember(const std::string &storedName)
{
    std::lock_guard lock(memberMutex_);
    member_ = storedName;
}

bool Progress::advance(std::uint64_t bytes)
{
    done_.fetch_add(bytes);
    return !stop_.load();
}

bool Progress::advanceRead(const std::string &storedName, std::uint64_t position,
                           std::uint64_t bytes)
{
    if (storedName != readName_) {
        readName_ = storedName;
        readCounted_ = 0;
    }
    // `position` already includes this chunk: count only what lies beyond the mark.
    const std::uint64_t start = position - bytes;
    const std::uint64_t from = std::max(start, readCounted_);
    if (position > from) {
        done_.fetch_add(position - from);
        readCounted_ = position;
    }
    return !stop_.load();
}

Progress::Snapshot Progress::snapshot() const
{
    Snapshot s;
    // Clamped: a writer that counts in its own way must still never show more than all.
    s.total = total_.load();
    s.done = std::min(done_.load(), s.total);
    std::lock_guard lock(memberMutex_);
    s.member = member_;
    s.filesTotal = static_cast<std::uint32_t>(fileEnds_.size());
    // Files whose last byte is counted; an empty file counts once the bytes reach it.
    s.filesDone = static_cast<std::uint32_t>(
        std::upper_bound(fileEnds_.begin(), fileEnds_.end(), s.done) - fileEnds_.begin());
    return s;
}

} // namespace vexel::kit
