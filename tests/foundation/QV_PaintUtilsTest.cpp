#include "foundation/QV_PaintUtils.h"

#include "foundation/QV_System.h"
#include "platform/image/QV_IconFixtures.h"
#include "platform/image/QV_ImageFile.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"
#include "support/QV_PaintTestSupport.h"
#include "support/QV_TestSupport.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

// Every pixel of the rectangle (cut to the bitmap) has the colour.
::testing::AssertionResult AllPixels(const TBitmap32& b, const QRect& rect, TColor32 color)
{
    const QRect r = rect.intersected(b.BoundsRect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (b.Pixel(x, y) != color)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << "," << y << ") is " << std::hex << b.Pixel(x, y) << ", not " << color;
    return ::testing::AssertionSuccess();
}

// Whether the block of `a` at (ax, ay) equals the block of `b` at (bx, by).
::testing::AssertionResult SameBlock(const TBitmap32& a, int ax, int ay, const TBitmap32& b, int bx, int by, int w,
                                     int h)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (a.Pixel(ax + x, ay + y) != b.Pixel(bx + x, by + y))
                return ::testing::AssertionFailure() << "differs at +(" << x << "," << y << ")";
    return ::testing::AssertionSuccess();
}

TFont MakeFont(const QString& name, int size, TColor color, bool bold, bool italic)
{
    TFont font;
    font.Name = name;
    font.Size = size;
    font.Color = color;
    font.Bold = bold;
    font.Italic = italic;
    return font;
}

TParamString Params(const char* text) { return TParamString{QString::fromUtf8(text)}; }

} // namespace

TEST(ResizeParams, ParseTable)
{
    struct {
        const char* text;
        TResizeParams expected; // mode, top, bottom, left, right, offsets l, t, r, b
    } const cases[] = {
        {"", {rmFull, 2, 2, 2, 2, 0, 0, 0, 0}},
        {"DrawMode(stretch)", {rmStretch, 2, 2, 2, 2, 0, 0, 0, 0}},
        {"DrawMode(Stretch)", {rmNone, 2, 2, 2, 2, 0, 0, 0, 0}}, // exact words only
        {"DrawMode(vert)", {rmVertical, 2, 2, 2, 2, 0, 0, 0, 0}},
        {"DrawMode(horiz)", {rmHorizontal, 2, 2, 2, 2, 0, 0, 0, 0}},
        {"DrawMode(none)", {rmNone, 2, 2, 2, 2, 0, 0, 0, 0}},
        {"DrawMode(prop)", {rmNone, 2, 2, 2, 2, 0, 0, 0, 0}}, // a theme cannot ask for rmStretchProp
        {"Margins(Left[10])", {rmFull, 2, 2, 10, 2, 0, 0, 0, 0}},
        {"Image(X) = DrawMode(full), Margins(Left[4], Top[5], Right[6], Bottom[7]), "
         "DrawOffset(Left[-1], Top[2], Right[3], Bottom[$10])",
         {rmFull, 5, 7, 4, 6, -1, 2, 3, 16}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseResizeParams(Params(c.text)), c.expected) << c.text;

    EXPECT_THROW(ParseResizeParams(Params("Margins(Left[ten])")), EConvertError);
}

TEST(ResizeParams, SettingModeAndMarginsKeepsOffsets)
{
    TResizeParams p = ParseResizeParams(Params("DrawMode(stretch), DrawOffset(Left[3], Bottom[4])"));
    ResizeParams(p, rmFull, 0, 0, 0, 0);
    EXPECT_EQ(p, (TResizeParams{rmFull, 0, 0, 0, 0, 3, 0, 0, 4}));
}

TEST(ResizeParams, ReadsThemeEntriesAndWorkAreas)
{
    TTestDir dir;
    const QString file = dir.WriteFile("ThemeData.QVS",
                                       "[Bar]\n"
                                       "Image(Plain)=DrawMode(vert), Margins(Top[3])\n"
                                       "Image(Work)=WorkArea(Left[3])\n"
                                       "Image(Full)=WorkArea(Left[1], Top[2], Right[3], Bottom[4])\n");
    const QString missing = dir.Sub("Nothing.QVS");

    EXPECT_EQ(ReadResizeParams(file, "Bar", "Image(Plain)", "DrawMode(stretch)"),
              (TResizeParams{rmVertical, 3, 2, 2, 2}));
    // A missing key takes the caller's default text; a missing file ignores it.
    EXPECT_EQ(ReadResizeParams(file, "Bar", "Image(Gone)", "DrawMode(stretch)").ResizeType, rmStretch);
    EXPECT_EQ(ReadResizeParams(missing, "Bar", "Image(Plain)", "DrawMode(stretch)"),
              (TResizeParams{rmFull, 2, 2, 2, 2}));

    struct {
        QString file;
        const char* key;
        TWorkArea expected;
    } const areas[] = {
        {file, "Image(Plain)", {0, 0, 0, 0}},
        {file, "Image(Work)", {3, 0, 0, 0}},
        {file, "Image(Full)", {1, 2, 3, 4}},
        {file, "Image(Gone)", {0, 0, 0, 0}},
        {missing, "Image(Full)", {0, 0, 0, 0}},
    };
    for (const auto& a : areas)
        EXPECT_EQ(ReadWorkArea(a.file, "Bar", a.key, "Left(1), Top(20), Right(6), Bottom(20)"), a.expected) << a.key;
}

TEST(ResizeImage, NineSliceKeepsCornersAndStretchesEdgesOneWay)
{
    // 6 x 6, margins 2: every corner pixel distinct; the top and bottom edges vary
    // only down, the left and right edges only across, the centre is one colour.
    TBitmap32 src(6, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool midX = x >= 2 && x < 4;
            const bool midY = y >= 2 && y < 4;
            TColor32 c;
            if (midX && midY) c = 0xFF808080;
            else if (midX) c = Argb(0xFF, 0x10, 0x20, std::uint8_t(y * 40)); // top/bottom edge: per row
            else if (midY) c = Argb(0xFF, 0x30, std::uint8_t(x * 40), 0x40); // left/right edge: per column
            else c = Argb(std::uint8_t(0x80 + y * 16), std::uint8_t(x * 40), std::uint8_t(y * 40), 0xC0);
            src.SetPixel(x, y, c);
        }
    }
    const TResizeParams p{rmFull, 2, 2, 2, 2};
    TBitmap32 dest;
    dest.DrawMode = TDrawMode::dmOpaque;
    ResizeImage(src, dest, 15, 11, p);
    ASSERT_EQ(dest.Width(), 15);
    ASSERT_EQ(dest.Height(), 11);
    EXPECT_EQ(dest.DrawMode, TDrawMode::dmBlend);

    EXPECT_TRUE(SameBlock(dest, 0, 0, src, 0, 0, 2, 2));
    EXPECT_TRUE(SameBlock(dest, 13, 0, src, 4, 0, 2, 2));
    EXPECT_TRUE(SameBlock(dest, 0, 9, src, 0, 4, 2, 2));
    EXPECT_TRUE(SameBlock(dest, 13, 9, src, 4, 4, 2, 2));
    for (int row = 0; row < 2; ++row) {
        EXPECT_TRUE(AllPixels(dest, QRect(2, row, 11, 1), src.Pixel(2, row)));          // top
        EXPECT_TRUE(AllPixels(dest, QRect(2, 9 + row, 11, 1), src.Pixel(2, 4 + row)));  // bottom
    }
    for (int col = 0; col < 2; ++col) {
        EXPECT_TRUE(AllPixels(dest, QRect(col, 2, 1, 7), src.Pixel(col, 2)));           // left
        EXPECT_TRUE(AllPixels(dest, QRect(13 + col, 2, 1, 7), src.Pixel(4 + col, 2)));  // right
    }
    EXPECT_TRUE(AllPixels(dest, QRect(2, 2, 11, 7), 0xFF808080));
}

TEST(ResizeImage, ThreeSliceModes)
{
    // 6 x 8: left column block red, middle green, right block blue; a white bottom row.
    TBitmap32 src(6, 8);
    src.Clear(0xFF00FF00);
    src.FillRect(QRect(0, 0, 2, 8), 0xFFFF0000);
    src.FillRect(QRect(4, 0, 2, 8), 0xFF0000FF);
    src.FillRect(QRect(0, 7, 6, 1), 0xFFFFFFFF);

    // Across: only the top three rows, caps unscaled; the rest stays transparent.
    TBitmap32 across;
    ResizeImage(src, across, 20, 10, TResizeParams{rmHorizontal, 3, 0, 2, 2});
    ASSERT_EQ(across.Width(), 20);
    ASSERT_EQ(across.Height(), 10);
    EXPECT_TRUE(AllPixels(across, QRect(0, 0, 2, 3), 0xFFFF0000));
    EXPECT_TRUE(AllPixels(across, QRect(2, 0, 16, 3), 0xFF00FF00));
    EXPECT_TRUE(AllPixels(across, QRect(18, 0, 2, 3), 0xFF0000FF));
    EXPECT_TRUE(AllPixels(across, QRect(0, 3, 20, 7), 0));

    // Down: caps two rows high at the cap width, the middle at the full source
    // width and never scaled across.
    TBitmap32 down;
    ResizeImage(src, down, 10, 14, TResizeParams{rmVertical, 2, 1, 6, 0});
    ASSERT_EQ(down.Width(), 10);
    ASSERT_EQ(down.Height(), 14);
    EXPECT_TRUE(SameBlock(down, 0, 0, src, 0, 0, 6, 2));
    EXPECT_TRUE(SameBlock(down, 0, 13, src, 0, 7, 6, 1));
    for (int y = 2; y < 13; ++y) EXPECT_TRUE(SameBlock(down, 0, y, src, 0, 3, 6, 1)) << "row " << y;
    EXPECT_TRUE(AllPixels(down, QRect(6, 0, 4, 14), 0));
}

TEST(ResizeImage, StretchNoneAndProportional)
{
    const TBitmap32 src = Filled(8, 4, 0x80FF0000);
    struct {
        TResizeMode mode;
        QSize expected;
    } const cases[] = {
        {rmStretch, {30, 9}},
        {rmNone, {8, 4}},
        {rmStretchProp, {30, 15}},
    };
    for (const auto& c : cases) {
        TBitmap32 dest;
        ResizeImage(src, dest, 30, 9, TResizeParams{c.mode, 1, 1, 1, 1});
        EXPECT_EQ(QSize(dest.Width(), dest.Height()), c.expected) << c.mode;
        EXPECT_TRUE(AllPixels(dest, dest.BoundsRect(), 0x80FF0000)) << c.mode;
        EXPECT_EQ(dest.DrawMode, TDrawMode::dmBlend);
    }
}

TEST(ResizeImage, OversizedMarginsAndTargetsStayBounded)
{
    const TBitmap32 src = Filled(4, 4, 0xFF112233);
    TBitmap32 dest;
    // Margins larger than the picture are cut to it: no block grows the result.
    ResizeImage(src, dest, 10, 10, TResizeParams{rmFull, 1000000, -5, 2000000000, 7});
    EXPECT_EQ(QSize(dest.Width(), dest.Height()), QSize(10, 10));
    ResizeImage(src, dest, 10, 2, TResizeParams{rmHorizontal, 4, 0, 1, 1});
    EXPECT_EQ(QSize(dest.Width(), dest.Height()), QSize(10, 4)); // grows to the strip's height
    // A target beyond the picture limits gives no picture rather than a huge one.
    ResizeImage(src, dest, 1 << 20, 1 << 20, TResizeParams{rmFull, 1, 1, 1, 1});
    EXPECT_TRUE(dest.Empty());
    ResizeImage(src, dest, 0, 5, TResizeParams{rmStretch});
    EXPECT_TRUE(dest.Empty());
}

TEST(Resample, ProportionalSizes)
{
    struct {
        QSize from;
        QSize target;
        QSize expected;
    } const cases[] = {
        {{200, 100}, {50, 50}, {50, 25}},
        {{100, 200}, {50, 50}, {25, 50}},
        {{100, 100}, {30, 60}, {60, 60}},
        {{0, 0}, {40, 10}, {10, 10}},    // an empty picture counts as 32 x 32
        {{300, 1}, {30, 30}, {30, 1}},   // 30 x 0 is raised to one row
        {{10, 10}, {-5, -5}, {1, 1}},
    };
    for (const auto& c : cases) {
        TBitmap32 b = Filled(c.from.width(), c.from.height(), 0xFF00FF00);
        ResampleProportional(b, c.target.width(), c.target.height());
        EXPECT_EQ(QSize(b.Width(), b.Height()), c.expected) << c.from.width() << "x" << c.from.height();
    }
}

TEST(Resample, ThinPicturesBecomeBlankFirst)
{
    TBitmap32 thin = Filled(1, 40, 0xFFFF0000);
    ResampleTo(thin, 8, 8);
    EXPECT_EQ(QSize(thin.Width(), thin.Height()), QSize(8, 8));
    EXPECT_TRUE(AllPixels(thin, thin.BoundsRect(), 0));

    TBitmap32 solid = Filled(4, 4, 0xFFFF0000);
    ResampleTo(solid, 0, -3);
    EXPECT_EQ(QSize(solid.Width(), solid.Height()), QSize(1, 1));
    EXPECT_EQ(solid.Pixel(0, 0), 0xFFFF0000u);

    TBitmap32 dest = Filled(3, 3, 0xFFFFFFFF);
    StretchInto(TBitmap32(), dest, 5, 6);
    EXPECT_EQ(QSize(dest.Width(), dest.Height()), QSize(5, 6));
    EXPECT_TRUE(AllPixels(dest, dest.BoundsRect(), 0));
}

TEST(Blocks, CopyGrowsKeepingContentAndStretchFillsItsBlock)
{
    TBitmap32 dest = Filled(2, 2, 0xFF0000FF);
    const TBitmap32 src = Filled(3, 3, 0x80FF0000);
    CopyBlock(src, {0, 0}, 3, 4, dest, {1, 1});
    ASSERT_EQ(QSize(dest.Width(), dest.Height()), QSize(3, 4));
    EXPECT_EQ(dest.Pixel(0, 0), 0xFF0000FFu); // old content kept
    EXPECT_EQ(dest.Pixel(1, 1), 0x80FF0000u); // replaced, not blended
    EXPECT_EQ(dest.Pixel(2, 0), 0u);

    TBitmap32 canvas(10, 10);
    StretchBlock(src, {1, 1}, 2, 2, canvas, {2, 3}, 6, 4);
    EXPECT_TRUE(AllPixels(canvas, QRect(2, 3, 6, 4), 0x80FF0000));
    EXPECT_TRUE(AllPixels(canvas, QRect(0, 0, 10, 3), 0));
    StretchBlock(src, {0, 0}, -1, 2, canvas, {0, 0}, 4, 4); // an inverted block draws nothing
    EXPECT_TRUE(AllPixels(canvas, QRect(0, 0, 10, 3), 0));
}

TEST(Fonts, ParseTable)
{
    struct {
        const char* text;
        TFont expected;
    } const cases[] = {
        {"Name(Calibri), Color($000000), Size(11), Bold(1)", MakeFont("Calibri", 11, 0x000000, true, false)},
        {"Name(Tahoma), Color($FFFFFF), Size(8), Bold(0), Italic(1)", MakeFont("Tahoma", 8, 0xFFFFFF, false, true)},
        {"Color(255)", MakeFont("Start", 7, 255, false, false)},
        {"", MakeFont("Start", 7, 0x123456, false, false)},
    };
    for (const auto& c : cases) {
        TFont font = MakeFont("Start", 7, 0x123456, true, true);
        ParseFontParams(font, Params(c.text));
        EXPECT_EQ(font, c.expected) << c.text;
    }
    TFont font;
    EXPECT_THROW(ParseFontParams(font, Params("Size(big)")), EConvertError);
}

TEST(Fonts, WrittenFontsReadBack)
{
    TTestDir dir;
    const QString file = dir.WriteFile("ThemeData.QVS", "[Tip]\nFont(Text.Normal)=Name(Calibri), Size(11)\n");
    TFont font = MakeFont("Tahoma", 8, 0x00FF00, true, true);
    ReadFontFromIni(font, file, "Tip", "Text.Normal", "Bold(1)");
    EXPECT_EQ(font, (MakeFont("Calibri", 11, 0x00FF00, false, false)));
    ReadFontFromIni(font, file, "Tip", "Text.Missing", "Bold(1), Size(20)");
    EXPECT_EQ(font, (MakeFont("Calibri", 20, 0x00FF00, true, false)));

    const TFont written = MakeFont("DejaVu Sans", 12, 0xFF8000, true, false);
    WriteFontToIni(written, file, "Tip", "Text.Hot");
    EXPECT_TRUE(dir.ReadFile("ThemeData.QVS").contains("Color(16744448)")); // decimal
    TFont read;
    ReadFontFromIni(read, file, "Tip", "Text.Hot", "");
    EXPECT_EQ(read, written);
}

TEST(Measuring, TextExtentsFollowTheFont)
{
    const TFont font = MakeFont("DejaVu Sans", 10, 0, false, false);
    EXPECT_EQ(TextWidth("Hello", nullptr), 0);
    EXPECT_EQ(TextHeight("Hello", nullptr), 0);
    EXPECT_EQ(TextWidth("Hello", &font), MeasureTextWidth(font, "Hello"));
    EXPECT_EQ(TextHeight("Hello", &font), MeasureTextHeight(font, "Hello"));
    EXPECT_GT(TextWidth("Hello, world", &font), TextWidth("Hello", &font));
    EXPECT_EQ(TextWidth("", &font), 0);

    TSmartString s;
    s.SetText("Hello");
    EXPECT_EQ(s.TextWidth(&font), TextWidth("Hello", &font));
    EXPECT_EQ(s.TextWidth(nullptr), 0);
}

TEST(Measuring, RectHeight)
{
    struct {
        QRect rect;
        int expected;
    } const cases[] = {
        {QRect(QPoint(0, 5), QPoint(9, 14)), 10},
        {QRect(0, 5, 10, 0), 0},
        {QRect(0, 5, 10, -4), 1},
    };
    for (const auto& c : cases) EXPECT_EQ(RectHeight(c.rect), c.expected);
}

TEST(Measuring, SizeTextTable)
{
    const QString sep = QLocale::system().decimalPoint();
    struct {
        qint64 size;
        QString expected;
    } const cases[] = {
        {0, " bytes"},
        {1, "1 bytes"},
        {1024, "1024 bytes"},
        {1025, "1 KB"},
        {1536, "1" + sep + "5 KB"},
        {1048576, "1024 KB"},
        {1234567, "1" + sep + "18 MB"},
        {1073741824, "1024 MB"},
        {1610612736, "1" + sep + "5 GB"},
        {qint64(5) << 40, "5120 GB"},
        {-5, "-5 bytes"},
    };
    for (const auto& c : cases) EXPECT_EQ(SizeText(c.size), c.expected) << c.size;
}

TEST(PaintLoaders, PngAndImageFiles)
{
    TTestDir dir_;
    TAliasScope aliases(dir_.Path());
    aliases.SetFilesTheme("Mine");
    const QString png = dir_.WriteFile("a.png", EncodePng(Filled(3, 2, 0x80102030)));
    TBitmap32 b;
    b.DrawMode = TDrawMode::dmOpaque;
    LoadPng(png, b);
    EXPECT_EQ(QSize(b.Width(), b.Height()), QSize(3, 2));
    EXPECT_EQ(b.DrawMode, TDrawMode::dmOpaque);
    EXPECT_THROW(LoadPng(dir_.Sub("missing.png"), b), EImageError);

    // Programs show their own icon, chosen for the asked size up to 256; one
    // without icons takes the configured file-icon theme's fallback picture,
    // one that cannot be read leaves the bitmap alone.
    dir_.WriteFile("Data/Themes/FileIcons/Mine/UnknownExe.png", EncodePng(Filled(5, 5, 0xFF00FF00)));
    const QString program = dir_.WriteFile(
        "prog.exe", ProgramFile(IconResources({{48, 48, 32, SolidImage(48, 48, 32, 0xFF0000FF)},
                                               {256, 256, 32, SolidImage(256, 256, 0, 0xFFFF0000)}})));
    struct {
        QString file;
        int desired;
        QSize expected;
    } const cases[] = {
        {program, kLargestProgramIcon, {256, 256}},
        {program, 40, {48, 48}},
        {program, 1000, {256, 256}},
        {dir_.WriteFile("tool.exe", "no program at all"), kLargestProgramIcon, {5, 5}},
        {dir_.Sub("missing.exe"), kLargestProgramIcon, {0, 0}},
        {dir_.WriteFile("photo.jpg", EncodeJpeg(Filled(40, 24, 0xFFFFFFFF), 90)), 0, {40, 24}},
        {dir_.Sub("tool.EXE"), 0, {0, 0}},   // extensions compare exactly
        {png, 0, {0, 0}},                     // neither a program nor a JPEG
        {dir_.Sub("x.exe/readme"), 0, {0, 0}},
    };
    for (const auto& c : cases) {
        TBitmap32 image;
        LoadImageFile(c.file, image, c.desired);
        EXPECT_EQ(QSize(image.Width(), image.Height()), c.expected) << c.file.toStdString() << " " << c.desired;
    }
    const QString broken = dir_.WriteFile("broken.jpg", "not a picture");
    EXPECT_THROW(LoadImageFile(broken, b), EImageError);
}
