#pragma once
// JPEG pictures through libjpeg-turbo, scaled down while decoding (the decoder
// skips the work for the dropped detail).

#include "platform/image/QV_ImageFile.h"

enum class TJpegSpeed {
    jsAccurate, // accurate inverse transform, smooth chroma upsampling
    jsFast,     // fast integer transform, no smooth upsampling: for icons and previews
};

// scaleDenom 1, 2, 4 or 8 divides both sides (rounding up); other values count as 1.
TImageResult DecodeJpeg(const QByteArray& data, int scaleDenom = 1, TJpegSpeed speed = TJpegSpeed::jsAccurate);

// A quarter of the width and height, fast: what icons and folder pictures load.
TImageResult DecodeJpegQuarter(const QByteArray& data);

// The smallest of the 1/1, 1/2, 1/4, 1/8 scales that is still at least
// minWidth x minHeight (the full size when the picture is smaller already).
TImageResult DecodeJpegAtLeast(const QByteArray& data, int minWidth, int minHeight,
                               TJpegSpeed speed = TJpegSpeed::jsAccurate);

// The denominator DecodeJpegAtLeast picks for a width x height picture.
int JpegScaleDenomFor(int width, int height, int minWidth, int minHeight);

TImageResult LoadJpegFile(const QString& path, int scaleDenom = 4, TJpegSpeed speed = TJpegSpeed::jsFast);

// Baseline JPEG at the given quality (1-100), alpha dropped; for fixtures and benchmarks.
QByteArray EncodeJpeg(const TBitmap32& bitmap, int quality);

// Progressive scans beyond this abort decoding: real files use about ten, crafted
// ones thousands to make decoding take minutes.
constexpr int kMaxJpegScans = 300;
