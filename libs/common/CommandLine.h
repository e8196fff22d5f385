// Parsing of an archiver library's command line:
//   [command] switches... "archive path" ["base folder"] @list file
// e.g.  -r -9 "/tmp/r/krytmp.zip" "/home/u/" @/tmp/r/krytmp.lst
//       a -r -l9 "/tmp/r/krytmp.gza"  @/tmp/r/krytmp.lst      (empty base folder)
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexel::kit {

struct ParsedCommand {
    std::string command;               // leading command word such as "a"; empty if none
    std::vector<std::string> switches; // as written, e.g. "-r", "-9", "-ml:21"
    std::string archivePath;           // never empty after a successful parse
    std::string baseFolder;            // ends in "/" when not empty
    std::string listFile;              // the response file after "@"; empty if none

    // Switches compare without regard to ASCII letter case, as archivers have always done.
    bool hasSwitch(std::string_view name) const;
    // The rest of the last switch that starts with `prefix` ("-l" on "-l9" gives "9").
    std::optional<std::string> switchValue(std::string_view prefix) const;
};

struct CommandSyntax {
    // True for libraries whose lines start with a command word ("a" for bga32, unlha32).
    bool takesCommandWord = false;
};

// Tokens are separated by blanks or tabs; a token in double quotes may hold blanks and
// may be empty (""). The first bare word is the command when the syntax takes one;
// words starting with "-" are switches; "@" starts the list file, which is either quoted
// or the rest of the line (so a temporary folder with blanks in its name still works).
// The remaining words are, in order, the archive path and the base folder.
// Returns false with a one-line reason when the archive path is missing, a quote is not
// closed, or there are more paths than the two.
bool parseCommandLine(std::string_view line, const CommandSyntax &syntax, ParsedCommand *out,
                      std::string *reason);

} // namespace vexel::kit
