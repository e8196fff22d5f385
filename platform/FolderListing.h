// Reading folders for the folder tree. Paths are UTF-8 and may or may not end in "/".
// A subfolder is a directory or a symbolic link to one; hidden folders (names starting
// with ".") are subfolders like any other, "." and ".." never are.
#pragma once

#include <string>
#include <vector>

namespace vexel::platform {

struct FolderList {
    std::vector<std::string> names; // in the order the system returns them
    int error = 0;                  // errno when the folder could not be read, else 0
};

// Every subfolder name of `folder`.
FolderList listSubfolders(const std::string &folder);

// True as soon as one subfolder is found: reading stops at the first one. A folder that
// cannot be read has none.
bool hasSubfolder(const std::string &folder);

// Opens `folder` for listing and reads its first entry: 0 when that works, else errno.
int probeFolder(const std::string &folder);

// True when `path` names a folder (a link to a folder counts).
bool isFolder(const std::string &path);

// The system's description of an errno value (strerror).
std::string errorDescription(int code);

} // namespace vexel::platform
