// What unlha32 makes of its command line:
//   a -x1 -r2 -y1 -gm [-n] -jmN "archive" "base folder" @list
// "a" (the only command) creates the archive; -jm2/-jm3/-jm4 choose -lh5-/-lh6-/-lh7-
// (-lh5- without -jm); -n hides the status window; -r1 or -r2 recurse into folders;
// other switches are accepted and ignored.
#pragma once

#include "LibraryRun.h"

namespace vexel::lha {

extern const char *const kStatusTitle; // KRY_STATUS_TITLE_UNLHA

bool planUnlha(const kit::ParsedCommand &command, kit::JobPlan *plan, std::string *reason);

} // namespace vexel::lha
