#pragma once
// Generated photographs and the plain libjpeg-turbo decoder that JPEG
// benchmarks measure against.

#include "platform/image/QV_Bitmap32.h"

#include <QByteArray>

#include <cstddef>
#include <vector>

// A 1024 x 768 picture that compresses like a photo; seeds vary it.
TBitmap32 BenchPhoto(int seedBase);

// The reference: what a program would write against libjpeg-turbo directly,
// decoding at a quarter of the size with the fast settings into RGB rows.
std::size_t PlainQuarterDecode(const QByteArray& file, std::vector<unsigned char>& pixels);
