// The file list of a batch run, from names given on the command line (bytes).
#pragma once

#include <string>
#include <vector>

namespace vexel {

// The file-list entry of `name`: an absolute, tidy path (relative names taken against
// `currentDir`, which ends in "/"; "." and ".." resolved by their text, as the window
// does), with "/*.*" appended for a folder ("*.*" after the root "/"). Empty when
// nothing exists at that name. The bytes of the name are kept as they are.
std::string batchFileListEntry(const std::string &name, const std::string &currentDir);

// The save folder for -d (empty: the current directory), absolute and ending in "/";
// empty when it is no existing folder.
std::string batchSaveFolder(const std::string &saveDir, const std::string &currentDir);

} // namespace vexel
