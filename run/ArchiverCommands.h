// What each archiver is handed: a library format's command line and a command-line
// archiver's script line, both made from the format table's templates.
#pragma once

#include "run/FormatTable.h"
#include "run/RunState.h"

#include <string>

namespace vexel {

// The full command line of a library format: its switches, "archivePath", the quoted
// base folder (nothing when empty), " @" and the list path. Settings are trimmed.
// Empty for a name that is no library format.
std::string libraryCommandLine(const std::string &formatName, const RunSettings &settings,
                               bool displayOn, const std::string &baseFolder,
                               const std::string &archivePath, const std::string &listPath);

// The script line that runs a command-line archiver (rar, gcac, ace32) found in
// `archiverFolder` (ending in "/", or empty to leave it to PATH) on tempBase's .kst
// list, writing tempBase + its temporary extension. Every path is shell-quoted.
// Empty for a name that is no command-line format.
std::string archiverScriptLine(const std::string &formatName, const std::string &archiverFolder,
                               const std::string &tempBase);

} // namespace vexel
