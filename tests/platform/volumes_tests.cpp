// Which mounts the drive selector offers, of what kind, in what order, with
// what text, and which volume holds a path.
#include "platform/volumes.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "platform/current_folder.h"

namespace ravo {
namespace {

MountEntry Mount(std::string mountPoint, std::string device, std::string type, QString label = {},
                 bool removable = false)
{
    MountEntry mount;
    mount.mountPoint = std::move(mountPoint);
    mount.device = std::move(device);
    mount.fileSystemType = std::move(type);
    mount.label = std::move(label);
    mount.removableDevice = removable;
    return mount;
}

TEST(ClassifyMount, RealFileSystemsGetTheirKindAndTheRestIsLeftOut)
{
    struct Case {
        MountEntry mount;
        std::optional<VolumeKind> kind;
    };
    MountEntry fileOverFile = Mount("/etc/hosts", "/dev/vda", "ext4");
    fileOverFile.mountPointIsFolder = false;
    const Case cases[] = {
        {Mount("/", "/dev/sda1", "ext4"), VolumeKind::Hard},
        {Mount("/", "overlay", "overlay"), VolumeKind::Hard},
        {Mount("/home", "/dev/nvme0n1p3", "btrfs"), VolumeKind::Hard},
        {Mount("/media/u/STICK", "/dev/sdb1", "vfat", {}, true), VolumeKind::Floppy},
        {Mount("/run/media/u/STICK", "/dev/sdc1", "exfat", {}, true), VolumeKind::Floppy},
        {Mount("/media/cd", "/dev/sr0", "iso9660"), VolumeKind::CdRom},
        {Mount("/media/dvd", "/dev/sr1", "udf", {}, true), VolumeKind::CdRom},
        {Mount("/mnt/share", "server:/export", "nfs4"), VolumeKind::Network},
        {Mount("/mnt/win", "//server/share", "cifs"), VolumeKind::Network},
        {Mount("/mnt/ssh", "me@host:", "fuse.sshfs"), VolumeKind::Network},
        {Mount("/tmp", "tmpfs", "tmpfs"), VolumeKind::Ram},
        {Mount("/mnt/ram", "ramfs", "ramfs"), VolumeKind::Ram},
        {Mount("/proc", "proc", "proc"), std::nullopt},
        {Mount("/sys", "sysfs", "sysfs"), std::nullopt},
        {Mount("/sys/fs/cgroup", "tmpfs", "tmpfs"), std::nullopt},
        {Mount("/sys/fs/cgroup/unified", "cgroup2", "cgroup2"), std::nullopt},
        {Mount("/dev/shm", "tmpfs", "tmpfs"), std::nullopt},
        {Mount("/dev/pts", "devpts", "devpts"), std::nullopt},
        {Mount("/run", "tmpfs", "tmpfs"), std::nullopt},
        {Mount("/run/user/1000", "tmpfs", "tmpfs"), std::nullopt},
        {Mount("/mnt/cg", "cgroup", "cgroup"), std::nullopt},
        {Mount("/proc/sys/fs/binfmt_misc", "binfmt_misc", "binfmt_misc"), std::nullopt},
        {Mount("/running", "/dev/sdd1", "ext4"), VolumeKind::Hard},
        {Mount("relative", "/dev/sdd1", "ext4"), std::nullopt},
        {fileOverFile, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyMount(c.mount), c.kind) << c.mount.mountPoint << " " << c.mount.fileSystemType;
}

TEST(VolumesFromMounts, EntriesAreSortedByMountPointWithTheirTexts)
{
    const std::vector<MountEntry> mounts = {
        Mount("/media/u/STICK", "/dev/sdb1", "vfat", QStringLiteral("STICK"), true),
        Mount("/", "/dev/sda1", "ext4", QStringLiteral("Systém")),
        Mount("/proc", "proc", "proc"),
        Mount("/mnt/share", "Server:/Export", "nfs"),
        Mount("/mnt/nolabel", "/dev/sda3", "ext4"),
        Mount("/mnt/cd", "/dev/sr0", "iso9660", QStringLiteral("DISC_1")),
        Mount("/mnt/net", "", "cifs", QStringLiteral("Share")),
        Mount("/tmp", "tmpfs", "tmpfs"),
    };
    const std::vector<Volume> volumes = VolumesFromMounts(mounts);
    struct Expected {
        std::string mountPoint;
        VolumeKind kind;
        QString text;
    };
    const std::vector<Expected> expected = {
        {"/", VolumeKind::Hard, QStringLiteral("/ [systém]")},
        {"/media/u/STICK", VolumeKind::Floppy, QStringLiteral("/media/u/STICK")},
        {"/mnt/cd", VolumeKind::CdRom, QStringLiteral("/mnt/cd [disc_1]")},
        {"/mnt/net", VolumeKind::Network, QStringLiteral("/mnt/net [share]")},
        {"/mnt/nolabel", VolumeKind::Hard, QStringLiteral("/mnt/nolabel []")},
        {"/mnt/share", VolumeKind::Network, QStringLiteral("/mnt/share server:/export")},
        {"/tmp", VolumeKind::Ram, QStringLiteral("/tmp []")},
    };
    ASSERT_EQ(volumes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(volumes[i].mountPoint, expected[i].mountPoint) << i;
        EXPECT_EQ(volumes[i].kind, expected[i].kind) << i;
        EXPECT_EQ(volumes[i].text, expected[i].text) << i;
    }
}

TEST(VolumesFromMounts, TheLastMountOnAMountPointHidesTheEarlierOnes)
{
    const std::vector<Volume> remounted = VolumesFromMounts(
        {Mount("/data", "/dev/sda2", "ext4", QStringLiteral("old")), Mount("/data", "tmpfs", "tmpfs")});
    ASSERT_EQ(remounted.size(), 1u);
    EXPECT_EQ(remounted[0].kind, VolumeKind::Ram);

    EXPECT_TRUE(VolumesFromMounts({Mount("/data", "/dev/sda2", "ext4"), Mount("/data", "proc", "proc")}).empty());
}

TEST(VolumeOf, TheLongestMountPointAboveThePathHoldsIt)
{
    const std::vector<std::string> mountPoints = {"/", "/home", "/home/u/usb", "/media"};
    const std::pair<std::string, std::string> cases[] = {
        {"/", "/"},
        {"/etc", "/"},
        {"/home", "/home"},
        {"/home/u", "/home"},
        {"/homework", "/"},
        {"/home/u/usb", "/home/u/usb"},
        {"/home/u/usb/x", "/home/u/usb"},
        {"/home/u/usbstick", "/home"},
        {"/media/cd", "/media"},
    };
    for (const auto& [path, volume] : cases)
        EXPECT_EQ(VolumeOf(path, mountPoints), volume) << path;

    EXPECT_EQ(VolumeOf("/elsewhere", {"/a", "/b"}), "");
    EXPECT_EQ(VolumeOf("/a/x", {"/a", "/b"}), "/a");
    EXPECT_EQ(VolumeOf("/a", {}), "");
}

TEST(MountedVolumes, OffersOnlyExistingFoldersOutsideTheSystemMountsInOrder)
{
    const std::vector<Volume> volumes = MountedVolumes();
    ASSERT_FALSE(volumes.empty());
    std::vector<std::string> mountPoints;
    for (const Volume& volume : volumes) {
        EXPECT_TRUE(FolderExists(volume.mountPoint)) << volume.mountPoint;
        EXPECT_NE(volume.mountPoint.rfind("/proc", 0), 0u) << volume.mountPoint;
        EXPECT_NE(volume.mountPoint.rfind("/sys", 0), 0u) << volume.mountPoint;
        EXPECT_TRUE(volume.text.startsWith(QString::fromStdString(volume.mountPoint))) << volume.mountPoint;
        mountPoints.push_back(volume.mountPoint);
    }
    EXPECT_TRUE(std::is_sorted(mountPoints.begin(), mountPoints.end()));
    EXPECT_FALSE(VolumeOf(CurrentFolder(), mountPoints).empty());
}

} // namespace
} // namespace ravo
