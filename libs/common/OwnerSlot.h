// The owner window and callback that a library's ...SetOwnerWindowEx registers.
// One slot per library; set from the host's thread, read by the library's run.
#pragma once

#include "KryUnPackDec.h"

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
        std::lock_guard lock(mutex_);
        owner_ = {window, callback};
    }
    Owner get() const
    {
        std::lock_guard lock(mutex_);
        return owner_;
    }

private:
    mutable std::mutex mutex_;
    Owner owner_;
};

} // namespace vexel::kit
