#pragma once
// The desktop's trash, as every Linux file manager shares it: the home trash
// ($XDG_DATA_HOME/Trash) for files on the home folder's file system, and on
// other volumes "$topdir/.Trash/$uid" (when the administrator made a sticky,
// non-link ".Trash") or else "$topdir/.Trash-$uid". Each trashed entry lives in
// files/ with a "<name>.trashinfo" in info/ giving its original path (percent
// encoded) and deletion date. Nothing is ever copied across devices: a volume
// without a usable trash answers ENOTSUP and the caller decides.

#include "platform/fs/QV_FsResult.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <vector>

// The home trash folder ($XDG_DATA_HOME/Trash, default ~/.local/share/Trash).
QString HomeTrashFolder();

// Moves path to the trash of its volume; answers the entry's name in files/.
// ENOTSUP: the volume has no trash we may use.
TFsResult<QString> MoveToTrash(const QString& path);

// Many entries to the trash at the cost of one flush: Add writes each entry's
// information file, Commit flushes them all (one syncfs per trash) and only
// then moves the entries. What is known about their folders and trashes is
// looked up once per batch. Entries added but not committed stay where they
// are; their information files go with Abandon or the batch.
class TTrashBatch {
public:
    TTrashBatch();
    ~TTrashBatch();
    TTrashBatch(const TTrashBatch&) = delete;
    TTrashBatch& operator=(const TTrashBatch&) = delete;

    // ENOTSUP: the volume has no trash we may use; the entry is untouched.
    TFsStatus Add(const QString& path);
    // For each entry added since the last commit, in order: its name in
    // files/, or why it stayed where it was.
    std::vector<TFsResult<QString>> Commit();
    void Abandon();
    qsizetype Count() const { return qsizetype(pending_.size()); }

private:
    struct TPending {
        QString Path;
        QString Trash;
        QString Entry;            // its name in files/
        QByteArray InfoPath;
        QByteArray InfoPathText;  // the Path= value, for a retry under another name
    };
    struct TFolder {
        QString Canonical;  // links resolved
        QString Top;        // the top folder of its volume
    };
    struct TTrash {
        QString Folder;  // empty: none we may use
        bool Home = false;
    };
    const TFolder* FolderOf(const QString& parent);
    const TTrash& TrashFor(unsigned long long device, const QString& top);

    std::vector<TPending> pending_;
    std::map<QString, TFolder> folders_;
    std::map<std::pair<unsigned long long, QString>, TTrash> trashes_;
    QByteArray date_;
    long long dateSecond_ = -1;
};

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
