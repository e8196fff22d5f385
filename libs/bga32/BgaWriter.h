// Writes a GZA or BZA archive of the collected members.
#pragma once

#include "ArchiveOutput.h"
#include "BgaFormat.h"
#include "Members.h"
#include "Progress.h"

#include <string>
#include <vector>

namespace vexel::bga {

// `level` 1..9 is the gzip level or the bzip2 block size; 0 stores every member.
// Members of 4 GiB or more fail the call before anything is written.
bool writeArchive(Kind kind, int level, const std::vector<kit::Member> &members,
                  kit::ArchiveOutput &output, kit::Progress &progress, std::string *reason);

} // namespace vexel::bga
