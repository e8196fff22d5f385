#include "platform/PathKind.h"

#include <sys/stat.h>

namespace vexel::platform {

PathKind pathKind(const std::string &path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return PathKind::Missing;
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::File;
}

} // namespace vexel::platform
