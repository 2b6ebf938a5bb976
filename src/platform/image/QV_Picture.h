#pragma once
// Pictures from files the user's folders hold: the format is told by the first
// bytes (BMP, PNG or JPEG, whatever the file's extension), and the file size and
// the declared picture size are checked against the caller's limits before any
// pixel memory is taken.

#include "platform/image/QV_ImageFile.h"

struct TPictureLimits {
    qint64 MaxFileBytes = kMaxImageFileBytes;
    qint64 MaxPixels = kMaxImageBytes / 4;
};

// Width and height as the picture's header declares them; false when the bytes
// are not a BMP, PNG or JPEG header that can be read.
bool PictureDimensions(const QByteArray& head, qint64& width, qint64& height);

TImageResult DecodePicture(const QByteArray& data, const TPictureLimits& limits = {});
// Only a regular file is read (a FIFO or device never blocks).
TImageResult LoadPicture(const QString& path, const TPictureLimits& limits = {});
