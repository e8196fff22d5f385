// FindArchiver: the one lookup of an archiver by its design name ("unlha32.dll",
// "rar.exe"). True when found; `folder` gets the folder holding it, ending in "/",
// or the empty string when it is not found.
#pragma once

#include <string>

namespace vexel {

bool FindArchiver(const std::string &name, std::string &folder);

} // namespace vexel
