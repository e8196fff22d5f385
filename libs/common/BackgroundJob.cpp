#include "BackgroundJob.h"

#include <chrono>
#include <condition_variable>
#include <dlfcn.h>
#include <mutex>

namespace vexel::kit {
namespace {

// How often a waiting caller looks at the stop.
constexpr std::chrono::milliseconds kStopPoll{5};

} // namespace

// A thread that was let go may still be running here after the library's entry has
// returned: its code must stay mapped.
void pinThisLibrary()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&pinThisLibrary), &info) && info.dli_fname)
        dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE); // never closed, on purpose
}

// What the caller and the thread share; owned by both, so that a thread that was let go
// frees it (and the last step, with what that step owns) by itself.
struct BackgroundJob::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    BackgroundStep step; // the step waiting for the thread, or empty
    std::vector<std::uint8_t> output;
    std::string reason;
    bool ok = false;
    bool answered = false; // the thread finished the step
    bool quit = false;     // no more steps: end as soon as the current one is done
};

BackgroundJob::BackgroundJob(StopQuery stopped)
    : shared_(std::make_shared<Shared>()), stopped_(std::move(stopped))
{
    // The thread holds its own reference: it may outlive this object.
    thread_ = std::thread([shared = shared_] { serve(shared); });
}

BackgroundJob::~BackgroundJob()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
    }
    shared_->wake.notify_all();
    thread_.join();
}

bool BackgroundJob::run(BackgroundStep step, std::vector<std::uint8_t> *out, std::string *reason)
{
    if (abandoned_ || stopped_()) {
        letGo();
        *reason = "stopped by the user";
        return false;
    }
    Shared &s = *shared_;
    std::unique_lock lock(s.mutex);
    s.step = std::move(step);
    s.output.clear();
    s.answered = false;
    s.wake.notify_all();
    while (!s.wake.wait_for(lock, kStopPoll, [&] { return s.answered; })) {
        if (stopped_()) {
            lock.unlock();
            letGo();
            *reason = "stopped by the user";
            return false;
        }
    }
    out->insert(out->end(), s.output.begin(), s.output.end());
    if (!s.ok)
        *reason = s.reason;
    return s.ok;
}

// Tells the thread to end after its current step and lets it go without waiting.
void BackgroundJob::letGo()
{
    if (abandoned_)
        return;
    abandoned_ = true;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
    }
    shared_->wake.notify_all();
    pinThisLibrary();
    thread_.detach();
}

void BackgroundJob::serve(const std::shared_ptr<Shared> &shared)
{
    Shared &s = *shared;
    std::unique_lock lock(s.mutex);
    while (true) {
        s.wake.wait(lock, [&] { return s.step || s.quit; });
        if (s.quit)
            return; // a step not yet started is dropped with the shared state
        BackgroundStep step = std::move(s.step);
        s.step = nullptr;
        lock.unlock();
        std::vector<std::uint8_t> output;
        std::string reason;
        const bool ok = step(&output, &reason);
        step = nullptr; // what the step owns goes now, on this thread
        lock.lock();
        s.output = std::move(output);
        s.reason = std::move(reason);
        s.ok = ok;
        s.answered = true;
        s.wake.notify_all();
    }
}

} // namespace vexel::kit
