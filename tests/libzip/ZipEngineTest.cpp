// The engine zip32.so through its C interface: Zip64 and the checks on member sizes.
#include "ZipEngine.h"

#include "TestTree.h"

#include <gtest/gtest.h>

#include <memory>
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
