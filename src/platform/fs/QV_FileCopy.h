#pragma once
// The system calls under copying, moving and deleting user files, one entry at a
// time. None of them follows a symbolic link in the last component, none
// replaces an existing entry unless its name says so, and each removes what it
// created when it fails. The recursion, conflicts and progress live above.

#include "platform/fs/QV_FsResult.h"

#include <QString>
#include <QStringList>

#include <functional>

enum class TNodeKind { nkFile, nkFolder, nkLink, nkFifo, nkSocket, nkDevice, nkOther };

// What lstat tells about one entry (links are not followed).
struct TNodeInfo {
    TNodeKind Kind = TNodeKind::nkOther;
    unsigned Mode = 0;         // permission bits with the set-id and sticky bits
    qint64 Size = 0;
    qint64 ModifiedMs = 0;     // since the epoch
    unsigned long long Device = 0;
    unsigned long long Inode = 0;
    unsigned long long Rdev = 0;
};

TFsResult<TNodeInfo> NodeInfo(const QString& path);

// Called with the bytes written since the last call; answering false stops the
// copy (it then fails with ECANCELED and removes its output).
using TCopyProgress = std::function<bool(qint64 bytes)>;

// Whether a copy is flushed to the disk before it counts as made. A caller
// that flushes many copies at once (SyncFileSystem) asks for none.
enum class TCopyFlush { cfNone, cfEach };

// Copies a regular file's contents, extended attributes, mode (without the
// set-id bits) and times to target, which must not exist (O_EXCL). The copy is
// created owner-only and given its mode at the end. A reflink is tried first,
// then copy_file_range, then read and write. On any failure the partial target
// is removed.
TFsStatus CopyRegularFile(const QString& source, const QString& target, const TCopyProgress& progress = {},
                          TCopyFlush flush = TCopyFlush::cfEach);

// Recreates a symbolic link with the same target text (never followed).
TFsStatus CopySymlink(const QString& source, const QString& target);

// Recreates a FIFO or a device node with its mode; sockets cannot be recreated
// (they belong to a running program) and answer ENOTSUP.
TFsStatus CopySpecial(const QString& source, const QString& target);

// Creates an owner-only folder; an existing entry answers EEXIST.
TFsStatus MakeFolder(const QString& target);

// Gives a copied folder the source folder's mode, extended attributes and times.
TFsStatus FinishFolder(const QString& source, const QString& target, TCopyFlush flush = TCopyFlush::cfEach);

// rename(2) that never replaces (RENAME_NOREPLACE); EXDEV across file systems.
TFsStatus RenameNoReplace(const QString& from, const QString& to);

// rename(2) over an existing file (used only after the user chose replace).
TFsStatus RenameReplacing(const QString& from, const QString& to);

// Swaps two entries atomically (RENAME_EXCHANGE), for replacing a folder by a
// file or the other way round.
TFsStatus ExchangePaths(const QString& a, const QString& b);

// Removes an entry; a folder with everything below it. Walks with
// openat/unlinkat and O_NOFOLLOW, so a link inside is removed, never followed.
TFsStatus RemoveTree(const QString& path);

// Flushes everything written to the file system that holds the folder
// (syncfs): one wait for a whole tree of copies instead of one per file.
TFsStatus SyncFileSystem(const QString& folder);

// The canonical form of an existing folder (links resolved), for the
// "into itself" test.
TFsResult<QString> CanonicalFolder(const QString& path);

// Fault injection for tests: the n-th (1-based) call of the kind, counted from
// now on this process, fails with error. n = 0 switches it off.
enum class TFsFault { ffReadSource, ffWriteTarget, ffOpenSource };
void InjectFsFault(TFsFault kind, int n, int error);

// What a tree holds, links not followed, the entry itself included.
struct TTreeCount {
    qint64 Bytes = 0;
    qint64 Files = 0;    // every entry that is not a folder
    qint64 Folders = 0;
};

// Adds the tree at path to count, walking with O_NOFOLLOW; keepGoing is asked
// between entries and answering false stops the walk early (ECANCELED).
// Unreadable folders inside are counted as empty.
TFsStatus CountTree(const QString& path, TTreeCount& count, const std::function<bool()>& keepGoing = {});

// The names in a folder, unsorted, without "." and ".."; the folder itself is
// opened with O_NOFOLLOW.
TFsResult<QStringList> FolderNames(const QString& path);

// Sets the permission bits (never the set-id bits) of an entry, links not followed.
TFsStatus SetPermissions(const QString& path, unsigned mode);
