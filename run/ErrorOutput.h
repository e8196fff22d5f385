// The last lines a command-line archiver wrote to its standard error: what a failure
// shows the user as its reason.
#pragma once

#include <string>

namespace vexel {

// The last `maxLines` non-empty lines of the text file at `path` (at most its last
// 4 KiB are read), joined by "\n"; empty when the file is missing or empty.
std::string lastLinesOf(const std::string &path, int maxLines);

} // namespace vexel

namespace vexel {

// Writes a failure and its reason to standard error, one "vexel: " line each, so that
// it is kept somewhere after the message box is gone. Every RunHost calls it.
void writeFailure(const std::string &text, const std::string &details);

} // namespace vexel
