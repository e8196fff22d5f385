// Deflates small files on worker threads while the engine goes on with the next ones,
// and hands them back in the order they came.
//
// At level 9 a small file costs far more to deflate (libdeflate's near-optimal parser)
// than to read and write; with thousands of them, one thread deflating them in turn
// leaves the machine's other cores idle. Each worker has its own compressor; libdeflate
// keeps nothing from one call to the next, so a file deflates to the same bytes
// whichever worker takes it. The engine bounds what is queued (files and bytes), so
// memory stays bounded, and writes each file once it is at the head and done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vexel::zip {

// One file: its data in, its deflated form out (empty: store it, it did not shrink);
// `tag` is the engine's own (the member's header facts), untouched here.
struct QueuedFile {
    std::vector<unsigned char> raw;
    std::vector<unsigned char> packed;
    bool ok = true; // false: no memory for the compressor
    std::shared_ptr<void> tag;
};

class DeflateQueue {
public:
    // `level`: libdeflate's level; `workers`: threads, started on the first file.
    DeflateQueue(int level, unsigned workers);
    // Waits for the workers, unless letGo() let them go already.
    ~DeflateQueue();
    DeflateQueue(const DeflateQueue &) = delete;
    DeflateQueue &operator=(const DeflateQueue &) = delete;

    void push(std::unique_ptr<QueuedFile> file);
    // The oldest file once it is done; null when there is none or (wait false) it is not
    // done yet. While waiting, looks at `stopped` every few milliseconds: when it
    // answers true, returns null with *wasStopped set.
    std::unique_ptr<QueuedFile> pop(bool wait, const std::function<bool()> &stopped,
                                    bool *wasStopped);
    std::size_t files() const;
    std::size_t bytes() const;
    // After a stop: the workers finish the file each is on, drop the rest and end by
    // themselves; the library is pinned first so that their code stays mapped.
    void letGo();

private:
    struct Shared;
    static void work(const std::shared_ptr<Shared> &shared, int level);

    int level_;
    unsigned workerCount_;
    std::shared_ptr<Shared> shared_;
    std::vector<std::thread> workers_;
};

} // namespace vexel::zip
