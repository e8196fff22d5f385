#include "DosTime.h"

#include <ctime>

namespace vexel::kit {

DosDateTime toDosDateTime(std::int64_t unixSeconds)
{
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return {0x21, 0}; // 1980-01-01 00:00
    int year = local.tm_year + 1900;
    if (year < 1980)
        return {0x21, 0};
    if (year > 2107)
        return {static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31),
                static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29)};
    DosDateTime dos;
    dos.date = static_cast<std::uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5)
                                          | local.tm_mday);
    dos.time = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5)
                                          | (local.tm_sec / 2));
    return dos;
}

std::int64_t fromDosDateTime(DosDateTime dos)
{
    std::tm local{};
    local.tm_year = (dos.date >> 9) + 80;
    local.tm_mon = ((dos.date >> 5) & 15) - 1;
    local.tm_mday = dos.date & 31;
    local.tm_hour = dos.time >> 11;
    local.tm_min = (dos.time >> 5) & 63;
    local.tm_sec = (dos.time & 31) * 2;
    local.tm_isdst = -1;
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday == 0)
        return -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

} // namespace vexel::kit
