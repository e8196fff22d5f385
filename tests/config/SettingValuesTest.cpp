// The settings window's mapping between the shared values and its controls.
#include "config/SettingValues.h"

#include <gtest/gtest.h>

using namespace vexel;

namespace {

RunSettings settingsWith(std::string lha, std::string cab, std::string cabLevel,
                         std::string zipLevel, std::string bgaLevel)
{
    RunSettings s;
    s.LHAFreezeType = std::move(lha);
    s.CABFreezeType = std::move(cab);
    s.CABFreezeLevel = std::move(cabLevel);
    s.ZIPFreezeLevel = std::move(zipLevel);
    s.BGAFreezeLevel = std::move(bgaLevel);
    return s;
}

void expectPositions(const SettingPositions &p, int lha, int cab, int cabLevel, int zipLevel,
                     int bgaLevel)
{
    EXPECT_EQ(p.lhaMethod, lha);
    EXPECT_EQ(p.cabMethod, cab);
    EXPECT_EQ(p.cabLevel, cabLevel);
    EXPECT_EQ(p.zipLevel, zipLevel);
    EXPECT_EQ(p.bgaLevel, bgaLevel);
}

} // namespace

TEST(SettingValues, FirstStartShowsLh5MszipAndTheDefaultLevels)
{
    expectPositions(positionsFromSettings(RunSettings{}), 0, 0, 15, 6, 9);
}

TEST(SettingValues, EveryElementAndSliderEndMapsBothWays)
{
    const std::pair<int, const char *> lha[] = {{0, "2"}, {1, "3"}, {2, "4"}};
    const std::pair<int, const char *> cab[] = {{0, "0"}, {1, "1"}};
    for (auto [element, text] : lha) {
        RunSettings s;
        SettingPositions p;
        p.lhaMethod = element;
        applyPositions(p, s);
        EXPECT_EQ(s.LHAFreezeType, text);
        EXPECT_EQ(positionsFromSettings(s).lhaMethod, element) << text;
    }
    for (auto [element, text] : cab) {
        RunSettings s;
        SettingPositions p;
        p.cabMethod = element;
        applyPositions(p, s);
        EXPECT_EQ(s.CABFreezeType, text);
        EXPECT_EQ(positionsFromSettings(s).cabMethod, element) << text;
    }
    for (bool low : {true, false}) {
        SettingPositions p;
        p.cabLevel = low ? kCabLevelRange.minimum : kCabLevelRange.maximum;
        p.zipLevel = low ? kZipLevelRange.minimum : kZipLevelRange.maximum;
        p.bgaLevel = low ? kBgaLevelRange.minimum : kBgaLevelRange.maximum;
        RunSettings s;
        applyPositions(p, s);
        EXPECT_EQ(s.CABFreezeLevel, low ? " 15" : " 21");
        EXPECT_EQ(s.ZIPFreezeLevel, low ? " 1" : " 9");
        EXPECT_EQ(s.BGAFreezeLevel, low ? " 1" : " 9");
        expectPositions(positionsFromSettings(s), 0, 0, p.cabLevel, p.zipLevel, p.bgaLevel);
    }
    EXPECT_EQ(kCabLevelRange.minimum, 15);
    EXPECT_EQ(kCabLevelRange.maximum, 21);
    EXPECT_EQ(kZipLevelRange.maximum, 9);
}

TEST(SettingValues, ApplyWritesTheCompressionValuesAndLeavesTheSaveFolder)
{
    RunSettings s;
    s.DefaultPath = "/home/user/\xff\xfe/";
    applyPositions(SettingPositions{2, 1, 18, 3, 7}, s);
    EXPECT_EQ(s.DefaultPath, "/home/user/\xff\xfe/");
    EXPECT_EQ(s.LHAFreezeType, "4");
    EXPECT_EQ(s.CABFreezeType, "1");
    EXPECT_EQ(s.CABFreezeLevel, " 18");
    EXPECT_EQ(s.ZIPFreezeLevel, " 3");
    EXPECT_EQ(s.BGAFreezeLevel, " 7");
}

TEST(SettingValues, JobsRoundTripsAndOutOfRangeCountsShowTheNearestEnd)
{
    RunSettings s;
    for (int jobs : {0, 1, 5, 8}) {
        s.Jobs = jobs;
        SettingPositions p = positionsFromSettings(s);
        EXPECT_EQ(p.jobs, jobs);
        s.Jobs = -7;
        applyPositions(p, s);
        EXPECT_EQ(s.Jobs, jobs);
    }
    s.Jobs = 99;
    EXPECT_EQ(positionsFromSettings(s).jobs, 8);
    s.Jobs = -1;
    EXPECT_EQ(positionsFromSettings(s).jobs, 0);
}

TEST(SettingValues, LeadingBlanksAndFractionsAreReadAsNumbersAndRounded)
{
    expectPositions(positionsFromSettings(settingsWith(" 3", "\t1", " 18", "  3", " 9")), 1, 1, 18,
                    3, 9);
    // Rounded half away from zero.
    expectPositions(positionsFromSettings(settingsWith("2.5", "0.4", "17.5", "4.49", "8.5")), 1, 0,
                    18, 4, 9);
    // The number at the start counts; what follows it does not.
    expectPositions(positionsFromSettings(settingsWith("3rd", "1 (LZX)", "16abc", "5 ", "2x")), 1,
                    1, 16, 5, 2);
}

TEST(SettingValues, ValuesOutsideTheControlsShowTheNearestPosition)
{
    expectPositions(positionsFromSettings(settingsWith("5", "7", "30", "12", "10")), 2, 1, 21, 9,
                    9);
    expectPositions(positionsFromSettings(settingsWith("1", "-1", "0", "0", "-4")), 0, 0, 15, 1, 1);
    // Far beyond an int: clamped, not overflowed.
    const std::string huge = "99999999999999999999999999";
    expectPositions(positionsFromSettings(settingsWith(huge, huge, huge, huge, "-" + huge)), 2, 1,
                    21, 9, 1);
    expectPositions(
        positionsFromSettings(settingsWith(huge + huge + huge + huge + huge + huge + huge + huge
                                               + huge + huge + huge + huge + huge,
                                           "0", "15", "6", "9")),
        2, 0, 15, 6, 9);
}

TEST(SettingValues, AValueWithoutANumberShowsItsFirstStartPosition)
{
    for (const char *text : {"", "   ", "abc", ".", "-", "+", "inf", "nan", "LH7"}) {
        expectPositions(positionsFromSettings(settingsWith(text, text, text, text, text)), 0, 0, 15,
                        6, 9);
    }
}

TEST(SettingValues, LeadingNumberReadsOnlyASignDigitsAndOnePoint)
{
    EXPECT_EQ(leadingNumber("  15"), 15.0);
    EXPECT_EQ(leadingNumber("-2"), -2.0);
    EXPECT_EQ(leadingNumber("+4"), 4.0);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("7."), 7.0);
    EXPECT_EQ(leadingNumber("1e5"), 1.0);
    EXPECT_EQ(leadingNumber("1.2.3"), 1.2);
    EXPECT_FALSE(leadingNumber("- 3"));
    EXPECT_FALSE(leadingNumber("x1"));
    EXPECT_FALSE(leadingNumber("infinity"));
}
