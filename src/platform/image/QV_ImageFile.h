#pragma once
// What every picture decoder shares: the limits checked before any pixel memory
// is taken, the result type, and reading a picture file safely.

#include "platform/image/QV_Bitmap32.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <stdexcept>

constexpr int kMaxImageSide = 16384;
constexpr std::int64_t kMaxImageBytes = std::int64_t(256) << 20; // decoded, 4 bytes a pixel
// Files larger than this are refused before they are read.
constexpr std::int64_t kMaxImageFileBytes = kMaxImageBytes + (std::int64_t(1) << 20);

// A decoded picture, or the reason there is none.
struct TImageResult {
    TBitmap32 Bitmap;
    QString Error; // empty on success

    bool Ok() const { return Error.isEmpty(); }
    static TImageResult Failure(const QString& error) { return {TBitmap32(), error}; }
};

// Raised by callers that let decoding errors reach their own caller.
class EImageError : public std::runtime_error {
public:
    explicit EImageError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message)
    {
    }
    QString Message;
};

// The bitmap, or EImageError with the result's error text.
TBitmap32 TakeBitmapOrThrow(TImageResult result);

// An empty text when a width x height picture may be allocated, else the error.
QString CheckImageSize(std::int64_t width, std::int64_t height);

// Reads a whole regular file (never a FIFO or device: opened without blocking
// and checked before reading), refusing files above maxBytes. `path` is program
// text, passed through the file-name codec. Answers an empty text or the error.
QString ReadPictureFile(const QString& path, QByteArray& contents, std::int64_t maxBytes = kMaxImageFileBytes);
