// Vexel without a window: the batch mode, --help and --version. Runs before any
// QApplication exists, so none of it needs a display.
#pragma once

namespace vexel {

// True when the command line is for this side rather than the window (see
// wantsCommandLineMode in BatchOptions.h).
bool isCommandLineMode(int argc, char **argv);

// Carries out the command line and returns the exit status: 0 saved (or help/version
// shown), 1 the run failed or was refused, 2 a usage error, 130 interrupted.
int runCommandLineMode(int argc, char **argv);

} // namespace vexel
