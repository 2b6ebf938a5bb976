#include "data/QV_DataHolder.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_HolderHost.h"
#include "data/QV_ItemDisposal.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "platform/QV_Threads.h"
#include "platform/fs/QV_DirList.h"
#include "platform/image/QV_Bitmap32.h"
#include "support/QV_HostTestSupport.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <limits>

#include <sys/stat.h>

namespace {

// Counts its paints and its openings; otherwise an ordinary file item that
// opens nothing.
class TCountingItem : public TFileItem {
public:
    void On_Paint(TDataHolder* DataHolder, TBitmap32& Canvas, const QRect& Rect) override
    {
        ++Painted;
        TFileItem::On_Paint(DataHolder, Canvas, Rect);
    }
    void On_MouseDouble(TDataHolder*, TMouseButton, TShiftState, int, int) override { ++Opened; }
    int Painted = 0;
    int Opened = 0;
};

// A select tip as the holder reaches it: a registered control with the tip's
// interface.
class TTipProbe : public TSmartCtrl, public TSelectTipApi {
public:
    void PopUp(int Selected, qint64 Size, int X, int Y) override
    {
        Shown = true;
        Count = Selected;
        Bytes = Size;
        At = QPoint(X, Y);
    }
    void PopDown() override { Shown = false; }
    bool Shown = false;
    int Count = 0;
    qint64 Bytes = 0;
    QPoint At;
};

// 1000 x 600: five 150-pixel tiles a row at x 50, 230, 410, 590, 770, rows 70
// apart from y 100.
class DataHolder : public ::testing::Test {
protected:
    TQvContextScope context_;

    void Fill(int count)
    {
        TItemList items;
        for (int i = 0; i < count; ++i) {
            items.push_back(std::make_unique<TCountingItem>());
            items.back()->ID_FILE_DATA.FD_NAME = QString("f%1.txt").arg(i);
            items.back()->ID_FILE_DATA.FD_EXT = ".txt";
            items.back()->ID_FILE_DATA.FD_SIZE = 10;
        }
        holder_.HandOverItems(std::move(items));
        holder_.On_Resize(1000, 600);
    }
    static QPoint Centre(int i) { return {50 + 180 * (i % 5) + 75, 100 + 70 * (i / 5) + 20}; }
    void Press(TMouseButton button, QPoint at, TShiftState shift = 0)
    {
        holder_.On_MouseDown(button, shift, at.x(), at.y());
    }
    void Release(TMouseButton button, QPoint at, TShiftState shift = 0)
    {
        holder_.On_MouseUp(button, shift, at.x(), at.y());
    }
    QList<int> SelectedIndexes()
    {
        QList<int> out;
        for (int i = 0; i < holder_.ItemCount(); ++i)
            if (holder_.Item_Get(i)->Selected()) out.append(i);
        return out;
    }

    TDataHolder holder_;
};

} // namespace

TEST_F(DataHolder, ClickInsideASelectionNarrowsItOnRelease)
{
    Fill(10);
    for (int i : {0, 1, 2}) holder_.Item_Get(i)->Select();
    Press(mbLeft, Centre(1));
    EXPECT_EQ(holder_.SelCount(), 3);
    Release(mbLeft, Centre(1));
    EXPECT_EQ(SelectedIndexes(), QList<int>{1});
    Press(mbLeft, Centre(4));
    EXPECT_EQ(SelectedIndexes(), QList<int>{4});
    Press(mbLeft, {20, 20});
    Release(mbLeft, {20, 20});
    EXPECT_TRUE(SelectedIndexes().isEmpty());
}

TEST_F(DataHolder, MiddleClickAddsAndRemovesSingleItems)
{
    Fill(10);
    Press(mbMiddle, Centre(3));
    Press(mbMiddle, Centre(6));
    EXPECT_EQ(SelectedIndexes(), (QList<int>{3, 6}));
    Press(mbMiddle, Centre(3));
    EXPECT_EQ(SelectedIndexes(), QList<int>{6});
    EXPECT_EQ(holder_.SelCount(), 1);
    EXPECT_EQ(holder_.DH_STATUS_SELSIZE, 10);
}

TEST_F(DataHolder, CtrlAndShiftClicksToggleAndSelectRangesUnlessStrict)
{
    struct TClick {
        int Item;
        TShiftState Shift;
    };
    struct TCase {
        const char* what;
        std::vector<TClick> clicks;
        QList<int> selected;
    };
    const TCase cases[] = {
        {"ctrl adds and removes one", {{2, 0}, {5, ssCtrl}, {7, ssCtrl}, {5, ssCtrl}}, {2, 7}},
        {"shift selects the range from the anchor", {{3, 0}, {8, ssShift}}, {3, 4, 5, 6, 7, 8}},
        {"shift backwards", {{8, 0}, {6, ssShift}}, {6, 7, 8}},
        {"shift replaces, ctrl+shift adds", {{1, 0}, {2, ssShift}, {6, ssCtrl}, {8, ssCtrl | ssShift}}, {1, 2, 6, 7, 8}},
        {"shift without an anchor selects the item", {{4, ssShift}}, {4}},
        {"a plain click afterwards selects one", {{1, 0}, {3, ssShift}, {9, 0}}, {9}},
    };
    for (const TCase& c : cases) {
        Fill(10); // a fresh list: nothing selected, no anchor
        for (const TClick& click : c.clicks) {
            Press(mbLeft, Centre(click.Item), click.Shift);
            Release(mbLeft, Centre(click.Item), click.Shift);
        }
        EXPECT_EQ(SelectedIndexes(), c.selected) << c.what;
    }

    // A Ctrl or Shift click on empty space keeps the selection.
    for (const TShiftState shift : {ssCtrl, ssShift}) {
        holder_.Item_Get(3)->Select();
        Press(mbLeft, {20, 20}, shift);
        Release(mbLeft, {20, 20}, shift);
        EXPECT_EQ(SelectedIndexes(), (QList<int>{3, 9})) << shift;
    }

    // Strict: modifiers change nothing, a left click selects one as designed.
    Settings().Browsing.StrictClicks = true;
    Fill(10);
    for (const TClick& click : std::vector<TClick>{{2, 0}, {5, ssCtrl}, {7, ssShift}}) {
        Press(mbLeft, Centre(click.Item), click.Shift);
        Release(mbLeft, Centre(click.Item), click.Shift);
    }
    EXPECT_EQ(SelectedIndexes(), QList<int>{7});
    Press(mbLeft, {20, 20}, ssCtrl);
    Release(mbLeft, {20, 20}, ssCtrl);
    EXPECT_TRUE(SelectedIndexes().isEmpty());
}

TEST_F(DataHolder, KeysMoveTheFocusAndTheSelectionFollows)
{
    // 103 tiles: twenty full rows and a last one of three (100, 101, 102).
    const QList<int> all = [] {
        QList<int> every;
        for (int i = 0; i < 103; ++i) every.append(i);
        return every;
    }();
    const auto range = [](int from, int to) {
        QList<int> out;
        for (int i = from; i <= to; ++i) out.append(i);
        return out;
    };
    struct {
        const char* What;
        int Focus;  // -1: none
        QList<int> Selected;
        TKeyCode Key;
        TShiftState Shift;
        int ExpectedFocus;
        QList<int> Expected;
    } cases[] = {
        {"a first arrow takes the first item", -1, {}, VK_RIGHT, 0, 0, {0}},
        {"without a focus the selection is the start", -1, {7}, VK_RIGHT, 0, 8, {8}},
        {"right", 2, {2}, VK_RIGHT, 0, 3, {3}},
        {"left at the start stays", 0, {0}, VK_LEFT, 0, 0, {0}},
        {"down keeps the column", 1, {1}, VK_DOWN, 0, 6, {6}},
        {"down into the short row", 99, {99}, VK_DOWN, 0, 102, {102}},
        {"up", 7, {1, 7}, VK_UP, 0, 2, {2}},
        {"page down goes a page of rows", 1, {1}, VK_NEXT, 0, 36, {36}},
        {"page up", 36, {36}, VK_PRIOR, 0, 1, {1}},
        {"end", 7, {7}, VK_END, 0, 102, {102}},
        {"shift extends from the anchor", 2, {2}, VK_RIGHT, ssShift, 3, {2, 3}},
        {"shift+down", 2, {2}, VK_DOWN, ssShift, 7, range(2, 7)},
        {"shift+home", 7, {7}, VK_HOME, ssShift, 0, range(0, 7)},
        {"ctrl moves only the focus", 2, {2}, VK_RIGHT, ssCtrl, 3, {2}},
        {"ctrl+shift adds the range", 2, {0, 2}, VK_RIGHT, ssCtrl | ssShift, 3, {0, 2, 3}},
        {"ctrl+space toggles the focus item", 3, {1, 3}, VK_SPACE, ssCtrl, 3, {1}},
        {"ctrl+a selects all", 3, {3}, 'A', ssCtrl, 3, all},
        {"escape clears", 3, {1, 3}, VK_ESCAPE, 0, 3, {}},
        {"alt chords are the file holder's", 3, {3}, VK_RIGHT, ssAlt, 3, {3}},
    };
    for (const auto& c : cases) {
        Fill(103);
        if (c.Focus >= 0) holder_.SetFocusItem(holder_.Item_Get(c.Focus));
        for (int i : c.Selected) holder_.Item_Get(i)->Select();
        holder_.SelCount();
        TKeyCode key = c.Key;
        holder_.On_KeyDown(key, c.Shift);
        EXPECT_EQ(holder_.FocusItem(), holder_.Item_Get(c.ExpectedFocus)) << c.What;
        EXPECT_EQ(SelectedIndexes(), c.Expected) << c.What;
        EXPECT_EQ(holder_.DH_STATUS_SELCNT, c.Expected.size()) << c.What;
        // The item the focus reached shows whole between the bars.
        const QRect shown = holder_.FocusItem()->ItemRect(&holder_);
        EXPECT_GE(shown.top(), TDataHolder::Margins().Top) << c.What;
        EXPECT_LE(shown.bottom(), 600) << c.What;
    }

    // A refreshed list forgets the focus; the next key starts again.
    Fill(103);
    holder_.SetFocusItem(holder_.Item_Get(50));
    Fill(103);
    EXPECT_EQ(holder_.FocusItem(), nullptr);
}

TEST_F(DataHolder, EnterOpensTheFocusItemAndTypingJumpsToCaptions)
{
    Fill(10);
    const auto opened = [&](int i) { return static_cast<TCountingItem*>(holder_.Item_Get(i))->Opened; };
    TKeyCode enter = VK_RETURN;
    holder_.On_KeyDown(enter, 0);
    EXPECT_EQ(opened(0), 0);  // nothing selected: nothing opens
    Press(mbLeft, Centre(4));
    Release(mbLeft, Centre(4));
    enter = VK_RETURN;
    holder_.On_KeyDown(enter, 0);
    EXPECT_EQ(enter, 0);
    EXPECT_EQ(opened(4), 1);
    enter = VK_RETURN;
    holder_.On_KeyDown(enter, ssAlt);  // Alt+Enter is the properties' key, on release
    EXPECT_EQ(opened(4), 1);
    // The focus moved off the selection: the selected item opens.
    TKeyCode right = VK_RIGHT;
    holder_.On_KeyDown(right, ssCtrl);
    enter = VK_RETURN;
    holder_.On_KeyDown(enter, 0);
    EXPECT_EQ(opened(4), 2);
    EXPECT_EQ(opened(5), 0);

    for (int i = 0; i < 10; ++i) holder_.Item_Get(i)->ID_CAPTION = QString(i % 3 ? "item %1" : "Box %1").arg(i);
    // From the focus (5) on, round to the start.
    for (const int expected : {6, 9, 0, 3, 6}) {
        QChar typed = 'b';
        holder_.On_KeyPress(typed);
        EXPECT_EQ(holder_.FocusItem(), holder_.Item_Get(expected));
        EXPECT_EQ(SelectedIndexes(), QList<int>{expected});
    }
    QChar control = QChar(1);  // what Ctrl+A types
    holder_.On_KeyPress(control);
    EXPECT_EQ(holder_.FocusItem(), holder_.Item_Get(6));
}

TEST_F(DataHolder, RubberBandReplacesOrAddsByButtonAndCtrl)
{
    struct {
        TMouseButton Button;
        TShiftState Shift;
        QList<int> Expected;
    } cases[] = {
        {mbLeft, 0, {0, 1}},
        {mbLeft, ssCtrl, {0, 1, 7}},
        {mbRight, 0, {0, 1}},
        {mbMiddle, 0, {0, 1, 7}},
    };
    for (const auto& c : cases) {
        Fill(10);
        holder_.Item_Get(7)->Select();
        Press(c.Button, {40, 90}, c.Shift);
        holder_.On_MouseMove(c.Shift, 300, 130);
        EXPECT_TRUE(holder_.Selecting());
        EXPECT_EQ(SelectedIndexes(), c.Expected) << int(c.Button) << " " << c.Shift;
        Release(c.Button, {300, 130}, c.Shift);
        EXPECT_FALSE(holder_.Selecting());
        EXPECT_EQ(SelectedIndexes(), c.Expected) << int(c.Button) << " " << c.Shift;
    }
}

TEST_F(DataHolder, WheelNotchScrollsOverFramesInsideTheRange)
{
    Fill(200);  // 40 rows: a long way to scroll
    ASSERT_GT(holder_.DH_SCROLL_MAX, 400);
    const auto settle = [&] { return WaitUntil([&] { return !holder_.DH_SCROLLING; }); };
    TWMMouseWheel down{0, -120, 10, 10};
    holder_.On_MouseWheel(down);
    EXPECT_TRUE(holder_.DH_SCROLLING);
    EXPECT_EQ(holder_.DH_SCROLL_POS, 0);  // the frames move it, not the notch
    ASSERT_TRUE(settle());
    EXPECT_EQ(holder_.DH_SCROLL_POS, 5 * 35);
    TWMMouseWheel up{0, 120, 10, 10};
    holder_.On_MouseWheel(up);
    holder_.On_MouseWheel(up);
    ASSERT_TRUE(settle());
    EXPECT_EQ(holder_.DH_SCROLL_POS, 0);
    for (int i = 0; i < 40; ++i) holder_.On_MouseWheel(down);
    ASSERT_TRUE(settle());
    EXPECT_EQ(holder_.DH_SCROLL_POS, holder_.DH_SCROLL_MAX);
    // A frame at the end of the range ends the scroll at once.
    holder_.On_MouseWheel(down);
    holder_.WheelFrame(std::numeric_limits<qint64>::max() / 2);
    EXPECT_FALSE(holder_.DH_SCROLLING);
    EXPECT_EQ(holder_.DH_SCROLL_POS, holder_.DH_SCROLL_MAX);
}

TEST_F(DataHolder, QuickFilterRespectsHiddenAndSystemSuppression)
{
    TTestDir dir;
    const QString folder = dir.Path() + '/';
    TItemList items;
    struct {
        const char* Name;
        std::uint32_t Attributes;
    } entries[] = {{"report.txt", 0}, {"txt.log", 0}, {"notes.md", 0}, {".secret.txt", faHidden}, {"pipe.txt", faSystem}};
    for (const auto& e : entries) {
        TDirEntry entry;
        entry.Name = e.Name;
        entry.Attributes = e.Attributes;
        items.push_back(CreateListedItem(entry, folder));
        items.back()->ID_VISIBLE = e.Attributes == 0;  // as the listing leaves them
    }
    holder_.HandOverItems(std::move(items));
    auto visible = [&] {
        QStringList names;
        for (const auto& item : holder_.Items())
            if (item->ID_VISIBLE) names.append(item->ID_FILE_DATA.FD_NAME);
        return names;
    };
    holder_.QuickFilter("TXT");
    EXPECT_EQ(visible(), (QStringList{"report.txt", "txt.log"}));
    holder_.QuickFilter("");
    EXPECT_EQ(visible(), (QStringList{"report.txt", "txt.log", "notes.md"}));

    const bool savedHidden = Settings().Browsing.HideHidden;
    Settings().Browsing.HideHidden = false;
    holder_.QuickFilter("txt");
    Settings().Browsing.HideHidden = savedHidden;
    EXPECT_EQ(visible(), (QStringList{"report.txt", "txt.log", ".secret.txt"}));
}

TEST_F(DataHolder, BackgroundPlacementByAlignment)
{
    TBitmap32 picture(10, 10);
    picture.Clear(0xFFFF0000);
    holder_.DH_FOLDER_THEME->FT_BACK_SOURCE = picture;
    holder_.DH_FOLDER_THEME->FT_BACK_COLOR = 0x00FF00;  // BGR: green
    holder_.On_Resize(200, 100);
    struct {
        TAlignStyle Align;
        QPoint Red;
    } cases[] = {{asTopLeft, {5, 5}}, {asTopRight, {195, 5}}, {asBottLeft, {5, 95}}, {asBottRight, {195, 95}}};
    for (const auto& c : cases) {
        holder_.DH_FOLDER_THEME->FT_BACK_ALIGN = c.Align;
        TBitmap32 canvas(200, 100);
        holder_.On_Paint(canvas);
        EXPECT_EQ(canvas.Pixel(c.Red.x(), c.Red.y()), 0xFFFF0000u) << c.Align;
        EXPECT_EQ(canvas.Pixel(100, 50), 0xFFFFFFFFu) << c.Align;
    }
    holder_.DH_FOLDER_THEME->FT_BACK_ALIGN = asStretch;
    TBitmap32 canvas(200, 100);
    holder_.On_Paint(canvas);
    EXPECT_EQ(canvas.Pixel(5, 5), 0xFFFFFFFFu);

    // A holder that does not fill the canvas: the back colour around it, the
    // picture cut at the holder's edges.
    holder_.DH_FOLDER_THEME->FT_BACK_ALIGN = asTopLeft;
    holder_.DH_POS = QPoint(195, 5);
    holder_.On_Resize(8, 8);
    TBitmap32 wide(220, 120);
    holder_.On_Paint(wide);
    EXPECT_EQ(wide.Pixel(2, 2), 0xFF00FF00u);
    EXPECT_EQ(wide.Pixel(202, 12), 0xFFFF0000u);
    EXPECT_EQ(wide.Pixel(203, 12), 0xFF00FF00u);
    EXPECT_EQ(wide.Pixel(202, 13), 0xFF00FF00u);
}

TEST_F(DataHolder, PaintAndHitTestSeeOnlyItemsOnScreen)
{
    Fill(3000);
    holder_.Item_Get(1502)->ID_VISIBLE = false;
    holder_.DH_SCROLL_POS = 70 * 300 + 35;
    TBitmap32 canvas(1000, 600);
    holder_.On_Paint(canvas);
    int painted = 0;
    for (int i = 0; i < holder_.ItemCount(); ++i) {
        const auto* item = static_cast<TCountingItem*>(holder_.Item_Get(i));
        const int top = item->ID_POS.y() - holder_.DH_SCROLL_POS;
        const bool onScreen = item->ID_VISIBLE && top <= 600 && top + item->ID_HEIGHT >= 0;
        EXPECT_EQ(item->Painted, onScreen ? 1 : 0) << i;
        painted += item->Painted;
    }
    EXPECT_GT(painted, 30);
    EXPECT_LT(painted, 60);

    for (int x = 0; x < 1000; x += 37)
        for (int y = 0; y < 600; y += 23) {
            TItemData* expected = nullptr;
            for (const auto& item : holder_.Items()) {
                const QPoint p = item->ID_POS;
                const int cy = y + holder_.DH_SCROLL_POS;
                if (item->ID_VISIBLE && p.x() <= x && x <= p.x() + item->ID_WIDTH && p.y() <= cy &&
                    cy <= p.y() + item->ID_HEIGHT) {
                    expected = item.get();
                    break;
                }
            }
            EXPECT_EQ(holder_.ItemAtXY(x, y), expected) << x << "," << y;
        }
}

TEST_F(DataHolder, DrawingGateHidesItemsUntilArrange)
{
    Fill(200);
    holder_.BeginUpdate();
    EXPECT_EQ(holder_.ItemAtXY(Centre(0).x(), Centre(0).y()), nullptr);
    holder_.CalcScroll();
    EXPECT_EQ(holder_.DH_SCROLL_MAX, 0);
    TBitmap32 canvas(1000, 600);
    holder_.On_Paint(canvas);
    EXPECT_EQ(static_cast<TCountingItem*>(holder_.Item_Get(0))->Painted, 0);
    holder_.Arrange();
    EXPECT_EQ(holder_.ItemAtXY(Centre(0).x(), Centre(0).y()), holder_.Item_Get(0));
    EXPECT_GT(holder_.DH_SCROLL_MAX, 0);
}

TEST_F(DataHolder, MenuKeysOfTheSelectionEachOnce)
{
    TItemList items;
    for (const char* ext : {".txt", ".folder", ".txt", ".png"}) {
        items.push_back(std::make_unique<TFileItem>());
        items.back()->ID_FILE_DATA.FD_EXT = ext;
    }
    items[1]->ID_MENU = "FOLDER";
    items.push_back(std::make_unique<TGroupData>());
    items.back()->ID_FILE_DATA.FD_EXT = "<Group>";
    holder_.HandOverItems(std::move(items));
    for (int i : {0, 1, 2, 4}) holder_.Item_Get(i)->Select();
    EXPECT_EQ(holder_.BuildMenu(), (TStringArray{".txt", "FOLDER"}));
}

// Records the menus the holder asks for.
class TMenuHost : public TQuietHost {
public:
    void PopUpMenu(int X, int Y, const TStringArray& ids) override
    {
        Asked << QString("menu %1,%2 %3").arg(X).arg(Y).arg(ids.join('+'));
    }
    void PopUpTypeMenu(int X, int Y, const TStringArray& keys) override
    {
        Asked << QString("types %1,%2 %3").arg(X).arg(Y).arg(keys.join('+'));
    }
    QStringList Asked;
};

class TMenuHolderProbe : public TDataHolder {
public:
    QString HolderMenuName() const override { return QStringLiteral("FileHolderMenu"); }
};

TEST(DataHolderMenus, MenuKeyAndShiftF10OpenWhatARightClickWould)
{
    TMenuHost host;
    TQvContextScope context({.HolderHost = &host});
    TMenuHolderProbe holder;
    TItemList items;
    for (const char* ext : {".txt", ".png", ".txt"}) {
        items.push_back(std::make_unique<TFileItem>());
        items.back()->ID_FILE_DATA.FD_EXT = ext;
    }
    holder.HandOverItems(std::move(items));
    holder.On_Resize(1000, 600);
    struct Case {
        TKeyCode Key;
        TShiftState Shift;
        bool Opens;
    } cases[] = {{VK_APPS, 0, true}, {VK_F10, ssShift, true}, {VK_F10, 0, false}, {VK_F10, ssShift | ssCtrl, false}};
    for (const Case& c : cases) {
        host.Asked.clear();
        TKeyCode key = c.Key;
        holder.On_KeyDown(key, c.Shift);
        EXPECT_EQ(host.Asked.size(), c.Opens ? 1 : 0) << c.Key << " " << c.Shift;
    }
    TKeyCode key = VK_APPS;
    host.Asked.clear();
    holder.On_KeyDown(key, 0);
    const TLayoutMargins& margins = TDataHolder::Margins();
    EXPECT_EQ(host.Asked, QStringList{QString("menu %1,%2 FileHolderMenu").arg(margins.Left).arg(margins.Top)});

    holder.Item_Get(1)->Select();
    holder.Item_Get(2)->Select();
    host.Asked.clear();
    key = VK_APPS; // a key taken comes back as 0
    holder.On_KeyDown(key, 0);
    const QPoint at = holder.Item_Get(1)->ItemRect(&holder).center();
    EXPECT_EQ(host.Asked, QStringList{QString("types %1,%2 .png+.txt").arg(at.x()).arg(at.y())});
}

TEST_F(DataHolder, BarsSetTheMarginsAndTheSelectTipFollowsTheSelection)
{
    const TLayoutMargins saved = TDataHolder::Margins();
    TCtrlManager manager;
    TQvContextScope context({.CtrlManager = &manager});
    TSmartCtrl* action = manager.AddControl("ActionBar", new TSmartCtrl);
    action->SC_POS = QPoint(0, 0);
    action->SC_WIDTH = 60;
    TSmartCtrl* quick = manager.AddControl("QuickBar", new TSmartCtrl);
    quick->SC_POS = QPoint(0, 10);
    quick->SC_HEIGHT = 48;
    auto* tip = new TTipProbe;
    manager.AddControl("SelectTip", tip);

    Fill(10);
    EXPECT_EQ(holder_.Item_Get(0)->ID_POS, QPoint(60 + 15, 10 + 48 + 15));
    holder_.Item_Get(0)->Select();
    holder_.Item_Get(1)->Select();
    holder_.On_MouseMove(0, 255 + 75, 73 + 20);  // onto the second item
    EXPECT_TRUE(tip->Shown);
    EXPECT_EQ(tip->Count, 2);
    EXPECT_EQ(tip->Bytes, 20);
    EXPECT_EQ(tip->At, QPoint(255 + 150 + 10, 73 + 40 + 10));
    holder_.On_MouseMove(0, 20, 20);
    EXPECT_FALSE(tip->Shown);

    Press(mbLeft, {20, 20});
    holder_.On_MouseMove(0, 500, 120);
    EXPECT_TRUE(tip->Shown);
    EXPECT_EQ(tip->Count, 3);
    EXPECT_EQ(tip->At, QPoint(510, 130));
    Release(mbLeft, {500, 120});
    EXPECT_FALSE(tip->Shown);

    TDataHolder::Margins() = saved;
}

TEST_F(DataHolder, OpenSelectedPassesEachSelectedFileToTheProgram)
{
    TTestDir dir;
    const QString log = dir.Sub("log");
    const QString program = dir.WriteFile("program.sh", ("#!/bin/sh\necho \"$1\" >> '" + log + "'\n").toUtf8());
    ASSERT_EQ(::chmod(program.toUtf8().constData(), 0755), 0);
    dir.WriteFile("a.txt", "");
    dir.MakeDir("folder");
    TItemList items;
    for (const auto& [name, attributes] : {std::pair{"a.txt", 0u}, std::pair{"folder", unsigned(faDirectory)}}) {
        TDirEntry entry;
        entry.Name = name;
        entry.Attributes = attributes;
        items.push_back(CreateListedItem(entry, dir.Path() + '/'));
    }
    holder_.HandOverItems(std::move(items));
    EXPECT_FALSE(holder_.OpenSelected(program, ""));
    holder_.SelectAll();
    EXPECT_TRUE(holder_.OpenSelected(program, "print"));
    EXPECT_TRUE(WaitUntil([&] { return dir.ReadFile("log") == (dir.Sub("a.txt") + "\n").toUtf8(); }));
}

// Two workers list a real folder again and again and hand complete lists over
// while the interface thread paints and hit-tests: every list it sees is whole.
TEST(DataHolderThreads, ListingRefreshingAndPaintingConcurrently)
{
    TTestDir dir;
    // Enough for the replaced lists to be freed on the disposal thread.
    constexpr int Files = 1200;
    for (int i = 0; i < Files; ++i) dir.WriteFile(QString("file%1.txt").arg(i), "x");
    const QString folder = dir.Path() + '/';

    TDataHolder holder;
    holder.On_Resize(1000, 600);
    std::atomic<int> handedOver{0};
    auto listing = [&](TSmartTask* task) {
        while (task->Active() && handedOver.load() < 40) {
            TItemList items;
            for (const TDirEntry& entry : ListDirectory(folder).Entries) items.push_back(CreateListedItem(entry, folder));
            Synchronize([&] {
                holder.BeginUpdate();
                holder.HandOverItems(std::move(items));
                holder.Arrange();
            });
            ++handedOver;
        }
    };
    TSmartTask first, second;
    first.OnExecuteEvent(listing);
    second.OnExecuteEvent(listing);
    first.Start();
    second.Start();

    TBitmap32 canvas(1000, 600);
    bool whole = true;
    ASSERT_TRUE(WaitUntil(
        [&] {
            holder.On_Paint(canvas);
            holder.On_MouseMove(0, 125, 120);
            whole = whole && (holder.ItemCount() == 0 || holder.ItemCount() == Files);
            for (const auto& item : holder.Items()) whole = whole && !item->ID_FILE_DATA.FD_NAME.isEmpty();
            return handedOver.load() >= 40;
        },
        60000));
    EXPECT_TRUE(whole);
    EXPECT_EQ(holder.ItemCount(), Files);
    EXPECT_EQ(holder.ItemAtXY(125, 120), holder.Item_Get(0));
}

TEST(DataHolderThreads, AReplacedListIsFreedWhole)
{
    static std::atomic<int> freed{0};
    struct TCountedItem : TItemData {
        ~TCountedItem() override { ++freed; }
    };
    const auto makeList = [](int count) {
        TItemList items;
        for (int i = 0; i < count; ++i) items.push_back(std::make_unique<TCountedItem>());
        return items;
    };
    TDataHolder holder;
    for (const int count : {5, 3000, 10})
        holder.HandOverItems(makeList(count));
    WaitItemsDisposed();
    EXPECT_EQ(freed.load(), 5 + 3000);
    EXPECT_EQ(holder.ItemCount(), 10);
}
