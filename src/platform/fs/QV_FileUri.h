#pragma once
// file:// addresses and the paths they name, byte for byte: a name that is not
// valid UTF-8, or holds a line break, a blank or "%", travels as %-escapes and
// comes back as the same bytes (through the file-name codec).

#include "platform/fs/QV_FsResult.h"

#include <QByteArray>
#include <QString>

// "file://" and the path's bytes, everything but unreserved characters and "/"
// %-escaped. Path must be absolute.
QByteArray FileUriFromPath(const QString& path);

// The absolute path a file:// address (with an empty host or "localhost")
// names. An address of another scheme, of another host, or one that does not
// decode to an absolute path is refused with EINVAL.
TFsResult<QString> PathFromFileUri(const QByteArray& uri);
