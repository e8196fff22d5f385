// Two calls into bga32.so at once, as a run with GZIP and BZIP2 in parallel makes them:
// each thread registers its own callback just before its call, both calls work at the
// same time, and each call's progress reaches its own callback only. Also run under
// ThreadSanitizer (label "tsan").
#include "../support/SanitizerScale.h"
#include "BgaReader.h"
#include "LoadedLibrary.h"
#include "TestTree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <filesystem>
#include <string>
#include <thread>

using namespace vexel::testsupport;
namespace fs = std::filesystem;

namespace {

// What one callback saw. A callback has no context argument, so each call gets a
// function of its own, and the test tells them apart by that alone.
struct Seen {
    std::atomic<int> records{0};
    std::atomic<std::uint64_t> largestTotal{0};
    std::atomic<bool> ended{false};
};
Seen seenA, seenB;

int keep(Seen &seen, std::uint32_t message, std::uint32_t state, void *info)
{
    if (message == KRY_MSG_PROGRESS && info != nullptr) {
        const auto *record = static_cast<const KryProgress *>(info);
        seen.records.fetch_add(1);
        std::uint64_t total = seen.largestTotal.load();
        while (record->bytesTotal > total
               && !seen.largestTotal.compare_exchange_weak(total, record->bytesTotal)) {
        }
        if (state == KRY_STATE_END)
            seen.ended = true;
    }
    return 1;
}
extern "C" int callbackA(void *, std::uint32_t m, std::uint32_t s, void *i)
{
    return keep(seenA, m, s, i);
}
extern "C" int callbackB(void *, std::uint32_t m, std::uint32_t s, void *i)
{
    return keep(seenB, m, s, i);
}

TEST(BgaConcurrent, GzaAndBzaAtOnceEachReachTheirOwnCallback)
{
    LoadedLibrary library("bga32.so");
    ASSERT_TRUE(library.loaded()) << library.error();
    TempFolder tmp;
    // Inputs of different sizes, so a record that reached the wrong callback shows.
    const std::string base = tmp.path() + "base/";
    fs::create_directories(base + "small");
    fs::create_directories(base + "large");
    writeFile(base + "small/a.txt", std::string(300'000, 'a'));
    // Long enough that the BZA call is still at work while the GZA call runs; under a
    // sanitizer both run many times slower, and a third of it does.
    const std::size_t largeBytes = vexel::test::sanitizerScaled<std::size_t>(3'000'000, 1'000'000);
    std::string text;
    for (int i = 0; text.size() < largeBytes; ++i)
        text += "line " + std::to_string(i * 7919 % 100003) + " of the larger input\n";
    writeFile(base + "large/b.txt", text);

    struct Call {
        std::string archive, list, lines;
        ARCHIVERPROC callback;
        int result = -1;
        std::string reason;
    } calls[2] = {
        {tmp.path() + "krytmp.gza", tmp.path() + "a.lst", "\"small/*.*\"\n", callbackA, -1, {}},
        {tmp.path() + "krytmp.bza", tmp.path() + "b.lst", "\"large/*.*\"\n", callbackB, -1, {}},
    };
    std::barrier bothRegistered(2);
    auto work = [&](Call &call) {
        const std::string line =
            libraryCommandLine("a -r -l9", call.archive, base, call.list, call.lines);
        library.setOwner("Bga", nullptr, call.callback);
        bothRegistered.arrive_and_wait(); // the other thread's registration came later
        call.result = library.run("Bga", line, &call.reason);
    };
    std::thread first(work, std::ref(calls[0]));
    std::thread second(work, std::ref(calls[1]));
    first.join();
    second.join();

    for (const Call &call : calls) {
        ASSERT_EQ(call.result, 0) << call.archive << ": " << call.reason;
        std::string error;
        const std::string out =
            tmp.path() + "out-" + fs::path(call.archive).extension().string().substr(1) + "/";
        ASSERT_TRUE(extractBga(call.archive, out, &error)) << error;
    }
    EXPECT_EQ(compareTrees(scanTree(base + "small"), scanTree(tmp.path() + "out-gza/small")), "");
    EXPECT_EQ(compareTrees(scanTree(base + "large"), scanTree(tmp.path() + "out-bza/large")), "");
    EXPECT_GT(seenA.records.load(), 0);
    EXPECT_GT(seenB.records.load(), 0);
    EXPECT_TRUE(seenA.ended && seenB.ended);
    EXPECT_EQ(seenA.largestTotal.load(), 300'000u) << "only the GZA call's records reach callbackA";
    EXPECT_EQ(seenB.largestTotal.load(), text.size())
        << "only the BZA call's records reach callbackB";
}

} // namespace
