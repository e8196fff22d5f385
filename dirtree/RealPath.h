// A path as it is stored on disk, ending in "/". Each component that exists as typed is
// kept; one that does not, but matches exactly one subfolder of its folder when letter
// case is ignored, becomes that subfolder's name; otherwise the path is cut back after
// the last component that exists. A component naming a file also ends the path there,
// so the result is always a folder (or "/"). Blanks around the path are ignored, a
// relative path is taken from the current folder, and "." and ".." are resolved.
#pragma once

#include "dirtree/FolderSource.h"

namespace vexel::dirtree {

QString realPath(const QString &path, FolderSource &source);

} // namespace vexel::dirtree
