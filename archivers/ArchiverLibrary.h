// Loads one of the archiver libraries from the folder the lookup found and binds its
// entry points. A library that cannot be loaded, or lacks a symbol, is reported with a
// reason and makes only that format fail; it never takes the program down.
#pragma once

#include "archivers/KryUnPackDec.h"

#include <memory>
#include <string>

namespace vexel {

class ArchiverLibrary {
public:
    // `folder` ends in "/"; `designName` is the name the format table gives
    // ("unlha32.dll", "ZIP32J.DLL"); `prefix` the entry-point stem ("Unlha", "Zip",
    // "Cab", "Bga"). ...SetOwnerWindowEx is bound when present (Zip has none).
    // Returns null and sets *error when the library or a required symbol is missing.
    static std::unique_ptr<ArchiverLibrary> load(const std::string &folder,
                                                 const std::string &designName,
                                                 const std::string &prefix, std::string *error);
    ~ArchiverLibrary();

    // The main entry; *output gets the library's one-line message.
    int run(void *window, const std::string &commandLine, std::string *output) const;
    // Registers the owner window and callback; false when the library has no such entry.
    bool setOwnerWindow(void *window, ARCHIVERPROC callback) const;
    std::uint16_t version() const;
    // The file it was loaded from.
    std::string path() const;

private:
    struct Impl;
    explicit ArchiverLibrary(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace vexel
