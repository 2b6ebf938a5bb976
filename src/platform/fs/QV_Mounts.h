#pragma once
// The mount table and the drives the user sees: the mounted volumes, what kind of
// drive each is, their labels and their space.

#include <QByteArray>
#include <QString>

#include <vector>

// One line of /proc/self/mountinfo, escapes undone, texts decoded with the
// file-name codec.
struct TMountEntry {
    int MountId = 0;
    int ParentId = 0;
    unsigned Major = 0;
    unsigned Minor = 0;
    QString Root;       // the folder of the file system that is mounted
    QString MountPoint; // without trailing delimiter, "/" for the root
    QString Options;    // per-mount options followed by the optional fields' tags
    QString FsType;     // "ext4", "fuse.sshfs"
    QString Source;     // "/dev/sda1", "server:/export", "tmpfs"
    QString SuperOptions;
};

// Parses the text of /proc/self/mountinfo. Malformed lines are skipped; never
// throws, whatever the bytes.
std::vector<TMountEntry> ParseMountInfo(const QByteArray& text);

// The drive kinds in the order the quick-drive view lists them.
enum class TDriveType { dtFixed, dtRemovable, dtCdrom, dtRamdisk, dtRemote };

// The kind of a mounted volume; sysfsRoot is "/sys" except in tests, and the
// removable-media test reads sysfsRoot + "/dev/block/<major>:<minor>".
TDriveType DriveTypeOf(const TMountEntry& mount, const QString& sysfsRoot = QStringLiteral("/sys"));

// Network file systems and FUSE mounts can stop answering; only those need a
// timed readiness check.
bool MountCanHang(const TMountEntry& mount);

// Whether the user would see this mount as a drive: "/" always; pseudo file
// systems, system folders and runtime mounts (except /run/media/<user>) never;
// mounts below /media, /run/media/<user>, /mnt and the home folder yes; the
// options x-gvfs-show and x-gvfs-hide decide first.
bool ShouldDisplayMount(const TMountEntry& mount, const QString& userName, const QString& homeFolder);

// 0 for /dev/fd0 (the first floppy), 1 for /dev/fd1, else -1.
int FloppyIndexOf(const TMountEntry& mount);

struct TDrive {
    TMountEntry Mount;
    TDriveType Type = TDriveType::dtFixed;
    int FloppyIndex = -1;
    // The drive root: the mount point with a trailing "/".
    QString RootPath() const;
};

// The visible drives, grouped by type in the order of TDriveType, and within a
// type by mount point. Reads the current mount table; a mount point mounted over
// counts once, with its topmost mount.
std::vector<TDrive> VisibleDrives();
std::vector<TDrive> VisibleDrives(const std::vector<TMountEntry>& mounts, const QString& userName,
                                  const QString& homeFolder, const QString& sysfsRoot);

// The current mount table, cached and read again only when the kernel reports a
// change. Safe to call from any thread.
std::vector<TMountEntry> CurrentMounts();

// The mount that holds an absolute path (the longest mount point that is the path
// or a folder above it); false for a relative or empty path. Symbolic links in the
// path are not resolved.
bool MountOfPath(const std::vector<TMountEntry>& mounts, const QString& path, TMountEntry& mount);

// MountOfPath over the current mount table, without copying it.
bool CurrentMountOf(const QString& path, TMountEntry& mount);

// The label of a block device from a folder of label links like
// /dev/disk/by-label, whose names escape bytes as "\x20"; empty when none.
QString LabelOfDevice(const QString& device, const QString& byLabelFolder = QStringLiteral("/dev/disk/by-label"));

// Undoes "\x20"-style escapes of udev link names.
QString UnescapeLabel(const QByteArray& name);

struct TVolumeSpace {
    qint64 Total = -1;
    qint64 Free = -1; // available to the user
};

// statvfs of a path; false when it fails. May block on a hung network mount.
bool QueryVolumeSpace(const QString& path, TVolumeSpace& space);
