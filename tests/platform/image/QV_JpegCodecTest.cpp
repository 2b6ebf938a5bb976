#include "platform/image/QV_JpegCodec.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Four flat quadrants: red, green, blue, white.
TBitmap32 Quadrants(int w, int h)
{
    TBitmap32 b(w, h);
    b.FillRect(QRect(0, 0, w / 2, h / 2), 0xFFFF0000);
    b.FillRect(QRect(w / 2, 0, w - w / 2, h / 2), 0xFF00FF00);
    b.FillRect(QRect(0, h / 2, w / 2, h - h / 2), 0xFF0000FF);
    b.FillRect(QRect(w / 2, h / 2, w - w / 2, h - h / 2), 0xFFFFFFFF);
    return b;
}

void ExpectNear(TColor32 got, TColor32 want, int slack, const std::string& label)
{
    EXPECT_EQ(AlphaOf(got), 255) << label;
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), slack) << label << std::hex << " got " << got;
}

QByteArray Fixture(const char* name)
{
    QByteArray data;
    ReadPictureFile(QStringLiteral(QV_PLATFORM_FIXTURES "/") + QLatin1String(name), data);
    return data;
}

} // namespace

TEST(JpegCodec, ScalesWhileDecoding)
{
    const QByteArray jpeg = EncodeJpeg(Quadrants(100, 60), 90);
    ASSERT_FALSE(jpeg.isEmpty());
    struct {
        int denom;
        TJpegSpeed speed;
        QSize size;
    } const cases[] = {
        {1, TJpegSpeed::jsAccurate, {100, 60}}, {2, TJpegSpeed::jsAccurate, {50, 30}},
        {4, TJpegSpeed::jsFast, {25, 15}},      {8, TJpegSpeed::jsFast, {13, 8}},
        {3, TJpegSpeed::jsAccurate, {100, 60}}, // unsupported denominators decode full size
    };
    for (const auto& c : cases) {
        const TImageResult result = DecodeJpeg(jpeg, c.denom, c.speed);
        ASSERT_TRUE(result.Ok()) << result.Error.toStdString();
        const std::string label = "1/" + std::to_string(c.denom);
        ASSERT_EQ(QSize(result.Bitmap.Width(), result.Bitmap.Height()), c.size) << label;
        const int w = c.size.width(), h = c.size.height();
        ExpectNear(result.Bitmap.Pixel(w / 4, h / 4), 0xFFFF0000, 12, label);
        ExpectNear(result.Bitmap.Pixel(3 * w / 4, h / 4), 0xFF00FF00, 12, label);
        ExpectNear(result.Bitmap.Pixel(w / 4, 3 * h / 4), 0xFF0000FF, 12, label);
        ExpectNear(result.Bitmap.Pixel(3 * w / 4, 3 * h / 4), 0xFFFFFFFF, 12, label);
    }
    const TImageResult quarter = DecodeJpegQuarter(jpeg);
    ASSERT_TRUE(quarter.Ok());
    EXPECT_EQ(quarter.Bitmap.Width(), 25);
}

TEST(JpegCodec, AtLeastPicksTheSmallestScaleThatStillCovers)
{
    struct {
        int w, h, minW, minH, denom;
    } const cases[] = {
        {1024, 768, 128, 128, 4}, // 256 x 192; 1/8 would give 96 rows
        {1024, 768, 128, 96, 8},
        {1024, 768, 1024, 1, 1},
        {1025, 769, 129, 97, 8}, // sides round up: 129 x 97
        {100, 100, 200, 200, 1}, // smaller than asked: full size
        {800, 600, 0, 0, 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JpegScaleDenomFor(c.w, c.h, c.minW, c.minH), c.denom) << c.w << "x" << c.h << " >= " << c.minW << "x" << c.minH;

    const TImageResult result = DecodeJpegAtLeast(EncodeJpeg(Quadrants(100, 60), 80), 20, 10);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(QSize(result.Bitmap.Width(), result.Bitmap.Height()), QSize(25, 15));
}

TEST(JpegCodec, ReadsGrayCmykAndProgressiveFiles)
{
    const TImageResult gray = DecodeJpeg(Fixture("gray.jpg"));
    ASSERT_TRUE(gray.Ok()) << gray.Error.toStdString();
    EXPECT_EQ(gray.Bitmap.Width(), 16);
    const TColor32 mid = gray.Bitmap.Pixel(8, 4);
    EXPECT_EQ(RedOf(mid), BlueOf(mid));
    EXPECT_GT(RedOf(gray.Bitmap.Pixel(8, 7)), RedOf(gray.Bitmap.Pixel(8, 0))); // black at the top to white

    const TImageResult cmyk = DecodeJpeg(Fixture("cmyk.jpg"));
    ASSERT_TRUE(cmyk.Ok()) << cmyk.Error.toStdString();
    ExpectNear(cmyk.Bitmap.Pixel(8, 4), 0xFFFF0000, 16, "cmyk red");

    const TImageResult progressive = DecodeJpeg(Fixture("progressive.jpg"), 2);
    ASSERT_TRUE(progressive.Ok()) << progressive.Error.toStdString();
    EXPECT_EQ(progressive.Bitmap.Width(), 32);
    ExpectNear(progressive.Bitmap.Pixel(16, 0), 0xFFFF0000, 24, "progressive top");
}

TEST(JpegCodec, BadInputGivesAnErrorNotAPicture)
{
    const QByteArray good = EncodeJpeg(Quadrants(64, 64), 85);
    // The frame header stores height and width big-endian after its precision byte.
    QByteArray oversized = good;
    const qsizetype sof = oversized.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    oversized[sof + 5] = char(0x4E), oversized[sof + 6] = char(0x20); // 20000 rows
    QByteArray wide = good;
    wide[sof + 7] = char(0x40), wide[sof + 8] = char(0x01); // 16385 columns

    // Scans repeated hundreds of times: each one is legal, together they stall.
    const QByteArray progressive = Fixture("progressive.jpg");
    const qsizetype firstScan = progressive.indexOf(QByteArray("\xFF\xDA", 2));
    const qsizetype secondScan = progressive.indexOf(QByteArray("\xFF\xDA", 2), firstScan + 2);
    ASSERT_GT(secondScan, firstScan);
    QByteArray manyScans = progressive.left(secondScan);
    for (int i = 0; i < kMaxJpegScans + 50; ++i) manyScans += progressive.mid(firstScan, secondScan - firstScan);
    manyScans += progressive.mid(secondScan);

    // 16000 x 16000 progressive: the quarter-size output would be allowed, the
    // whole-picture coefficient buffers progressive decoding needs are not.
    QByteArray hugeProgressive = progressive;
    const qsizetype sof2 = hugeProgressive.indexOf(QByteArray("\xFF\xC2", 2));
    ASSERT_GT(sof2, 0);
    hugeProgressive.replace(sof2 + 5, 4, QByteArray::fromHex("3e803e80"));

    struct {
        const char* label;
        QByteArray data;
        const char* reason;
    } const cases[] = {
        {"empty", QByteArray(), "Not a JPEG"},
        {"start marker only", good.left(2), "Not a JPEG"},
        {"truncated header", good.left(100), ""},
        {"truncated pixels", good.left(good.size() * 2 / 3), ""},
        {"taller than the limit", oversized, "too large"},
        {"wider than the limit", wide, "too large"},
        {"too many scans", manyScans, "scans"},
        {"progressive beyond the memory cap", hugeProgressive, "backing store"},
        {"other format", QByteArray("\x89PNG\r\n\x1a\n"), "Not a JPEG"},
    };
    for (const auto& c : cases) {
        const TImageResult result = DecodeJpegQuarter(c.data);
        EXPECT_FALSE(result.Ok()) << c.label;
        EXPECT_TRUE(result.Error.contains(QLatin1String(c.reason), Qt::CaseInsensitive))
            << c.label << ": " << result.Error.toStdString();
        EXPECT_TRUE(result.Bitmap.Empty()) << c.label;
    }
}

TEST(JpegCodec, LoadsFilesAtAQuarterByDefault)
{
    TTestDir dir;
    const QString path = dir.WriteFile(QStringLiteral("photo.jpg"), EncodeJpeg(Quadrants(80, 40), 85));
    const TImageResult result = LoadJpegFile(path);
    ASSERT_TRUE(result.Ok()) << result.Error.toStdString();
    EXPECT_EQ(QSize(result.Bitmap.Width(), result.Bitmap.Height()), QSize(20, 10));
}
