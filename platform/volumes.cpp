// The mounted volumes, read through QStorageInfo, with our own rules for
// which of them count as drives and how they are shown.
#include "platform/volumes.h"

#include <QFile>
#include <QStorageInfo>
#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <string_view>
#include <sys/stat.h>

#include "platform/current_folder.h"

namespace ravo {

namespace {

constexpr std::array kPseudoFileSystems = {
    "proc", "sysfs", "cgroup", "cgroup2", "devpts", "devtmpfs", "mqueue", "debugfs", "tracefs",
    "securityfs", "pstore", "bpf", "configfs", "fusectl", "hugetlbfs", "autofs", "binfmt_misc",
    "efivarfs", "nsfs", "rpc_pipefs", "selinuxfs", "rootfs", "fuse.gvfsd-fuse", "fuse.portal",
    "nfsd", "none",
};

constexpr std::array kNetworkFileSystems = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "ceph", "glusterfs", "9p",
    "fuse.sshfs", "fuse.rclone", "davfs", "fuse.davfs2", "fuse.glusterfs", "fuse.cephfs",
};

template <std::size_t N>
bool OneOf(const std::string& value, const std::array<const char*, N>& names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return value == name; });
}

bool IsInside(std::string_view path, std::string_view folder)
{
    return path == folder || (path.size() > folder.size() && path.substr(0, folder.size()) == folder
                              && path[folder.size()] == '/');
}

// The system's own mounts, which hold nothing a user would back files up to.
bool IsSystemMountPoint(const std::string& mountPoint)
{
    if (IsInside(mountPoint, "/proc") || IsInside(mountPoint, "/sys") || IsInside(mountPoint, "/dev"))
        return true;
    return IsInside(mountPoint, "/run") && !IsInside(mountPoint, "/run/media");
}

QString Bracketed(const QString& label) { return QStringLiteral("[%1]").arg(label.toLower()); }

QString EntryText(const MountEntry& mount, VolumeKind kind)
{
    const QString place = QFile::decodeName(QByteArray::fromStdString(mount.mountPoint));
    switch (kind) {
    case VolumeKind::Floppy:
        return place;
    case VolumeKind::Network:
        if (!mount.device.empty())
            return place + ' ' + QString::fromLocal8Bit(mount.device).toLower();
        break;
    default:
        break;
    }
    return place + ' ' + Bracketed(mount.label);
}

// Whether the block device (or the disk it is a partition of) is removable.
bool IsRemovableDevice(const std::string& device)
{
    if (device.rfind("/dev/", 0) != 0)
        return false;
    const std::string node = "/sys/class/block/" + device.substr(device.rfind('/') + 1);
    for (const char* flag : {"/removable", "/../removable"}) {
        std::ifstream file(node + flag);
        char value = '0';
        if (file >> value && value == '1')
            return true;
    }
    return false;
}

} // namespace

std::optional<VolumeKind> ClassifyMount(const MountEntry& mount)
{
    const std::string& type = mount.fileSystemType;
    if (mount.mountPoint.empty() || mount.mountPoint[0] != '/' || !mount.mountPointIsFolder)
        return std::nullopt;
    if (OneOf(type, kPseudoFileSystems) || IsSystemMountPoint(mount.mountPoint))
        return std::nullopt;
    if (OneOf(type, kNetworkFileSystems) || type.rfind("nfs", 0) == 0)
        return VolumeKind::Network;
    if (type == "iso9660" || type == "udf" || mount.device.rfind("/dev/sr", 0) == 0)
        return VolumeKind::CdRom;
    if (type == "tmpfs" || type == "ramfs")
        return VolumeKind::Ram;
    if (mount.removableDevice)
        return VolumeKind::Floppy;
    return VolumeKind::Hard;
}

std::vector<Volume> VolumesFromMounts(const std::vector<MountEntry>& mounts)
{
    std::map<std::string, Volume> byMountPoint;
    for (const MountEntry& mount : mounts) {
        if (const auto kind = ClassifyMount(mount))
            byMountPoint[mount.mountPoint] = Volume{mount.mountPoint, *kind, EntryText(mount, *kind)};
        else
            byMountPoint.erase(mount.mountPoint);
    }
    std::vector<Volume> volumes;
    for (auto& [mountPoint, volume] : byMountPoint)
        volumes.push_back(std::move(volume));
    return volumes;
}

std::vector<Volume> MountedVolumes()
{
    std::vector<MountEntry> mounts;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        MountEntry mount;
        mount.mountPoint = QFile::encodeName(storage.rootPath()).toStdString();
        mount.device = storage.device().toStdString();
        mount.fileSystemType = storage.fileSystemType().toStdString();
        mount.label = storage.name();
        mount.removableDevice = IsRemovableDevice(mount.device);
        mount.mountPointIsFolder = FolderExists(mount.mountPoint);
        mounts.push_back(std::move(mount));
    }
    return VolumesFromMounts(mounts);
}

std::string VolumeOf(const std::string& path, const std::vector<std::string>& mountPoints)
{
    std::string best;
    for (const std::string& mountPoint : mountPoints) {
        const bool holds = mountPoint == "/" ? !path.empty() && path[0] == '/' : IsInside(path, mountPoint);
        if (holds && mountPoint.size() > best.size())
            best = mountPoint;
    }
    return best;
}

} // namespace ravo
