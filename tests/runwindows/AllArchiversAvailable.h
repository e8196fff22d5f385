// Availability as if every archiver had been found.
#pragma once

#include "run/FormatTable.h"

namespace vexel::test {

inline ArchiverAvailability allArchiversAvailable()
{
    ArchiverAvailability a;
    for (const FormatInfo &f : formatTable())
        a.*f.available = true;
    return a;
}

} // namespace vexel::test
