// Every archiver found, for both kinds: what tests of the format lists and the main
// window start from.
#pragma once

#include "run/FormatTable.h"

namespace vexel::test {

// RAR and GCA are never self-extracting: discovery keeps their flags false.
inline ArchiverAvailability everyArchiver()
{
    ArchiverAvailability a;
    for (const FormatInfo &f : formatTable()) {
        a.*f.available = true;
        if (f.exeAvailable != nullptr)
            a.*f.exeAvailable = true;
    }
    a.RARExeAvailable = a.GCAExeAvailable = false;
    return a;
}

} // namespace vexel::test
