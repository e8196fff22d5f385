// The engine zip32.so through its C interface: Zip64 and the checks on member sizes.
#include "ZipEngine.h"

#include "TestTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

using namespace vexel::testsupport;

namespace {

struct EngineDeleter {
    void operator()(ZipEngine *engine) const { ZipEngineDestroy(engine); }
};
using Engine = std::unique_ptr<ZipEngine, EngineDeleter>;

Engine create(const std::string &path, int level)
{
    char reason[256] = "";
    Engine engine(ZipEngineCreate(path.c_str(), level, reason, sizeof reason));
    EXPECT_TRUE(engine) << reason;
    return engine;
}

TEST(ZipEngine, MemberBeyondFourGibibytesIsWrittenAsZip64)
{
    TempFolder tmp;
    const std::string zip = tmp.path() + "big.zip";
    Engine engine = create(zip, 1);
    const std::uint64_t size = 0x100000000ull + 1;
    const ZipEngineMember member{"zeros.bin", 0, size, 1600000000, 0644};
    ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &member));
    const std::vector<char> zeros(8 << 20, 0);
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(zeros.size(), size - done));
        ASSERT_TRUE(ZipEngineWriteData(engine.get(), zeros.data(), n)) << ZipEngineError(engine.get());
        done += n;
    }
    ASSERT_TRUE(ZipEngineEndMember(engine.get())) << ZipEngineError(engine.get());
    const ZipEngineMember after{"after.txt", 0, 5, 1600000000, 0644};
    ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &after));
    ASSERT_TRUE(ZipEngineWriteData(engine.get(), "after", 5));
    ASSERT_TRUE(ZipEngineEndMember(engine.get()));
    ASSERT_TRUE(ZipEngineFinish(engine.get())) << ZipEngineError(engine.get());
    std::string listing;
    ASSERT_EQ(runCommand("7zz l -slt " + shellQuote(zip), &listing), 0) << listing;
    EXPECT_NE(listing.find("Size = 4294967297"), std::string::npos) << listing;
    // The small member after the big one is read back whole (its own header found by offset).
    std::string output;
    ASSERT_EQ(runCommand("unzip -p " + shellQuote(zip) + " after.txt", &output), 0) << output;
    EXPECT_EQ(output, "after");
}

// Level 9 deflates a long file in pieces of 8 MiB joined into one stream: files ending
// just before, on and after a piece boundary, fed in odd-sized writes, come back exact
// through unzip; one whose first piece does not shrink is stored whole.
TEST(ZipEngine, LevelNineFilesAcrossPieceBoundariesExtractExact)
{
    TempFolder tmp;
    const std::string zip = tmp.path() + "pieces.zip";
    Engine engine = create(zip, 9);
    const std::size_t piece = 8 << 20;
    std::mt19937 rng(17);
    std::string text;
    while (text.size() < 2 * piece + 4096)
        text += "line " + std::to_string(rng() % 5000) + " of a long text file, piece after piece\n";
    std::string noise(piece + 100, '\0');
    for (char &c : noise)
        c = static_cast<char>(rng());
    const std::pair<std::string, std::string> files[] = {
        {"before.txt", text.substr(0, piece - 1)},
        {"exact.txt", text.substr(0, piece)},
        {"after.txt", text.substr(0, piece + 1)},
        {"two.txt", text.substr(0, 2 * piece + 4096)},
        {"noise-then-text.bin", noise + text.substr(0, piece)},
    };
    for (const auto &[name, data] : files) {
        const ZipEngineMember member{name.c_str(), 0, data.size(), 1600000000, 0644};
        ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &member));
        for (std::size_t at = 0; at < data.size();) {
            const std::size_t n = std::min<std::size_t>(data.size() - at, 1 + rng() % (3 << 20));
            ASSERT_TRUE(ZipEngineWriteData(engine.get(), data.data() + at, n)) << ZipEngineError(engine.get());
            at += n;
        }
        ASSERT_TRUE(ZipEngineEndMember(engine.get())) << ZipEngineError(engine.get());
    }
    ASSERT_TRUE(ZipEngineFinish(engine.get())) << ZipEngineError(engine.get());
    std::string output;
    ASSERT_EQ(runCommand("unzip -tq " + shellQuote(zip), &output), 0) << output;
    for (const auto &[name, data] : files) {
        output.clear();
        ASSERT_EQ(runCommand("unzip -p " + shellQuote(zip) + " " + name, &output), 0) << name;
        EXPECT_TRUE(output == data) << name;
    }
    std::string listing;
    ASSERT_EQ(runCommand("7zz l -slt " + shellQuote(zip), &listing), 0) << listing;
    const std::size_t noisy = listing.find("Path = noise-then-text.bin");
    ASSERT_NE(noisy, std::string::npos);
    EXPECT_NE(listing.find("Method = Store", noisy), std::string::npos) << "the first piece decides";
    EXPECT_NE(listing.find("Method = Deflate"), std::string::npos);
}

TEST(ZipEngine, DataMustMatchTheAnnouncedSize)
{
    TempFolder tmp;
    Engine engine = create(tmp.path() + "a.zip", 6);
    const ZipEngineMember member{"a.txt", 0, 3, 0, 0644};
    ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &member));
    EXPECT_FALSE(ZipEngineWriteData(engine.get(), "abcd", 4));
    EXPECT_NE(std::string(ZipEngineError(engine.get())).find("a.txt"), std::string::npos);

    Engine second = create(tmp.path() + "b.zip", 6);
    ASSERT_TRUE(ZipEngineBeginMember(second.get(), &member));
    ASSERT_TRUE(ZipEngineWriteData(second.get(), "ab", 2));
    EXPECT_FALSE(ZipEngineEndMember(second.get()));
    EXPECT_FALSE(ZipEngineFinish(second.get())) << "a failed engine never writes a complete-looking archive";
}

TEST(ZipEngine, CreateFailsWithAReasonForAnImpossiblePath)
{
    char reason[256] = "";
    EXPECT_EQ(ZipEngineCreate("/nonexistent-folder/x.zip", 6, reason, sizeof reason), nullptr);
    EXPECT_NE(std::string(reason).find("/nonexistent-folder/x.zip"), std::string::npos) << reason;
}

} // namespace
