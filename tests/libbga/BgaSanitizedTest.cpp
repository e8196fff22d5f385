// The GZA/BZA writer under AddressSanitizer and UndefinedBehaviorSanitizer: seeded random
// member sets, written directly and read back by the independent reader.
#include "BgaReader.h"
#include "BgaWriter.h"
#include "TestTree.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vexel;
using namespace vexel::testsupport;
namespace fs = std::filesystem;

namespace {

std::uint64_t next(std::uint64_t &s)
{
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
}

// Sizes at the edges that matter: empty, tiny, around the 64 KiB output step and the
// 256 KiB read chunk, and a bzip2 block.
std::string content(std::uint64_t &seed)
{
    static const std::size_t sizes[] = {0,     1,      2,      27,     65535, 65536,
                                        65537, 262143, 262144, 262145, 900001};
    const std::size_t size = sizes[next(seed) % (sizeof sizes / sizeof *sizes)];
    const bool compressible = next(seed) % 2;
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] =
            compressible ? "abcab\n"[(i + next(seed) % 3) % 6] : static_cast<char>(next(seed));
    return bytes;
}

TEST(BgaWriterSanitized, RandomMemberSetsRoundTrip)
{
    for (std::uint64_t round = 1; round <= 6; ++round) {
        TempFolder tmp;
        std::uint64_t seed = 0x9E3779B97F4A7C15ull * round;
        std::vector<kit::Member> members;
        const int count = 1 + static_cast<int>(next(seed) % 6);
        for (int i = 0; i < count; ++i) {
            kit::Member m;
            m.storedName = (i % 2 ? "d" + std::to_string(i) + "/" : std::string()) + "f"
                + std::to_string(i) + (i % 3 ? "é" : "");
            m.diskPath = tmp.path() + "in/" + std::to_string(i);
            const std::string bytes = content(seed);
            writeFile(m.diskPath, bytes);
            m.size = bytes.size();
            m.mtime = 1700000000 + i;
            m.mode = 0644;
            members.push_back(m);
        }
        for (const bga::Kind kind : {bga::Kind::Gza, bga::Kind::Bza}) {
            const std::string path = tmp.path() + (kind == bga::Kind::Gza ? "a.gza" : "a.bza");
            {
                kit::ArchiveOutput output(path);
                kit::Progress progress;
                std::string reason;
                ASSERT_TRUE(output.open(&reason)) << reason;
                const int level = round % 2
                    ? 9
                    : static_cast<int>(round); // 9: gzip members go through libdeflate
                ASSERT_TRUE(bga::writeArchive(kind, level, members, output, progress, &reason))
                    << reason;
                ASSERT_TRUE(output.commit(&reason)) << reason;
            }
            std::vector<BgaEntry> entries;
            std::string error;
            ASSERT_TRUE(listBga(path, &entries, &error)) << error;
            ASSERT_EQ(entries.size(), members.size());
            for (std::size_t i = 0; i < members.size(); ++i) {
                EXPECT_EQ(entries[i].name, members[i].storedName);
                std::string data;
                ASSERT_TRUE(memberData(path, entries[i], &data, &error)) << error;
                EXPECT_EQ(data, readFile(members[i].diskPath)) << members[i].storedName;
            }
        }
    }
}

TEST(BgaWriterSanitized, ChecksumSumsSignedBytes)
{
    const std::uint8_t high[] = {0xFF, 0x80, 0x01};
    EXPECT_EQ(bga::headerChecksum(high, 3), static_cast<std::uint32_t>(-1 - 128 + 1));
    const std::uint8_t low[] = {0x7F, 0x01};
    EXPECT_EQ(bga::headerChecksum(low, 2), 128u);
}

} // namespace
