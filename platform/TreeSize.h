// The bytes a list entry stands for, as an archiver will read them.
#pragma once

#include <cstdint>
#include <string>

namespace vexel::platform {

// Bytes of the regular files at `entry`: a file's size, or for a folder (given as
// "dir/*.*" or "dir") the sizes of every file below it. Symbolic links are followed as
// the archivers follow them; a folder met again below itself is not entered twice.
// Whatever cannot be read counts 0: the result serves display and weighting only.
std::int64_t treeSize(const std::string &entry);

} // namespace vexel::platform
