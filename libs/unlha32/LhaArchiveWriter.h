// Writes the members into an LHA archive: level-2 headers, folders as -lhd-, files
// compressed with the chosen -lhN- method, or stored as -lh0- when that would not
// make them smaller (empty files included), then the final 0x00 byte.
// Runs on the library's worker thread; memory stays within one method window and
// one block, whatever the file sizes.
#pragma once

#include "ArchiveOutput.h"
#include "Members.h"
#include "Progress.h"
#include "codec/LhFormat.h"

#include <string>
#include <vector>

namespace vexel::lha {

// False with a one-line reason on a read or write error, a member of 4 GiB or more
// (the level-2 size fields hold 32 bits), or a stop request seen through `progress`.
bool writeLhaArchive(const std::vector<kit::Member> &members, codec::LhMethod method,
                     kit::ArchiveOutput &output, kit::Progress &progress, std::string *reason);

} // namespace vexel::lha
