#include "Progress.h"

namespace vexel::kit {

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

Progress::Snapshot Progress::snapshot() const
{
    Snapshot s;
    {
        std::lock_guard lock(memberMutex_);
        s.member = member_;
    }
    s.done = done_.load();
    s.total = total_.load();
    return s;
}

} // namespace vexel::kit
