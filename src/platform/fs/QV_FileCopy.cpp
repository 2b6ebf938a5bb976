#include "platform/fs/QV_FileCopy.h"

#include "platform/fs/QV_FileNames.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <vector>

namespace {

// Big enough for the disk to stream, small enough for cancel to answer at once.
constexpr size_t ChunkBytes = size_t(4) << 20;

struct TFaultPoint {
    std::atomic<int> Remaining{0};
    std::atomic<int> Error{0};
};
TFaultPoint Faults[3];

// The injected error of the next call of the kind, or 0.
int InjectedError(TFsFault kind)
{
    TFaultPoint& point = Faults[int(kind)];
    if (point.Remaining.load() <= 0) return 0;
    if (point.Remaining.fetch_sub(1) == 1) return point.Error.load();
    return 0;
}

TFsError Failed(const char* what, const QString& path, int code = errno)
{
    return TFsError{code, QString::fromLatin1(what) + QLatin1Char(' ') + DisplayFileName(path)};
}

TNodeKind KindOf(mode_t mode)
{
    if (S_ISREG(mode)) return TNodeKind::nkFile;
    if (S_ISDIR(mode)) return TNodeKind::nkFolder;
    if (S_ISLNK(mode)) return TNodeKind::nkLink;
    if (S_ISFIFO(mode)) return TNodeKind::nkFifo;
    if (S_ISSOCK(mode)) return TNodeKind::nkSocket;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return TNodeKind::nkDevice;
    return TNodeKind::nkOther;
}

// The mode a copy gets: the permission bits and the sticky bit, never set-id.
mode_t CopiedMode(mode_t mode) { return mode & 01777; }

class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    ~TFd() { if (fd_ >= 0) ::close(fd_); }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }
    // Closes now and answers the close's own result, which reports late write
    // errors on some file systems.
    int Close() { const int r = fd_ >= 0 ? ::close(fd_) : 0; fd_ = -1; return r; }

private:
    int fd_;
};

// Copies every extended attribute the target accepts; a target without them
// (or refusing a namespace such as "trusted.") keeps what it can.
void CopyXattrs(int from, int to)
{
    const ssize_t listSize = ::flistxattr(from, nullptr, 0);
    if (listSize <= 0) return;
    std::vector<char> names(size_t(listSize) + 1, '\0');
    const ssize_t got = ::flistxattr(from, names.data(), names.size() - 1);
    if (got <= 0) return;
    std::vector<char> value;
    for (ssize_t at = 0; at < got; at += ssize_t(strlen(names.data() + at)) + 1) {
        const char* name = names.data() + at;
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        if (size < 0) continue;
        value.resize(size_t(size) + 1);
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read < 0) continue;
        // Unsupported or forbidden attributes are the target's limits, not failures.
        (void)::fsetxattr(to, name, value.data(), size_t(read), 0);
    }
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) { errno = EIO; return false; }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The contents from in to out; errno is set when false.
bool CopyContents(int in, int out, qint64 size, const TCopyProgress& progress, const QString& source,
                  const QString& target, TFsError& error)
{
    const auto report = [&](qint64 bytes) {
        if (progress && !progress(bytes)) {
            error = Failed("copy", source, ECANCELED);
            return false;
        }
        return true;
    };
    const bool faultsArmed = Faults[int(TFsFault::ffReadSource)].Remaining.load() > 0 ||
                             Faults[int(TFsFault::ffWriteTarget)].Remaining.load() > 0;
    if (!faultsArmed && size > 0 && ::ioctl(out, FICLONE, in) == 0) return report(size);

    bool useRange = !faultsArmed;
    std::vector<char> buffer;
    for (;;) {
        if (const int e = InjectedError(TFsFault::ffReadSource)) { error = Failed("read", source, e); return false; }
        if (const int e = InjectedError(TFsFault::ffWriteTarget)) { error = Failed("write", target, e); return false; }
        ssize_t n = -1;
        if (useRange) {
            n = ::copy_file_range(in, nullptr, out, nullptr, ChunkBytes, 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                useRange = false;
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            // Some pseudo files report a size but copy nothing through the kernel.
            if (n == 0 && ::lseek(out, 0, SEEK_CUR) == 0 && size > 0) { useRange = false; continue; }
            if (n < 0) { error = Failed("copy to", target); return false; }
        } else {
            if (buffer.empty()) buffer.resize(ChunkBytes);
            n = ::read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) { error = Failed("read", source); return false; }
            if (n > 0 && !WriteAll(out, buffer.data(), size_t(n))) { error = Failed("write", target); return false; }
        }
        if (n == 0) return true;
        if (!report(n)) return false;
    }
}

}  // namespace

void InjectFsFault(TFsFault kind, int n, int error)
{
    Faults[int(kind)].Error.store(error);
    Faults[int(kind)].Remaining.store(n);
}

TFsResult<TNodeInfo> NodeInfo(const QString& path)
{
    struct stat st {};
    if (::lstat(EncodeFileName(path).constData(), &st) != 0) return Failed("read the details of", path);
    TNodeInfo info;
    info.Kind = KindOf(st.st_mode);
    info.Mode = st.st_mode & 07777;
    info.Size = st.st_size;
    info.ModifiedMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    info.Device = st.st_dev;
    info.Inode = st.st_ino;
    info.Rdev = st.st_rdev;
    return info;
}

TFsStatus CopyRegularFile(const QString& source, const QString& target, const TCopyProgress& progress,
                          TCopyFlush flush)
{
    const QByteArray s = EncodeFileName(source);
    const QByteArray t = EncodeFileName(target);
    if (const int e = InjectedError(TFsFault::ffOpenSource)) return Failed("open", source, e);
    // O_NONBLOCK: a FIFO put in place of the file since it was listed must not hang us.
    TFd in(::open(s.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (in.Get() < 0) return Failed("open", source);
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0) return Failed("read the details of", source);
    if (!S_ISREG(st.st_mode)) return Failed("copy", source, EINVAL);
    ::fcntl(in.Get(), F_SETFL, O_RDONLY);

    TFd out(::open(t.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.Get() < 0) return Failed("create", target);
    const auto discard = [&](TFsError error) -> TFsStatus {
        out.Close();
        ::unlink(t.constData());
        return error;
    };
    TFsError error;
    if (!CopyContents(in.Get(), out.Get(), st.st_size, progress, source, target, error)) return discard(error);
    CopyXattrs(in.Get(), out.Get());
    if (::fchmod(out.Get(), CopiedMode(st.st_mode)) != 0) return discard(Failed("set the permissions of", target));
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    // Times are kept where the target allows; a file system without them still has the data.
    (void)::futimens(out.Get(), times);
    if (flush == TCopyFlush::cfEach && ::fsync(out.Get()) != 0 && errno != EINVAL)
        return discard(Failed("flush", target));
    if (out.Close() != 0) return discard(Failed("write", target));
    return {};
}

TFsStatus CopySymlink(const QString& source, const QString& target)
{
    const QByteArray s = EncodeFileName(source);
    const QByteArray t = EncodeFileName(target);
    std::vector<char> text(PATH_MAX + 1);
    const ssize_t n = ::readlink(s.constData(), text.data(), text.size());
    if (n < 0) return Failed("read the link", source);
    if (size_t(n) >= text.size()) return Failed("read the link", source, ENAMETOOLONG);
    text[size_t(n)] = '\0';
    if (::symlink(text.data(), t.constData()) != 0) return Failed("create the link", target);
    struct stat st {};
    if (::lstat(s.constData(), &st) == 0) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        (void)::utimensat(AT_FDCWD, t.constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    return {};
}

TFsStatus CopySpecial(const QString& source, const QString& target)
{
    struct stat st {};
    if (::lstat(EncodeFileName(source).constData(), &st) != 0) return Failed("read the details of", source);
    if (S_ISSOCK(st.st_mode) || !(S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)))
        return Failed("copy", source, ENOTSUP);
    const QByteArray t = EncodeFileName(target);
    const mode_t kind = st.st_mode & S_IFMT;
    if (::mknod(t.constData(), kind | 0600, S_ISFIFO(st.st_mode) ? 0 : st.st_rdev) != 0)
        return Failed("create", target);
    if (::chmod(t.constData(), CopiedMode(st.st_mode)) != 0) {
        const TFsError error = Failed("set the permissions of", target);
        ::unlink(t.constData());
        return error;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    (void)::utimensat(AT_FDCWD, t.constData(), times, AT_SYMLINK_NOFOLLOW);
    return {};
}

TFsStatus MakeFolder(const QString& target)
{
    if (::mkdir(EncodeFileName(target).constData(), 0700) != 0) return Failed("create the folder", target);
    return {};
}

TFsStatus FinishFolder(const QString& source, const QString& target, TCopyFlush flush)
{
    TFd in(::open(EncodeFileName(source).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (in.Get() < 0) return Failed("open the folder", source);
    TFd out(::open(EncodeFileName(target).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (out.Get() < 0) return Failed("open the folder", target);
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0) return Failed("read the details of", source);
    CopyXattrs(in.Get(), out.Get());
    if (flush == TCopyFlush::cfEach && ::fsync(out.Get()) != 0 && errno != EINVAL) return Failed("flush", target);
    if (::fchmod(out.Get(), CopiedMode(st.st_mode)) != 0) return Failed("set the permissions of", target);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    (void)::futimens(out.Get(), times);
    return {};
}

TFsStatus RenameNoReplace(const QString& from, const QString& to)
{
    if (::renameat2(AT_FDCWD, EncodeFileName(from).constData(), AT_FDCWD, EncodeFileName(to).constData(),
                    RENAME_NOREPLACE) != 0)
        return Failed("move", from);
    return {};
}

TFsStatus RenameReplacing(const QString& from, const QString& to)
{
    if (::rename(EncodeFileName(from).constData(), EncodeFileName(to).constData()) != 0) return Failed("replace", to);
    return {};
}

TFsStatus ExchangePaths(const QString& a, const QString& b)
{
    if (::renameat2(AT_FDCWD, EncodeFileName(a).constData(), AT_FDCWD, EncodeFileName(b).constData(),
                    RENAME_EXCHANGE) != 0)
        return Failed("replace", b);
    return {};
}

namespace {

// Removes name inside the folder dirfd; errno is kept for the caller on failure.
bool RemoveAt(int dirfd, const char* name, QByteArray& failedAt, const QByteArray& shownPath)
{
    struct stat st {};
    if (::fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return true;
        failedAt = shownPath;
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (::unlinkat(dirfd, name, 0) == 0 || errno == ENOENT) return true;
        failedAt = shownPath;
        return false;
    }
    const int fd = ::openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) { failedAt = shownPath; return false; }
    DIR* dir = ::fdopendir(fd);
    if (!dir) { ::close(fd); failedAt = shownPath; return false; }
    // The names first: removing while reading a folder may skip entries.
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray child(entry->d_name);
        if (child != "." && child != "..") names.push_back(child);
    }
    bool ok = true;
    for (const QByteArray& child : names)
        if (!RemoveAt(::dirfd(dir), child.constData(), failedAt, shownPath + '/' + child)) { ok = false; break; }
    const int saved = errno;
    ::closedir(dir);
    if (!ok) { errno = saved; return false; }
    if (::unlinkat(dirfd, name, AT_REMOVEDIR) == 0 || errno == ENOENT) return true;
    failedAt = shownPath;
    return false;
}

}  // namespace

TFsStatus RemoveTree(const QString& path)
{
    QByteArray p = EncodeFileName(path);
    while (p.size() > 1 && p.endsWith('/')) p.chop(1);
    const qsizetype slash = p.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArrayLiteral(".") : slash == 0 ? QByteArrayLiteral("/") : p.left(slash);
    const QByteArray name = p.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..") return Failed("delete", path, EINVAL);
    TFd parent(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.Get() < 0) return Failed("open the folder", DecodeFileName(folder));
    QByteArray failedAt;
    if (!RemoveAt(parent.Get(), name.constData(), failedAt, p)) return Failed("delete", DecodeFileName(failedAt));
    return {};
}

TFsStatus SyncFileSystem(const QString& folder)
{
    TFd fd(::open(EncodeFileName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0) return Failed("open the folder", folder);
    if (::syncfs(fd.Get()) != 0) return Failed("flush", folder);
    return {};
}

TFsResult<QString> CanonicalFolder(const QString& path)
{
    char* resolved = ::realpath(EncodeFileName(path).constData(), nullptr);
    if (!resolved) return Failed("find", path);
    const QString result = DecodeFileName(QByteArray(resolved));
    ::free(resolved);
    return result;
}

namespace {

bool CountAt(int dirfd, const char* name, TTreeCount& count, const std::function<bool()>& keepGoing)
{
    if (keepGoing && !keepGoing()) return false;
    struct stat st {};
    if (::fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return true;
    if (!S_ISDIR(st.st_mode)) {
        ++count.Files;
        count.Bytes += st.st_size;
        return true;
    }
    ++count.Folders;
    const int fd = ::openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return true;
    DIR* dir = ::fdopendir(fd);
    if (!dir) { ::close(fd); return true; }
    bool going = true;
    while (const dirent* entry = ::readdir(dir)) {
        if (!strcmp(entry->d_name, ".") || !strcmp(entry->d_name, "..")) continue;
        if (!CountAt(::dirfd(dir), entry->d_name, count, keepGoing)) { going = false; break; }
    }
    ::closedir(dir);
    return going;
}

}  // namespace

TFsStatus CountTree(const QString& path, TTreeCount& count, const std::function<bool()>& keepGoing)
{
    const QByteArray p = EncodeFileName(path);
    struct stat st {};
    if (::lstat(p.constData(), &st) != 0) return Failed("read the details of", path);
    if (!CountAt(AT_FDCWD, p.constData(), count, keepGoing)) return Failed("count", path, ECANCELED);
    return {};
}

TFsResult<QStringList> FolderNames(const QString& path)
{
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return Failed("open the folder", path);
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const TFsError error = Failed("open the folder", path);
        ::close(fd);
        return error;
    }
    QStringList names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!strcmp(entry->d_name, ".") || !strcmp(entry->d_name, "..")) continue;
        names.append(DecodeFileName(entry->d_name, qsizetype(strlen(entry->d_name))));
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) return Failed("read the folder", path, error);
    return names;
}

TFsStatus SetPermissions(const QString& path, unsigned mode)
{
    TFd fd(::open(EncodeFileName(path).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (fd.Get() < 0) return Failed("open", path);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return Failed("read the details of", path);
    if (S_ISLNK(st.st_mode)) return Failed("set the permissions of", path, EINVAL);
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd.Get());
    if (::chmod(proc.constData(), mode & 01777) != 0) return Failed("set the permissions of", path);
    return {};
}
