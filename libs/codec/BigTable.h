// Zero-filled tables for the match finders, the big ones mapped in 2 MiB pages where
// the system grants them. A search jumps about tables of tens of megabytes (a 2 MiB
// window's trees): in 4 KiB pages every jump also misses the address cache, and the
// first touch of every page is a fault of its own (6,000 of them on a 1 MiB input, an
// eighth of its time). The memory is the same; it is only mapped in larger pieces, and
// pages a short stream never reaches are still never mapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

#include <sys/mman.h>

namespace vexel::codec {

namespace detail {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

// Under AddressSanitizer every table comes from calloc, whose bounds it watches.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapLargeTables = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapLargeTables = false;
#else
constexpr bool kMapLargeTables = true;
#endif
#else
constexpr bool kMapLargeTables = true;
#endif

struct BigTableRelease {
    void *mapping = nullptr; // null: the table came from calloc
    std::size_t bytes = 0;
    void operator()(void *table) const
    {
        if (mapping)
            munmap(mapping, bytes);
        else
            std::free(table);
    }
};

} // namespace detail

template <typename T> using BigTable = std::unique_ptr<T[], detail::BigTableRelease>;

// `count` zeroed elements; throws std::bad_alloc when the memory is not there. Tables
// under a large page come from calloc (a mapping of their own would cost two system
// calls per stream, felt with thousands of small files).
template <typename T> BigTable<T> makeBigTable(std::size_t count)
{
    using detail::kLargePage;
    const std::size_t want = count * sizeof(T);
    if (!detail::kMapLargeTables || want < kLargePage) {
        void *table = std::calloc(count == 0 ? 1 : count, sizeof(T));
        if (!table)
            throw std::bad_alloc();
        return BigTable<T>(static_cast<T *>(table), detail::BigTableRelease{});
    }
    // A large page must start on a large page's boundary: one more is mapped to align
    // within. Anonymous mappings read as zeros until written.
    const std::size_t bytes = want + kLargePage;
    void *mapping =
        mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    auto *start = static_cast<char *>(mapping);
    const auto misalign = reinterpret_cast<std::uintptr_t>(start) % kLargePage;
    if (misalign != 0)
        start += kLargePage - misalign;
    // Only a hint: where it is refused the table works in small pages.
    madvise(start, (want + kLargePage - 1) / kLargePage * kLargePage, MADV_HUGEPAGE);
    return BigTable<T>(reinterpret_cast<T *>(start), detail::BigTableRelease{mapping, bytes});
}

} // namespace vexel::codec
