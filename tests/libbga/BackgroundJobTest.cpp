// Long compressor steps on a background thread: steps come back in order, a stop returns at once while the
// step is still running, and a thread let go frees what it owns by itself. Also run
// under ThreadSanitizer and AddressSanitizer (labels tsan, sanitize).
#include "BackgroundJob.h"
#include "PayloadEncoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

using namespace vexel::bga;
using vexel::kit::BackgroundJob;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A step that waits until the test opens the gate, so that "the step is still running"
// is a fact, not a guess about timing.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool open = false;
    void waitOpen()
    {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return open; });
    }
    void waitEntered()
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered; });
    }
    void release()
    {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
};

Bytes mixedData(std::size_t size)
{
    Bytes data(size);
    std::uint32_t s = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        s = s * 1103515245 + 12345;
        // Text-like runs with noise: several bzip2 blocks of real work.
        data[i] = (i / 4096) % 3 == 0 ? static_cast<std::uint8_t>(s >> 24)
                                      : static_cast<std::uint8_t>("the quick brown fox "[i % 20]);
    }
    return data;
}

Bytes compressAll(PayloadEncoder &encoder, const Bytes &data, std::size_t chunk)
{
    Bytes out;
    std::string reason;
    for (std::size_t at = 0; at < data.size(); at += chunk)
        EXPECT_TRUE(encoder.add(data.data() + at, std::min(chunk, data.size() - at), &out, &reason))
            << reason;
    EXPECT_TRUE(encoder.finish(&out, &reason)) << reason;
    return out;
}

TEST(BackgroundJob, Bzip2OnItsOwnThreadWritesTheSameBytesAsOnTheCaller)
{
    // Three blocks at each level (100,000 bytes each at level 1, 900,000 at level 9),
    // the last one partial.
    for (const int level : {1, 9}) {
        const Bytes data = mixedData(std::size_t(level) * 280'000);
        auto direct = makeBzip2Encoder(level);
        auto background = makeBzip2Encoder(level, [] { return false; });
        const Bytes a = compressAll(*direct, data, 256 * 1024);
        const Bytes b = compressAll(*background, data, 100'000);
        EXPECT_GT(a.size(), 100u);
        EXPECT_EQ(a, b) << "level " << level;
    }
}

TEST(BackgroundJob, StepsRunInOrderAndFailuresKeepTheirReason)
{
    BackgroundJob job([] { return false; });
    const auto reversed = [](Bytes input) {
        return [input](Bytes *output, std::string *) {
            output->insert(output->end(), input.rbegin(), input.rend());
            return true;
        };
    };
    Bytes out;
    std::string reason;
    ASSERT_TRUE(job.run(reversed({1, 2, 3}), &out, &reason));
    ASSERT_TRUE(job.run(reversed({4, 5}), &out, &reason));
    EXPECT_EQ(out, (Bytes{3, 2, 1, 5, 4}));
    EXPECT_FALSE(job.run(
        [](Bytes *output, std::string *why) {
            output->push_back(9); // what a failing step wrote still comes back
            *why = "the step's own reason";
            return false;
        },
        &out, &reason));
    EXPECT_EQ(reason, "the step's own reason");
    EXPECT_EQ(out, (Bytes{3, 2, 1, 5, 4, 9}));
    ASSERT_TRUE(job.run(reversed({6}), &out, &reason)); // a failed step does not spend the job
    EXPECT_EQ(out.back(), 6);
}

TEST(BackgroundJob, AStopReturnsWhileTheStepRunsAndTheThreadFreesItsStepLater)
{
    auto gate = std::make_shared<Gate>();
    std::atomic<bool> stop{false};
    std::atomic<int> steps{0};
    auto owned = std::make_shared<int>(0); // stands for the compressor the step owns
    const std::weak_ptr<int> watch = owned;
    {
        BackgroundJob job([&stop] { return stop.load(); });
        const auto step = [gate, &steps](Bytes *output, std::string *) {
            ++steps;
            gate->waitOpen();
            output->push_back(1);
            return true;
        };
        std::thread stopper([&] {
            gate->waitEntered();
            stop = true;
        });
        Bytes out;
        std::string reason;
        EXPECT_FALSE(
            job.run([step, owned](Bytes *o, std::string *r) { return step(o, r); }, &out, &reason));
        owned.reset(); // the step in flight now holds the only share
        stopper.join();
        EXPECT_EQ(reason, "stopped by the user");
        EXPECT_TRUE(out.empty());
        EXPECT_FALSE(job.run(step, &out, &reason)); // spent: no second step
        EXPECT_EQ(steps.load(), 1);
    } // the job is gone; its thread still runs the step
    EXPECT_FALSE(watch.expired());
    gate->release();
    // The thread ends by itself and drops the step with what it captured.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!watch.expired() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(steps.load(), 1);
}

TEST(BackgroundJob, AStopBeforeTheFirstStepRunsNoStep)
{
    std::atomic<int> steps{0};
    {
        BackgroundJob job([] { return true; });
        Bytes out;
        std::string reason;
        EXPECT_FALSE(job.run(
            [&steps](Bytes *, std::string *) {
                ++steps;
                return true;
            },
            &out, &reason));
        EXPECT_EQ(reason, "stopped by the user");
    }
    // The thread was let go with nothing to do; give it time to show a wrong step.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(steps.load(), 0);
}

} // namespace
