// What the running archiver library last reported through its callback. Written by
// ArchiverCallback, which a library may call on its worker thread, and read by the
// user interface on its own thread: every access takes the lock.
#pragma once

#include "archivers/KryUnPackDec.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace vexel {

struct ArchiverReport {
    bool reported = false;       // a progress record arrived since the format started
    bool ended = false;          // the record that follows a complete archive arrived
    std::uint64_t bytesDone = 0; // of the current archive's input; never above the total
    std::uint64_t bytesTotal = 0;
    std::uint32_t filesDone = 0; // never above the total
    std::uint32_t filesTotal = 0;
    std::string member; // the member's stored name, bytes as the library gave them

    // bytesDone / bytesTotal in [0, 1]; 0 before anything is known, 1 once ended.
    double fraction() const;
};

class ArchiverProgress {
public:
    // Forgets the last format's report; called when a format starts.
    void clear();
    // Keeps what `record` says. Reads only the fields its size covers, so a library
    // built against an older, shorter record still works; a record too short to hold
    // the byte counts is ignored. Values are bounded: done never above total.
    void store(const KryProgress &record, std::uint32_t state);
    ArchiverReport latest() const;

private:
    mutable std::mutex mutex_;
    ArchiverReport report_;
};

} // namespace vexel
