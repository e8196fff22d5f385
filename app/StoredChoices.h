// What a batch run takes from the window's stored settings: the compression methods and
// levels, and the ordinary kind's format list with its check marks. Read only: the
// batch mode never writes the settings file, nor sets a broken one aside.
#pragma once

#include "config/ArchiveKind.h"
#include "run/FormatTable.h"
#include "run/RunState.h"

#include <string>
#include <vector>

namespace vexel {

struct StoredChoices {
    RunSettings settings;                 // methods and levels, checked, or their defaults
    std::vector<FormatListEntry> formats; // available formats, stored check marks
};

// Reads the current user's settings file. A file the store cannot read line by line is
// not used (defaults apply) and one line on standard error says so.
StoredChoices readStoredChoices(const ArchiverAvailability &availability,
                                const std::string &currentDirectory);

} // namespace vexel
