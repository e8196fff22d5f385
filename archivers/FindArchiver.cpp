// FindArchiver over the platform's search-path lookup.
#include "archivers/FindArchiver.h"

#include "platform/SearchPath.h"

namespace vexel {

bool FindArchiver(const std::string &name, std::string &folder)
{
    return FindArchiver(name, folder, platform::SearchPath());
}

bool FindArchiver(const std::string &name, std::string &folder,
                  const platform::SearchPath &searchPath)
{
    return searchPath.find(name, &folder);
}

} // namespace vexel
