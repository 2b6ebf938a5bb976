#pragma once
// Pictures from files the user's folders hold: the format is told by the first
// bytes (BMP, PNG or JPEG, whatever the file's extension), and the file size and
// the declared picture size are checked against the caller's limits before any
// pixel memory is taken.

#include "platform/image/QV_ImageFile.h"

#include <QRect>
#include <QSize>

#include <functional>

struct TPictureLimits {
    qint64 MaxFileBytes = kMaxImageFileBytes;
    qint64 MaxPixels = kMaxImageBytes / 4;
};

// Width and height as the picture's header declares them; false when the bytes
// are not a BMP, PNG or JPEG header that can be read.
bool PictureDimensions(const QByteArray& head, qint64& width, qint64& height);

// Part (rows counted from the top) keeps only that rectangle of the picture,
// clipped to it; a BMP is decoded only that far, other formats whole and then
// cut. Empty keeps the whole picture.
TImageResult DecodePicture(const QByteArray& data, const TPictureLimits& limits = {}, const QRect& part = QRect());
// Only a regular file is read (a FIFO or device never blocks).
TImageResult LoadPicture(const QString& path, const TPictureLimits& limits = {});
// The part to keep is chosen once the picture's size is known.
using TPicturePart = std::function<QRect(QSize whole)>;
TImageResult LoadPicturePart(const QString& path, const TPictureLimits& limits, const TPicturePart& part);
