#pragma once
// PNG pictures through libpng: every colour type, bit depths 1 to 16, palettes,
// transparency chunks and interlacing, decoded to ARGB with alpha.

#include "platform/image/QV_ImageFile.h"

TImageResult DecodePng(const QByteArray& data);
TImageResult LoadPngFile(const QString& path);

// Straight RGBA with alpha, 8 bits a channel; for fixtures and saved previews.
QByteArray EncodePng(const TBitmap32& bitmap);
