#include "platform/image/QV_IconImage.h"

#include "QV_IconFixtures.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor32 kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu,
                   kBlack = 0xFF000000u, kClear = 0;

// Five columns so that no row fills whole 32-bit words at any depth; top and
// bottom rows differ so that a flipped image shows.
const TPicture kColours{5, 3, {kRed, kGreen, kBlue, kClear, kWhite,
                               kBlack, kRed, kClear, kGreen, kBlue,
                               kWhite, kWhite, kBlack, kRed, kClear}};
const TPicture kTwoColours{5, 3, {kBlack, kWhite, kClear, kWhite, kBlack,
                                  kWhite, kWhite, kWhite, kBlack, kClear,
                                  kClear, kBlack, kBlack, kBlack, kWhite}};
const TPicture kTranslucent{5, 3, {0x80FF0000u, 0xFF00FF00u, 0x01000000u, kClear, 0x40FFFFFFu,
                                   kBlack, 0xC00000FFu, kClear, kGreen, kBlue,
                                   kWhite, 0x7F102030u, kBlack, kRed, kClear}};

void ExpectPicture(const TIconResult& result, const TPicture& expected)
{
    ASSERT_TRUE(result.Ok()) << result.Error.toStdString();
    ASSERT_EQ(result.Width, expected.Width);
    ASSERT_EQ(result.Height, expected.Height);
    EXPECT_FALSE(result.IsPng);
    for (int y = 0; y < expected.Height; ++y)
        for (int x = 0; x < expected.Width; ++x)
            EXPECT_EQ(result.Bitmap.ScanLine(y)[x], Premultiply(expected.At(x, y))) << "at " << x << "," << y;
}

TEST(IconImage, DecodesEveryBitmapDepthWithItsMask)
{
    struct TCase {
        const char* Name;
        const TPicture& Picture;
        int Bits;
        TAlphaBytes Alpha;
    } cases[] = {
        {"1 bit", kTwoColours, 1, TAlphaBytes::abKept},
        {"4 bits", kColours, 4, TAlphaBytes::abKept},
        {"8 bits", kColours, 8, TAlphaBytes::abKept},
        {"24 bits", kColours, 24, TAlphaBytes::abKept},
        {"32 bits with alpha", kTranslucent, 32, TAlphaBytes::abKept},
        {"32 bits, zero alpha: the mask decides", kColours, 32, TAlphaBytes::abZero},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ExpectPicture(DecodeIconImage(IconBitmap(c.Picture, c.Bits, c.Alpha)), c.Picture);
    }
}

TEST(IconImage, AlphaOverridesTheMask)
{
    // A 32-bit image with alpha needs no mask: one that marks everything, or none
    // at all, changes nothing.
    const QByteArray stored = IconBitmap(kTranslucent, 32);
    const qsizetype maskSize = 3 * 4;
    QByteArray allMasked = stored;
    allMasked.replace(stored.size() - maskSize, maskSize, QByteArray(maskSize, char(0xFF)));
    ExpectPicture(DecodeIconImage(allMasked), kTranslucent);
    ExpectPicture(DecodeIconImage(stored.left(stored.size() - maskSize)), kTranslucent);
}

TEST(IconImage, PngImageIsHandedOver)
{
    const QByteArray png = SolidImage(7, 5, 0, 0x80FF0000u);
    const TIconResult result = DecodeIconImage(png);
    ASSERT_TRUE(result.Ok());
    EXPECT_TRUE(result.IsPng);
    EXPECT_EQ(result.Png, png);
    EXPECT_EQ(result.Width, 7);
    EXPECT_EQ(result.Height, 5);
    EXPECT_EQ(result.Bitmap.Pixel(6, 4), 0x80FF0000u);
}

TEST(IconImage, DamagedImagesAreInvalidIconFormat)
{
    const QByteArray good = IconBitmap(kColours, 8);
    auto patched = [&](qsizetype at, std::uint32_t value) {
        QByteArray bytes = good;
        PatchU32(bytes, at, value);
        return bytes;
    };
    const QByteArray png = SolidImage(4, 4, 0, kRed);
    struct TCase {
        const char* Name;
        QByteArray Stored;
    } cases[] = {
        {"empty", {}},
        {"header cut short", good.left(39)},
        {"header size below 40", patched(0, 12)},
        {"header size past the end", patched(0, 5000)},
        {"zero width", patched(4, 0)},
        {"negative width", patched(4, 0xFFFFFFFBu)},
        {"height of one row for colour and mask", patched(8, 1)},
        {"upside-down height", patched(8, std::uint32_t(-6))},
        {"width beyond the limit", patched(4, 100000)},
        {"area beyond the limit", [&] { QByteArray b = patched(4, 16000); PatchU32(b, 8, 32000); return b; }()},
        {"unknown depth", [&] { QByteArray b = good; b[14] = 7; return b; }()},
        {"run-length data", patched(16, 1)},
        {"colour rows cut short", good.left(40 + 256 * 4 + 10)},
        {"mask cut short", good.left(good.size() - 1)},
        {"damaged PNG", png.left(png.size() - 20)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TIconResult result = DecodeIconImage(c.Stored);
        EXPECT_EQ(result.Error, QLatin1String(kInvalidIconFormat));
        EXPECT_TRUE(result.Bitmap.Empty());
    }
}

TEST(IconImage, ChoosesSmallestAtLeastTheSizeElseLargest)
{
    const std::vector<TIconEntry> entries{
        {16, 16, 4}, {32, 32, 4}, {32, 32, 32}, {32, 32, 32}, {48, 48, 8}, {256, 256, 32}, {64, 32, 8},
    };
    struct TCase {
        int Desired, Expected;
    } cases[] = {
        {1, 0},     // the smallest that is large enough
        {16, 0},
        {17, 2},    // a tie in size goes to the deeper image, then to the first stored
        {32, 2},
        {33, 4},
        {49, 6},    // the longer side counts
        {65, 5},
        {300, 5},   // nothing large enough: the largest
        {0, 5},     // no size asked for: the largest
    };
    for (const TCase& c : cases) EXPECT_EQ(ChooseIconImage(entries, c.Desired), c.Expected) << "size " << c.Desired;
    EXPECT_EQ(ChooseIconImage({}, 32), -1);
}

} // namespace
