#include "platform/Drives.h"

#include <gtest/gtest.h>

namespace vexel::platform {
namespace {

std::string labelOf(const std::string &source)
{
    if (source == "/dev/sdb1")
        return "USB STICK";
    if (source == "/dev/root")
        return "system";
    return {};
}

std::string noLabel(const std::string &) { return {}; }

TEST(MountInfo, FieldsAreReadAcrossOptionalTagsAndEscapesAreDecoded)
{
    const std::string text =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/root rw\n"
        "40 22 8:17 / /media/me/My\\040Disk rw shared:2 master:3 - vfat /dev/sdb1 rw\n"
        "garbage line without separator\n"
        "41 22 0:5 / /proc rw - proc\n" // too short after "-": skipped
        "42 22 0:6 / /mnt/back\\134slash rw - tmpfs tmpfs rw\n";
    const std::vector<MountEntry> mounts = parseMountInfo(text);
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].source, "/dev/root");
    EXPECT_EQ(mounts[1].mountPoint, "/media/me/My Disk");
    EXPECT_EQ(mounts[1].source, "/dev/sdb1");
    EXPECT_EQ(mounts[2].mountPoint, "/mnt/back\\slash");
}

TEST(DriveRoots, RootComesFirstThenUserVolumesSortedWithLabels)
{
    const std::vector<MountEntry> mounts = {{"/run/media/me/zeta", "/dev/sdc1"},
                                            {"/", "/dev/root"},
                                            {"/proc", "proc"},
                                            {"/media/usb", "/dev/sdb1"},
                                            {"/mnt", "server:/share"},
                                            {"/mediafiles", "/dev/sdd1"},
                                            {"/home", "/dev/sda3"},
                                            {"/media/usb", "/dev/sdb1"}};
    const std::vector<DriveRoot> roots = driveRootsFromMounts(mounts, labelOf);
    ASSERT_EQ(roots.size(), 4u);
    EXPECT_EQ(roots[0].path, "/");
    EXPECT_EQ(roots[0].label, "system");
    EXPECT_EQ(roots[1].path, "/media/usb/");
    EXPECT_EQ(roots[1].label, "USB STICK");
    EXPECT_EQ(roots[2].path, "/mnt/");
    EXPECT_EQ(roots[3].path, "/run/media/me/zeta/");
    EXPECT_EQ(roots[3].label, "");
}

TEST(DriveRoots, SlashIsThereEvenWithoutAMountTable)
{
    const std::vector<DriveRoot> roots = driveRootsFromMounts({}, noLabel);
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_EQ(roots[0].path, "/");
}

TEST(DriveRoots, TheRunningSystemListsSlashFirst)
{
    const std::vector<DriveRoot> roots = listDriveRoots();
    ASSERT_FALSE(roots.empty());
    EXPECT_EQ(roots[0].path, "/");
    for (const DriveRoot &root : roots)
        EXPECT_EQ(root.path.back(), '/');
}

} // namespace
} // namespace vexel::platform
