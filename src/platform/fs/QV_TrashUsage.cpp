#include "platform/fs/QV_TrashUsage.h"

#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/fs/QV_Trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

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
    QStringList folders;
    for (const QString& trash : TrashFolders()) folders.append(trash);
    return MeasureTrash(folders, keepGoing);
}
