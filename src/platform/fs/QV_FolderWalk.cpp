#include "platform/fs/QV_FolderWalk.h"

#include "platform/fs/QV_FileNames.h"

#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Opened from the start folder in pieces shorter than the system's path limit,
// so a tree deeper than that limit is still walked.
constexpr qsizetype MaxPiece = PATH_MAX / 2;

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool IsOneOf(const QString& value, std::initializer_list<const char*> list)
{
    for (const char* item : list)
        if (value == QLatin1String(item)) return true;
    return false;
}

// File systems of the kernel's own state: nothing a user looks for, and some
// of them never end or block when read.
bool IsKernelType(const QString& type)
{
    return IsOneOf(type, {"proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "debugfs", "tracefs",
                          "securityfs", "pstore", "bpf", "configfs", "fusectl", "mqueue", "hugetlbfs", "autofs",
                          "binfmt_misc", "rpc_pipefs", "nfsd", "efivarfs", "selinuxfs", "nsfs", "devfs"});
}

// One open of a path below dirFd, symbolic links refused on the way; the
// kernel's resolve flags where it has them, one component at a time otherwise.
int OpenNoLinks(int dirFd, const QByteArray& path)
{
    static std::atomic<bool> noOpenat2{false};
    if (!noOpenat2.load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
        const long fd = ::syscall(SYS_openat2, dirFd, path.constData(), &how, sizeof how);
        if (fd >= 0 || errno != ENOSYS) return int(fd);
        noOpenat2.store(true, std::memory_order_relaxed);
    }
    int fd = dirFd;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty()) continue;
        const int next = ::openat(fd, part.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        if (fd != dirFd) ::close(fd);
        if (next < 0) return -1;
        fd = next;
    }
    return fd == dirFd ? ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : fd;
}

bool IsFolderEntry(int dirFd, const dirent* d)
{
    if (d->d_type == DT_DIR) return true;
    if (d->d_type != DT_UNKNOWN) return false;
    struct stat st {};
    return ::fstatat(dirFd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

QStringList TFolderWalk::Barriers(const std::vector<TMountEntry>& mounts)
{
    QStringList barriers{QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev")};
    for (const TMountEntry& mount : mounts)
        if ((IsKernelType(mount.FsType) || MountCanHang(mount)) && mount.MountPoint != QLatin1String("/")
            && !barriers.contains(mount.MountPoint))
            barriers.append(mount.MountPoint);
    return barriers;
}

TFolderWalk::TFolderWalk(const QStringList& startFolders) { Init(startFolders, CurrentMounts()); }

TFolderWalk::TFolderWalk(const QStringList& startFolders, const std::vector<TMountEntry>& mounts)
{
    Init(startFolders, mounts);
}

TFolderWalk::~TFolderWalk()
{
    scanReader_.reset();
    for (const TStart& start : starts_)
        if (start.Fd >= 0) ::close(start.Fd);
}

void TFolderWalk::Init(const QStringList& startFolders, const std::vector<TMountEntry>& mounts)
{
    for (const QString& given : startFolders) {
        QString shown = given;
        while (shown.size() > 1 && shown.endsWith('/')) shown.chop(1);
        if (shown == QLatin1String("/")) shown.clear();
        TStart start;
        start.Shown = shown;
        // The user named this folder: links in its own path are followed.
        const QByteArray bytes = EncodeFileName(shown.isEmpty() ? QStringLiteral("/") : shown);
        if (char* resolved = ::realpath(bytes.constData(), nullptr)) {
            start.Real = QByteArray(resolved);
            std::free(resolved);
            start.Fd = ::open(start.Real.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        } else {
            start.Real = bytes;
        }
        if (start.Real == "/") start.Real.clear();
        bool seen = false;
        for (const TStart& other : starts_) seen = seen || other.Real == start.Real;
        if (seen) {
            if (start.Fd >= 0) ::close(start.Fd);
            continue;
        }
        starts_.push_back(std::move(start));
    }
    // Only subfolders are checked: a start inside a barrier is walked all the same.
    for (const QString& barrier : Barriers(mounts)) skip_.push_back(EncodeFileName(barrier));
    for (const TStart& start : starts_)
        if (start.Fd >= 0 && !start.Real.isEmpty()) skip_.push_back(start.Real);
}

QByteArray TFolderWalk::RelativePath(int folder) const
{
    // Collected from the leaf up, then put in order.
    std::vector<int> chain;
    for (int f = folder; f >= 0 && folders_[size_t(f)].Parent >= 0; f = folders_[size_t(f)].Parent) chain.push_back(f);
    QByteArray path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const TFolder& rec = folders_[size_t(*it)];
        if (!path.isEmpty()) path += '/';
        path.append(names_.constData() + rec.NameOffset, qsizetype(rec.NameLength));
    }
    return path;
}

QString TFolderWalk::FolderPath(int folder) const
{
    if (folder < 0 || folder >= FolderCount()) return QString();
    const QString base = starts_[size_t(folders_[size_t(folder)].Start)].Shown + '/';
    const QByteArray relative = RelativePath(folder);
    return relative.isEmpty() ? base : base + DecodeFileName(relative) + '/';
}

int TFolderWalk::OpenFolder(int folder) const
{
    const TStart& start = starts_[size_t(folders_[size_t(folder)].Start)];
    if (start.Fd < 0) return -1;
    const QByteArray relative = RelativePath(folder);
    if (relative.isEmpty()) return ::openat(start.Fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int fd = start.Fd;
    qsizetype pos = 0;
    while (pos < relative.size()) {
        qsizetype end = relative.size();
        if (end - pos > MaxPiece) {
            end = relative.lastIndexOf('/', pos + MaxPiece);
            if (end <= pos) end = relative.indexOf('/', pos + 1);
            if (end < 0) end = relative.size();
        }
        const int next = OpenNoLinks(fd, relative.mid(pos, end - pos));
        if (fd != start.Fd) ::close(fd);
        if (next < 0) return -1;
        fd = next;
        pos = end + 1;
    }
    return fd;
}

bool TFolderWalk::Collect(const TCancelCheck& cancelled, const std::function<void(int folder)>& collected,
                          const std::function<bool(int folder, const TWalkName& name)>& onName)
{
    folders_.clear();
    names_.clear();
    pending_ = qsizetype(starts_.size());
    // A level of the walk: the subfolder names of one folder not yet visited.
    struct TLevel {
        int Folder = 0;
        QByteArray Names;  // NUL-separated
        qsizetype Next = 0;
    };
    QSet<QByteArray> skip(skip_.begin(), skip_.end());
    const auto visit = [&](int folder, std::vector<TLevel>& stack) {
        --pending_;
        if (collected) collected(folder);
        const int fd = OpenFolder(folder);
        if (fd < 0) return true;
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return true;
        }
        TLevel level;
        level.Folder = folder;
        const TStart& start = starts_[size_t(folders_[size_t(folder)].Start)];
        const QByteArray base = start.Real + '/' + RelativePath(folder);
        const QByteArray prefix = base.endsWith('/') ? base : base + '/';
        scanFd_ = ::dirfd(dir);
        bool stopped = false;
        TWalkName name;
        while (const dirent* d = ::readdir(dir)) {
            if (cancelled && cancelled()) {
                stopped = true;
                break;
            }
            if (IsDotOrDotDot(d->d_name)) continue;
            name.Bytes = d->d_name;
            name.Length = std::strlen(d->d_name);
            name.Type = d->d_type;
            if (onName && !onName(folder, name)) {
                stopped = true;
                break;
            }
            if (!IsFolderEntry(scanFd_, d)) continue;
            if (!skip.isEmpty() && skip.contains(prefix + d->d_name)) continue;
            level.Names.append(d->d_name, qsizetype(name.Length) + 1);
            ++pending_;
        }
        scanReader_.reset();
        scanFd_ = -1;
        ::closedir(dir);
        if (!level.Names.isEmpty()) stack.push_back(std::move(level));
        return !stopped;
    };

    for (size_t s = 0; s < starts_.size(); ++s) {
        if (cancelled && cancelled()) return false;
        folders_.push_back(TFolder{-1, std::int32_t(s), 0, 0});
        std::vector<TLevel> stack;
        if (!visit(int(folders_.size()) - 1, stack)) return false;
        while (!stack.empty()) {
            TLevel& level = stack.back();
            if (level.Next >= level.Names.size()) {
                stack.pop_back();
                continue;
            }
            const char* name = level.Names.constData() + level.Next;
            const size_t length = std::strlen(name);
            level.Next += qsizetype(length) + 1;
            TFolder rec{std::int32_t(level.Folder), std::int32_t(s), std::uint32_t(names_.size()),
                        std::uint32_t(length)};
            names_.append(name, qsizetype(length));
            folders_.push_back(rec);
            // The parent's names are no longer needed once all are visited.
            if (level.Next >= level.Names.size()) stack.pop_back();
            if (!visit(int(folders_.size()) - 1, stack)) return false;
        }
    }
    return true;
}

bool TFolderWalk::Scan(int folder, const std::function<bool(const TWalkName& name)>& onName)
{
    if (folder < 0 || folder >= FolderCount()) return false;
    const int fd = OpenFolder(folder);
    if (fd < 0) return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    scanFd_ = ::dirfd(dir);
    TWalkName name;
    while (const dirent* d = ::readdir(dir)) {
        if (IsDotOrDotDot(d->d_name)) continue;
        name.Bytes = d->d_name;
        name.Length = std::strlen(d->d_name);
        name.Type = d->d_type;
        if (!onName(name)) break;
    }
    scanReader_.reset();
    scanFd_ = -1;
    ::closedir(dir);
    return true;
}

bool TFolderWalk::ReadEntry(const TWalkName& name, TDirEntry& entry)
{
    if (scanFd_ < 0) return false;
    if (!scanReader_) scanReader_ = std::make_unique<TFolderEntryReader>(scanFd_);
    return scanReader_->Read(name.Bytes, name.Length, name.Type, entry);
}
