#include "platform/fs/QV_Trash.h"

#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/fs/QV_Mounts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

QString HomeTrash()
{
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (!dataHome.isEmpty() && dataHome.startsWith('/')) return DecodeFileName(dataHome) + QStringLiteral("/Trash");
    const QString home = HomeFolder();
    return home.isEmpty() ? QString() : home + QStringLiteral("/.local/share/Trash");
}

bool IsRealFolder(const QByteArray& path, struct stat* st)
{
    return ::lstat(path.constData(), st) == 0 && S_ISDIR(st->st_mode);
}

// The volume's trash folders for this user. ".Trash" counts only when it is a
// real folder with the sticky bit, so that another user cannot plant one.
void AddVolumeTrashes(const QString& mountPoint, QStringList& out)
{
    const QString root = mountPoint == QLatin1String("/") ? QString() : mountPoint;
    const QString uid = QString::number(::getuid());
    struct stat st {};
    const QString shared = root + QStringLiteral("/.Trash");
    if (IsRealFolder(EncodeFileName(shared), &st) && (st.st_mode & S_ISVTX)) {
        const QString mine = shared + QLatin1Char('/') + uid;
        if (IsRealFolder(EncodeFileName(mine), &st)) out.append(mine);
    }
    const QString own = root + QStringLiteral("/.Trash-") + uid;
    if (IsRealFolder(EncodeFileName(own), &st)) out.append(own);
}

// Adds the bytes of everything below the open folder fd; false when stopped.
bool AddFolderBytes(int fd, qint64& size, const std::function<bool()>& keepGoing, int depth)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return true;
    }
    bool going = true;
    while (dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        if (keepGoing && !keepGoing()) {
            going = false;
            break;
        }
        struct stat st {};
        if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            // Deep trees end somewhere; a hostile one must not exhaust descriptors.
            if (depth >= 64) continue;
            const int child = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0 && !AddFolderBytes(child, size, keepGoing, depth + 1)) {
                going = false;
                break;
            }
        } else {
            size += st.st_size;
        }
    }
    ::closedir(dir);
    return going;
}

}  // namespace

QStringList TrashFolders()
{
    QStringList folders;
    struct stat st {};
    if (const QString home = HomeTrash(); !home.isEmpty() && IsRealFolder(EncodeFileName(home), &st))
        folders.append(home);
    for (const TDrive& drive : VisibleDrives()) {
        // A network or FUSE volume can hang, and the count must never stall on one.
        if (MountCanHang(drive.Mount)) continue;
        AddVolumeTrashes(drive.Mount.MountPoint, folders);
    }
    folders.removeDuplicates();
    return folders;
}

TFsResult<TTrashUsage> MeasureTrash(const QStringList& trashFolders, const std::function<bool()>& keepGoing)
{
    TTrashUsage usage;
    for (const QString& trash : trashFolders) {
        const QString files = trash + QStringLiteral("/files");
        const int fd = ::open(EncodeFileName(files).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) continue;
            return TFsError::FromErrno(QStringLiteral("read trash %1").arg(files));
        }
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return TFsError::FromErrno(QStringLiteral("read trash %1").arg(files));
        }
        while (dirent* entry = ::readdir(dir)) {
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            if (keepGoing && !keepGoing()) break;
            ++usage.Count;
            struct stat st {};
            if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (!S_ISDIR(st.st_mode)) {
                usage.Size += st.st_size;
                continue;
            }
            const int child = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0 && !AddFolderBytes(child, usage.Size, keepGoing, 1)) break;
        }
        ::closedir(dir);
    }
    return usage;
}

TFsResult<TTrashUsage> QueryTrashUsage(const std::function<bool()>& keepGoing)
{
    return MeasureTrash(TrashFolders(), keepGoing);
}
