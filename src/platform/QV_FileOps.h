#pragma once
// Changing user files: renaming without ever replacing, deleting, writing a whole
// file atomically and hiding a name through its folder's ".hidden" file. Paths are
// program text and go through the file-name codec.

#include "platform/QV_FsResult.h"

#include <QByteArray>
#include <QString>

enum class TRenameResult {
    rrDone,
    rrExists,   // the target names another entry: nothing was touched
    rrFailed,   // the system refused (missing source, permissions, read-only media ...)
};

// Renames or moves from to to with RENAME_NOREPLACE. A change of letter case
// only (the same entry reached under both names, as on case-insensitive media)
// goes through a temporary name in the same folder, so it works there too.
TRenameResult RenamePath(const QString& from, const QString& to);

// Removes a file (not a folder); true when it is gone afterwards.
bool DeleteFilePath(const QString& path);

// Replaces the file's contents in one step (a temporary file in the same folder,
// flushed, renamed over it), keeping its permission bits and, where allowed, its
// owner; fails, with the old file intact, when that fails. A file the user may
// not write is refused, and so is one without any write bit even for root: that
// is the read-only mark, which a program never overrides by renaming.
TFsStatus WriteFileAtomic(const QString& path, const QByteArray& contents);

// Lists the path's last component in its folder's ".hidden" file, once; true when
// it is listed afterwards. A ".hidden" that is not a regular file is left alone.
bool HideInFolder(const QString& path);

// Creates one folder (its parent must exist); false when it exists already or
// the system refuses.
bool CreateFolderPath(const QString& path);
