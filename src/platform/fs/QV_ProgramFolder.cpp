#include "platform/fs/QV_ProgramFolder.h"

#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Default data trees are shallow; the limit only guards against symbolic-link loops.
constexpr int MaxDepth = 32;

bool IsFolder(const QByteArray& path)
{
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool HoldsData(const QString& folder)
{
    return !folder.isEmpty() && IsFolder(EncodeFileName(folder) + "/Data");
}

QString ParentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

bool MakeFolders(const QByteArray& path)
{
    if (path.isEmpty() || IsFolder(path)) return true;
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0 && !MakeFolders(path.left(slash))) return false;
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

bool CopyFile(const QByteArray& from, const QByteArray& to, mode_t mode)
{
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return false;
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        for (ssize_t done = 0; done < n && ok;) {
            const ssize_t w = ::write(out, buffer + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) ok = false;
            else done += w;
        }
        if (!ok) break;
    }
    ::close(in);
    return ::close(out) == 0 && ok;
}

// Copies folders and regular files, following symbolic links; anything else of
// an installed tree (devices, FIFOs) is left out.
bool CopyTree(const QByteArray& from, const QByteArray& to, int depth)
{
    if (depth > MaxDepth) return false;
    DIR* dir = ::opendir(from.constData());
    if (!dir) return false;
    bool ok = true;
    while (const dirent* d = ::readdir(dir)) {
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
        const QByteArray source = from + '/' + d->d_name;
        const QByteArray target = to + '/' + d->d_name;
        struct stat st {};
        if (::stat(source.constData(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode))
            ok = (::mkdir(target.constData(), 0755) == 0) && CopyTree(source, target, depth + 1);
        else if (S_ISREG(st.st_mode))
            ok = CopyFile(source, target, st.st_mode | 0600);
        if (!ok) break;
    }
    ::closedir(dir);
    return ok;
}

// Removes what CopyTree made; symbolic links are never followed.
void RemoveTree(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        if (DIR* dir = ::opendir(path.constData())) {
            while (const dirent* d = ::readdir(dir))
                if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0)
                    RemoveTree(path + '/' + d->d_name);
            ::closedir(dir);
        }
        ::rmdir(path.constData());
    } else {
        ::unlink(path.constData());
    }
}

QString ExecutableFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n >= ssize_t(sizeof buffer)) return {};
    return ParentOf(DecodeFileName(buffer, n));
}

QString WorkingFolder()
{
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? DecodeFileName(QByteArray(buffer)) : QString();
}

} // namespace

TProgramPlaces CurrentProgramPlaces()
{
    TProgramPlaces places;
    places.WorkingFolder = WorkingFolder();
    places.ExeFolder = ExecutableFolder();
    // XDG: a relative XDG_DATA_HOME is invalid and ignored.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (dataHome.startsWith('/'))
        places.UserFolder = DecodeFileName(dataHome) + QStringLiteral("/qorvel");
    else if (const QString home = HomeFolder(); !home.isEmpty())
        places.UserFolder = home + QStringLiteral("/.local/share/qorvel");
    if (!places.ExeFolder.isEmpty())
        places.DefaultData = ParentOf(places.ExeFolder) + QStringLiteral("/share/qorvel/Data");
    return places;
}

bool SeedUserFolder(const QString& userFolder, const QString& defaultData)
{
    const QByteArray folder = EncodeFileName(userFolder);
    const QByteArray data = folder + "/Data";
    struct stat st {};
    if (::lstat(data.constData(), &st) == 0) return S_ISDIR(st.st_mode) || IsFolder(data);
    const QByteArray source = EncodeFileName(defaultData);
    if (defaultData.isEmpty() || !IsFolder(source) || !MakeFolders(folder)) return false;
    QByteArray temp = folder + "/.Data-XXXXXX";
    if (!::mkdtemp(temp.data())) return false;
    ::chmod(temp.constData(), 0755);
    if (!CopyTree(source, temp, 0)) {
        RemoveTree(temp);
        return false;
    }
    // Another instance may have seeded the folder meanwhile; its copy stays.
    if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, data.constData(), RENAME_NOREPLACE) != 0) {
        RemoveTree(temp);
        return IsFolder(data);
    }
    return true;
}

QString FindProgramFolder(const TProgramPlaces& places)
{
    if (HoldsData(places.WorkingFolder)) return places.WorkingFolder;
    if (HoldsData(places.ExeFolder)) return places.ExeFolder;
    SeedUserFolder(places.UserFolder, places.DefaultData);
    return places.UserFolder;
}

QString FindProgramFolder()
{
    return FindProgramFolder(CurrentProgramPlaces());
}
