// The archiver libraries, found with FindArchiver and loaded once for the program's
// life: a library may still have a worker thread winding down after its entry returns,
// and its owner registration is never undone, so it is never unloaded under it.
#pragma once

#include "archivers/ArchiverLibrary.h"

#include <string>

namespace vexel {

// The library of `archiverFile` (the format table's name, e.g. "unlha32.dll") with its
// entry points `entryPrefix` ("Unlha"), loaded on first use from where the lookup finds
// it now. Null with *error set when it is not found or cannot be loaded; a failed load
// is not remembered, so an archiver installed later is found by the next run.
const ArchiverLibrary *archiverLibrary(const std::string &archiverFile,
                                       const std::string &entryPrefix, std::string *error);

} // namespace vexel
