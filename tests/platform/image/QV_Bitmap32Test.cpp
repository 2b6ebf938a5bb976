#include "platform/image/QV_Bitmap32.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TBitmap32 Filled(int w, int h, TColor32 color)
{
    TBitmap32 b(w, h);
    b.Clear(color);
    return b;
}

} // namespace

TEST(Color, ConvertsBetweenBgrIntegersAndArgb)
{
    struct {
        TColor color;
        TColor32 argb;
    } const cases[] = {
        {0x000000FF, 0xFFFF0000}, // red sits in the lowest byte
        {0x0000FF00, 0xFF00FF00},
        {0x00FF0000, 0xFF0000FF},
        {0x00123456, 0xFF563412},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToColor32(c.color), c.argb);
        EXPECT_EQ(ToColor(c.argb), c.color);
    }
    EXPECT_EQ(ToColor32(0x000000FF, 0x80), 0x80FF0000u);
    EXPECT_EQ(ToColor(0x12FFFFFF), 0x00FFFFFFu); // alpha is dropped
}

TEST(Color, PremultiplicationMatchesExactRoundingForEveryByte)
{
    for (std::uint32_t a = 0; a < 256; ++a) {
        for (std::uint32_t v = 0; v < 256; ++v) {
            ASSERT_EQ(MulDiv255(v, a), std::uint32_t(std::lround(v * a / 255.0))) << v << " * " << a;
            const TColor32 p = Premultiply(Argb(std::uint8_t(a), std::uint8_t(v), 0, 0));
            ASSERT_LE(RedOf(p), AlphaOf(p));
            // Unpremultiplying loses at most the precision premultiplying threw away.
            if (a > 0) {
                ASSERT_NEAR(RedOf(Unpremultiply(p)), int(v), int(std::ceil(127.5 / a)));
            }
        }
    }
    EXPECT_EQ(Unpremultiply(0x00000000), 0u);
}

TEST(Color, BlendingMatchesAFloatingPointReference)
{
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < 20000; ++i) {
        const TColor32 src = Premultiply(next());
        const TColor32 dst = Premultiply(next());
        const TColor32 out = BlendPremultiplied(src, dst);
        const double inv = 1.0 - AlphaOf(src) / 255.0;
        for (int shift : {0, 8, 16, 24}) {
            const double expected = ((src >> shift) & 0xFF) + ((dst >> shift) & 0xFF) * inv;
            ASSERT_NEAR(double((out >> shift) & 0xFF), expected, 0.51) << std::hex << src << " over " << dst;
        }
    }
}

TEST(Bitmap32, SetSizeClearsOnlyWhenTheSizeChanges)
{
    TBitmap32 b = Filled(4, 3, 0xFF102030);
    b.SetSize(4, 3);
    EXPECT_EQ(b.Pixel(3, 2), 0xFF102030u);
    b.SetSize(5, 3);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Pixel(0, 0), 0u);
    b.SetSize(-2, 7);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Pixel(0, 0), 0u); // reading an empty bitmap is harmless
    b.SetPixel(0, 0, 0xFFFFFFFF);
}

TEST(Bitmap32, CopiesAreIndependent)
{
    TBitmap32 a = Filled(2, 2, 0xFF0000FF);
    a.Font.Name = QStringLiteral("Carlito");
    TBitmap32 b;
    b.Assign(a);
    b.SetPixel(0, 0, 0xFFFFFFFF);
    EXPECT_EQ(a.Pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(b.Font.Name, QStringLiteral("Carlito"));
}

// Window-sized bitmaps take their pixels straight from the kernel: cleared,
// drawn into, copied on write and given back like any other.
TEST(Bitmap32, WindowSizedBitmapsBehaveLikeSmallOnes)
{
    for (const QSize size : {QSize(1920, 1080), QSize(725, 725), QSize(3000, 1)}) {
        TBitmap32 a(size.width(), size.height());
        ASSERT_FALSE(a.Empty()) << size.width();
        EXPECT_EQ(a.Pixel(size.width() - 1, size.height() - 1), 0u);
        a.Clear(0xFF102030);
        TBitmap32 b = a;  // shares until written
        b.SetPixel(size.width() - 1, size.height() - 1, 0xFFFFFFFF);
        EXPECT_EQ(a.Pixel(size.width() - 1, size.height() - 1), 0xFF102030u);
        EXPECT_EQ(b.Pixel(size.width() - 1, size.height() - 1), 0xFFFFFFFFu);
        a.SetSize(size.width(), size.height() + 1);  // a new size, cleared again
        EXPECT_EQ(a.Pixel(0, 0), 0u);
        EXPECT_EQ(b.Pixel(0, 0), 0xFF102030u);
        PrefaultPixels(a.Image());
        EXPECT_EQ(a.Pixel(0, size.height()), 0u);
    }
}

TEST(Bitmap32, BlendedDrawRespectsSourceAlphaAndClips)
{
    TBitmap32 dst = Filled(4, 4, 0xFFFFFFFF);
    TBitmap32 src = Filled(3, 3, 0x80000000); // half-transparent black
    src.SetPixel(2, 2, 0x00000000);
    dst.Draw(-1, 2, src); // only the columns 0..1 and rows 2..3 land
    EXPECT_EQ(dst.Pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(dst.Pixel(0, 2), 0xFF7F7F7Fu);
    EXPECT_EQ(dst.Pixel(1, 3), 0xFF7F7F7Fu);
    EXPECT_EQ(dst.Pixel(2, 2), 0xFFFFFFFFu);

    TBitmap32 empty(4, 4);
    empty.Draw(0, 0, src);
    EXPECT_EQ(empty.Pixel(1, 1), 0x80000000u); // blending onto transparent keeps the source
    empty.Draw(100, 100, src);                 // far outside: nothing, no fault
}

TEST(Bitmap32, OpaqueDrawReplacesPixelsAlphaIncluded)
{
    TBitmap32 dst = Filled(2, 1, 0xFFFFFFFF);
    TBitmap32 src = Filled(1, 1, 0x40FF0000);
    src.DrawMode = TDrawMode::dmOpaque;
    dst.Draw(1, 0, src);
    EXPECT_EQ(dst.Pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(AlphaOf(dst.Pixel(1, 0)), 0x40);
    EXPECT_NEAR(RedOf(dst.Pixel(1, 0)), 0xFF, 2);
}

TEST(Bitmap32, DrawOntoItselfReadsTheOldPixels)
{
    TBitmap32 b(3, 1);
    b.SetPixel(0, 0, 0xFFFF0000);
    b.SetPixel(1, 0, 0xFF00FF00);
    b.DrawMode = TDrawMode::dmOpaque;
    b.Draw(1, 0, b);
    EXPECT_EQ(b.Pixel(1, 0), 0xFFFF0000u);
    EXPECT_EQ(b.Pixel(2, 0), 0xFF00FF00u);
}

TEST(Bitmap32, RectangleDrawScalesTheSourceBlock)
{
    TBitmap32 src(4, 2);
    src.FillRect(QRect(0, 0, 2, 2), 0xFFFF0000);
    src.FillRect(QRect(2, 0, 2, 2), 0xFF0000FF);
    TBitmap32 dst(8, 8);
    dst.Draw(QRect(0, 0, 2, 8), QRect(0, 0, 2, 2), src); // red block stretched tall
    EXPECT_EQ(dst.Pixel(1, 7), 0xFFFF0000u);
    EXPECT_EQ(dst.Pixel(2, 0), 0u);

    dst.Clear();
    dst.Draw(QRect(2, 2, 2, 1), QRect(0, 0, 4, 2), src); // shrunk to 2 x 1
    EXPECT_EQ(dst.Pixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(dst.Pixel(3, 2), 0xFF0000FFu);
}

TEST(Bitmap32, RectangleDrawWithDegenerateRectanglesDrawsNothing)
{
    const TBitmap32 src = Filled(4, 4, 0xFFFF0000);
    struct {
        QRect dst, src;
    } const cases[] = {
        {QRect(0, 0, 0, 4), QRect(0, 0, 4, 4)},
        {QRect(0, 0, 4, 4), QRect(0, 0, -2, 4)},
        {QRect(QPoint(3, 3), QPoint(1, 1)), QRect(0, 0, 4, 4)}, // inverted
        {QRect(0, 0, 4, 4), QRect(10, 10, 4, 4)},               // source outside
    };
    for (const auto& c : cases) {
        TBitmap32 dst(4, 4);
        dst.Draw(c.dst, c.src, src);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) ASSERT_EQ(dst.Pixel(x, y), 0u);
    }
}

TEST(Bitmap32, SourceRectanglePartlyOutsideKeepsTheScale)
{
    TBitmap32 src = Filled(2, 2, 0xFF00FF00);
    TBitmap32 dst(8, 8);
    // Asks for a 4 x 4 block of which only the top-left 2 x 2 exists: at scale 2
    // it covers the top-left 4 x 4 of the target.
    dst.Draw(QRect(0, 0, 8, 8), QRect(0, 0, 4, 4), src);
    EXPECT_EQ(dst.Pixel(3, 3), 0xFF00FF00u);
    EXPECT_EQ(dst.Pixel(4, 4), 0u);
}

TEST(Bitmap32, FillAndFrameBlendTranslucentColours)
{
    TBitmap32 b = Filled(5, 5, 0xFFFFFFFF);
    const TColor32 band = Argb(50, 106, 165, 230);
    b.FillRect(QRect(1, 1, 3, 3), band);
    b.FrameRect(QRect(0, 0, 5, 5), Argb(255, 106, 165, 230));
    EXPECT_EQ(b.Pixel(0, 0), Argb(255, 106, 165, 230));
    EXPECT_EQ(b.Pixel(4, 2), Argb(255, 106, 165, 230));
    const TColor32 inside = b.Pixel(2, 2);
    EXPECT_EQ(AlphaOf(inside), 255);
    EXPECT_NEAR(RedOf(inside), 255 - (255 - 106) * 50 / 255, 1);
    EXPECT_NEAR(BlueOf(inside), 255 - (255 - 230) * 50 / 255, 1);
}
