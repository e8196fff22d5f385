// Progress of one library call, shared between the worker that writes the archive and
// the caller's thread that shows it and asks the host whether to go on.
// Every member function is thread-safe.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace vexel::kit {

class Progress {
public:
    struct Snapshot {
        std::string member;      // stored name of the member being written
        std::uint64_t done = 0;  // bytes of input consumed so far
        std::uint64_t total = 0; // bytes of input in all
    };

    void setTotal(std::uint64_t bytes);
    void beginMember(const std::string &storedName);
    // Counts bytes of input consumed; false once a stop was requested. Writers call it
    // at least every few hundred kilobytes, so a stop takes effect quickly.
    bool advance(std::uint64_t bytes);

    bool stopRequested() const { return stop_.load(); }
    void requestStop() { stop_.store(true); }

    Snapshot snapshot() const;

private:
    mutable std::mutex memberMutex_;
    std::string member_;
    std::atomic<std::uint64_t> done_{0};
    std::atomic<std::uint64_t> total_{0};
    std::atomic<bool> stop_{false};
};

} // namespace vexel::kit
