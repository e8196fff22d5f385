// File operations of the run. Paths are UTF-8; folders end in "/".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexel::platform {

// True when something other than a folder is at `path` (links are followed).
bool fileExists(const std::string &path);

// Size in bytes, or -1 when there is no such file.
std::int64_t fileSize(const std::string &path);

// Deletes every file of one folder whose name matches the last component of
// `pattern` (shell wildcards, e.g. "/tmp/vexel-Ab12/krytmp.*"). Returns how many.
int deleteMatching(const std::string &pattern);

// True when any file matches `pattern` (same rules as deleteMatching).
bool anyMatching(const std::string &pattern);

// Writes `lines`, each ended by "\n", replacing the file. On failure returns false
// and puts the path and the system's reason in *error.
bool writeTextLines(const std::string &path, const std::vector<std::string> &lines,
                    std::string *error);

// Copies `from` to a temporary name beside `to`, then renames it over `to`, so that a
// failed copy never leaves a truncated file nor destroys what was at `to`. On failure
// the temporary copy is removed and *error names the path and the system's reason.
bool copyReplacing(const std::string &from, const std::string &to, std::string *error);

bool setCurrentDirectory(const std::string &folder);
std::string currentDirectory(); // ends in "/"

} // namespace vexel::platform
