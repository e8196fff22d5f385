// FindArchiver over the platform's search-path lookup.
#include "archivers/FindArchiver.h"

#include "platform/SearchPath.h"

namespace vexel {

bool FindArchiver(const std::string &name, std::string &folder)
{
    return platform::findOnSearchPath(name, &folder);
}

} // namespace vexel
