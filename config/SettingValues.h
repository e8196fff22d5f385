// What the settings window's controls show for the shared compression values, and the
// values they give back. Plain C++ so that the mapping can be tested without a window.
#pragma once

#include "run/RunState.h"

#include <optional>
#include <string_view>

namespace vexel {

// The positions a control can take, both ends included.
struct PositionRange {
    int minimum;
    int maximum;
};

// OptLHA elements 0..2 stand for methods "2".."4"; OptCAB elements 0..1 for "0".."1".
inline constexpr PositionRange kLhaMethodElements{0, 2};
inline constexpr int kLhaMethodOffset = 2;
inline constexpr PositionRange kCabMethodElements{0, 1};
inline constexpr PositionRange kCabLevelRange{15, 21};
inline constexpr PositionRange kZipLevelRange{1, 9};
inline constexpr PositionRange kBgaLevelRange{1, 9};
// Formats made at once: 0 as many as the machine has cores, 1 one after another, at
// most one per format of the table.
inline constexpr PositionRange kJobsRange{0, 8};

// The selected option elements and slider positions of the window.
struct SettingPositions {
    int lhaMethod = 0; // OptLHA element
    int cabMethod = 0; // OptCAB element
    int cabLevel = 15; // CabLevel
    int zipLevel = 6;  // ZipLevel
    int bgaLevel = 9;  // BGALevel
    int jobs = 0;      // JobsSpin
};

// The numeric value at the start of `text`: leading blanks and tabs, an optional sign,
// digits with an optional fraction ("  15", "18.6", "3abc" -> 3). Empty when the text
// holds no number there.
std::optional<double> leadingNumber(std::string_view text);

// The positions that show `settings`: each value's number, rounded half away from zero,
// moved to the nearest position its control has. A value without a number shows the
// position of its first-start value (LH5, MSZIP, 15, 6, 9).
SettingPositions positionsFromSettings(const RunSettings &settings);

// Writes the five compression values and the formats made at once from `positions` ("2".."4", "0"/"1", and each level
// as one blank and its decimal number, " 18"); DefaultPath is left alone. Positions are
// taken as they are: the window's controls cannot hold any outside their ranges.
void applyPositions(const SettingPositions &positions, RunSettings &settings);

} // namespace vexel
