#include "platform/image/QV_Picture.h"

#include "platform/image/QV_BmpCodec.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TBitmap32 Sample(int w, int h)
{
    TBitmap32 b(w, h);
    b.Clear(0xFF336699);
    return b;
}

// A BMP header that declares a huge picture in a few bytes.
QByteArray HostileBmp(qint32 width, qint32 height)
{
    QByteArray data(54, '\0');
    auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i) data[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    data[0] = 'B';
    data[1] = 'M';
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    data[26] = 1;
    data[28] = 8;
    put32(30, 1);  // run-length: a tiny file may declare any size
    return data;
}

} // namespace

TEST(Picture, DimensionsAndFormatComeFromTheBytes)
{
    struct {
        const char* Name;
        QByteArray Data;
    } cases[] = {
        {"bmp", EncodeBmp(Sample(7, 5))},
        {"png", EncodePng(Sample(7, 5))},
        {"jpeg", EncodeJpeg(Sample(7, 5), 90)},
    };
    for (const auto& c : cases) {
        qint64 w = 0, h = 0;
        ASSERT_TRUE(PictureDimensions(c.Data, w, h)) << c.Name;
        EXPECT_EQ(w, 7) << c.Name;
        EXPECT_EQ(h, 5) << c.Name;
        const TImageResult result = DecodePicture(c.Data);
        ASSERT_TRUE(result.Ok()) << c.Name;
        EXPECT_EQ(result.Bitmap.Width(), 7) << c.Name;
    }
    qint64 w = 0, h = 0;
    EXPECT_FALSE(PictureDimensions("BM", w, h));
    EXPECT_FALSE(PictureDimensions("GIF89a", w, h));
}

TEST(Picture, LimitsRefuseBeforeDecoding)
{
    EXPECT_FALSE(DecodePicture(HostileBmp(100000, -100000)).Ok());
    // Sides near 2^32 once overflowed their product before the limit check.
    EXPECT_FALSE(DecodePicture(QByteArray::fromHex("89504e470d0a1a0a0000000df2f2f2f2f2f2f2f2f2f2f2f2f2f2f2f2f2f2f249484452000000000774494d452907ea0c0a0d0922dd3c4c00000000000000080d6058b580e1ff07742b3030000024000155f7b8004500004e494400ae426082")).Ok());
    const TPictureLimits small{1 << 20, 16};
    EXPECT_FALSE(DecodePicture(EncodeBmp(Sample(5, 4)), small).Ok());
    EXPECT_TRUE(DecodePicture(EncodeBmp(Sample(4, 4)), small).Ok());

    TTestDir dir;
    const QString big = dir.WriteFile("big.bmp", EncodeBmp(Sample(64, 64)));
    EXPECT_FALSE(LoadPicture(big, {1000, 1 << 20}).Ok());
    ASSERT_EQ(::mkfifo((dir.Path() + "/pipe.bmp").toUtf8().constData(), 0600), 0);
    EXPECT_FALSE(LoadPicture(dir.Sub("pipe.bmp")).Ok());
}
