// What a named path is, links followed: for names given on a command line.
#pragma once

#include <string>

namespace vexel::platform {

enum class PathKind { Missing, File, Folder };

// `path` is bytes, as the name was given; nothing is decoded or altered.
PathKind pathKind(const std::string &path);

} // namespace vexel::platform
