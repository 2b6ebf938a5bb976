#pragma once
// Windows bitmap files: the reader takes 1, 4, 8, 16, 24 and 32 bits a pixel,
// bottom-up and top-down rows, uncompressed, bit-field and run-length (RLE4,
// RLE8) data, and the old OS/2 header. Folder background pictures are stored
// in this format.

#include "platform/image/QV_ImageFile.h"

#include <QRect>

// Part (rows counted from the top) keeps only that rectangle of the picture,
// clipped to it; only its pixels take memory. Empty keeps the whole picture.
TImageResult DecodeBmp(const QByteArray& data, const QRect& part = QRect());
TImageResult LoadBmpFile(const QString& path);

enum class TBmpFormat {
    bf24, // opaque, the widest-read form
    bf32, // with alpha: bit fields naming the alpha byte
};
// Bottom-up rows, as readers expect. An empty bitmap gives an empty array.
QByteArray EncodeBmp(const TBitmap32& bitmap, TBmpFormat format = TBmpFormat::bf32);
