// The archiver lookup. Names are mapped first (".dll" -> ".so", ".exe" removed), then
// searched, ignoring letter case, in: the program's folder, <program folder>/../lib/vexel/,
// the current directory, every folder of PATH. The first match wins.
#pragma once

#include <string>

namespace vexel::platform {

// The folder of the running program, ending in "/".
std::string programFolder();

// Maps a name of the design ("unlha32.dll", "rar.exe") to its Linux file name.
std::string mapArchiverName(const std::string &name);

// The name of the regular file in `folder` that equals `name` when letter case is
// ignored ("ZIP32J.so" finds zip32j.so), the exact spelling first; "" when none.
std::string findEntryIgnoringCase(const std::string &folder, const std::string &name);

// True when found; *folder gets the folder holding it, ending in "/" (else empty).
bool findOnSearchPath(const std::string &name, std::string *folder);

// For tests: search this folder in place of the program's own folder ("" restores).
void setProgramFolderForTesting(const std::string &folder);

} // namespace vexel::platform
