// The installation report of the settings window: which archivers were found at start-up
// and, for the four libraries, the version each reports when the window opens.
#pragma once

#include "run/ArchiverLibraries.h"
#include "run/FormatTable.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vexel {

// Asks one archiver library for its version through its ...GetVersion entry.
// `archiverFile` is the format table's name ("unlha32.dll"), `entryPrefix` the stem of
// its entry points ("Unlha"). Returns the version times 100, or nothing with *error set
// to the reason when the library cannot be loaded.
using LibraryVersionQuery = std::function<std::optional<std::uint16_t>(
    const std::string &archiverFile, const std::string &entryPrefix, std::string *error)>;

// The program's query: the library found by the archiver lookup, loaded into `libraries`
// (the main window passes its runs' own, so a library is loaded once for both). The
// query keeps a reference: `libraries` must outlive it.
LibraryVersionQuery loadedLibraryVersion(ArchiverLibraries &libraries);

// A library version as shown: the whole part, ".", the hundredths as two digits
// (139 -> "1.39", 105 -> "1.05", 3 -> "0.03").
std::string libraryVersionText(std::uint16_t version);

// The seven lines for UNLHA32.DLL, ZIP32J.DLL, CAB32.DLL, BGA32.DLL, ACE32.EXE, RAR.EXE
// and GCAC.EXE, in this order, each ending in "\n". A library line names its version,
// asked from `versionOf`, which is called once for each library whose flag is set and
// never for one whose flag is clear. A flagged library that cannot be loaded says so
// with the reason instead of a version.
std::string installationReport(const ArchiverAvailability &availability,
                               const LibraryVersionQuery &versionOf);

} // namespace vexel
