// Icons and button images are decoded and drawn on task threads while the main
// thread paints: decoders and text drawing keep no shared state.
#include "platform/image/QV_BmpCodec.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TBitmap32 Sample()
{
    TBitmap32 b(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) b.SetPixel(x, y, Argb(std::uint8_t(128 + x), std::uint8_t(x * 4), std::uint8_t(y * 5), 90));
    return b;
}

// Everything one task might do with a picture, reduced to one bitmap.
TBitmap32 Work(const QByteArray& png, const QByteArray& jpeg, const QByteArray& bmp)
{
    TBitmap32 canvas(200, 60);
    canvas.Draw(0, 0, DecodePng(png).Bitmap);
    canvas.Draw(QRect(64, 0, 32, 24), QRect(0, 0, 64, 48), DecodeJpeg(jpeg, 1).Bitmap);
    canvas.Draw(100, 0, DecodeBmp(bmp).Bitmap.Resampled(20, 15));
    canvas.Font.Name = QStringLiteral("DejaVu Sans");
    canvas.DrawText(QRect(0, 40, 200, 20), QStringLiteral("Caption & more text"), tfSingleLine | tfEndEllipsis | tfCenter);
    return canvas;
}

} // namespace

TEST(ImageThreads, ConcurrentDecodingAndDrawingGiveTheSinglethreadedResult)
{
    RegisterBundledFonts();
    const TBitmap32 sample = Sample();
    const QByteArray png = EncodePng(sample), jpeg = EncodeJpeg(sample, 90), bmp = EncodeBmp(sample);
    const QImage expected = Work(png, jpeg, bmp).Image();

    std::vector<QImage> results(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] {
            for (int round = 0; round < 5; ++round) results[i] = Work(png, jpeg, bmp).Image();
        });
    for (std::thread& t : threads) t.join();
    for (const QImage& result : results) EXPECT_EQ(result, expected);
}
