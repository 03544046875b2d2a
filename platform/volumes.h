// The mounted volumes that the drive selector offers: real file systems
// only, in a fixed order (by mount point), each with its kind, which picks
// its picture, and the text of its entry.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace ravo {

enum class VolumeKind { Floppy, Hard, Network, CdRom, Ram };

// One line of the mount table, as far as the selector cares.
struct MountEntry {
    std::string mountPoint;
    std::string device;
    std::string fileSystemType;
    QString label;
    bool removableDevice = false;
    bool mountPointIsFolder = true;
};

struct Volume {
    std::string mountPoint;
    VolumeKind kind = VolumeKind::Hard;
    // The entry's text: the mount point alone for a removable device,
    // otherwise the mount point, a blank and the connection part (network)
    // or the label in square brackets, both in lower case.
    QString text;
};

// The kind of a mounted file system; none when it is not a real file system
// a user could back files up into (proc, sysfs, cgroup, the system's own
// mounts under /proc, /sys, /dev and /run, a file mounted over a file).
std::optional<VolumeKind> ClassifyMount(const MountEntry& mount);

// The listed volumes of a mount table: classified, the last mount on a
// mount point winning (it hides the earlier ones), sorted by mount point.
std::vector<Volume> VolumesFromMounts(const std::vector<MountEntry>& mounts);

// The volumes mounted now.
std::vector<Volume> MountedVolumes();

// The mount point among mountPoints that holds path (the longest one that is
// path itself or a folder above it); empty when none does.
std::string VolumeOf(const std::string& path, const std::vector<std::string>& mountPoints);

} // namespace ravo
