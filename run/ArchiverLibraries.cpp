#include "run/ArchiverLibraries.h"

#include "archivers/FindArchiver.h"

#include <map>
#include <memory>

namespace vexel {

const ArchiverLibrary *archiverLibrary(const std::string &archiverFile,
                                       const std::string &entryPrefix, std::string *error)
{
    // Keyed by folder and name: the lookup may answer another folder later (tests move
    // the program folder), and each file is a library of its own. Only the run's
    // thread touches the cache.
    static std::map<std::string, std::unique_ptr<ArchiverLibrary>> loaded;

    std::string folder;
    if (!FindArchiver(archiverFile, folder)) {
        *error = archiverFile + " が見つかりません";
        return nullptr;
    }
    const std::string key = folder + archiverFile;
    if (auto found = loaded.find(key); found != loaded.end())
        return found->second.get();
    auto library = ArchiverLibrary::load(folder, archiverFile, entryPrefix, error);
    if (!library)
        return nullptr;
    return loaded.emplace(key, std::move(library)).first->second.get();
}

} // namespace vexel
