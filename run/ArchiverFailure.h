// How a format's failure is worded, the same whether its archiver ran alone or beside
// others.
#pragma once

#include "archivers/ArchiverLibrary.h"
#include "run/FormatTable.h"

#include <string>

namespace vexel {

inline constexpr const char *kStoppedByUser = "stopped by the user";

// A library's nonzero answer: its own output line, else its code.
std::string libraryFailure(const ArchiverLibrary &library, int code, const std::string &output);

// Why a script made no archive: its exit status (negative: lost) and the end of its
// error output.
std::string scriptFailure(const FormatInfo &format, int exitCode, const std::string &errorLog);

} // namespace vexel
