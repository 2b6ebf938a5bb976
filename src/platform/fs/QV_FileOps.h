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

// The two steps of WriteFileAtomic, for a writer that has more to check between
// them: Stage writes and flushes the new contents under a temporary name beside
// path (with the same refusals); Commit renames it over path. Until Commit
// succeeds the old file is untouched, and a staged file that is dropped or
// fails to commit removes its temporary file.
class TStagedFile {
public:
    static TFsResult<TStagedFile> Stage(const QString& path, const QByteArray& contents);
    TStagedFile(TStagedFile&& other) noexcept;
    TStagedFile& operator=(TStagedFile&& other) noexcept;
    TStagedFile(const TStagedFile&) = delete;
    TStagedFile& operator=(const TStagedFile&) = delete;
    ~TStagedFile();

    TFsStatus Commit();
    // Empty once committed or dropped.
    QString TempPath() const;

private:
    TStagedFile() = default;
    void Discard();
    QString target_;
    QByteArray temp_;
};

// Whether the user may create and replace files in the folder: refused for a
// folder without any write bit (even for root, as for files), one the user may
// not write, and one on a read-only mount.
TFsStatus CheckFolderWritable(const QString& path);

// Lists the path's last component in its folder's ".hidden" file, once;
// succeeds when it is listed afterwards. A ".hidden" that is not a regular file
// is left alone (EINVAL).
TFsStatus HideInFolder(const QString& path);

// Creates one folder (its parent must exist); EEXIST when it exists already.
TFsStatus CreateFolderPath(const QString& path);
