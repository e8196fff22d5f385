// The batch run's live bar on a terminal: one line, redrawn in place, from the same
// progress record the progress window shows.
#pragma once

#include "run/RunProgress.h"

#include <string>

namespace vexel {

// "[#####.....]  48%  3/5 CAB  12.4/25.8 MiB  残り 約0:42  sub/notes.txt", cut to
// `width` columns (bytes of the member name are not split inside a UTF-8 sequence).
// The bar is the whole run's share; the bytes are the current format's input.
std::string terminalProgressLine(const RunProgress &progress, int width);

} // namespace vexel
