#include "platform/fs/QV_Trash.h"

#include "platform/fs/QV_FileCopy.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/fs/QV_Mounts.h"

#include <QDateTime>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Information files are a few hundred bytes; anything far larger is not one.
constexpr qint64 InfoFileLimit = 64 * 1024;

QByteArray Bytes(const QString& path) { return EncodeFileName(path); }

TFsError Failed(const char* what, const QString& path, int code = errno)
{
    return TFsError{code, QString::fromLatin1(what) + QLatin1Char(' ') + DisplayFileName(path)};
}

QString ParentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString NameOf(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

bool IsRealFolder(const QByteArray& path, struct stat* out = nullptr)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (out) *out = st;
    return true;
}

// A trash folder with files/ and info/, created owner-only when missing. A
// trash that is a link, or belongs to someone else, is not ours to use.
bool PrepareTrash(const QString& trash, bool create)
{
    const QByteArray t = Bytes(trash);
    struct stat st {};
    if (!IsRealFolder(t, &st)) {
        if (!create || ::mkdir(t.constData(), 0700) != 0 || !IsRealFolder(t, &st)) return false;
    }
    if (st.st_uid != ::getuid()) return false;
    for (const char* sub : {"/files", "/info"}) {
        const QByteArray s = t + sub;
        if (!IsRealFolder(s) && (::mkdir(s.constData(), 0700) != 0 || !IsRealFolder(s))) return false;
    }
    return true;
}

QString HomeTrashParent()
{
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (!dataHome.isEmpty() && dataHome.startsWith('/')) return DecodeFileName(dataHome);
    return HomeFolder() + QStringLiteral("/.local/share");
}

QString Uid() { return QString::number(::getuid()); }

// The volume's own trashes in the order they are preferred.
QStringList VolumeTrashes(const QString& topdir)
{
    const QString top = topdir == QLatin1String("/") ? QString() : topdir;
    QStringList list;
    // The administrator's shared trash counts only when it is sticky and no link.
    struct stat st {};
    const QByteArray shared = Bytes(top + QStringLiteral("/.Trash"));
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX))
        list.append(top + QStringLiteral("/.Trash/") + Uid());
    list.append(top + QStringLiteral("/.Trash-") + Uid());
    return list;
}

// The top folder of the volume that holds path (links above it resolved).
QString TopDirOf(const QString& path)
{
    const TFsResult<QString> folder = CanonicalFolder(ParentOf(path));
    TMountEntry mount;
    if (!folder || !CurrentMountOf(folder.Value(), mount)) return QStringLiteral("/");
    return mount.MountPoint;
}

bool SameDevice(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    return ::lstat(Bytes(a).constData(), &sa) == 0 && ::lstat(Bytes(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev;
}

// Writes the information file with O_EXCL; false with errno when the name is taken.
bool WriteInfo(const QByteArray& infoPath, const QByteArray& text)
{
    const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const char* data = text.constData();
    size_t left = size_t(text.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) { const int e = n < 0 ? errno : EIO; ::close(fd); ::unlink(infoPath.constData()); errno = e; return false; }
        data += n;
        left -= size_t(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) { const int e = errno; ::unlink(infoPath.constData()); errno = e; return false; }
    return true;
}

TFsResult<QString> TrashInto(const QString& trash, const QString& path, const QByteArray& infoPathText)
{
    const QString name = NameOf(path);
    const QByteArray info = "[Trash Info]\nPath=" + EncodeTrashPath(infoPathText) + "\nDeletionDate=" +
                            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + '\n';
    for (int n = 1; n < 10000; ++n) {
        const QString entry = n == 1 ? name : name + QStringLiteral(".%1").arg(n);
        const QByteArray infoPath = Bytes(trash + QStringLiteral("/info/") + entry + QStringLiteral(".trashinfo"));
        if (!WriteInfo(infoPath, info)) {
            if (errno == EEXIST) continue;
            return Failed("write the trash information of", path);
        }
        const TFsStatus moved = RenameNoReplace(path, trash + QStringLiteral("/files/") + entry);
        if (moved) return entry;
        ::unlink(infoPath.constData());
        if (moved.Code() != EEXIST) return moved.Error();
    }
    return Failed("find a free trash name for", path, EEXIST);
}

qint64 EntrySize(const TTrashEntry& entry)
{
    TTreeCount count;
    if (!CountTree(entry.FilesPath(), count)) return 0;
    return count.Bytes;
}

// A normalised absolute path without "." or ".." steps, or empty when the text
// climbs above the root.
QString CleanAbsolute(const QString& path)
{
    QStringList parts;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) {
            if (parts.isEmpty()) return QString();
            parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

bool Inside(const QString& path, const QString& top)
{
    if (top == QLatin1String("/")) return true;
    return path == top || path.startsWith(top + QLatin1Char('/'));
}

// The volume a volume trash serves: "topdir" of topdir/.Trash-uid or topdir/.Trash/uid.
QString TopOfTrash(const QString& trash)
{
    QString top = ParentOf(trash);
    if (NameOf(top) == QLatin1String(".Trash")) top = ParentOf(top);
    return top;
}

// The original path an information file gives, checked against its trash: a
// volume trash restores only inside its own volume.
QString OriginalOf(const QByteArray& pathText, const QString& trash, bool home)
{
    QByteArray bytes;
    if (pathText.isEmpty() || !DecodeTrashPath(pathText, bytes) || bytes.contains('\0')) return QString();
    const QString text = DecodeFileName(bytes);
    if (home) return text.startsWith(QLatin1Char('/')) ? CleanAbsolute(text) : QString();
    const QString top = TopOfTrash(trash);
    const QString full = CleanAbsolute(text.startsWith(QLatin1Char('/')) ? text : top + QLatin1Char('/') + text);
    return !full.isEmpty() && full != top && Inside(full, top) ? full : QString();
}

// Reads info/<file> of a trash into entry; false when its entry in files/ is
// gone (such an information file is left for its owner to clean). A garbage
// information file still gives an entry, without an original path.
bool LoadEntry(const QString& trash, bool home, const QByteArray& file, TTrashEntry& entry)
{
    if (!file.endsWith(".trashinfo") || file.size() == 10 || file.contains('/')) return false;
    entry = TTrashEntry();
    entry.TrashFolder = trash;
    entry.Name = DecodeFileName(file.left(file.size() - 10));
    struct stat st {};
    if (::lstat(Bytes(entry.FilesPath()).constData(), &st) != 0) return false;
    entry.Folder = S_ISDIR(st.st_mode);
    QByteArray text;
    const QByteArray infoPath = Bytes(trash + QStringLiteral("/info/")) + file;
    const int fd = ::open(infoPath.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        struct stat is {};
        if (::fstat(fd, &is) == 0 && S_ISREG(is.st_mode) && is.st_size <= InfoFileLimit) {
            text.resize(qsizetype(is.st_size));
            const ssize_t n = ::read(fd, text.data(), size_t(text.size()));
            text.resize(n > 0 ? qsizetype(n) : 0);
        }
        ::close(fd);
    }
    QByteArray path, date;
    if (ParseTrashInfo(text, path, date)) {
        entry.OriginalPath = OriginalOf(path, trash, home);
        const QDateTime when = QDateTime::fromString(QString::fromLatin1(date), Qt::ISODate);
        if (when.isValid()) entry.DeletedMs = when.toMSecsSinceEpoch();
    }
    return true;
}

void ListOne(const QString& trash, bool home, std::vector<TTrashEntry>& out)
{
    const QByteArray infoFolder = Bytes(trash + QStringLiteral("/info"));
    DIR* dir = ::opendir(infoFolder.constData());
    if (!dir) return;
    while (const dirent* d = ::readdir(dir)) {
        TTrashEntry entry;
        if (LoadEntry(trash, home, QByteArray(d->d_name), entry)) out.push_back(std::move(entry));
    }
    ::closedir(dir);
}

// The deepest folder of path's ancestors that exists, with its links resolved.
QString ExistingAncestor(const QString& path)
{
    for (QString up = ParentOf(path);; up = ParentOf(up)) {
        if (const TFsResult<QString> folder = CanonicalFolder(up)) return folder.Value();
        if (up == QLatin1String("/")) return QStringLiteral("/");
    }
}

}  // namespace

QString HomeTrashFolder() { return HomeTrashParent() + QStringLiteral("/Trash"); }

QString TTrashEntry::FilesPath() const { return TrashFolder + QStringLiteral("/files/") + Name; }
QString TTrashEntry::InfoPath() const { return TrashFolder + QStringLiteral("/info/") + Name + QStringLiteral(".trashinfo"); }

QByteArray EncodeTrashPath(const QByteArray& bytes)
{
    return bytes.toPercentEncoding("/");
}

bool DecodeTrashPath(const QByteArray& text, QByteArray& bytes)
{
    bytes.clear();
    bytes.reserve(text.size());
    const auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '%') { bytes.append(text[i]); continue; }
        if (i + 2 >= text.size()) return false;
        const int hi = hex(text[i + 1]), lo = hex(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        bytes.append(char(hi * 16 + lo));
        i += 2;
    }
    return true;
}

bool ParseTrashInfo(const QByteArray& text, QByteArray& path, QByteArray& date)
{
    path.clear();
    date.clear();
    bool inGroup = false, sawGroup = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
            sawGroup = sawGroup || inGroup;
            continue;
        }
        if (!inGroup) continue;
        if (line.startsWith("Path=") && path.isEmpty()) path = line.mid(5);
        else if (line.startsWith("DeletionDate=") && date.isEmpty()) date = line.mid(13);
    }
    return sawGroup && !path.isEmpty();
}

TFsResult<QString> MoveToTrash(const QString& path)
{
    QString clean = path;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/'))) clean.chop(1);
    struct stat st {};
    if (::lstat(Bytes(clean).constData(), &st) != 0) return Failed("move to the trash", clean);

    const QString homeTrash = HomeTrashFolder();
    const QString top = TopDirOf(clean);
    if (Inside(clean, homeTrash) || Inside(clean, top + QStringLiteral("/.Trash-") + Uid()))
        return Failed("move to the trash", clean, EINVAL);
    // The home trash serves its own file system; its parent must exist there.
    if (SameDevice(clean, HomeTrashParent()) && PrepareTrash(homeTrash, true)) {
        if (!SameDevice(clean, homeTrash)) return Failed("move to the trash", clean, ENOTSUP);
        const TFsResult<QString> folder = CanonicalFolder(ParentOf(clean));
        if (!folder) return folder.Error();
        const QString absolute = (folder.Value() == QLatin1String("/") ? QString() : folder.Value()) +
                                 QLatin1Char('/') + NameOf(clean);
        return TrashInto(homeTrash, clean, Bytes(absolute));
    }
    const TFsResult<QString> folder = CanonicalFolder(ParentOf(clean));
    if (!folder) return folder.Error();
    const QString absolute = (folder.Value() == QLatin1String("/") ? QString() : folder.Value()) +
                             QLatin1Char('/') + NameOf(clean);
    const QString relative = top == QLatin1String("/") ? absolute.mid(1) : absolute.mid(top.size() + 1);
    for (const QString& trash : VolumeTrashes(top)) {
        const bool shared = trash.contains(QStringLiteral("/.Trash/"));
        if (!PrepareTrash(trash, true) || !SameDevice(clean, trash)) {
            if (shared) continue;
            break;
        }
        return TrashInto(trash, clean, Bytes(relative));
    }
    return Failed("move to the trash (the volume has none)", clean, ENOTSUP);
}

std::vector<QString> TrashFolders()
{
    std::vector<QString> folders{HomeTrashFolder()};
    for (const TMountEntry& mount : CurrentMounts()) {
        if (MountCanHang(mount)) continue;
        for (const QString& trash : VolumeTrashes(mount.MountPoint)) {
            if (std::find(folders.begin(), folders.end(), trash) != folders.end()) continue;
            if (IsRealFolder(Bytes(trash + QStringLiteral("/info")))) folders.push_back(trash);
        }
    }
    return folders;
}

std::vector<TTrashEntry> ListTrash()
{
    std::vector<TTrashEntry> entries;
    const std::vector<QString> folders = TrashFolders();
    for (size_t i = 0; i < folders.size(); ++i) ListOne(folders[i], i == 0, entries);
    return entries;
}

bool FindTrashEntry(const QString& FilesPath, TTrashEntry& Entry)
{
    const QString files = ParentOf(FilesPath);
    if (NameOf(files) != QLatin1String("files")) return false;
    const QString trash = ParentOf(files);
    const std::vector<QString> folders = TrashFolders();
    const auto found = std::find(folders.begin(), folders.end(), trash);
    if (found == folders.end()) return false;
    TTrashEntry loaded;
    if (!LoadEntry(trash, found == folders.begin(), Bytes(NameOf(FilesPath) + QStringLiteral(".trashinfo")), loaded))
        return false;
    Entry = std::move(loaded);
    return true;
}

TFsStatus RestoreFromTrash(const TTrashEntry& entry, const QString& target)
{
    const QString to = target.isEmpty() ? entry.OriginalPath : target;
    if (to.isEmpty()) return Failed("restore (its original place is unknown)", entry.Name, EINVAL);
    if (!to.startsWith(QLatin1Char('/')) || CleanAbsolute(to) != to || to == QLatin1String("/"))
        return Failed("restore to", to, EINVAL);
    // A volume's trash gives back only to its own volume, also where a folder
    // on the way has since become a link that leads elsewhere.
    if (entry.TrashFolder != HomeTrashFolder()) {
        const QString top = TopOfTrash(entry.TrashFolder);
        if (!Inside(to, top) || !Inside(ExistingAncestor(to), top))
            return Failed("restore outside its volume to", to, EXDEV);
    }
    // The folders above may have gone since; they come back as the user had them.
    QStringList missing;
    for (QString up = ParentOf(to); up != QLatin1String("/") && !IsRealFolder(Bytes(up)); up = ParentOf(up))
        missing.prepend(up);
    for (const QString& folder : missing)
        if (::mkdir(Bytes(folder).constData(), 0755) != 0 && errno != EEXIST) return Failed("create the folder", folder);
    if (TFsStatus moved = RenameNoReplace(entry.FilesPath(), to); !moved) return moved;
    if (::unlink(Bytes(entry.InfoPath()).constData()) != 0 && errno != ENOENT)
        return Failed("remove the trash information of", entry.Name);
    return {};
}

TFsStatus DeleteFromTrash(const TTrashEntry& entry)
{
    if (TFsStatus removed = RemoveTree(entry.FilesPath()); !removed) return removed;
    if (::unlink(Bytes(entry.InfoPath()).constData()) != 0 && errno != ENOENT)
        return Failed("remove the trash information of", entry.Name);
    return {};
}

qint64 TrashCount() { return qint64(ListTrash().size()); }

qint64 TrashSize()
{
    qint64 total = 0;
    for (const TTrashEntry& entry : ListTrash()) total += EntrySize(entry);
    return total;
}
