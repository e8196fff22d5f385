// Progress of one library call, shared between the worker that writes the archive and
// the caller's thread that shows it and asks the host whether to go on.
// Every member function is thread-safe unless it says otherwise.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace vexel::kit {

struct Member;

class Progress {
public:
    struct Snapshot {
        std::string member;           // stored name of the member being written
        std::uint64_t done = 0;       // bytes of input consumed so far, never above total
        std::uint64_t total = 0;      // bytes of input in all
        std::uint32_t filesDone = 0;  // files (not folders) whose input is all consumed
        std::uint32_t filesTotal = 0; // files in all
    };

    // The members about to be written: their bytes become the total, and the files'
    // sizes tell how many files the bytes done so far cover.
    void setMembers(const std::vector<Member> &members);
    void setTotal(std::uint64_t bytes);
    void beginMember(const std::string &storedName);
    // Counts bytes of input consumed; false once a stop was requested. Writers call it
    // at least every few hundred kilobytes, so a stop takes effect quickly.
    bool advance(std::uint64_t bytes);
    // Counts a member's bytes as read up to `position` (bytes from its start). A second
    // read of the same member (stored after a compression attempt that did not pay)
    // counts nothing until it passes what the first read counted, so done never runs
    // past the total. Worker thread only. False once a stop was requested.
    bool advanceRead(const std::string &storedName, std::uint64_t position, std::uint64_t bytes);

    bool stopRequested() const { return stop_.load(); }
    void requestStop() { stop_.store(true); }

    Snapshot snapshot() const;

private:
    mutable std::mutex memberMutex_;
    std::string member_;
    std::vector<std::uint64_t> fileEnds_; // running sum of the files' sizes, in order
    std::atomic<std::uint64_t> done_{0};
    std::atomic<std::uint64_t> total_{0};
    std::atomic<bool> stop_{false};
    // The member whose reads are being counted and how far; touched by the worker only.
    std::string readName_;
    std::uint64_t readCounted_ = 0;
};

} // namespace vexel::kit
