// The command lines handed to the archiver libraries and the script line of the
// command-line archivers, for every row of the switch table.
#include "run/ArchiverCommands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vexel {
namespace {

const std::string kArchive = "/tmp/r/krytmp.lzh";
const std::string kList = "/tmp/r/krytmp.lst";
const std::string kBase = "/home/u/docs/";
const std::string kTail = "\"/tmp/r/krytmp.lzh\" \"/home/u/docs/\" @/tmp/r/krytmp.lst";

std::string line(const std::string &format, const RunSettings &settings, bool displayOn,
                 const std::string &base = kBase)
{
    return libraryCommandLine(format, settings, displayOn, base, kArchive, kList);
}

TEST(LibraryCommandLine, LhaWithDisplayOnAndOffForEveryType)
{
    RunSettings settings;
    for (const char *type : {"2", "3", "4"}) {
        settings.LHAFreezeType = type;
        EXPECT_EQ(line("LHA", settings, true),
                  std::string("a -x1 -r2 -y1 -gm -jm") + type + " " + kTail);
        EXPECT_EQ(line("LHA", settings, false),
                  std::string("a -x1 -r2 -y1 -gm -n -jm") + type + " " + kTail);
    }
}

TEST(LibraryCommandLine, ZipAndBgaIgnoreTheDisplaySwitch)
{
    RunSettings settings; // ZIP level 6, BGA level 9
    for (bool displayOn : {true, false}) {
        EXPECT_EQ(line("ZIP", settings, displayOn), "-r -6 " + kTail);
        EXPECT_EQ(line("GZIP", settings, displayOn), "a -r -l9 " + kTail);
        EXPECT_EQ(line("BZIP2", settings, displayOn), "a -r -l9 " + kTail);
    }
}

TEST(LibraryCommandLine, CabMsZipAndLzxWithLevel)
{
    RunSettings settings; // type "0": MSZIP
    EXPECT_EQ(line("CAB", settings, true), "-a -r -mz " + kTail);
    EXPECT_EQ(line("CAB", settings, false), "-a -r -i -mz " + kTail);

    settings.CABFreezeType = "1";
    settings.CABFreezeLevel = "21";
    EXPECT_EQ(line("CAB", settings, true), "-a -r -ml:21 " + kTail);
    EXPECT_EQ(line("CAB", settings, false), "-a -r -i -ml:21 " + kTail);

    settings.CABFreezeType = " 1"; // its numeric value counts
    EXPECT_EQ(line("CAB", settings, true), "-a -r -ml:21 " + kTail);
    settings.CABFreezeType = "2";
    EXPECT_EQ(line("CAB", settings, true), "-a -r -mz " + kTail);
}

TEST(LibraryCommandLine, StoredLevelsAreTrimmed)
{
    RunSettings settings;
    settings.LHAFreezeType = " 3 ";
    settings.ZIPFreezeLevel = " 9";
    settings.CABFreezeType = "1";
    settings.CABFreezeLevel = " 18";
    settings.BGAFreezeLevel = " 5";
    EXPECT_EQ(line("LHA", settings, true), "a -x1 -r2 -y1 -gm -jm3 " + kTail);
    EXPECT_EQ(line("ZIP", settings, true), "-r -9 " + kTail);
    EXPECT_EQ(line("CAB", settings, true), "-a -r -ml:18 " + kTail);
    EXPECT_EQ(line("GZIP", settings, true), "a -r -l5 " + kTail);
}

TEST(LibraryCommandLine, EmptyBaseFolderLeavesTwoSpacesBeforeTheList)
{
    EXPECT_EQ(line("ZIP", RunSettings{}, true, ""),
              "-r -6 \"/tmp/r/krytmp.lzh\"  @/tmp/r/krytmp.lst");
}

TEST(LibraryCommandLine, NoneForScriptsOrUnknownNames)
{
    for (const char *format : {"RAR", "GCA", "ACE", "TAR"})
        EXPECT_EQ(line(format, RunSettings{}, true), "") << format;
    EXPECT_EQ(archiverScriptLine("LHA", "/opt/", "/t/krytmp"), "");
}

TEST(ArchiverScriptLine, EveryPathIsQuoted)
{
    const std::string base = "/tmp/my run/krytmp";
    EXPECT_EQ(archiverScriptLine("RAR", "/opt/x y/", base),
              "'/opt/x y/rar' a -r '/tmp/my run/krytmp.rar' @'/tmp/my run/krytmp.kst'");
    EXPECT_EQ(archiverScriptLine("GCA", "/opt/", base),
              "'/opt/gcac' a -o'/tmp/my run/krytmp.kst' '/tmp/my run/krytmp.gca'");
    EXPECT_EQ(archiverScriptLine("ACE", "", base),
              "'ace32' a -r '/tmp/my run/krytmp.ace' @'/tmp/my run/krytmp.kst'");
}

// The lookup ignores letter case, so the script names the program as it is spelt on disk.
TEST(ArchiverScriptLine, NamesTheProgramAsSpeltOnDisk)
{
    char folder[] = "/tmp/vexel-case-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string dir = std::string(folder) + "/";
    std::ofstream(dir + "RAR") << "#!/bin/sh\n";
    EXPECT_EQ(archiverScriptLine("RAR", dir, "/t/krytmp"),
              "'" + dir + "RAR' a -r '/t/krytmp.rar' @'/t/krytmp.kst'");
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace vexel
