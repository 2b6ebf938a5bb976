// The file-system helpers of QV_System.h: drives, existence tests and the names
// shown for paths.

#include "foundation/QV_DriveProbe.h"
#include "foundation/QV_System.h"
#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/fs/QV_Mounts.h"

namespace {

TDriveProbe& HangingMountProbe()
{
    static TDriveProbe probe([](const QString& mountPoint) {
        TVolumeSpace space;
        return QueryVolumeSpace(mountPoint, space);
    });
    return probe;
}

// Local volumes answer at once, so only mounts that can hang get the timed check.
bool MountAnswers(const TMountEntry& mount)
{
    if (MountCanHang(mount)) return HangingMountProbe().Ready(mount.MountPoint);
    TVolumeSpace space;
    return QueryVolumeSpace(mount.MountPoint, space);
}

// False when the volume holding the resolved path can hang and does not answer
// now: nothing on it may be asked a plain stat.
bool VolumeAnswersFor(const QString& resolved)
{
    TMountEntry mount;
    return !(CurrentMountOf(resolved, mount) && MountCanHang(mount) && !HangingMountProbe().Ready(mount.MountPoint));
}

QString AfterLastDelimiter(const QString& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace

bool IsDriveReady(const QString& drive)
{
    TMountEntry mount;
    return CurrentMountOf(drive, mount) && MountAnswers(mount);
}

bool PathExists(const QString& path, int mode)
{
    const QString resolved = ResolvePath(path);
    if (!VolumeAnswersFor(resolved)) return false;
    const TPathKind kind = PathKindOf(resolved);
    switch (mode) {
    case emFolder: return kind == TPathKind::pkFolder;
    case emFile: return kind == TPathKind::pkFile || kind == TPathKind::pkOther;
    default: return kind != TPathKind::pkNone;
    }
}

bool ItemExists(const QString& path)
{
    // The guard comes before any plain stat: one on a hung mount never returns.
    const QString resolved = ResolvePath(path);
    if (!VolumeAnswersFor(resolved)) return false;
    return PathKindOf(ExcludeTrailingPathDelimiter(resolved)) == TPathKind::pkFile ||
           PathKindOf(resolved) != TPathKind::pkNone;
}

bool FolderHasEntries(const QString& path)
{
    return PathExists(path, emAny) && FolderHasAnyEntry(ResolvePath(path));
}

bool IsDriveRoot(const QString& path)
{
    const QString point = ExcludeTrailingPathDelimiter(path);
    TMountEntry mount;
    return CurrentMountOf(point, mount) && mount.MountPoint == point;
}

QString DisplayName(const QString& path)
{
    QString result = path;
    if (PathExists(path, emAny)) result = AfterLastDelimiter(ExcludeTrailingPathDelimiter(path));
    if (IsDriveRoot(path)) result = IncludeTrailingPathDelimiter(path);
    return result;
}

QString TabCaption(const QString& path)
{
    if (path == QDrivePath) return QStringLiteral("Quick Drive");
    if (path == TrashPath) return QStringLiteral("Trash");
    if (path == QLatin1String("*105*")) return QStringLiteral("Search...");
    if (IsDriveRoot(path)) return IncludeTrailingPathDelimiter(path);
    return path;
}

bool IsTrashPlace(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(TrashPath, Qt::CaseInsensitive) == 0) return true;
    for (const char* uri : {"trash:", "trash:/", "trash:///"})
        if (t.compare(QLatin1String(uri), Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString LastFolderName(const QString& path)
{
    QString folder = ExcludeTrailingPathDelimiter(path);
    if (PathExists(path, emFile)) {
        const qsizetype slash = folder.lastIndexOf('/');
        if (slash >= 0) folder = slash == 0 ? QStringLiteral("/") : folder.left(slash);
    }
    // The root has no name after its delimiter; it is shown as itself.
    if (folder == QLatin1String("/")) return folder;
    return AfterLastDelimiter(folder);
}

QString TypeKey(const QString& folder, const TDirEntry& entry)
{
    if (entry.Is(faDirectory)) return QStringLiteral(".folder");
    const QString name = entry.Name.toLower();
    const qsizetype dot = name.lastIndexOf('.');
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    // The existence test takes the name as it stands: a file name is never an alias.
    if (extension.isEmpty() && PathKindOf(folder + entry.Name) == TPathKind::pkNone) return QStringLiteral(".unknown");
    return extension;
}

qint64 FileSizeOf(const TDirEntry& entry)
{
    return entry.Size;
}

QDateTime FileTimeToDateTime(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::LocalTime);
}

qint64 DriveCapacity(const QString& root)
{
    TMountEntry mount;
    TVolumeSpace space;
    if (!CurrentMountOf(root, mount) || !MountAnswers(mount) || !QueryVolumeSpace(mount.MountPoint, space)) return -1;
    return space.Total;
}

QString VolumeLabel(const QString& root)
{
    TMountEntry mount;
    if (!CurrentMountOf(root, mount) || !MountAnswers(mount)) return {};
    if (!mount.Source.startsWith(QLatin1String("/dev/"))) return {};
    return LabelOfDevice(mount.Source).left(256);
}

bool MatchesAny(const QString& text, const TStringArray& list)
{
    const auto fold = [](QChar c) { return c >= 'A' && c <= 'Z' ? QChar(c.unicode() + 32) : c; };
    for (const QString& item : list) {
        if (item.size() != text.size()) continue;
        qsizetype i = 0;
        while (i < text.size() && fold(text[i]) == fold(item[i])) ++i;
        if (i == text.size()) return true;
    }
    return false;
}
