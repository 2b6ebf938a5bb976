#include "platform/fs/QV_Trash.h"

#include "platform/fs/QV_FileCopy.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/fs/QV_Mounts.h"

#include <QDateTime>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <map>
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

// Writes the information file with O_EXCL; false with errno when the name is
// taken. Unflushed, it reaches the disk with its batch (TTrashBatch::Commit).
bool WriteInfo(const QByteArray& infoPath, const QByteArray& text, bool flush)
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
    // Closed whatever the flush answers; the first error is the one told.
    int error = flush && ::fsync(fd) != 0 ? errno : 0;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(infoPath.constData());
        errno = error;
        return false;
    }
    return true;
}

QByteArray InfoText(const QByteArray& infoPathText, const QByteArray& date)
{
    return "[Trash Info]\nPath=" + EncodeTrashPath(infoPathText) + "\nDeletionDate=" + date + '\n';
}

QByteArray DeletionDateNow()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
}

// One entry at once, its information file flushed before the entry moves.
TFsResult<QString> TrashInto(const QString& trash, const QString& path, const QByteArray& infoPathText)
{
    const QString name = NameOf(path);
    const QByteArray info = InfoText(infoPathText, DeletionDateNow());
    for (int n = 1; n < 10000; ++n) {
        const QString entry = n == 1 ? name : name + QStringLiteral(".%1").arg(n);
        const QByteArray infoPath = Bytes(trash + QStringLiteral("/info/") + entry + QStringLiteral(".trashinfo"));
        if (!WriteInfo(infoPath, info, true)) {
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

TTrashBatch::TTrashBatch() = default;

TTrashBatch::~TTrashBatch() { Abandon(); }

const TTrashBatch::TFolder* TTrashBatch::FolderOf(const QString& parent)
{
    const auto known = folders_.find(parent);
    if (known != folders_.end()) return &known->second;
    const TFsResult<QString> canonical = CanonicalFolder(parent);
    if (!canonical) return nullptr;
    TFolder folder;
    folder.Canonical = canonical.Value();
    TMountEntry mount;
    folder.Top = CurrentMountOf(folder.Canonical, mount) ? mount.MountPoint : QStringLiteral("/");
    return &folders_.emplace(parent, folder).first->second;
}

// The trash for entries of the device under top: the home trash serves its
// own file system (its parent must exist there), a volume its own trash.
const TTrashBatch::TTrash& TTrashBatch::TrashFor(unsigned long long device, const QString& top)
{
    const std::pair<unsigned long long, QString> key{device, top};
    const auto known = trashes_.find(key);
    if (known != trashes_.end()) return known->second;
    const auto deviceOf = [](const QString& path) -> unsigned long long {
        struct stat st {};
        return ::lstat(Bytes(path).constData(), &st) == 0 ? st.st_dev : ~0ull;
    };
    TTrash trash;
    const QString homeTrash = HomeTrashFolder();
    if (deviceOf(HomeTrashParent()) == device && PrepareTrash(homeTrash, true)) {
        if (deviceOf(homeTrash) == device) trash = {homeTrash, true};
    } else {
        for (const QString& candidate : VolumeTrashes(top)) {
            const bool shared = candidate.contains(QStringLiteral("/.Trash/"));
            if (!PrepareTrash(candidate, true) || deviceOf(candidate) != device) {
                if (shared) continue;
                break;
            }
            trash = {candidate, false};
            break;
        }
    }
    return trashes_.emplace(key, trash).first->second;
}

TFsStatus TTrashBatch::Add(const QString& path)
{
    QString clean = path;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/'))) clean.chop(1);
    struct stat st {};
    if (::lstat(Bytes(clean).constData(), &st) != 0) return Failed("move to the trash", clean);
    const TFolder* folder = FolderOf(ParentOf(clean));
    if (!folder) return Failed("move to the trash", clean);
    const QString absolute = (folder->Canonical == QLatin1String("/") ? QString() : folder->Canonical) +
                             QLatin1Char('/') + NameOf(clean);
    const QString& top = folder->Top;
    if (Inside(clean, HomeTrashFolder()) || Inside(absolute, HomeTrashFolder()) ||
        Inside(absolute, (top == QLatin1String("/") ? QString() : top) + QStringLiteral("/.Trash-") + Uid()))
        return Failed("move to the trash", clean, EINVAL);
    const TTrash& trash = TrashFor(st.st_dev, top);
    if (trash.Folder.isEmpty()) return Failed("move to the trash (the volume has none)", clean, ENOTSUP);

    TPending pending;
    pending.Path = clean;
    pending.Trash = trash.Folder;
    pending.InfoPathText = Bytes(trash.Home ? absolute
                                 : top == QLatin1String("/") ? absolute.mid(1)
                                                             : absolute.mid(top.size() + 1));
    // The date has whole seconds: worked out once a second, not once an entry.
    if (const long long now = ::time(nullptr); now != dateSecond_) {
        date_ = DeletionDateNow();
        dateSecond_ = now;
    }
    const QByteArray info = InfoText(pending.InfoPathText, date_);
    const QString name = NameOf(clean);
    const QByteArray files = Bytes(trash.Folder + QStringLiteral("/files/"));
    for (int n = 1; n < 10000; ++n) {
        pending.Entry = n == 1 ? name : name + QStringLiteral(".%1").arg(n);
        // A name taken in files/ (its information file lost) is skipped too.
        struct stat taken {};
        if (::lstat((files + Bytes(pending.Entry)).constData(), &taken) == 0) continue;
        pending.InfoPath = Bytes(trash.Folder + QStringLiteral("/info/") + pending.Entry + QStringLiteral(".trashinfo"));
        if (WriteInfo(pending.InfoPath, info, false)) {
            pending_.push_back(std::move(pending));
            return {};
        }
        if (errno != EEXIST) return Failed("write the trash information of", clean);
    }
    return Failed("find a free trash name for", clean, EEXIST);
}

std::vector<TFsResult<QString>> TTrashBatch::Commit()
{
    // The information files reach the disk before any entry moves: a crash
    // leaves at worst an information file without its entry, which no trash
    // lists, never an entry whose origin is lost.
    std::vector<QString> flushed;
    std::vector<std::pair<QString, TFsError>> unflushed;
    for (const TPending& pending : pending_) {
        if (std::find(flushed.begin(), flushed.end(), pending.Trash) != flushed.end()) continue;
        flushed.push_back(pending.Trash);
        if (TFsStatus synced = SyncFileSystem(pending.Trash + QStringLiteral("/info")); !synced)
            unflushed.emplace_back(pending.Trash, synced.Error());
    }
    std::vector<TFsResult<QString>> results;
    results.reserve(pending_.size());
    for (const TPending& pending : pending_) {
        const auto failed = std::find_if(unflushed.begin(), unflushed.end(),
                                         [&](const auto& u) { return u.first == pending.Trash; });
        if (failed != unflushed.end()) {
            ::unlink(pending.InfoPath.constData());
            results.emplace_back(failed->second);
            continue;
        }
        const TFsStatus moved = RenameNoReplace(pending.Path, pending.Trash + QStringLiteral("/files/") + pending.Entry);
        if (moved) {
            results.emplace_back(pending.Entry);
            continue;
        }
        ::unlink(pending.InfoPath.constData());
        // The name was taken meanwhile: this one alone, under the next free name.
        if (moved.Code() == EEXIST) results.push_back(TrashInto(pending.Trash, pending.Path, pending.InfoPathText));
        else results.emplace_back(moved.Error());
    }
    pending_.clear();
    return results;
}

void TTrashBatch::Abandon()
{
    for (const TPending& pending : pending_) ::unlink(pending.InfoPath.constData());
    pending_.clear();
}

TFsResult<QString> MoveToTrash(const QString& path)
{
    TTrashBatch batch;
    if (TFsStatus added = batch.Add(path); !added) return added.Error();
    return batch.Commit().front();
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
