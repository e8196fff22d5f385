// Runs a compressor's long steps on a thread of their own so that the caller can give
// up at once.
//
// Some compressors cannot be interrupted inside one call: libbz2 sorts a whole block (up
// to 900 kB) in one BZ2_bzCompress, libdeflate's strongest levels parse a whole buffer
// in one call; under load such a call takes a second or more. The caller hands each step
// to this thread as a job and waits for its answer, looking at the stop every few
// milliseconds. On a stop the caller returns at once; the thread finishes the job it is
// in into its own buffer, drops it (and with it whatever the job owns) and ends. A job
// must own what it touches (its input copied, the compressor shared), never the
// caller's buffers or output file; and the library is pinned in memory before the thread
// is let go, so its code stays mapped until the thread is done even when the host
// unloads the library.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vexel::kit {

// One step: appends its output to *output; false with a reason on failure. Runs on the
// background thread.
using BackgroundStep = std::function<bool(std::vector<std::uint8_t> *output, std::string *reason)>;
// True once the caller no longer wants the result.
using StopQuery = std::function<bool()>;

// Makes the shared object that holds this code (the library it is linked into)
// impossible to unload; nothing happens when the code is part of the program itself.
// Called before a thread that may outlive the library's entry is let go.
void pinThisLibrary();

class BackgroundJob {
public:
    explicit BackgroundJob(StopQuery stopped);
    // Ends the thread and waits for it: no step is in flight here, unless a stop let the
    // thread go already.
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob &) = delete;
    BackgroundJob &operator=(const BackgroundJob &) = delete;

    // Runs `step` on the thread, waits for it and appends its output to *out. On a stop
    // returns false at once with the reason "stopped by the user"; every later call
    // fails the same way without running its step.
    bool run(BackgroundStep step, std::vector<std::uint8_t> *out, std::string *reason);

private:
    struct Shared;
    static void serve(const std::shared_ptr<Shared> &shared);
    void letGo();

    std::shared_ptr<Shared> shared_;
    StopQuery stopped_;
    std::thread thread_;
    bool abandoned_ = false;
};

} // namespace vexel::kit
