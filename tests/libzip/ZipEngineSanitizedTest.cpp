// The ZIP engine under AddressSanitizer and UndefinedBehaviorSanitizer: members around its
// 1 MiB probe window and its 256 KiB limit for the strongest level, compressible or not,
// fed in uneven chunks, at level 6 (zlib probe) and 9 (libdeflate for held files); unzip
// checks every byte.
#include "ZipEngine.h"

#include "TestTree.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vexel::testsupport;

namespace {

std::string bytesOf(std::size_t size, bool compressible, std::uint64_t seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        bytes[i] = compressible ? "zip zap\n"[(i + seed % 2) % 8] : static_cast<char>(seed);
    }
    return bytes;
}

class ZipEngineSanitized : public ::testing::TestWithParam<int> {};

TEST_P(ZipEngineSanitized, MembersAroundTheProbeWindowRoundTrip)
{
    TempFolder tmp;
    const std::string zip = tmp.path() + "p.zip";
    char reason[256] = "";
    ZipEngine *engine = ZipEngineCreate(zip.c_str(), GetParam(), reason, sizeof reason);
    ASSERT_NE(engine, nullptr) << reason;
    const std::size_t window = 1 << 20;
    const std::size_t sizes[] = {0,          1,      256 * 1024, 256 * 1024 + 1,
                                 window - 1, window, window + 1, 2 * window + 3};
    std::vector<std::pair<std::string, std::string>> written;
    int n = 0;
    for (const std::size_t size : sizes) {
        for (const bool compressible : {true, false}) {
            const std::string name = "m" + std::to_string(n++) + (compressible ? ".txt" : ".bin");
            const std::string data = bytesOf(size, compressible, n * 7919ull + 1);
            const ZipEngineMember member{name.c_str(), 0, data.size(), 1700000000, 0600};
            ASSERT_TRUE(ZipEngineBeginMember(engine, &member)) << ZipEngineError(engine);
            for (std::size_t at = 0; at < data.size();
                 at += 7777) // uneven: the window ends inside a chunk
                ASSERT_TRUE(ZipEngineWriteData(engine, data.data() + at,
                                               std::min<std::size_t>(7777, data.size() - at)))
                    << ZipEngineError(engine);
            ASSERT_TRUE(ZipEngineEndMember(engine)) << ZipEngineError(engine);
            written.emplace_back(name, data);
        }
    }
    const ZipEngineMember folder{"folder", 1, 0, 1700000000, 0755};
    ASSERT_TRUE(ZipEngineBeginMember(engine, &folder));
    ASSERT_TRUE(ZipEngineFinish(engine)) << ZipEngineError(engine);
    ZipEngineDestroy(engine);

    std::string output;
    ASSERT_EQ(runCommand("unzip -t " + shellQuote(zip), &output), 0) << output;
    for (const auto &[name, data] : written) {
        output.clear();
        ASSERT_EQ(runCommand("unzip -p " + shellQuote(zip) + " " + name, &output), 0) << name;
        EXPECT_TRUE(output == data)
            << name << ": " << output.size() << " bytes instead of " << data.size();
    }
    // Incompressible members are stored, whether they end inside the window or beyond it.
    std::string listing;
    ASSERT_EQ(runCommand("unzip -v " + shellQuote(zip), &listing), 0) << listing;
    for (const auto &[name, data] : written) {
        const std::size_t line = listing.rfind('\n', listing.find("  " + name + "\n"));
        const std::string method =
            listing.substr(line + 1, listing.find("  " + name + "\n") - line);
        const bool stored = method.find("Stored") != std::string::npos;
        EXPECT_EQ(stored, name.ends_with(".bin") || data.size() <= 1)
            << method; // no deflate shrinks one byte
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, ZipEngineSanitized, ::testing::Values(6, 9));

} // namespace
