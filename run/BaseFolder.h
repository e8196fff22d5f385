// BaseFolder: the folder that archive member names are relative to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vexel {

// The deepest folder (ending in "/") that holds every entry of the file list, or the
// empty string when there is none. A folder entry "X/*.*" counts as the folder X, so
// its base is X's parent: "/a/f.txt" and "/a/b/*.*" both give "/a/"; the whole root
// "/*.*" gives the empty string, and member names then stay full paths.
//
// For the usual list, whose entries all lie below the first entry's folder, this is
// exactly that folder. Entries from several folders (a command line may name them)
// get their common folder instead, down to "/" itself, so that cutting the base off
// every entry never mangles a name.
std::string BaseFolder(const std::vector<std::string> &fileList);

// The archive member name of `entry`: the entry without its leading `baseFolder`
// (the whole entry when baseFolder is empty). A view into `entry`.
std::string_view relativeName(const std::string &entry, const std::string &baseFolder);

} // namespace vexel
