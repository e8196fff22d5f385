// The archive kind's format list, without a window: which entries SetArchiveKind puts
// in FileType for a kind, and which of them are checked. Ordinary kind: every format
// whose archiver was found; self-extracting kind: the formats with a self-extracting
// flag that is set (never ACE, RAR or GCA). The marks come from the store's
// "FT_Chk_NA_"/"FT_Chk_EA_" keys; an absent key is checked. Nothing is written.
#pragma once

#include "config/StoredSettings.h"
#include "run/FormatTable.h"

#include <string>
#include <vector>

namespace vexel {

struct FormatListEntry {
    std::string text; // the format table's entry text, e.g. LHA
    bool checked = true;
};

// The entries in the format table's order. Empty when no format qualifies, and for a
// kind other than 0 or 1.
std::vector<FormatListEntry> archiveKindEntries(int kind, const ArchiverAvailability &availability,
                                                const SettingsStore &store);

} // namespace vexel
