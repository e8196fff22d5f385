// The roots of the folder tree: "/" first, then the mount points of removable and user
// volumes (at or below /media, /run/media and /mnt), sorted by path.
#pragma once

#include <string>
#include <vector>

namespace vexel::platform {

struct DriveRoot {
    std::string path;  // ends in "/"
    std::string label; // the volume label, or empty when the volume has none
};

// The roots of the running system, read from /proc/self/mountinfo and, for the labels,
// /dev/disk/by-label. "/" is always there, even when the mount table cannot be read.
std::vector<DriveRoot> listDriveRoots();

// One mounted volume as the mount table describes it.
struct MountEntry {
    std::string mountPoint; // as mounted, without a trailing "/" (except "/" itself)
    std::string source;     // the device or other source, e.g. "/dev/sdb1"
};

// Parses the text of /proc/self/mountinfo (octal escapes such as "\040" decoded).
// Malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(const std::string &text);

// The roots among `mounts`, labelled with `labelOfSource` (which may return "").
std::vector<DriveRoot>
driveRootsFromMounts(const std::vector<MountEntry> &mounts,
                     std::string (*labelOfSource)(const std::string &source));

} // namespace vexel::platform
