#include "platform/image/QV_Bitmap32.h"
#include "platform/desktop/QV_Font.h"
#include "platform/desktop/QV_TextDraw.h"

#include <QFontInfo>
#include <unistd.h>
#include <gtest/gtest.h>

namespace {

TFont TestFont()
{
    RegisterBundledFonts();
    TFont font;
    font.Name = QStringLiteral("DejaVu Sans");
    font.Size = 11;
    font.Color = 0x000000FF; // red
    return font;
}

// The box around every pixel that text made visible.
QRect Ink(const TBitmap32& b)
{
    QRect box;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (AlphaOf(b.Pixel(x, y)) > 0) box |= QRect(x, y, 1, 1);
    return box;
}

TBitmap32 Canvas(int w, int h)
{
    TBitmap32 b(w, h);
    b.Font = TestFont();
    return b;
}

} // namespace

TEST(Font, PointSizesMapToPixelsAtNinetySixDpi)
{
    struct {
        int points, pixels;
    } const cases[] = {{8, 11}, {9, 12}, {11, 15}, {12, 16}, {0, 1}, {-10, 13}};
    for (const auto& c : cases) {
        TFont font;
        font.Size = c.points;
        EXPECT_EQ(font.PixelSize(), c.pixels) << c.points;
        EXPECT_EQ(font.ToQFont().pixelSize(), c.pixels);
    }
    TFont styled;
    styled.Bold = styled.Italic = true;
    EXPECT_TRUE(styled.ToQFont().bold());
    EXPECT_TRUE(styled.ToQFont().italic());
}

TEST(Font, BundledTahomaIsFoundByName)
{
    RegisterBundledFonts();
    EXPECT_EQ(RegisterBundledFonts(), 0); // a second call adds nothing
    if (access("/usr/share/wine/fonts/tahoma.ttf", R_OK) != 0) GTEST_SKIP() << "fonts-wine is not installed";
    TFont font;
    font.Name = QStringLiteral("Tahoma");
    EXPECT_EQ(QFontInfo(font.ToQFont()).family(), QStringLiteral("Tahoma"));
}

TEST(Font, MeasuresLinesSeparately)
{
    const TFont font = TestFont();
    EXPECT_EQ(MeasureTextWidth(font, QString()), 0);
    const int one = MeasureTextHeight(font, QStringLiteral("Text"));
    EXPECT_GT(one, 0);
    EXPECT_EQ(MeasureTextHeight(font, QString()), one);
    EXPECT_GT(MeasureTextHeight(font, QStringLiteral("a\nb")), one);
    EXPECT_EQ(MeasureTextHeight(font, QStringLiteral("a\r\nb")), MeasureTextHeight(font, QStringLiteral("a\nb")));
    EXPECT_EQ(MeasureTextWidth(font, QStringLiteral("short\nmuch longer line")),
              MeasureTextWidth(font, QStringLiteral("much longer line")));
    TFont bigger = font;
    bigger.Size = 20;
    EXPECT_GT(MeasureTextWidth(bigger, QStringLiteral("Text")), MeasureTextWidth(font, QStringLiteral("Text")));
}

TEST(TextDraw, EndEllipsisShortensToTheRectangle)
{
    const TFont font = TestFont();
    const QString text = QStringLiteral("A rather long caption that cannot fit");
    const QStringList lines = LayoutTextLines(font, 80, text, tfSingleLine | tfEndEllipsis | tfNoPrefix);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(QChar(0x2026)));
    EXPECT_TRUE(text.startsWith(lines[0].chopped(1)));
    EXPECT_LE(MeasureTextWidth(font, lines[0]), 80);
    // Without the flag the line is kept whole (and clipped when drawn).
    EXPECT_EQ(LayoutTextLines(font, 80, text, tfSingleLine | tfNoPrefix), QStringList{text});
    // Text that fits is never touched.
    EXPECT_EQ(LayoutTextLines(font, 800, text, tfSingleLine | tfEndEllipsis), QStringList{text});
}

TEST(TextDraw, PathEllipsisKeepsTheLastComponent)
{
    const TFont font = TestFont();
    const QString path = QStringLiteral("/home/user/projects/some/deep/folder/report.txt");
    const int width = MeasureTextWidth(font, QStringLiteral("/home/us/report.txt"));
    const QStringList lines = LayoutTextLines(font, width, path, tfSingleLine | tfPathEllipsis | tfNoPrefix);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(QString(QChar(0x2026)) + QStringLiteral("/report.txt"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("/ho")));
    EXPECT_LE(MeasureTextWidth(font, lines[0]), width);
}

TEST(TextDraw, PrefixProcessingOnlyWithoutTheNoPrefixFlag)
{
    const TFont font = TestFont();
    struct {
        const char* text;
        unsigned flags;
        const char* shown;
    } const cases[] = {
        {"Save && Quit", tfNoPrefix, "Save && Quit"},
        {"Save & Quit", tfNoPrefix, "Save & Quit"},
        {"Save && Quit", 0, "Save & Quit"},
        {"&Open", 0, "Open"},
        {"Tail&", 0, "Tail"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LayoutTextLines(font, 1000, QString::fromUtf8(c.text), c.flags | tfSingleLine),
                  QStringList{QString::fromUtf8(c.shown)})
            << c.text;

    // The ampersand reaches the pixels: drawn literally it takes room.
    TBitmap32 literal = Canvas(200, 30), stripped = Canvas(200, 30);
    literal.DrawText(literal.BoundsRect(), QStringLiteral("A&B"), tfSingleLine | tfNoPrefix);
    stripped.DrawText(stripped.BoundsRect(), QStringLiteral("AB"), tfSingleLine | tfNoPrefix);
    EXPECT_GT(Ink(literal).width(), Ink(stripped).width());
}

TEST(TextDraw, CentresHorizontallyAndVertically)
{
    TBitmap32 b = Canvas(200, 60);
    const QRect rect(20, 10, 160, 40);
    b.DrawText(rect, QStringLiteral("Mid"), tfCenter | tfVCenter | tfSingleLine | tfNoPrefix);
    const QRect ink = Ink(b);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), rect.center().x(), 3);
    EXPECT_NEAR(ink.center().y(), rect.center().y(), 4);
    EXPECT_TRUE(rect.contains(ink));
    // Drawn in the font's colour: fully covered pixels are pure red.
    bool solid = false;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x)
            if (AlphaOf(b.Pixel(x, y)) == 255) {
                solid = true;
                EXPECT_EQ(b.Pixel(x, y), 0xFFFF0000u);
            }
    EXPECT_TRUE(solid);
}

TEST(TextDraw, AlignsRightAndBottom)
{
    TBitmap32 b = Canvas(200, 60);
    const QRect rect(0, 0, 150, 60);
    b.DrawText(rect, QStringLiteral("End"), tfRight | tfBottom | tfSingleLine);
    const QRect ink = Ink(b);
    EXPECT_GE(ink.right(), 140);
    EXPECT_LE(ink.right(), 149);
    EXPECT_GE(ink.bottom(), 45);
}

TEST(TextDraw, ClipsToTheRectangleUnlessAskedNotTo)
{
    TBitmap32 clipped = Canvas(300, 40), free = Canvas(300, 40);
    const QRect rect(10, 0, 40, 40);
    const QString text = QStringLiteral("Wide text that overflows");
    clipped.DrawText(rect, text, tfSingleLine | tfVCenter);
    free.DrawText(rect, text, tfSingleLine | tfVCenter | tfNoClip);
    EXPECT_TRUE(rect.contains(Ink(clipped)));
    EXPECT_GT(Ink(free).right(), rect.right());
}

TEST(TextDraw, WordBreakWrapsInsideTheWidthAndLineBreaksStartLines)
{
    const TFont font = TestFont();
    const QString text = QStringLiteral("one two three four five six seven");
    const int width = MeasureTextWidth(font, QStringLiteral("three four"));
    const QStringList lines = LayoutTextLines(font, width, text, tfWordBreak);
    EXPECT_GT(lines.size(), 2);
    EXPECT_EQ(lines.join(QLatin1Char(' ')), text);
    for (const QString& line : lines) EXPECT_LE(MeasureTextWidth(font, line), width) << line.toStdString();
    // One line wins over word break; explicit breaks become spaces there.
    EXPECT_EQ(LayoutTextLines(font, width, text, tfWordBreak | tfSingleLine).size(), 1);
    EXPECT_EQ(LayoutTextLines(font, 500, QStringLiteral("a\nb"), tfSingleLine), QStringList{QStringLiteral("a b")});
    EXPECT_EQ(LayoutTextLines(font, 500, QStringLiteral("a\r\nb"), 0), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));

    TBitmap32 b = Canvas(200, 120);
    b.DrawText(QRect(0, 0, 200, 120), QStringLiteral("first\nsecond"), tfCenter);
    EXPECT_GT(Ink(b).height(), MeasureTextHeight(font, QStringLiteral("x")));
}

TEST(TextDraw, TextOutDrawsAtThePointAndMeasuresLikeTheCanvas)
{
    TBitmap32 b = Canvas(200, 40);
    b.TextOut(30, 5, QStringLiteral("Found:  12"));
    const QRect ink = Ink(b);
    EXPECT_GE(ink.left(), 30);
    EXPECT_LE(ink.left(), 33);
    EXPECT_GE(ink.top(), 5);
    EXPECT_LE(ink.right(), 30 + b.TextWidth(QStringLiteral("Found:  12")));
    EXPECT_EQ(b.TextHeight(QStringLiteral("Text")), MeasureTextHeight(b.Font, QStringLiteral("Text")));
}
