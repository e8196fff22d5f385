// The archiver lookup. Names are mapped first (".dll" -> ".so", ".exe" removed), then
// searched, ignoring letter case, in: the program's folder, <program folder>/../lib/vexel/,
// the current directory, every folder of PATH. The first match wins. The program folder
// is a SearchPath's own (given when it is made), never a process-wide setting.
#pragma once

#include <string>

namespace vexel::platform {

// The folder of the running program, ending in "/".
std::string programFolder();

// The archiver lookup over one program folder. The program searches from its own folder;
// a test hands in a folder of its own (the fakes' folder, an empty one) instead.
class SearchPath {
public:
    // Searches from the running program's folder.
    SearchPath();
    // Searches from `programFolder` in its place.
    explicit SearchPath(std::string programFolder);

    // The program folder searched first, ending in "/".
    const std::string &programFolder() const { return programFolder_; }
    // True when found; *folder gets the folder holding it, ending in "/" (else empty).
    bool find(const std::string &name, std::string *folder) const;

private:
    std::string programFolder_;
};

// Maps a name of the design ("unlha32.dll", "rar.exe") to its Linux file name.
std::string mapArchiverName(const std::string &name);

// The name of the regular file in `folder` that equals `name` when letter case is
// ignored ("ZIP32J.so" finds zip32j.so), the exact spelling first; "" when none.
std::string findEntryIgnoringCase(const std::string &folder, const std::string &name);

// SearchPath().find: the lookup from the running program's folder.
bool findOnSearchPath(const std::string &name, std::string *folder);

} // namespace vexel::platform
