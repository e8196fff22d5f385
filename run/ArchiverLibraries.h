// The archiver libraries one owner has loaded, found with FindArchiver. A library is
// loaded once and never unloaded (QLibrary::PreventUnloadHint): it may still have a
// worker thread winding down after its entry returns, and its owner registration is
// never undone. The run's state owns one, so the libraries a run needs are loaded
// once per program, and a test's fresh state starts with none.
#pragma once

#include "archivers/ArchiverLibrary.h"
#include "platform/SearchPath.h"

#include <map>
#include <memory>
#include <string>

namespace vexel {

class ArchiverLibraries {
public:
    // Looks the libraries up from the running program's folder.
    ArchiverLibraries() = default;
    // Looks them up from the folder that `searchPath` was made with (a test's fakes).
    explicit ArchiverLibraries(platform::SearchPath searchPath) : searchPath_(std::move(searchPath))
    {}

    // The lookup this run uses for every archiver, libraries and programs alike.
    const platform::SearchPath &searchPath() const { return searchPath_; }

    // The library of `archiverFile` (the format table's name, e.g. "unlha32.dll") with
    // its entry points `entryPrefix` ("Unlha"), loaded on first use from where the
    // lookup finds it now. Null with *error set when it is not found or cannot be
    // loaded; a failed load is not remembered, so an archiver installed later is found
    // by the next run. Only the run's thread calls it.
    const ArchiverLibrary *get(const std::string &archiverFile, const std::string &entryPrefix,
                               std::string *error);

private:
    platform::SearchPath searchPath_;
    // Keyed by folder and name: the lookup may answer another folder later, and each
    // file is a library of its own.
    std::map<std::string, std::unique_ptr<ArchiverLibrary>> loaded_;
};

} // namespace vexel
