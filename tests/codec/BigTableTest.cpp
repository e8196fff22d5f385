#include "../support/SanitizerScale.h"
#include "codec/BigTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>

#include <unistd.h>

using vexel::codec::makeBigTable;

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

TEST(BigTable, EveryElementStartsZeroAndHoldsWhatIsWritten)
{
    // Under a large page (calloc), exactly one, and spanning several with a ragged end:
    // the finders rely on zeros (the buffer's padding, the tree links) and write every
    // element up to the last.
    for (const std::size_t count : {std::size_t{1}, std::size_t{1000}, kLargePage / 4 - 1,
                                    kLargePage / 4, 3 * kLargePage / 4 + 5}) {
        auto table = makeBigTable<std::int32_t>(count);
        ASSERT_NE(table.get(), nullptr) << count;
        ASSERT_TRUE(std::all_of(table.get(), table.get() + count,
                                [](std::int32_t v) { return v == 0; }))
            << count;
        for (std::size_t i = 0; i < count; ++i)
            table[i] = static_cast<std::int32_t>(i * 2654435761u);
        for (std::size_t i = 0; i < count; ++i)
            ASSERT_EQ(table[i], static_cast<std::int32_t>(i * 2654435761u)) << count << " at " << i;
        // Large tables start on a large page, where the system can map them in large pages.
        if (!vexel::test::kSanitizedBuild && count * sizeof(std::int32_t) >= kLargePage) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(table.get()) % kLargePage, 0u) << count;
        }
    }
}

// Resident pages of this process, from /proc/self/statm.
std::size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

TEST(BigTable, TablesMadeAndFreedOverAndOverGiveTheirMemoryBack)
{
    // A finder per stream, thousands of streams: each table here touches its first and
    // last large page, 4 MiB; kept mapped, 256 of them would hold a gigabyte.
    const std::size_t before = residentBytes();
    for (int i = 0; i < 256; ++i) {
        auto table = makeBigTable<std::uint8_t>(2 * kLargePage);
        table[2 * kLargePage - 1] = 1;
        ASSERT_EQ(table[0], 0);
    }
    EXPECT_LT(residentBytes(), before + 64 * (std::size_t{1} << 20));
}

} // namespace
