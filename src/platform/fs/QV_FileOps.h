#pragma once
// Changing user files: renaming without ever replacing, deleting, writing a whole
// file atomically and hiding a name through its folder's ".hidden" file. Paths are
// program text and go through the file-name codec.

#include "platform/fs/QV_FsResult.h"

#include <QByteArray>
#include <QString>

// Renames or moves from to to with RENAME_NOREPLACE: EEXIST, with nothing
// touched, when the target names another entry. A change of letter case only
// (the same entry reached under both names, as on case-insensitive media) goes
// through a temporary name in the same folder, so it works there too.
TFsStatus RenamePath(const QString& from, const QString& to);

// Removes a file (not a folder); succeeds when it is gone afterwards.
TFsStatus DeleteFilePath(const QString& path);

// Replaces the file's contents in one step (a temporary file in the same folder,
// flushed, renamed over it), keeping its permission bits and, where allowed, its
// owner; on failure the old file is intact. A file the user may not write is
// refused, and so is one without any write bit even for root: that is the
// read-only mark, which a program never overrides by renaming.
TFsStatus WriteFileAtomic(const QString& path, const QByteArray& contents);

// Lists the path's last component in its folder's ".hidden" file, once;
// succeeds when it is listed afterwards. A ".hidden" that is not a regular file
// is left alone (EINVAL).
TFsStatus HideInFolder(const QString& path);

// Creates one folder (its parent must exist); EEXIST when it exists already.
TFsStatus CreateFolderPath(const QString& path);
