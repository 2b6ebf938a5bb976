#include "platform/fs/QV_ProgramFolder.h"

#include "platform/QV_Report.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileOps.h"
#include "platform/fs/QV_FileSystem.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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


// --- Keeping a seeded Data/ up to date ---
//
// Data/.seeded remembers, for every file the defaults put there, the hash of
// what was put there, and in its first line a stamp of the installed tree. A
// newer installation (another stamp) then adds the files the user lacks and
// replaces the ones the user never changed; a file the user changed stays.

const char ManifestName[] = ".seeded";

struct TDefaultFile {
    QByteArray Relative; // below Data/, "/"-separated
    qint64 Size = 0;
    qint64 Modified = 0;
};

void ListDefaults(const QByteArray& root, const QByteArray& relative, int depth, std::vector<TDefaultFile>& out)
{
    if (depth > MaxDepth) return;
    const QByteArray folder = relative.isEmpty() ? root : root + '/' + relative;
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent* d = ::readdir(dir)) {
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
        const QByteArray name(d->d_name);
        if (name.contains('\n')) continue; // cannot stand in the manifest, and no installation has one
        const QByteArray child = relative.isEmpty() ? name : relative + '/' + name;
        struct stat st {};
        if (::stat((root + '/' + child).constData(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) ListDefaults(root, child, depth + 1, out);
        else if (S_ISREG(st.st_mode)) out.push_back({child, qint64(st.st_size), qint64(st.st_mtime)});
    }
    ::closedir(dir);
}

QByteArray HashOfFile(const QByteArray& path)
{
    QFile file(DecodeFileName(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return {};
    return hash.result().toHex();
}

QByteArray StampOf(const std::vector<TDefaultFile>& files)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const TDefaultFile& f : files)
        hash.addData(f.Relative + '\0' + QByteArray::number(f.Size) + '\0' + QByteArray::number(f.Modified) + '\n');
    return hash.result().toHex();
}

// A copy beside the target, renamed over it: the user's file is either the old
// or the new one, never half of either.
bool ReplaceWithCopy(const QByteArray& from, const QByteArray& to, bool replace)
{
    const qsizetype slash = to.lastIndexOf('/');
    if (slash > 0 && !MakeFolders(to.left(slash))) return false;
    QByteArray temp = to.left(slash + 1) + ".seed-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(temp.constData());
    if (!CopyFile(from, temp, 0644)) {
        ::unlink(temp.constData());
        return false;
    }
    const int done = replace ? ::rename(temp.constData(), to.constData())
                             : ::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (done != 0) ::unlink(temp.constData());
    return done == 0;
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

int UpdateUserData(const QString& userFolder, const QString& defaultData)
{
    const QByteArray data = EncodeFileName(userFolder) + "/Data";
    const QByteArray source = EncodeFileName(defaultData);
    if (defaultData.isEmpty() || !IsFolder(source) || !IsFolder(data)) return 0;
    std::vector<TDefaultFile> defaults;
    ListDefaults(source, QByteArray(), 0, defaults);
    const QByteArray stamp = StampOf(defaults);

    const QByteArray manifestPath = data + '/' + ManifestName;
    QHash<QByteArray, QByteArray> seeded; // relative path -> hash of what the defaults put there
    {
        QFile manifest(DecodeFileName(manifestPath));
        if (manifest.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = manifest.readAll().split('\n');
            if (!lines.isEmpty() && lines.first() == "#stamp " + stamp) return 0;
            for (const QByteArray& line : lines) {
                const qsizetype blank = line.indexOf(' ');
                if (blank > 0 && !line.startsWith('#')) seeded.insert(line.mid(blank + 1), line.left(blank));
            }
        }
    }

    int changed = 0;
    QByteArray manifest = "#stamp " + stamp + '\n';
    for (const TDefaultFile& file : defaults) {
        const QByteArray from = source + '/' + file.Relative;
        const QByteArray to = data + '/' + file.Relative;
        const QByteArray fresh = HashOfFile(from);
        if (fresh.isEmpty()) continue;
        QByteArray recorded = fresh;
        struct stat st {};
        if (::lstat(to.constData(), &st) != 0) {
            if (ReplaceWithCopy(from, to, false)) ++changed;
        } else if (S_ISREG(st.st_mode)) {
            const QByteArray mine = HashOfFile(to);
            const QByteArray before = seeded.value(file.Relative);
            if (mine == fresh) {
                // Already the new default.
            } else if (!before.isEmpty() && mine == before) {
                if (ReplaceWithCopy(from, to, true)) ++changed;
                else recorded = before;
            } else {
                // Changed by the user (or by an older version we kept no record of): kept.
                recorded = before.isEmpty() ? mine : before;
            }
        } else {
            continue; // a folder or link of the user's where a default file would go: left alone
        }
        manifest += recorded + ' ' + file.Relative + '\n';
    }
    if (const TFsStatus written = WriteFileAtomic(DecodeFileName(manifestPath), manifest); !written)
        ReportFailure("Default data", written.Error().Message());
    return changed;
}

QString FindProgramFolder(const TProgramPlaces& places)
{
    if (HoldsData(places.WorkingFolder)) return places.WorkingFolder;
    if (HoldsData(places.ExeFolder)) return places.ExeFolder;
    if (SeedUserFolder(places.UserFolder, places.DefaultData)) UpdateUserData(places.UserFolder, places.DefaultData);
    return places.UserFolder;
}

QString FindProgramFolder()
{
    return FindProgramFolder(CurrentProgramPlaces());
}
