#include "archivers/ArchiverLibrary.h"

#include "platform/RunFolder.h"
#include "tests/fakes/FakeArchiver.h"
#include "tests/platform/TestFiles.h"

#include <gtest/gtest.h>

using namespace vexel;

TEST(ArchiverLibrary, BindsTheEntryPointsOfTheFoundFileIgnoringCase)
{
    std::string error;
    auto zip = ArchiverLibrary::load(VEXEL_FAKE_LIB_DIR, "ZIP32J.DLL", "Zip", &error);
    ASSERT_TRUE(zip) << error;
    EXPECT_EQ(zip->version(), fakes::kFakeVersion);
    EXPECT_FALSE(zip->setOwnerWindow(nullptr, nullptr)) << "Zip has no owner registration";
    auto lha = ArchiverLibrary::load(VEXEL_FAKE_LIB_DIR, "unlha32.dll", "Unlha", &error);
    ASSERT_TRUE(lha) << error;
    EXPECT_TRUE(lha->setOwnerWindow(nullptr, nullptr));
}

TEST(ArchiverLibrary, AMissingOrBrokenLibraryGivesAReason)
{
    platform::RunFolder scratch;
    ASSERT_TRUE(scratch.ok());
    std::string error;
    EXPECT_FALSE(ArchiverLibrary::load(scratch.path(), "cab32.dll", "Cab", &error));
    EXPECT_NE(error.find(scratch.path() + "cab32.so"), std::string::npos) << error;

    test::writeFile(scratch.path() + "CAB32.so", "not a shared object");
    error.clear();
    EXPECT_FALSE(ArchiverLibrary::load(scratch.path(), "cab32.dll", "Cab", &error));
    EXPECT_NE(error.find("CAB32.so"), std::string::npos) << error;
}

TEST(ArchiverLibrary, ALibraryLackingARequiredSymbolIsRefused)
{
    std::string error;
    EXPECT_FALSE(ArchiverLibrary::load(VEXEL_PARTIAL_LIB_DIR, "partial32.dll", "Zip", &error));
    EXPECT_EQ(error,
              std::string(VEXEL_PARTIAL_LIB_DIR)
                  + "partial32.so: the entry point ZipGetVersion is missing");
    EXPECT_FALSE(ArchiverLibrary::load(VEXEL_PARTIAL_LIB_DIR, "partial32.dll", "Cab", &error));
    EXPECT_EQ(error,
              std::string(VEXEL_PARTIAL_LIB_DIR) + "partial32.so: the entry point Cab is missing");
}

TEST(ArchiverLibrary, OwnerRegistrationIsOptionalAndOutputIsCutToTheBuffer)
{
    std::string error;
    auto lha = ArchiverLibrary::load(VEXEL_PARTIAL_LIB_DIR, "PARTIAL32.DLL", "Unlha", &error);
    ASSERT_TRUE(lha) << error;
    EXPECT_FALSE(lha->setOwnerWindow(nullptr, nullptr));
    EXPECT_EQ(lha->version(), 42);
    std::string output;
    EXPECT_EQ(lha->run(nullptr, "a \"x.lzh\"", &output), 5);
    EXPECT_EQ(output.size(), KRY_OUTPUT_SIZE - 1u);
    EXPECT_EQ(output.rfind("a \"x.lzh\"|0000", 0), 0u) << output;
}
