#pragma once
// How much lies in the desktop's trash: the home trash ($XDG_DATA_HOME/Trash)
// and the trash folders of the mounted volumes the user sees (".Trash/<uid>"
// in a sticky, non-link ".Trash" folder, and ".Trash-<uid>"), as the
// freedesktop trash layout places them.
//
// Threads: any; the walk can take a while on a large trash, so callers run it
// off the interface thread. It never follows a symbolic link and never opens a
// FIFO or a device.

#include "platform/fs/QV_FsResult.h"

#include <QString>
#include <QStringList>

#include <functional>

struct TTrashUsage {
    qint64 Count = 0; // trashed entries (top-level names in the "files" folders)
    qint64 Size = 0;  // bytes of everything below them, links counted as themselves
};

// The entries and bytes of the given trash folders (each holding "files/").
// A missing folder counts nothing; a folder that cannot be read is an error.
// keepGoing is polled between entries; when it answers false the walk stops
// and the partial figures are returned.
TFsResult<TTrashUsage> MeasureTrash(const QStringList& trashFolders,
                                    const std::function<bool()>& keepGoing = {});

// MeasureTrash over every trash folder in use (see TrashFolders).
TFsResult<TTrashUsage> QueryTrashUsage(const std::function<bool()>& keepGoing = {});
