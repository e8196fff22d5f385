// The owner window and callback that a library's ...SetOwnerWindowEx registers.
// One slot per library, but a registration belongs to the thread that made it: a host
// that runs two calls into the same library at once (GZIP and BZIP2 both go through
// bga32) registers on each calling thread just before its call, and each call keeps the
// owner of its own thread for its whole length (see runLibrary), so one call's progress
// never reaches the other's callback. A call from a thread that registered nothing uses
// the registration made last, on whichever thread.
#pragma once

#include "KryUnPackDec.h"

#include <map>
#include <mutex>

namespace vexel::kit {

class OwnerSlot {
public:
    struct Owner {
        void *window = nullptr;
        ARCHIVERPROC callback = nullptr;
    };

    // Window and callback change together, so a reader never sees one without the other.
    void set(void *window, ARCHIVERPROC callback)
    {
        ownThread()[this] = {window, callback};
        std::lock_guard lock(mutex_);
        owner_ = {window, callback};
    }
    // The registration for a call on the calling thread.
    Owner get() const
    {
        const auto &mine = ownThread();
        if (const auto found = mine.find(this); found != mine.end())
            return found->second;
        std::lock_guard lock(mutex_);
        return owner_;
    }

private:
    // Per thread and slot; gone with its thread, so short-lived host threads leave nothing.
    static std::map<const OwnerSlot *, Owner> &ownThread()
    {
        thread_local std::map<const OwnerSlot *, Owner> registrations;
        return registrations;
    }

    mutable std::mutex mutex_;
    Owner owner_;
};

} // namespace vexel::kit
