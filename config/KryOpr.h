// KryOpr: what the program finds out and keeps about its set-up: the archiver
// discovery (below), the settings store (SettingsStore.h), its keys with LoadSettings'
// reading and SaveSettings (StoredSettings.h) and the archive kind's format list
// (ArchiveKind.h). Including this header gives all of them.
#pragma once

#include "config/ArchiveKind.h"
#include "config/SettingsStore.h"
#include "config/StoredSettings.h"
#include "platform/SearchPath.h"
#include "run/FormatTable.h"

#include <functional>
#include <string>

namespace vexel {

// Answers whether one archiver file (a design name such as "ZIP32.DLL") is present.
using ArchiverPresence = std::function<bool(const std::string &name)>;

// Looks every archiver up once and returns the thirteen availability flags. The
// lookups run in a fixed order (unlha32, ZIP32 + ZIP32J, cab32, bga32, rar, gcac,
// ace32, then ZIP32, IZIP32J, sfx32gui.dat, ZIP32J for the self-extracting ZIP).
// Presence is all that counts: nothing is loaded.
ArchiverAvailability DiscoverArchivers(const ArchiverPresence &isPresent);

// The same with the program's archiver lookup, FindArchiver.
ArchiverAvailability DiscoverArchivers();
// The same with FindArchiver from the program folder `searchPath` was made with.
ArchiverAvailability DiscoverArchivers(const platform::SearchPath &searchPath);

} // namespace vexel
