// Loads a built archiver library with dlopen, as the program does, and calls its entries.
#pragma once

#include "KryUnPackDec.h"

#include <string>

namespace vexel::testsupport {

class LoadedLibrary {
public:
    // `fileName` such as "zip32j.so", looked up in the build's library folder
    // (VEXEL_LIBRARY_DIR, set by the test's CMake target).
    explicit LoadedLibrary(const std::string &fileName);
    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary &) = delete;
    LoadedLibrary &operator=(const LoadedLibrary &) = delete;

    bool loaded() const { return handle_ != nullptr; }
    const std::string &error() const { return error_; }
    void *symbol(const std::string &name) const;

    // Calls <prefix>(window, commandLine, ...) with a KRY_OUTPUT_SIZE buffer.
    int run(const std::string &prefix, const std::string &commandLine,
            std::string *output = nullptr, void *window = nullptr) const;
    // Calls <prefix>SetOwnerWindowEx; false when the library has none.
    bool setOwner(const std::string &prefix, void *window, ARCHIVERPROC callback) const;

    static std::string libraryFolder();

private:
    void *handle_ = nullptr;
    std::string error_;
};

// Writes `listLines` to `listPath` and returns the line the program builds for a library:
// the switches, a blank, the quoted archive, a blank, the quoted base folder (nothing when
// `base` is empty, leaving two blanks), " @" and the list path.
std::string libraryCommandLine(const std::string &switches, const std::string &archive,
                               const std::string &base, const std::string &listPath,
                               const std::string &listLines);

} // namespace vexel::testsupport
