#include "config/ProgramVersion.h"

#include "config/VexelVersion.h"

#include <cstdio>

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
