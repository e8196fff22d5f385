// MS-DOS date and time, as the ZIP, CAB and GZA headers store them: local time,
// two-second resolution, years 1980 to 2107 (earlier or later times are clamped).
#pragma once

#include <cstdint>

namespace vexel::kit {

struct DosDateTime {
    std::uint16_t date = 0; // bits 15-9 year-1980, 8-5 month, 4-0 day
    std::uint16_t time = 0; // bits 15-11 hours, 10-5 minutes, 4-0 seconds/2
};

DosDateTime toDosDateTime(std::int64_t unixSeconds);
// The inverse, for readers and tests; -1 for an invalid date.
std::int64_t fromDosDateTime(DosDateTime dos);

} // namespace vexel::kit
