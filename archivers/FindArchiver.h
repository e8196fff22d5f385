// FindArchiver: the one lookup of an archiver by its design name ("unlha32.dll",
// "rar.exe"). True when found; `folder` gets the folder holding it, ending in "/",
// or the empty string when it is not found.
#pragma once

#include "platform/SearchPath.h"

#include <string>

namespace vexel {

// From the running program's folder.
bool FindArchiver(const std::string &name, std::string &folder);
// From the program folder that `searchPath` was made with.
bool FindArchiver(const std::string &name, std::string &folder,
                  const platform::SearchPath &searchPath);

} // namespace vexel
