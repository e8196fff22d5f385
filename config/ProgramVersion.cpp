#include "config/ProgramVersion.h"

#include <cstdio>

// CMake passes the project version to this file's target only.
#if !defined(VEXEL_VERSION_MAJOR) || !defined(VEXEL_VERSION_MINOR)
#error "VEXEL_VERSION_MAJOR and VEXEL_VERSION_MINOR come from the CMake project version"
#endif

namespace vexel {

std::string programVersionText(int major, int minor)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", major, minor);
    return text;
}

std::string programVersion()
{
    return programVersionText(VEXEL_VERSION_MAJOR, VEXEL_VERSION_MINOR);
}

} // namespace vexel
