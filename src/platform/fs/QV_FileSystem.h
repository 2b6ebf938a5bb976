#pragma once
// The file-system primitives the rest of the program stands on. Paths are the
// program's text; they reach the system through the lossless file-name codec.

#include "platform/fs/QV_FsResult.h"

#include <QByteArray>
#include <QString>

enum class TPathKind { pkNone, pkFile, pkFolder, pkOther };

// What a path names, following symbolic links; pkNone when it does not exist or
// cannot be reached. pkOther is a device, FIFO or socket.
TPathKind PathKindOf(const QString& path);

// The whole of a regular file of at most maxBytes. Never blocks on a FIFO or
// device (they fail with ENODEV); a larger file fails with EFBIG unread.
TFsResult<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes);

// The user's home folder, without trailing delimiter.
QString HomeFolder();

// The XDG documents folder (user-dirs.dirs), else the home folder; without
// trailing delimiter. Empty when neither can be found.
QString DocumentsFolder();
