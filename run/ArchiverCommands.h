// What each archiver is handed: the library formats' command lines and owner rules,
// and the command-line archivers' script line. The only place that tells the formats
// apart by name.
#pragma once

#include "run/RunState.h"

#include <string>

namespace vexel {

// Whose window a library is given as owner before its main entry is called.
enum class OwnerWindow { None, ProgressWindow, MainWindow };

struct LibraryRecipe {
    const char *entryPrefix;     // "Unlha", "Zip", "Cab", "Bga"
    OwnerWindow owner;
    bool timerWhenDisplayOff;    // WndChkTimer runs even with the display switch off
};

// The recipe of a library format, or null for a command-line format.
const LibraryRecipe *libraryRecipe(const std::string &formatName);

// The full command line of a library format: its switches, "archivePath", the quoted
// base folder (nothing when empty), " @" and the list path. Settings are trimmed.
std::string libraryCommandLine(const std::string &formatName, const RunSettings &settings,
                               bool displayOn, const std::string &baseFolder,
                               const std::string &archivePath, const std::string &listPath);

// The script line that runs a command-line archiver (rar, gcac, ace32) found in
// `archiverFolder` (ending in "/", or empty to leave it to PATH) on tempBase's .kst
// list, writing tempBase + its temporary extension. Every path is shell-quoted.
std::string archiverScriptLine(const std::string &formatName, const std::string &archiverFolder,
                               const std::string &tempBase);

} // namespace vexel
