#include "commands/QV_ActionButton.h"

#include "QV_CommandTestSupport.h"
#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Context.h"
#include "locale/QV_LocaleManager.h"
#include "support/QV_PaintTestSupport.h"
#include "theme/QV_SkinBuffer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

TSmartRect Rect(int left, int top, int width, int height)
{
    TSmartRect r;
    r.SetBounds(left, top, width, height);
    return r;
}

TEST(ActionButtonLayout, IconIsASquareAtTheLeftCentredWhenCut)
{
    struct TCase {
        TSmartRect Work;
        QRect Icon;
        QRect Text;
    };
    const TCase cases[] = {
        // No room for a caption: the corners are ordered, as everywhere.
        {Rect(0, 0, 28, 28), QRect(0, 0, 28, 28), QRect(26, 0, 10, 28)},
        {Rect(10, 4, 120, 20), QRect(10, 4, 20, 20), QRect(38, 4, 90, 20)},
        // 10 wide and 20 high: the square shrinks to 10 and sits 5 lower.
        {Rect(0, 0, 10, 20), QRect(0, 5, 10, 10), QRect(8, 0, 10, 20)},
    };
    for (const TCase& c : cases) {
        const TButtonRects r = ActionButtonRects(c.Work);
        EXPECT_EQ(r.Icon.Rect(), c.Icon) << c.Work.Width() << "x" << c.Work.Height();
        EXPECT_EQ(r.Text.Rect(), c.Text) << c.Work.Width() << "x" << c.Work.Height();
    }
}

class ActionButton : public TAppFolderTest {
protected:
    void SetUp() override
    {
        TAppFolderTest::SetUp();
        SetLanguage("Test");
        dir_.WriteFile("Data/Language/Test.QVL", "[Buttons]\r\nItem.Copy=Kopieren\r\n");
        locale_ = std::make_unique<TLocaleManager>();
        context_.emplace(TQvServices{.LocaleManager = locale_.get(), .HolderHost = &view_});
    }
    void TearDown() override
    {
        context_.reset();
        TAppFolderTest::TearDown();
    }
    QString Theme(const QString& file) const { return dir_.Sub("Data/Themes/Buttons/Default/" + file); }
    void WriteTheme(const QString& file, const QByteArray& bytes) const
    {
        dir_.WriteFile("Data/Themes/Buttons/Default/" + file, bytes);
    }
    static void Place(TActionButton& button, int x, int y, int w, int h)
    {
        button.SetPosition(QPoint(x, y));
        button.SetWidth(w);
        button.SetHeight(h);
        button.On_Resize(800, 600);
    }
    static bool AnyPixel(const TBitmap32& canvas, const QRect& area)
    {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (canvas.Pixel(x, y) != 0) return true;
        return false;
    }

    std::unique_ptr<TLocaleManager> locale_;
    TRecordingView view_;
    std::optional<TQvContextScope> context_;
};

TEST_F(ActionButton, CaptionComesFromTheCommandHeldBeforeTheCall)
{
    struct TCase {
        const char* Params;
        int Applications;
        QString Caption;
    };
    const TCase cases[] = {
        {"CMD(Item.Copy)", 1, ""},                        // no command yet: empty default
        {"CMD(Item.Copy)", 2, "Kopieren"},                // the language text
        {"CMD(Item.Cut)", 2, "Item.Cut"},                 // no entry: the identifier
        {"CMD(Item.Copy), Caption(Mine)", 2, "Mine"},     // given
    };
    for (const TCase& c : cases) {
        TActionButton button;
        for (int i = 0; i < c.Applications; ++i) button.SetParams(TParamString{c.Params});
        EXPECT_EQ(button.AB_CAPTION, c.Caption) << c.Params << " x" << c.Applications;
        EXPECT_EQ(button.AccessibleName(), c.Caption);
    }
}

TEST_F(ActionButton, StyleWordsAndTheirDefault)
{
    TActionButton button;
    const std::pair<const char*, TDrawStyle> steps[] = {
        {"CMD(Item.Copy), Style(Tile)", dsTile},
        {"CMD(Item.Copy), Style(tile)", dsTile},  // an unknown word keeps the style
        {"CMD(Item.Copy), Style(Icon)", dsIcon},
        {"CMD(Item.Copy)", dsNone},               // absent means None
    };
    for (const auto& [params, style] : steps) {
        button.SetParams(TParamString{params});
        EXPECT_EQ(button.AB_STYLE, style) << params;
    }
}

TEST_F(ActionButton, ImageOverrideChoosesTheIconFile)
{
    WriteTheme("Item.Copy.png", ShippedIcon("Item.Copy.png"));
    WriteTheme("Other.png", ShippedIcon("Item.Cut.png"));
    const QString elsewhere = dir_.WriteFile("pics/Own.png", ShippedIcon("Item.Paste.png"));
    const QString fifo = dir_.Sub("pics/Pipe.png");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString fallback = Theme("Item.Copy.png");
    const std::pair<QString, QString> cases[] = {
        {"", fallback},
        {"Other.png", Theme("Other.png")},   // a bare name: from the theme
        {"Missing.png", fallback},           // missing: the command's own
        {elsewhere, elsewhere},              // a full path
        {dir_.Sub("pics/Gone.png"), fallback},
        {"Other.jpg", fallback},             // not a PNG: ignored
        {fifo, fallback},                    // never read from a FIFO
        {"/dev/zero.png", fallback},
    };
    for (const auto& [image, expected] : cases) EXPECT_EQ(ButtonIconFile("Item.Copy", image), expected) << image;
}

TEST_F(ActionButton, IconLoadsInTheBackgroundAndDraws)
{
    WriteTheme("Item.Copy.png", ShippedIcon("Item.Copy.png"));
    WriteTheme("Broken.png", ShippedIcon("Item.Cut.png").left(60));
    struct TCase {
        const char* Params;
        bool Draws;
    };
    const TCase cases[] = {
        {"CMD(Item.Copy), Style(Icon)", true},
        {"CMD(Item.Copy), Style(Icon), Image(Broken.png)", false},  // truncated
        {"CMD(Nothing.Here), Style(Icon)", false},                  // no file
    };
    for (const TCase& c : cases) {
        TActionButton button;
        Place(button, 0, 0, 32, 32);
        button.SetParams(TParamString{c.Params});
        ASSERT_TRUE(WaitUntil([&] { return button.AB_ImageLoaded; })) << c.Params;
        TBitmap32 canvas(40, 40);
        canvas.Clear(0);
        button.On_Paint(canvas);
        EXPECT_EQ(AnyPixel(canvas, QRect(0, 0, 32, 32)), c.Draws) << c.Params;
    }
}

TEST_F(ActionButton, NoneStyleDrawsNothingYetReacts)
{
    TSkinBuffer skin;
    skin.LoadImage("ButtonNormal", Filled(8, 8, 0xFF336699), TResizeParams{rmStretch});
    TActionButton button;
    button.SetSkin(&skin);
    Place(button, 0, 0, 30, 30);
    button.SetParams(TParamString{"CMD(Item.Copy), Menu(FileMenu)"});
    TBitmap32 canvas(40, 40);
    canvas.Clear(0);
    button.On_Paint(canvas);
    EXPECT_FALSE(AnyPixel(canvas, canvas.BoundsRect()));

    button.On_Enter(5, 5);
    EXPECT_EQ(button.AB_State, bsHot);
    EXPECT_EQ(button.On_MouseUp(mbRight, 0, 5, 5), &button);
    EXPECT_EQ(view_.Calls, QStringList{"PopUpButtonMenu(FileMenu)"});
    EXPECT_EQ(view_.MenuSender, &button);
    button.On_Leave(50, 50);
    EXPECT_EQ(button.AB_State, bsNormal);
}

TEST_F(ActionButton, RightClickWithoutAViewDoesNothing)
{
    TQvContextScope none;
    TActionButton button;
    Place(button, 0, 0, 30, 30);
    button.SetParams(TParamString{"CMD(Item.Copy), Menu(FileMenu)"});
    EXPECT_EQ(button.On_MouseUp(mbRight, 0, 5, 5), &button);
}

TEST_F(ActionButton, NarrowCaptionBoxDrawsNoText)
{
    TSkinBuffer skin;
    TFont* font = skin.LoadFont("FontButtonNormal");
    font->Size = 12;
    font->Color = 0x000000;
    for (const int width : {28 + 8 + 3 + 2, 28 + 8 + 40 + 2}) {
        TActionButton button;
        button.SetSkin(&skin);
        Place(button, 0, 0, width, 28);
        button.SetParams(TParamString{"CMD(Item.Copy), Caption(WWWWWW), Style(Tile)"});
        TBitmap32 canvas(width, 28);
        canvas.Clear(0);
        button.On_Paint(canvas);
        EXPECT_EQ(AnyPixel(canvas, button.AB_RECT_TEXT.Rect()), button.AB_RECT_TEXT.Width() >= 4) << width;
    }
}

TEST_F(ActionButton, AutoWidthFollowsTheCaptionInTheTabFont)
{
    TCtrlManager manager;
    TQvContextScope scope({.CtrlManager = &manager, .LocaleManager = locale_.get()});
    TSkinBuffer tabSkin;
    TFont* tabFont = tabSkin.LoadFont("Tab.Normal");
    tabFont->Size = 14;
    TSmartCtrl* tabs = manager.AddControl("SmartTab", new TSmartCtrl);
    tabs->SetSkin(&tabSkin);

    TActionButton button;
    Place(button, 0, 0, 40, 24);
    button.AB_CAPTION = "Downloads and more";
    button.AB_STYLE = dsTileAuto;
    for (const int asked : {1, 500}) {
        button.SetWidth(asked);
        EXPECT_EQ(button.SC_WIDTH, MeasureTextWidth(*tabFont, button.AB_CAPTION) + 24 + 10) << asked;
    }
}


// The same button drawn afresh on every paint, to hold the kept picture against.
class TDirectButton : public TActionButton {
protected:
    bool KeepsPicture() const override { return false; }
};

TEST_F(ActionButton, KeptPictureLooksLikeAFreshPaintAndFollowsEveryChange)
{
    WriteTheme("Item.Copy.png", ShippedIcon("Item.Copy.png"));
    WriteTheme("Item.Cut.png", ShippedIcon("Item.Cut.png"));
    TSkinBuffer skin;
    skin.LoadImage("ButtonNormal", Filled(8, 8, 0x80336699), TResizeParams{rmStretch});  // half transparent
    skin.LoadImage("ButtonHot", Filled(8, 8, 0xFFDCE8F8), TResizeParams{rmStretch});
    TFont* font = skin.LoadFont("FontButtonNormal");
    font->Size = 10;
    skin.LoadFont("FontButtonHot")->Size = 10;

    TActionButton kept;
    TDirectButton direct;
    for (TActionButton* b : {static_cast<TActionButton*>(&kept), static_cast<TActionButton*>(&direct)}) {
        b->SetSkin(&skin);
        Place(*b, 6, 4, 120, 28);
        b->SetParams(TParamString{"CMD(Item.Copy), Caption(Copy here), Style(Tile)"});
    }
    ASSERT_TRUE(WaitUntil([&] { return kept.AB_ImageLoaded && direct.AB_ImageLoaded; }));

    // Each step changes what the button must look like; a stale picture shows the step before.
    const std::vector<std::pair<const char*, std::function<void(TActionButton&)>>> steps = {
        {"first paint", [](TActionButton&) {}},
        {"caption", [](TActionButton& b) { b.AB_CAPTION = "Copy there"; }},
        {"font edited in place", [&](TActionButton&) { font->Color = 0x0000FF; }},
        {"background reloaded", [&](TActionButton&) {
             skin.LoadImage("ButtonNormal", Filled(8, 8, 0xFF20A040), TResizeParams{rmStretch});
         }},
        {"hot", [](TActionButton& b) { b.On_Enter(10, 10); }},
        {"normal again", [](TActionButton& b) { b.On_Leave(-1, -1); }},
        {"resized", [](TActionButton& b) { Place(b, 6, 4, 90, 24); }},
        {"moved", [](TActionButton& b) { Place(b, 30, 10, 90, 24); }},
        {"icon changed", [](TActionButton& b) {
             b.SetParams(TParamString{"CMD(Item.Cut), Caption(Copy there), Style(Tile)"});
         }},
        {"icon only", [](TActionButton& b) { b.AB_STYLE = dsIcon; }},
    };
    for (const auto& [name, change] : steps) {
        change(kept);
        change(direct);
        ASSERT_TRUE(WaitUntil([&] { return kept.AB_ImageLoaded && direct.AB_ImageLoaded; })) << name;
        TBitmap32 a(160, 40), b(160, 40);
        a.Clear(0xFFE0C0A0);
        b.Clear(0xFFE0C0A0);
        kept.On_Paint(a);
        kept.On_Paint(a);  // the second paint draws the kept picture
        direct.On_Paint(b);
        direct.On_Paint(b);
        // A kept picture ends at the button's edges; a fresh paint lets an
        // icon rendition taller than its box spill over them.
        const QRect own(kept.SC_POS, QSize(kept.SC_WIDTH, kept.SC_HEIGHT));
        int worst = 0;
        for (int y = own.top(); y <= own.bottom(); ++y)
            for (int x = own.left(); x <= own.right(); ++x)
                for (int shift : {0, 8, 16, 24})
                    worst = std::max(worst, std::abs(int((a.Pixel(x, y) >> shift) & 0xFF) -
                                                     int((b.Pixel(x, y) >> shift) & 0xFF)));
        EXPECT_LE(worst, 2) << name;  // rounding of the two blends
    }
}

}  // namespace
