// The command line of Vexel, read without any window:
//   vexel [FILE|FOLDER]...                                  the window
//   vexel --batch -o NAME [options] [--] FILE|FOLDER...     the batch mode
//   vexel --help | --version                                in either mode
// Every argument is carried as the bytes it was given: names need not be UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vexel {

enum class CommandMode { Window, Batch, Help, Version };

struct BatchOptions {
    CommandMode mode = CommandMode::Window;
    std::string output;  // -o: the output name, exactly as typed
    std::string saveDir; // -d: the save folder as given; empty for the current directory
    // -f: entry texts of the format table in its spelling ("BZIP2"), in the order given.
    std::optional<std::vector<std::string>> formats;
    // Method and level overrides, as the settings store holds them.
    std::optional<std::string> LHAFreezeType;  // "2" lh5, "3" lh6, "4" lh7
    std::optional<std::string> CABFreezeType;  // "0" MSZIP, "1" LZX
    std::optional<std::string> CABFreezeLevel; // "15".."21", with LZX only
    std::optional<std::string> ZIPFreezeLevel; // "1".."9"
    std::optional<std::string> BGAFreezeLevel; // "1".."9"
    // -j: formats made at once, 0 (one per core) to 8; the stored "Jobs" when not given.
    std::optional<int> jobs;
    bool quiet = false;
    bool json = false;
    std::vector<std::string> names; // the files and folders, as given
};

struct ParsedCommandLine {
    BatchOptions options;
    std::string error; // a usage error (the program then exits with 2); empty when none
};

// True when the arguments (without the program name) ask for more than the window: one
// of Vexel's own options before "--" (--batch, --help, --version, or a batch option,
// which without --batch is a usage error). Names, everything after "--", and the
// options of Qt itself (-style, -platform ...) leave the window in charge.
bool wantsCommandLineMode(const std::vector<std::string> &arguments);

// Reads the arguments (without the program name). Batch options need --batch; the batch
// mode needs -o and at least one name. Values are checked here: formats against the
// format table (letter case ignored), methods and levels against their ranges.
ParsedCommandLine parseCommandLine(const std::vector<std::string> &arguments);

// The text of --help.
std::string usageText();

} // namespace vexel
