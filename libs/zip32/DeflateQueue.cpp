#include "DeflateQueue.h"

#include "BackgroundJob.h"
#include "DeflatePieces.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace vexel::zip {
namespace {

constexpr std::chrono::milliseconds kStopPoll{5};

struct Entry {
    std::unique_ptr<QueuedFile> file;
    bool started = false;
    bool done = false;
};

} // namespace

// Owned by the queue and its workers together: workers that were let go free it.
struct DeflateQueue::Shared {
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<Entry> entries; // in the order the files came
    std::size_t bytes = 0;     // raw bytes queued
    bool quit = false;
};

DeflateQueue::DeflateQueue(int level, unsigned workers)
    : level_(level), workerCount_(workers == 0 ? 1 : workers), shared_(std::make_shared<Shared>())
{}

DeflateQueue::~DeflateQueue()
{
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
    }
    shared_->changed.notify_all();
    for (std::thread &t : workers_)
        if (t.joinable())
            t.join();
}

void DeflateQueue::push(std::unique_ptr<QueuedFile> file)
{
    if (workers_.empty())
        for (unsigned i = 0; i < workerCount_; ++i)
            workers_.emplace_back([shared = shared_, level = level_] { work(shared, level); });
    {
        std::lock_guard lock(shared_->mutex);
        shared_->bytes += file->raw.size();
        shared_->entries.push_back(Entry{std::move(file)});
    }
    shared_->changed.notify_all();
}

std::unique_ptr<QueuedFile> DeflateQueue::pop(bool wait, const std::function<bool()> &stopped,
                                              bool *wasStopped)
{
    *wasStopped = false;
    Shared &s = *shared_;
    std::unique_lock lock(s.mutex);
    const auto headDone = [&] { return !s.entries.empty() && s.entries.front().done; };
    if (s.entries.empty())
        return nullptr;
    while (!headDone()) {
        if (!wait)
            return nullptr;
        if (s.changed.wait_for(lock, kStopPoll, headDone))
            break;
        if (stopped && stopped()) {
            *wasStopped = true;
            return nullptr;
        }
    }
    std::unique_ptr<QueuedFile> file = std::move(s.entries.front().file);
    s.entries.pop_front();
    s.bytes -= file->raw.size();
    return file;
}

std::size_t DeflateQueue::files() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->entries.size();
}

std::size_t DeflateQueue::bytes() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->bytes;
}

void DeflateQueue::letGo()
{
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
    }
    shared_->changed.notify_all();
    kit::pinThisLibrary();
    for (std::thread &t : workers_)
        if (t.joinable())
            t.detach();
}

void DeflateQueue::work(const std::shared_ptr<Shared> &shared, int level)
{
    DeflatePieces pieces(level);
    Shared &s = *shared;
    std::unique_lock lock(s.mutex);
    while (true) {
        Entry *next = nullptr;
        s.changed.wait(lock, [&] {
            if (s.quit)
                return true;
            for (Entry &e : s.entries)
                if (!e.started) {
                    next = &e;
                    return true;
                }
            return false;
        });
        if (s.quit)
            return;
        next->started = true;
        // Entries are only removed from the front once done, and a deque keeps its
        // elements in place when others are added or removed at the ends: the file
        // stays where it is while it is worked on, outside the lock.
        QueuedFile &file = *next->file;
        lock.unlock();
        file.packed.clear();
        file.ok =
            file.raw.empty() || pieces.add(file.raw.data(), file.raw.size(), true, &file.packed);
        if (file.packed.size() >= file.raw.size())
            file.packed.clear(); // it did not shrink: stored
        lock.lock();
        next->done = true;
        s.changed.notify_all();
    }
}

} // namespace vexel::zip
