#include "theme/QV_SkinBuffer.h"

#include "foundation/QV_System.h"
#include "platform/image/QV_BmpCodec.h"
#include "platform/ini/QV_IniFile.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"
#include "support/QV_PaintTestSupport.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

QSize SizeOf(const TBitmap32& b) { return {b.Width(), b.Height()}; }

// The smallest rectangle holding every pixel that is not fully transparent.
QRect Painted(const TBitmap32& b)
{
    QRect box;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (AlphaOf(b.Pixel(x, y)) != 0) box |= QRect(x, y, 1, 1);
    return box;
}

// A program folder of its own, so the aliases find this test's themes.
class SkinBufferTest : public ::testing::Test {
protected:
    QString Png(const QString& name, const TBitmap32& b) { return dir_.WriteFile(name, EncodePng(b)); }

    TTestDir dir_;
    TAliasScope aliases_{dir_.Path()};
    TSkinBuffer skin_;
};

} // namespace

TEST_F(SkinBufferTest, LookupsFindTheFirstEntryAndStayInRange)
{
    EXPECT_TRUE(skin_.SB_ID.startsWith("SkinBuffer"));
    skin_.LoadImage("A", Filled(2, 2, 0xFFFF0000), {});
    skin_.LoadImage("B", Filled(3, 3, 0xFF00FF00), {});
    skin_.LoadImage("A", Filled(4, 4, 0xFF0000FF), {}); // refills in place
    EXPECT_EQ(skin_.ImageCount(), 2);

    TImageDataPtr entry;
    ASSERT_TRUE(skin_.GetImageData(0, entry));
    EXPECT_EQ(entry->SD_ID, "A");
    EXPECT_EQ(SizeOf(entry->State().IMD_Source), QSize(4, 4));
    EXPECT_FALSE(skin_.GetImageData(2, entry));
    EXPECT_EQ(entry, nullptr);
    EXPECT_FALSE(skin_.GetImageData(-1, entry));
    EXPECT_FALSE(skin_.GetImageData("a", entry)); // case-sensitive

    TFont* first = skin_.LoadFont("F", TParamString{"Name(First), Size(9)"});
    skin_.LoadFont("F", TParamString{"Name(Second)"});
    EXPECT_EQ(skin_.Font("F"), first);
    EXPECT_EQ(skin_.Font("F")->Name, "First");
    EXPECT_EQ(skin_.Font(1)->Name, "Second");
    EXPECT_EQ(skin_.Font(2), nullptr);
    EXPECT_EQ(skin_.Font("G"), nullptr);

    TBitmap32 canvas(4, 4);
    EXPECT_TRUE(skin_.AssignFont("F", canvas));
    EXPECT_EQ(canvas.Font.Name, "First");
    EXPECT_FALSE(skin_.AssignFont("G", canvas));

    skin_.ExchangeImage("A", "B");
    ASSERT_TRUE(skin_.GetImageData("A", entry));
    EXPECT_EQ(SizeOf(entry->State().IMD_Source), QSize(3, 3));
    skin_.ExchangeImage("A", "Missing"); // nothing changes
    ASSERT_TRUE(skin_.GetImageData(1, entry));
    EXPECT_EQ(entry->SD_ID, "A");
}

TEST_F(SkinBufferTest, CachedSizeDrawsWithoutScaling)
{
    skin_.LoadImage("Back", Filled(8, 8, 0xFF336699), TResizeParams{rmFull, 2, 2, 2, 2});
    TBitmap32 canvas(100, 100);
    for (int i = 0; i < 3; ++i) skin_.DrawImage("Back", canvas, 0, 0, 40, 20);
    EXPECT_EQ(skin_.RenditionCount(), 1);
    skin_.DrawImage("Back", canvas, QRect(10, 10, 40, 20)); // same size elsewhere
    EXPECT_EQ(skin_.RenditionCount(), 1);
    skin_.DrawImage("Back", canvas, 0, 0, 41, 20);
    EXPECT_EQ(skin_.RenditionCount(), 2);
    skin_.ResetImageSize();
    skin_.DrawImage("Back", canvas, 0, 0, 41, 20);
    EXPECT_EQ(skin_.RenditionCount(), 3);

    // The nine-slice minimum raises 10 x 3 to 10 x 7; asking for 10 x 3 again is
    // still a cache hit.
    skin_.LoadImage("Small", Filled(12, 12, 0xFF000000), TResizeParams{rmFull, 3, 1, 4, 4});
    TImageDataPtr entry;
    ASSERT_TRUE(skin_.GetImageData("Small", entry));
    EXPECT_EQ(SizeOf(entry->Resize(10, 3)), QSize(10, 7));
    EXPECT_EQ(entry->State().IMD_SKIN_W, 10);
    EXPECT_EQ(entry->State().IMD_SKIN_H, 7);
    entry->Resize(10, 3);
    EXPECT_EQ(entry->Renditions(), 1);
}

TEST_F(SkinBufferTest, OffsetsWidenAndShiftTheDrawing)
{
    TResizeParams params{rmStretch};
    params.OffsetLeft = 2;
    params.OffsetTop = 1;
    params.OffsetRight = 3;
    params.OffsetBottom = 4;
    skin_.LoadImage("Tip", Filled(5, 5, 0xFFFF0000), params);

    TBitmap32 canvas(60, 60);
    skin_.DrawImage("Tip", canvas, 10, 10, 20, 10);
    EXPECT_EQ(Painted(canvas), QRect(8, 9, 25, 15));

    TBitmap32 unscaled(60, 60);
    skin_.DrawImage("Tip", unscaled, 10, 10);
    EXPECT_EQ(Painted(unscaled), QRect(8, 9, 5, 5));

    // Not positive once widened: the rendition made before is drawn unchanged.
    TBitmap32 previous(60, 60);
    skin_.DrawImage("Tip", previous, 10, 10, -5, 10);
    EXPECT_EQ(Painted(previous), QRect(8, 9, 25, 15));

    TBitmap32 nothing(10, 10);
    skin_.DrawImage("Unknown", nothing, 0, 0, 5, 5);
    skin_.DrawImage(7, nothing, 0, 0, 5, 5);
    EXPECT_TRUE(Painted(nothing).isEmpty());
}

TEST_F(SkinBufferTest, ModesThatKeepTheSourceSide)
{
    // Three-slice across keeps the whole source height; down, the whole width.
    skin_.LoadImage("Across", Filled(6, 9, 0xFF00FF00), TResizeParams{rmHorizontal, 2, 0, 2, 2});
    skin_.LoadImage("Down", Filled(7, 6, 0xFF00FF00), TResizeParams{rmVertical, 2, 2, 1, 0});
    skin_.LoadImage("Prop", Filled(20, 10, 0xFF00FF00), TResizeParams{rmStretchProp});
    TImageDataPtr across, down, prop;
    ASSERT_TRUE(skin_.GetImageData("Across", across));
    ASSERT_TRUE(skin_.GetImageData("Down", down));
    ASSERT_TRUE(skin_.GetImageData("Prop", prop));
    EXPECT_EQ(Painted(across->Resize(30, 20)), QRect(0, 0, 30, 9));
    EXPECT_EQ(across->State().IMD_PARAMS.MarginTop, 9);
    EXPECT_EQ(Painted(down->Resize(30, 20)), QRect(0, 0, 7, 20));
    EXPECT_EQ(SizeOf(prop->Resize(40, 40)), QSize(40, 20));
}

TEST_F(SkinBufferTest, LoadingFilesByKind)
{
    TResizeParams params{rmFull, 1, 1, 1, 1};
    params.OffsetLeft = 3;
    EXPECT_EQ(skin_.LoadImage("None", dir_.Sub("missing.png"), params), -1);
    EXPECT_EQ(skin_.ImageCount(), 0);

    // Aliases resolve; the loaded PNG is also the unscaled rendition.
    Png("Data/Themes/Controls/Default/Bar/Back.png", Filled(6, 4, 0xFF102030));
    EXPECT_EQ(skin_.LoadImage("Back", "ControlThemePath:\\Bar\\Back.png", params), 0);
    TImageDataPtr entry;
    ASSERT_TRUE(skin_.GetImageData("Back", entry));
    TImageState state = entry->State();
    EXPECT_EQ(SizeOf(state.IMD_Dest), QSize(6, 4));
    EXPECT_EQ(state.IMD_OFFSET_L, 3);
    EXPECT_EQ(state.IMD_PARAMS, params);
    EXPECT_FALSE(entry->IMD_LOADING);

    // JPEG and BMP pictures are limited to 128 pixels a side; unreadable ones
    // fall back to the button theme's "unknown" picture.
    Png("Data/Themes/Buttons/Default/Unknown.png", Filled(9, 9, 0xFFFFFFFF));
    struct {
        const char* name;
        QByteArray contents;
        QSize expected;
    } const cases[] = {
        {"photo.jpg", EncodeJpeg(Filled(1024, 512, 0xFF808080), 80), {128, 64}}, // quarter, then limited
        {"small.jpg", EncodeJpeg(Filled(200, 100, 0xFF808080), 80), {50, 25}},
        {"pic.BMP", EncodeBmp(Filled(100, 300, 0xFF808080)), {42, 128}},
        {"broken.jpg", "garbage", {9, 9}},
        {"broken.bmp", "BM", {9, 9}},
    };
    for (const auto& c : cases) {
        const QString file = dir_.WriteFile(c.name, c.contents);
        skin_.LoadImage(c.name, file, {});
        ASSERT_TRUE(skin_.GetImageData(c.name, entry)) << c.name;
        EXPECT_EQ(SizeOf(entry->State().IMD_Source), c.expected) << c.name;
        EXPECT_FALSE(entry->IMD_LOADING) << c.name;
    }

    // Any other kind leaves an entry that never draws.
    skin_.LoadImage("Jpeg", dir_.WriteFile("x.jpeg", EncodeJpeg(Filled(8, 8, 0xFF808080), 80)), {});
    ASSERT_TRUE(skin_.GetImageData("Jpeg", entry));
    EXPECT_TRUE(entry->IMD_LOADING);

    // A broken PNG reaches the caller; the entry stays, no longer loading, with
    // its picture as it was.
    const QString broken = dir_.WriteFile("broken.png", "\x89PNG but not really");
    EXPECT_THROW(skin_.LoadImage("Back", broken, params), EImageError);
    ASSERT_TRUE(skin_.GetImageData("Back", entry));
    EXPECT_FALSE(entry->IMD_LOADING);
    EXPECT_EQ(SizeOf(entry->State().IMD_Source), QSize(6, 4));
}

TEST_F(SkinBufferTest, ReloadKeepsTheCachedSizeUntilReset)
{
    const QString first = Png("first.png", Filled(4, 4, 0xFFFF0000));
    const QString second = Png("second.png", Filled(5, 5, 0xFF0000FF));
    skin_.LoadImage("Icon", first, TResizeParams{rmStretch});
    TBitmap32 canvas(40, 40);
    skin_.DrawImage("Icon", canvas, 0, 0, 20, 20);

    skin_.LoadImage("Icon", second, TResizeParams{rmStretch});
    TBitmap32 again(40, 40);
    skin_.DrawImage("Icon", again, 0, 0, 20, 20);
    EXPECT_EQ(Painted(again), QRect(0, 0, 5, 5)); // the unscaled copy made at load
    EXPECT_EQ(again.Pixel(0, 0), 0xFF0000FFu);

    skin_.ResetImageSize(0);
    TBitmap32 fresh(40, 40);
    skin_.DrawImage("Icon", fresh, 0, 0, 20, 20);
    EXPECT_EQ(Painted(fresh), QRect(0, 0, 20, 20));
}

TEST_F(SkinBufferTest, CopiesFromAnotherBuffer)
{
    TSkinBuffer other;
    TResizeParams params{rmStretch};
    params.OffsetBottom = 2;
    other.LoadImage("Hot", Filled(3, 3, 0xFF00FF00), params);
    TImageDataPtr source;
    ASSERT_TRUE(other.GetImageData("Hot", source));
    source->Resize(10, 10);
    other.LoadFont("Font", TParamString{"Name(Copied), Size(13), Bold(1)"});

    EXPECT_TRUE(skin_.CopyImageData(other, "Hot"));
    EXPECT_FALSE(skin_.CopyImageData(other, "Cold"));
    EXPECT_TRUE(skin_.CopyFontData(other, "Font"));
    EXPECT_FALSE(skin_.CopyFontData(other, "None"));

    TImageDataPtr copy;
    ASSERT_TRUE(skin_.GetImageData("Hot", copy));
    const TImageState state = copy->State();
    EXPECT_EQ(state.IMD_SKIN_W, 10);
    EXPECT_EQ(state.IMD_OFFSET_B, 2);
    EXPECT_EQ(SizeOf(state.IMD_Dest), QSize(10, 10));
    EXPECT_EQ(*skin_.Font("Font"), *other.Font("Font"));
    EXPECT_NE(skin_.Font("Font"), other.Font("Font"));
    // The copy is cached at the same size: drawing there renders nothing new.
    TBitmap32 canvas(20, 20);
    skin_.DrawImage("Hot", canvas, 0, 0, 10, 8);
    EXPECT_EQ(skin_.RenditionCount(), 0);
}

TEST_F(SkinBufferTest, ThemeFileEntries)
{
    dir_.WriteFile("Data/Themes/Controls/Default/ThemeData.QVS",
                   "[Bar]\n"
                   "Image(Background)=DrawMode(stretch), DrawOffset(Top[1])\n"
                   "Font(Text)=Name(Calibri), Size(10)\n");
    Png("Data/Themes/Controls/Default/Bar/Back.png", Filled(6, 6, 0xFF000000));
    EXPECT_EQ(skin_.LoadThemeImage("ControlBack", "Bar", "Background", "Bar\\Back.png"), 0);
    EXPECT_EQ(skin_.LoadThemeImage("Missing", "Bar", "Item", "Bar\\Item.png"), -1);
    TImageDataPtr entry;
    ASSERT_TRUE(skin_.GetImageData("ControlBack", entry));
    EXPECT_EQ(entry->State().IMD_PARAMS.ResizeType, rmStretch);
    EXPECT_EQ(entry->State().IMD_OFFSET_T, 1);

    const TFont* font = skin_.LoadThemeFont("Text", "Bar", "Text", "Name(Other)");
    EXPECT_EQ(font->Name, "Calibri");
    EXPECT_EQ(font->Size, 10);
    EXPECT_EQ(skin_.LoadThemeFont("Gone", "Bar", "Gone", "Name(Other)")->Name, "Other");
}

// The shipped control theme: every image key resolves to a picture that draws
// something at a small and at a large size.
TEST(ShippedTheme, EveryImageEntryDraws)
{
    TAliasScope aliases(BuildDir());
    aliases.SetControlTheme("Default");

    const QString themeFile = ResolvePath("ControlTheme:\\");
    ASSERT_TRUE(PathExists(themeFile, emFile)) << themeFile.toStdString();

    // Every image key of the file is one the program loads.
    std::set<std::pair<QString, QString>> known;
    for (const TThemeImageEntry& e : ControlThemeImages())
        known.insert({QString::fromLatin1(e.Section), QStringLiteral("Image(%1)").arg(QLatin1String(e.ImageName))});
    for (const QString& section : IniSectionNames(themeFile)) {
        for (const auto& [key, value] : IniSectionEntries(themeFile, section)) {
            if (!key.startsWith("Image(")) continue;
            // The holders' folder backgrounds belong to the folder themes.
            if (key == "Image(Background)" && value.startsWith("Align(")) continue;
            EXPECT_TRUE(known.count({section, key})) << section.toStdString() << " " << key.toStdString();
        }
    }

    // Items at rest have no plate in this theme: their picture is empty on purpose.
    const std::set<std::string> deliberatelyEmpty = {"FileHolder Item.Normal"};
    for (const TThemeImageEntry& e : ControlThemeImages()) {
        const std::string what = std::string(e.Section) + " " + e.ImageName;
        TSkinBuffer skin;
        ASSERT_GE(skin.LoadThemeImage(e.Id, e.Section, e.ImageName, e.File, e.Default), 0) << what;
        TImageDataPtr entry;
        ASSERT_TRUE(skin.GetImageData(e.Id, entry));
        for (const QSize size : {QSize(24, 18), QSize(220, 64)}) {
            const std::string at = what + " at " + std::to_string(size.width()) + "x" + std::to_string(size.height());
            TBitmap32 canvas(300, 120);
            skin.DrawImage(e.Id, canvas, 20, 20, size.width(), size.height());
            EXPECT_FALSE(entry->State().IMD_Dest.Empty()) << at;
            if (!deliberatelyEmpty.count(what)) {
                EXPECT_FALSE(Painted(canvas).isEmpty()) << at;
            }
        }
    }
}
