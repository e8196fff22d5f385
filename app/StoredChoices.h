// What a batch run takes from the window's stored settings: the compression methods and
// levels, and the check marks of the ordinary format list. Read only: the batch mode
// never writes the settings file.
#pragma once

#include "run/RunState.h"

#include <map>
#include <string>

namespace vexel {

struct StoredChoices {
    RunSettings settings;                 // methods and levels as stored (or their defaults)
    std::map<std::string, bool> checked;  // entry text -> stored check mark (ordinary kind)

    // The stored check mark of a format; a format without one is checked.
    bool isChecked(const std::string &entryText) const;
};

// Reads the choices from the settings file of the current user, or their defaults.
StoredChoices readStoredChoices();

} // namespace vexel
