// The command lines the program builds for each library, and malformed ones.
#include "CommandLine.h"

#include <gtest/gtest.h>

using vexel::kit::CommandSyntax;
using vexel::kit::parseCommandLine;
using vexel::kit::ParsedCommand;

namespace {

ParsedCommand parsed(const std::string &line, bool commandWord = false)
{
    ParsedCommand command;
    std::string reason;
    EXPECT_TRUE(parseCommandLine(line, CommandSyntax{commandWord}, &command, &reason))
        << line << ": " << reason;
    return command;
}

std::string refusal(const std::string &line)
{
    ParsedCommand command;
    std::string reason;
    EXPECT_FALSE(parseCommandLine(line, CommandSyntax{false}, &command, &reason)) << line;
    return reason;
}

TEST(CommandLine, ZipLinesWithAndWithoutBaseFolder)
{
    const ParsedCommand withBase =
        parsed("-r -9 \"/tmp/x/krytmp.zip\" \"/base/\" @/tmp/x/krytmp.lst");
    EXPECT_EQ(withBase.switches, (std::vector<std::string>{"-r", "-9"}));
    EXPECT_EQ(withBase.archivePath, "/tmp/x/krytmp.zip");
    EXPECT_EQ(withBase.baseFolder, "/base/");
    EXPECT_EQ(withBase.listFile, "/tmp/x/krytmp.lst");

    const ParsedCommand noBase = parsed("-r -6 \"/tmp/x/krytmp.zip\"  @/tmp/x/krytmp.lst");
    EXPECT_EQ(noBase.archivePath, "/tmp/x/krytmp.zip");
    EXPECT_EQ(noBase.baseFolder, "");
    EXPECT_EQ(noBase.listFile, "/tmp/x/krytmp.lst");
}

TEST(CommandLine, CommandWordAndValuedSwitchesOfTheOtherLibraries)
{
    const ParsedCommand bga =
        parsed("a -r -l9 \"/t/krytmp.bza\" \"/home/u/\" @/t/krytmp.lst", true);
    EXPECT_EQ(bga.command, "a");
    EXPECT_EQ(bga.switchValue("-l"), "9");
    EXPECT_TRUE(bga.hasSwitch("-R")) << "switches ignore letter case";

    const ParsedCommand lha =
        parsed("a -x1 -r2 -y1 -gm -jm2 \"/t/krytmp.lzh\" \"/h/\" @/t/krytmp.lst", true);
    EXPECT_EQ(lha.command, "a");
    EXPECT_EQ(lha.switchValue("-jm"), "2");
    EXPECT_FALSE(lha.hasSwitch("-n"));

    const ParsedCommand cab = parsed("-a -r -ml:21 \"/t/krytmp.cab\" \"/h/\" @/t/krytmp.lst");
    EXPECT_TRUE(cab.command.empty());
    EXPECT_EQ(cab.switchValue("-ml:"), "21");
    EXPECT_FALSE(cab.switchValue("-mz").has_value());
}

TEST(CommandLine, PathsWithBlanksQuotesAndMissingSlash)
{
    const ParsedCommand c =
        parsed("-r -9 \"/tmp/my run/krytmp.zip\" \"/home/u/My Files\" @/tmp/my run/krytmp.lst");
    EXPECT_EQ(c.archivePath, "/tmp/my run/krytmp.zip");
    EXPECT_EQ(c.baseFolder, "/home/u/My Files/");
    EXPECT_EQ(c.listFile, "/tmp/my run/krytmp.lst")
        << "an unquoted list path runs to the end of the line";
    EXPECT_EQ(parsed("-r \"/a.zip\" \"\" @\"/l l.lst\"  ").listFile, "/l l.lst");
    EXPECT_EQ(parsed("-r \"/a.zip\" \"\" @/l.lst").baseFolder, "");
    // Paths are quoted without escaping: a quote inside a word does not end it.
    const ParsedCommand q = parsed("-r \"/t/say \"hi\".zip\" \"/h/\"q\"/\" @/t/krytmp.lst");
    EXPECT_EQ(q.archivePath, "/t/say \"hi\".zip");
    EXPECT_EQ(q.baseFolder, "/h/\"q\"/");
}

TEST(CommandLine, MalformedLinesAreRefusedWithAReason)
{
    EXPECT_NE(refusal("-r -9  @/t/krytmp.lst").find("archive"), std::string::npos);
    EXPECT_NE(refusal("").find("archive"), std::string::npos);
    EXPECT_NE(refusal("-r \"/t/krytmp.zip @/t/l.lst").find("quote"), std::string::npos);
    EXPECT_NE(refusal("-r \"/a.zip\" \"/b/\" \"/c/\" @/l").find("/c/"), std::string::npos);
    EXPECT_NE(refusal("-r \"/a.zip\" @").find("list"), std::string::npos);
}

} // namespace
