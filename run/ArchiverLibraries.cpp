#include "run/ArchiverLibraries.h"

#include "archivers/FindArchiver.h"

namespace vexel {

const ArchiverLibrary *ArchiverLibraries::get(const std::string &archiverFile,
                                              const std::string &entryPrefix, std::string *error)
{
    std::string folder;
    if (!FindArchiver(archiverFile, folder, searchPath_)) {
        *error = archiverFile + " が見つかりません";
        return nullptr;
    }
    const std::string key = folder + archiverFile;
    if (auto found = loaded_.find(key); found != loaded_.end())
        return found->second.get();
    auto library = ArchiverLibrary::load(folder, archiverFile, entryPrefix, error);
    if (!library)
        return nullptr;
    return loaded_.emplace(key, std::move(library)).first->second.get();
}

} // namespace vexel
