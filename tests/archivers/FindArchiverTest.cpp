#include "archivers/FindArchiver.h"

#include "platform/SearchPath.h"
#include "tests/platform/TestFiles.h"

#include <gtest/gtest.h>

using namespace vexel;

TEST(FindArchiver, FindsTheFakeLibrariesAndProgramsByTheirDesignNames)
{
    test::ScopedEnv path("PATH", std::string(VEXEL_FAKE_BIN_DIR) + ":/usr/bin:/bin");
    const platform::SearchPath fakes(VEXEL_FAKE_LIB_DIR);
    std::string folder;
    for (const char *name : {"unlha32.dll", "ZIP32.DLL", "ZIP32J.DLL", "cab32.dll", "bga32.dll"}) {
        EXPECT_TRUE(FindArchiver(name, folder, fakes)) << name;
        EXPECT_EQ(folder, VEXEL_FAKE_LIB_DIR) << name;
    }
    for (const char *name : {"rar.exe", "GCAC.EXE", "ace32.exe"}) {
        EXPECT_TRUE(FindArchiver(name, folder, fakes)) << name;
        EXPECT_EQ(folder, VEXEL_FAKE_BIN_DIR) << name;
    }
    EXPECT_FALSE(FindArchiver("IZIP32J.DLL", folder, fakes));
    EXPECT_EQ(folder, "") << "a failed lookup empties the folder";
    EXPECT_FALSE(FindArchiver("sfx32gui.dat", folder, fakes));
}
