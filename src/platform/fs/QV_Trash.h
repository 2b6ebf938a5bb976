#pragma once
// The desktop's trash, as every Linux file manager shares it: the home trash
// ($XDG_DATA_HOME/Trash) for files on the home folder's file system, and on
// other volumes "$topdir/.Trash/$uid" (when the administrator made a sticky,
// non-link ".Trash") or else "$topdir/.Trash-$uid". Each trashed entry lives in
// files/ with a "<name>.trashinfo" in info/ giving its original path (percent
// encoded) and deletion date. Nothing is ever copied across devices: a volume
// without a usable trash answers ENOTSUP and the caller decides.

#include "platform/fs/QV_FsResult.h"

#include <QString>

#include <functional>
#include <vector>

// The home trash folder ($XDG_DATA_HOME/Trash, default ~/.local/share/Trash).
QString HomeTrashFolder();

// Moves path to the trash of its volume; answers the entry's name in files/.
// ENOTSUP: the volume has no trash we may use.
TFsResult<QString> MoveToTrash(const QString& path);

struct TTrashEntry {
    QString TrashFolder;   // the trash folder that holds it
    QString Name;          // its name in files/ (and info/<Name>.trashinfo)
    // Where it came from; empty when its information file is garbage or points
    // outside its volume (it can then only be deleted).
    QString OriginalPath;
    qint64 DeletedMs = 0;  // local time of the deletion, as milliseconds since the epoch
    bool Folder = false;

    QString FilesPath() const;
    QString InfoPath() const;
};

// Every entry of every trash: the home trash and the trashes of the mounted
// volumes (mounts that can hang, such as network file systems, are left out).
std::vector<TTrashEntry> ListTrash();

// The trash folders in use (the home one always, others when they exist).
std::vector<QString> TrashFolders();

// The entry whose item in files/ is FilesPath, in one of TrashFolders(); false
// for any other path, or when its information file is missing (Entry is then
// left as it was).
bool FindTrashEntry(const QString& FilesPath, TTrashEntry& Entry);

// Puts the entry back at target (its original path when empty), creating the
// folders above it; never replaces (EEXIST, and nothing moves). A target that
// is not a clean absolute path is refused (EINVAL), and so is one outside the
// volume of a volume's trash, links on the way resolved (EXDEV).
TFsStatus RestoreFromTrash(const TTrashEntry& entry, const QString& target = QString());

// Deletes the entry for good.
TFsStatus DeleteFromTrash(const TTrashEntry& entry);

// The number of entries and their total size (folders counted whole).
qint64 TrashCount();
qint64 TrashSize();

// Percent-encoding of a path's bytes as the trash information files hold it,
// and back; Decode answers false for malformed escapes.
QByteArray EncodeTrashPath(const QByteArray& bytes);
bool DecodeTrashPath(const QByteArray& text, QByteArray& bytes);

// Reads a ".trashinfo" text; false when it is not one. Relative paths are
// returned as they are.
bool ParseTrashInfo(const QByteArray& text, QByteArray& path, QByteArray& date);
