#include "platform/image/QV_Picture.h"

#include "platform/image/QV_BmpCodec.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"

namespace {

enum class TFormat { fNone, fBmp, fPng, fJpeg };

const uchar* Bytes(const QByteArray& data) { return reinterpret_cast<const uchar*>(data.constData()); }
quint32 LE32(const uchar* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (quint32(p[3]) << 24); }
quint16 LE16(const uchar* p) { return quint16(p[0] | (p[1] << 8)); }
quint32 BE32(const uchar* p) { return (quint32(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }
quint16 BE16(const uchar* p) { return quint16((p[0] << 8) | p[1]); }

TFormat FormatOf(const QByteArray& data)
{
    if (data.startsWith("BM")) return TFormat::fBmp;
    if (data.startsWith("\x89PNG\r\n\x1a\n")) return TFormat::fPng;
    if (data.startsWith("\xff\xd8")) return TFormat::fJpeg;
    return TFormat::fNone;
}

bool JpegDimensions(const QByteArray& data, qint64& width, qint64& height)
{
    const uchar* p = Bytes(data);
    qsizetype at = 2;
    while (at + 9 <= data.size()) {
        if (p[at] != 0xFF) return false;
        const uchar marker = p[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            height = BE16(p + at + 5);
            width = BE16(p + at + 7);
            return true;
        }
        at += 2 + BE16(p + at + 2);
    }
    return false;
}

} // namespace

bool PictureDimensions(const QByteArray& head, qint64& width, qint64& height)
{
    const uchar* p = Bytes(head);
    switch (FormatOf(head)) {
    case TFormat::fBmp:
        if (head.size() < 26) return false;
        if (LE32(p + 14) == 12) {
            width = LE16(p + 18);
            height = LE16(p + 20);
        } else {
            width = qint32(LE32(p + 18));
            height = qint32(LE32(p + 22));
        }
        width = qAbs(width);
        height = qAbs(height);
        return true;
    case TFormat::fPng:
        if (head.size() < 24) return false;
        width = BE32(p + 16);
        height = BE32(p + 20);
        return true;
    case TFormat::fJpeg:
        return JpegDimensions(head, width, height);
    case TFormat::fNone:
        break;
    }
    return false;
}

namespace {

TImageResult Cut(TImageResult picture, const QRect& part)
{
    if (!picture.Ok() || part.isEmpty()) return picture;
    const QRect kept = part.intersected(picture.Bitmap.BoundsRect());
    if (kept.isEmpty() || kept == picture.Bitmap.BoundsRect()) return picture;
    return {TBitmap32(picture.Bitmap.Image().copy(kept)), {}};
}

} // namespace

TImageResult DecodePicture(const QByteArray& data, const TPictureLimits& limits, const QRect& part)
{
    qint64 width = 0, height = 0;
    if (!PictureDimensions(data, width, height)) return TImageResult::Failure(QStringLiteral("Unknown picture format"));
    // Sides are checked first: two declared 32-bit sides overflow their product.
    if (width <= 0 || height <= 0) return TImageResult::Failure(QStringLiteral("Invalid picture size"));
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > limits.MaxPixels)
        return TImageResult::Failure(QStringLiteral("Picture too large"));
    switch (FormatOf(data)) {
    case TFormat::fBmp: return DecodeBmp(data, part);
    case TFormat::fPng: return Cut(DecodePng(data), part);
    case TFormat::fJpeg: return Cut(DecodeJpeg(data), part);
    case TFormat::fNone: break;
    }
    return TImageResult::Failure(QStringLiteral("Unknown picture format"));
}

TImageResult LoadPicture(const QString& path, const TPictureLimits& limits)
{
    QByteArray data;
    const QString error = ReadPictureFile(path, data, limits.MaxFileBytes);
    if (!error.isEmpty()) return TImageResult::Failure(error);
    return DecodePicture(data, limits);
}

TImageResult LoadPicturePart(const QString& path, const TPictureLimits& limits, const TPicturePart& part)
{
    QByteArray data;
    const QString error = ReadPictureFile(path, data, limits.MaxFileBytes);
    if (!error.isEmpty()) return TImageResult::Failure(error);
    qint64 width = 0, height = 0;
    if (!part || !PictureDimensions(data, width, height) || width > kMaxImageSide || height > kMaxImageSide)
        return DecodePicture(data, limits);
    return DecodePicture(data, limits, part(QSize(int(width), int(height))));
}
