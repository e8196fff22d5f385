// The one quoting helper for the run's shell scripts.
#pragma once

#include <string>

namespace vexel {

// `text` as one single-quoted POSIX shell word: inside single quotes the shell expands
// nothing, so blanks, `"`, `$` and backquotes in a path can neither split the word nor
// run a command. A single quote itself is written as '\'' (close, escaped quote, reopen).
std::string shellQuote(const std::string &text);

} // namespace vexel
