#include "config/SettingValues.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace vexel {

std::optional<double> leadingNumber(std::string_view text)
{
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string_view::npos)
        return std::nullopt;
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') {
        negative = text[at] == '-';
        ++at;
    }
    // Only digits and one point are handed on: from_chars alone would also take
    // "inf", "nan" and exponents, which no stored level is meant to hold.
    std::size_t end = at;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
        ++end;
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
            ++end;
    }
    const std::string_view digits = text.substr(at, end - at);
    if (digits.find_first_of("0123456789") == std::string_view::npos)
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::invalid_argument)
        return std::nullopt;
    // A number too large for a double (result_out_of_range) still lies beyond every
    // range end; it is clamped like any other out-of-range value.
    if (result.ec == std::errc::result_out_of_range)
        value = 1e300;
    return negative ? -value : value;
}

namespace {

// Clamping happens on the double, before any conversion to int can overflow.
int nearestPosition(double number, int offset, PositionRange range)
{
    const double position = std::round(number) - offset;
    return static_cast<int>(std::clamp(position, double(range.minimum), double(range.maximum)));
}

int positionOf(const std::string &value, const std::string &firstStartValue, int offset,
               PositionRange range)
{
    const std::optional<double> number = leadingNumber(value);
    return nearestPosition(number ? *number : *leadingNumber(firstStartValue), offset, range);
}

std::string level(int position) { return ' ' + std::to_string(position); }

} // namespace

SettingPositions positionsFromSettings(const RunSettings &settings)
{
    const RunSettings firstStart;
    SettingPositions p;
    p.lhaMethod = positionOf(settings.LHAFreezeType, firstStart.LHAFreezeType, kLhaMethodOffset,
                             kLhaMethodElements);
    p.cabMethod =
        positionOf(settings.CABFreezeType, firstStart.CABFreezeType, 0, kCabMethodElements);
    p.cabLevel = positionOf(settings.CABFreezeLevel, firstStart.CABFreezeLevel, 0, kCabLevelRange);
    p.zipLevel = positionOf(settings.ZIPFreezeLevel, firstStart.ZIPFreezeLevel, 0, kZipLevelRange);
    p.bgaLevel = positionOf(settings.BGAFreezeLevel, firstStart.BGAFreezeLevel, 0, kBgaLevelRange);
    p.jobs = std::clamp(settings.Jobs, kJobsRange.minimum, kJobsRange.maximum);
    return p;
}

void applyPositions(const SettingPositions &positions, RunSettings &settings)
{
    settings.LHAFreezeType = std::to_string(positions.lhaMethod + kLhaMethodOffset);
    settings.CABFreezeType = std::to_string(positions.cabMethod);
    settings.CABFreezeLevel = level(positions.cabLevel);
    settings.ZIPFreezeLevel = level(positions.zipLevel);
    settings.BGAFreezeLevel = level(positions.bgaLevel);
    settings.Jobs = positions.jobs;
}

} // namespace vexel
