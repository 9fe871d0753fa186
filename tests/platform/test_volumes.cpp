// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/volumes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace varlime;

namespace {

const char* kMountinfo = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                         "35 22 0:30 / /home rw shared:2 - ext4 /dev/sda2 rw\n"
                         "40 22 8:17 / /media/anne/EOS_DIGITAL rw,nosuid - vfat /dev/sdb1 rw\n"
                         "41 22 8:33 / /media/anne/Carte\\040SD rw - vfat /dev/sdc1 rw\n"
                         "42 22 0:50 / /mnt/usb\\134x rw - vfat /dev/sdd1 rw\n"
                         "garbage line without fields\n"
                         "\n";

TEST(Volumes, MountPointsWithEscapes) {
    EXPECT_EQ(pointsDeMontage(kMountinfo),
              (std::vector<std::string>{"/", "/home", "/media/anne/EOS_DIGITAL",
                                        "/media/anne/Carte SD", "/mnt/usb\\x"}));
    EXPECT_TRUE(pointsDeMontage("").empty());
    EXPECT_TRUE(pointsDeMontage("1 2 3 4").empty());
}

TEST(Volumes, VolumeOfAFolderIsTheLongestMountPointPrefix) {
    const auto points = pointsDeMontage(kMountinfo);
    struct {
        const char* path;
        const char* volume;
    } cases[] = {
        {"/home/anne/Photos/", "/home"},
        {"/homework/", "/"},
        {"/media/anne/EOS_DIGITAL/DCIM/100CANON/", "/media/anne/EOS_DIGITAL"},
        {"/media/anne/Carte SD/DCIM", "/media/anne/Carte SD"},
        {"/media/anne/OTHER/DCIM", "/"},
        {"/", "/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(volumeDe(c.path, points), c.volume) << c.path;
    EXPECT_EQ(volumeDe("relative/path", points), "");
}

TEST(Volumes, PickerOffersRealVolumesOnce) {
    const std::string mountinfo = "22 1 8:1 / / rw shared:1 - ext4 /dev/sda1 rw\n"
                                  "23 22 0:5 / /proc rw - proc proc rw\n"
                                  "24 22 0:6 / /sys rw - sysfs sysfs rw\n"
                                  "25 24 0:7 / /sys/fs/cgroup rw - tmpfs tmpfs rw\n"
                                  "26 22 0:8 / /dev rw - devtmpfs udev rw\n"
                                  "27 26 0:9 / /dev/shm rw - tmpfs tmpfs rw\n"
                                  "28 22 0:10 / /var/run/user rw - tmpfs tmpfs rw\n"
                                  "29 22 0:11 / /tmp rw - tmpfs tmpfs rw\n"
                                  "30 22 0:12 / /devices rw - ext4 /dev/sda3 rw\n"
                                  "31 22 0:13 / /empty rw - autofs systemd-1 rw\n"
                                  "40 22 8:17 / /media/anne/Carte\\040SD rw - vfat /dev/sdb1 rw\n"
                                  "41 22 8:17 / /media/anne/Carte\\040SD rw - vfat /dev/sdb1 rw\n";
    // /empty has no size (an automount point not yet used).
    const auto aUneTaille = [](const std::string& p) { return p != "/empty"; };
    EXPECT_EQ(volumesProposes(mountinfo, aUneTaille),
              (std::vector<std::string>{"/", "/tmp", "/devices", "/media/anne/Carte SD"}));
    EXPECT_TRUE(volumesProposes(mountinfo, [](const std::string&) { return false; }).empty());
}

TEST(Volumes, ThisSystemOffersTheVolumeOfTheTemporaryFolder) {
    varlime::test::TempDir dir;
    const auto volumes = volumesProposes();
    const std::string volume = volumeDe(dir.path(), volumes);
    ASSERT_FALSE(volume.empty());
    EXPECT_EQ(volume, volumeDe(dir.path(),
                               pointsDeMontage(varlime::test::readFile("/proc/self/mountinfo"))));
}

TEST(Volumes, RemovableMediaRoots) {
    struct {
        const char* path;
        const char* root;
    } cases[] = {
        {"/media/anne/EOS_DIGITAL/DCIM/", "/media/anne/EOS_DIGITAL"},
        {"/run/media/anne/CARD/DCIM/100", "/run/media/anne/CARD"},
        {"/mnt/card/DCIM", "/mnt/card"},
        {"/mnt/card", "/mnt/card"},
        {"/media/anne/", ""},
        {"/mnt/", ""},
        {"/home/anne/Photos", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(racineMedia(c.path), c.root) << c.path;
}

TEST(Volumes, DiskInDrive) {
    varlime::test::TempDir dir;
    EXPECT_TRUE(DiskInDrive(dir.path()));
    EXPECT_TRUE(DiskInDrive("/"));
    // A card folder whose volume is not mounted: no medium, whatever exists on disk.
    EXPECT_FALSE(DiskInDrive("/media/nobody/NO_SUCH_CARD_4242/DCIM/"));
    EXPECT_FALSE(DiskInDrive("/mnt/no-such-card-4242/DCIM/"));
}

} // namespace
