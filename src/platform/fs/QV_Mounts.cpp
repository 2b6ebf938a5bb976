#include "platform/fs/QV_Mounts.h"

#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"

#include <QSet>
#include <QList>
#include <QStringList>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>

namespace {

bool IsOneOf(const QString& text, std::initializer_list<const char*> list)
{
    for (const char* item : list)
        if (text == QLatin1String(item)) return true;
    return false;
}

bool IsRemoteType(const QString& type)
{
    return IsOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "9p", "afs", "coda", "ceph", "glusterfs",
                          "lustre", "gfs", "gfs2", "ocfs2", "beegfs", "davfs", "sshfs", "fuse.sshfs", "fuse.davfs",
                          "fuse.rclone", "fuse.s3fs", "fuse.gcsfuse", "fuse.curlftpfs", "fuse.glusterfs",
                          "fuse.cephfs", "fuse.smbnetfs"});
}

// File systems that are the kernel's or the desktop's own plumbing, never a drive.
bool IsPseudoType(const QString& type)
{
    return IsOneOf(type, {"proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "debugfs", "tracefs",
                          "securityfs", "pstore", "bpf", "configfs", "fusectl", "mqueue", "hugetlbfs", "autofs",
                          "binfmt_misc", "rpc_pipefs", "nfsd", "efivarfs", "selinuxfs", "nsfs", "devfs",
                          "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs", "fuse.snapfuse", "overlay", "squashfs"});
}

bool HasOption(const QString& options, const QString& option)
{
    for (const QString& part : options.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (part.trimmed() == option) return true;
    return false;
}

QByteArray RealPath(const QByteArray& path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.constData(), buffer) ? QByteArray(buffer) : QByteArray();
}

QByteArray ReadSmallFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    char buffer[64];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return n > 0 ? QByteArray(buffer, n).trimmed() : QByteArray();
}

// USB, MMC and FireWire disks often report removable 0 (a USB hard disk), so the
// bus in the device's sysfs path decides as well.
bool OnRemovableBus(const QByteArray& relativeDevicePath)
{
    for (const QByteArray& part : relativeDevicePath.split('/')) {
        if (part.startsWith("usb") || part.startsWith("mmc") || part.startsWith("firewire")
            || part.startsWith("ieee1394"))
            return true;
        if (part.size() > 2 && part.startsWith("fw")
            && std::all_of(part.begin() + 2, part.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return true;
    }
    return false;
}

bool IsRemovableBlockDevice(const TMountEntry& mount, const QString& sysfsRoot)
{
    const QByteArray root = RealPath(EncodeFileName(sysfsRoot));
    const QByteArray link = EncodeFileName(sysfsRoot) + "/dev/block/" + QByteArray::number(mount.Major) + ':'
        + QByteArray::number(mount.Minor);
    QByteArray device = RealPath(link);
    if (root.isEmpty() || device.isEmpty() || !device.startsWith(root)) return false;
    if (OnRemovableBus(device.mid(root.size()))) return true;
    // A partition's "removable" flag is its disk's.
    if (::access((device + "/partition").constData(), F_OK) == 0) device = device.left(device.lastIndexOf('/'));
    return ReadSmallFile(device + "/removable") == "1";
}

bool IsUnderFolder(const QString& path, const QString& folder)
{
    return path.size() > folder.size() + 1 && path.startsWith(folder) && path[folder.size()] == '/';
}

} // namespace

int FloppyIndexOf(const TMountEntry& mount)
{
    if (mount.Source == QLatin1String("/dev/fd0")) return 0;
    if (mount.Source == QLatin1String("/dev/fd1")) return 1;
    return -1;
}

bool MountCanHang(const TMountEntry& mount)
{
    return IsRemoteType(mount.FsType) || mount.FsType == QLatin1String("fuse")
        || mount.FsType.startsWith(QLatin1String("fuse."));
}

TDriveType DriveTypeOf(const TMountEntry& mount, const QString& sysfsRoot)
{
    const QString& type = mount.FsType;
    if (IsOneOf(type, {"iso9660", "udf"}) || mount.Source.startsWith(QLatin1String("/dev/sr"))
        || mount.Source.startsWith(QLatin1String("/dev/scd")))
        return TDriveType::dtCdrom;
    if (FloppyIndexOf(mount) >= 0) return TDriveType::dtRemovable;
    if (IsRemoteType(type) || mount.Source.startsWith(QLatin1String("//"))) return TDriveType::dtRemote;
    if (IsOneOf(type, {"tmpfs", "ramfs"})) return TDriveType::dtRamdisk;
    if (mount.Source.startsWith(QLatin1String("/dev/")) && IsRemovableBlockDevice(mount, sysfsRoot))
        return TDriveType::dtRemovable;
    return TDriveType::dtFixed;
}

bool ShouldDisplayMount(const TMountEntry& mount, const QString& userName, const QString& homeFolder)
{
    const QString& point = mount.MountPoint;
    if (point == QLatin1String("/")) return true;
    if (HasOption(mount.Options, QStringLiteral("x-gvfs-hide"))) return false;
    if (HasOption(mount.Options, QStringLiteral("x-gvfs-show"))) return true;
    if (IsPseudoType(mount.FsType)) return false;
    // A mount inside a dot folder was hidden on purpose.
    if (point.contains(QLatin1String("/."))) return false;
    if (!userName.isEmpty() && IsUnderFolder(point, QStringLiteral("/run/media/") + userName)) return true;
    if (IsUnderFolder(point, QStringLiteral("/media")) || IsUnderFolder(point, QStringLiteral("/mnt"))) return true;
    const QString home = homeFolder.endsWith('/') ? homeFolder.chopped(1) : homeFolder;
    return home.size() > 1 && IsUnderFolder(point, home);
}

QString TDrive::RootPath() const
{
    return Mount.MountPoint.endsWith('/') ? Mount.MountPoint : Mount.MountPoint + '/';
}

std::vector<TDrive> VisibleDrives(const std::vector<TMountEntry>& mounts, const QString& userName,
                                  const QString& homeFolder, const QString& sysfsRoot)
{
    std::vector<TDrive> drives;
    QSet<QString> seen;
    // Only the last mount on a mount point is reachable, so the table is read backwards.
    for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) {
        const TMountEntry& mount = *it;
        if (seen.contains(mount.MountPoint)) continue;
        seen.insert(mount.MountPoint);
        if (!ShouldDisplayMount(mount, userName, homeFolder)) continue;
        TDrive drive;
        drive.Mount = mount;
        drive.Type = DriveTypeOf(mount, sysfsRoot);
        drive.FloppyIndex = FloppyIndexOf(mount);
        drives.push_back(std::move(drive));
    }
    std::stable_sort(drives.begin(), drives.end(), [](const TDrive& a, const TDrive& b) {
        if (a.Type != b.Type) return a.Type < b.Type;
        return CompareFileNames(a.Mount.MountPoint, b.Mount.MountPoint) < 0;
    });
    return drives;
}

std::vector<TDrive> VisibleDrives()
{
    QString user;
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) user = QString::fromLocal8Bit(pw->pw_name);
    return VisibleDrives(CurrentMounts(), user, HomeFolder(), QStringLiteral("/sys"));
}

namespace {

// The cached mount table; the kernel flags the open mountinfo file with POLLPRI
// when the table changes, so the text is read again only then.
class TMountCache {
public:
    template <typename Visit> auto With(Visit visit)
    {
        std::lock_guard locker(lock_);
        Refresh();
        return visit(mounts_);
    }

private:
    void Refresh()
    {
        if (fd_ < 0) fd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return;
        pollfd p{fd_, POLLPRI, 0};
        const bool changed = ::poll(&p, 1, 0) > 0 && (p.revents & (POLLPRI | POLLERR));
        if (!changed && !mounts_.empty()) return;
        QByteArray text;
        char buffer[16384];
        ::lseek(fd_, 0, SEEK_SET);
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            text.append(buffer, n);
        }
        mounts_ = ParseMountInfo(text);
    }

    // A standard mutex, which the thread checker sees, unlike QMutex: workers
    // and the interface thread share the strings of the table.
    std::mutex lock_;
    int fd_ = -1;
    std::vector<TMountEntry> mounts_;
};

TMountCache& MountCache()
{
    static TMountCache cache;
    return cache;
}

} // namespace

std::vector<TMountEntry> CurrentMounts()
{
    return MountCache().With([](const std::vector<TMountEntry>& mounts) { return mounts; });
}

bool CurrentMountOf(const QString& path, TMountEntry& mount)
{
    return MountCache().With([&](const std::vector<TMountEntry>& mounts) { return MountOfPath(mounts, path, mount); });
}

bool MountOfPath(const std::vector<TMountEntry>& mounts, const QString& path, TMountEntry& mount)
{
    if (!path.startsWith('/')) return false;
    const TMountEntry* best = nullptr;
    for (const TMountEntry& m : mounts) {
        const bool holds = m.MountPoint == QLatin1String("/") || path == m.MountPoint
            || (path.startsWith(m.MountPoint) && path[m.MountPoint.size()] == '/');
        // The later of two equal mount points is the one on top.
        if (holds && (!best || m.MountPoint.size() >= best->MountPoint.size())) best = &m;
    }
    if (!best) return false;
    mount = *best;
    return true;
}

QString LabelOfDevice(const QString& device, const QString& byLabelFolder)
{
    const QByteArray target = RealPath(EncodeFileName(device));
    if (target.isEmpty()) return {};
    const QByteArray folder = EncodeFileName(byLabelFolder);
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return {};
    QString label;
    while (const dirent* d = ::readdir(dir)) {
        if (d->d_name[0] == '.') continue;
        if (RealPath(folder + '/' + d->d_name) == target) {
            label = UnescapeLabel(QByteArray(d->d_name));
            break;
        }
    }
    ::closedir(dir);
    return label;
}

bool QueryVolumeSpace(const QString& path, TVolumeSpace& space)
{
    struct statvfs vfs {};
    if (::statvfs(EncodeFileName(path).constData(), &vfs) != 0) return false;
    space.Total = qint64(vfs.f_blocks) * qint64(vfs.f_frsize);
    space.Free = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
    return true;
}
