#pragma once
// Path aliases, the process-wide names they expand to, and the small file-system
// helpers shared by every subsystem.

#include <QDateTime>
#include <QString>
#include <QStringList>

struct TDirEntry;

// The names the aliases expand to. Written by the settings loader on the main
// thread, read from any thread: readers always get a consistent copy.
struct TAliasNames {
    QString AppPath;      // the program folder, no trailing delimiter ("/" at the root)
    QString ControlTheme = QStringLiteral("Default");
    QString ButtonTheme = QStringLiteral("Default");
    QString FilesTheme = QStringLiteral("Default");
    QString Lang = QStringLiteral("English");
};

TAliasNames AliasNames();
void SetAliasNames(const TAliasNames& names);
QString AppPath();

// Kinds of user shell folders GetShellFolder knows.
enum class TShellFolder { sfDesktop, sfStartMenu, sfPrograms, sfStartup, sfPersonal, sfWindows, sfSystem };

// Expands the aliases ("ControlThemePath:\Items\Back.png", "SettingsFile:\").
// Prefix aliases are replaced where they stand and the "\" after them become "/";
// whole aliases give a fixed path. When several aliases occur, the last matching
// one in table order wins, as every test works on the input, not the result.
QString ResolvePath(const QString& path);

// Turns the program folder at the start of a resolved path back into "AppPath:\",
// with "\" between the components after it, for storing in data files.
QString ToAliasPath(const QString& path);

// A user folder with a trailing delimiter, or empty when the system has none.
// Only sfPersonal (the documents folder) and sfDesktop are known on this system.
QString GetShellFolder(TShellFolder kind);

QString IncludeTrailingPathDelimiter(const QString& path);
QString ExcludeTrailingPathDelimiter(const QString& path);

// Mode of PathExists.
enum TExistsMode { emAny = 0, emFolder = 1, emFile = 2 };

// The file-system helpers below live in QV_SystemFiles.cpp. A "drive" is a mounted
// volume; its root is the mount point.

using TStringArray = QStringList;

// Whether the volume holding a path (a mount point or any path in it) answers: its
// statvfs returns within 1.5 s. False for relative and empty paths.
bool IsDriveReady(const QString& drive);

// Resolves the aliases, checks that the volume answers (timed only for network
// and FUSE mounts, the ones that can hang), then tests that the path exists as
// the mode asks. A device, FIFO or socket counts as a file.
bool PathExists(const QString& path, int mode = emAny);

// The path without trailing delimiter is an existing file, or PathExists(path).
bool ItemExists(const QString& path);

// The folder exists and holds at least one entry.
bool FolderHasEntries(const QString& path);

// The path, with or without trailing delimiter, is a mount point.
bool IsDriveRoot(const QString& path);

// The name shown for a path: its last component when it exists, a mount point as
// the whole path with a trailing delimiter, anything else unchanged.
QString DisplayName(const QString& path);

// The text of a tab: "Quick Drive" for exactly "QDrive:\", "Search..." for
// exactly "*105*", a mount point with a trailing delimiter, else the path.
QString TabCaption(const QString& path);

// The name of the folder a path is, or holds when it is a file; "/" for the root.
QString LastFolderName(const QString& path);

// ".folder" for a folder entry, else the lower-case extension with its dot; an
// entry without extension gives ".unknown" unless folder + name (joined as given;
// callers pass a folder with trailing delimiter) exists.
QString TypeKey(const QString& folder, const TDirEntry& entry);

qint64 FileSizeOf(const TDirEntry& entry);

// Milliseconds since the epoch (UTC) as a local date-time with milliseconds.
QDateTime FileTimeToDateTime(qint64 msecsSinceEpoch);

// The total size in bytes of the volume holding a path; -1 when it does not
// answer (in time) or cannot be read.
qint64 DriveCapacity(const QString& root);

// The label of the volume holding a path (at most 256 characters); empty when it
// has none or does not answer.
QString VolumeLabel(const QString& root);

// An element equals text when only the case of A-Z is ignored.
bool MatchesAny(const QString& text, const TStringArray& list);

// A new random identifier: "0" and six characters from an unambiguous alphabet.
QString MakeID();

// The pseudo-path of the quick-drive view.
inline const QString QDrivePath = QStringLiteral("QDrive:\\");
// The pseudo-path of the trash shown as a place: every volume's trash at once.
inline const QString TrashPath = QStringLiteral("Trash:\\");
// The spellings that name the trash place: "Trash:\" in any letter case and
// the desktop's "trash:", "trash:/" and "trash:///" URIs.
bool IsTrashPlace(const QString& text);
