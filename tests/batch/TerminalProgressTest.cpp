// The batch run's terminal bar: what it says at the stages of a run, and that it never
// outgrows its width or splits a character of a member's name.
#include "app/TerminalProgress.h"

#include <gtest/gtest.h>

using namespace vexel;

namespace {

RunProgress midway()
{
    RunProgress p;
    p.formatCount = 5;
    p.formatsFinished = 2;
    p.format = "CAB";
    p.formatKnown = true;
    p.formatFraction = 0.5;
    p.overallFraction = 0.5;
    p.inputSize = 20 * 1024 * 1024;
    p.remainingSeconds = 42;
    p.member = "sub/notes.txt";
    return p;
}

bool validUtf8Prefix(const std::string &s)
{
    // The last character must be complete: count the continuation bytes it expects.
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = s[i];
        const std::size_t len = c < 0x80 ? 1 : c >> 5 == 6 ? 2 : c >> 4 == 14 ? 3 : 4;
        if (i + len > s.size())
            return false;
        i += len;
    }
    return true;
}

} // namespace

TEST(TerminalProgress, SaysTheRunsShareTheFormatItsBytesAndTheTimeLeft)
{
    EXPECT_EQ(terminalProgressLine(midway(), 200),
              "[##########..........]  50%  3/5 CAB  10.0/20.0 MiB  残り 約0:42  sub/notes.txt");

    RunProgress start; // before the first format: only the empty bar
    EXPECT_EQ(terminalProgressLine(start, 200), "[....................]   0%");

    RunProgress rar = midway(); // a command-line archiver reports no bytes
    rar.format = "RAR";
    rar.formatKnown = false;
    rar.remainingSeconds = -1;
    rar.member.clear();
    EXPECT_EQ(terminalProgressLine(rar, 200), "[##########..........]  50%  3/5 RAR");
}

TEST(TerminalProgress, StaysWithinItsWidthWithoutSplittingACharacter)
{
    RunProgress p = midway();
    p.member = "フォルダ/とても長い名前のファイル.txt";
    for (int width = 1; width < 120; ++width) {
        const std::string line = terminalProgressLine(p, width);
        EXPECT_LE(line.size(), static_cast<std::size_t>(width));
        EXPECT_TRUE(validUtf8Prefix(line)) << width;
    }
}
