// StartRun: what the start command does once the save folder is set. It decides which
// formats the run makes, refuses a request that cannot be served, and opens the
// progress window, whose timer then runs the formats.
#pragma once

#include "run/FormatTable.h"
#include "run/RunHost.h"
#include "run/RunState.h"

#include <string>

namespace vexel {

// The format a typed output name selects by its last four characters (".lzh",
// ".ZIP" ...; letter case ignored), or null when it ends in no format's extension.
const FormatInfo *formatOfTypedName(const std::string &outputName);

// Sets request.SingleFormat and request.FormatCount, then runs the progress window
// modally. Returns true when it refused the request: the output name is no file name
// (it holds "/" or is "." or ".."), the typed extension names a format whose archiver
// is missing, or no format is checked (a message box says which).
bool StartRun(RunHost &host, const ArchiverAvailability &availability, RunRequest &request,
              RunControl &control);

} // namespace vexel
