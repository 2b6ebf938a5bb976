#include "QV_WidgetFixture.h"

#include "commands/QV_ActionButton.h"
#include "commands/QV_ButtonManager.h"
#include "widgets/QV_BarLayout.h"
#include "widgets/QV_ItemBars.h"
#include "widgets/QV_SmartTab.h"
#include "widgets/QV_SmartTip.h"
#include "widgets/QV_WidgetControls.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "platform/image/QV_Bitmap32.h"

#include <QFile>

#include <climits>

namespace {

std::vector<TTabSlot> NormalTabs(int count, bool newTab)
{
    std::vector<TTabSlot> tabs(size_t(count), TTabSlot{asLeft, false, 150});
    if (newTab) tabs.push_back({asLeft, true, 150});
    return tabs;
}

}  // namespace

TEST(TabWidths, ShareTheAreaWithinTheLimits)
{
    const TTabSizing sizing{2, 26, 150, false, false};
    const struct {
        const char* Name;
        int Tabs;
        int Area;
        std::vector<int> Expected;  // the normal tabs, then the new-tab tab
    } rows[] = {
        {"one tab with room", 1, 900, {150, 26}},
        {"five tabs with room", 5, 900, {150, 150, 150, 150, 150, 26}},
        // 450 - 6 * 2 = 438; 438 - 26 = 412 = 5 * 82 + 2
        {"five tabs, short", 5, 450, {83, 83, 82, 82, 82, 26}},
        // 900 - 31 * 2 = 838; 838 - 26 = 812 = 30 * 27 + 2
        {"thirty tabs", 30, 900, [] {
             std::vector<int> w(30, 27);
             w[0] = w[1] = 28;
             w.push_back(26);
             return w;
         }()},
        // 400 - 62 = 338; 312 = 30 * 10 + 12: below the minimum, never widened
        {"thirty tabs in a narrow window", 30, 400, [] {
             std::vector<int> w(30, 10);
             for (int i = 0; i < 12; ++i) w[size_t(i)] = 11;
             w.push_back(26);
             return w;
         }()},
    };
    for (const auto& row : rows) {
        const std::vector<int> widths = TabWidths(NormalTabs(row.Tabs, true), row.Area, sizing);
        EXPECT_EQ(widths, row.Expected) << row.Name;
        for (size_t i = 0; i + 1 < widths.size(); ++i) EXPECT_LE(widths[i], sizing.WidthMax) << row.Name;
    }
}

TEST(TabWidths, SmallTabsAndAnAreaWithNoRoomAtAll)
{
    const TTabSizing smallRight{2, 26, 150, false, true};
    std::vector<TTabSlot> tabs = NormalTabs(2, true);
    tabs.push_back({asRight, false, 150});
    // The search tab on the right is small and counts with the new-tab tab.
    EXPECT_EQ(TabWidths(tabs, 300, smallRight), (std::vector<int>{120, 120, 26, 26}));
    // Narrowed left tabs still take their share's place in the sums.
    const TTabSizing smallLeft{2, 26, 150, true, false};
    EXPECT_EQ(TabWidths(NormalTabs(2, false), 600, smallLeft), (std::vector<int>{26, 26}));
    // Less than the spacing: the widths stay; a negative width from the settings file does not crash.
    EXPECT_EQ(TabWidths(NormalTabs(3, false), 4, {2, 26, 150, false, false}), (std::vector<int>{150, 150, 150}));
    EXPECT_EQ(TabWidths(NormalTabs(2, false), 100, {2, -5, -20, false, false}), (std::vector<int>{48, 48}));
    EXPECT_TRUE(TabWidths({}, 100, {}).empty());
}

TEST(StripButtons, LeaveTheTabsTheMiddle)
{
    const TStripButtons placed =
        PlaceStripButtons({{asLeft, 100, true}, {asRight, 40, true}}, 0, 600, 2, 2);
    EXPECT_EQ(placed.TabsLeft, 104);
    EXPECT_EQ(placed.TabsRight, 556);
    EXPECT_EQ(placed.Places[1].X, 560);
    const TStripButtons none = PlaceStripButtons({}, 0, 600, 2, 2);
    EXPECT_EQ(none.TabsLeft, 0);
    EXPECT_EQ(none.TabsRight, 600);
}

TEST(QuickBarLayout, HidesLeftItemsFromTheEndWhenNarrow)
{
    std::vector<TLineItem> items(8, TLineItem{asLeft, 48, true});
    items.insert(items.begin() + 3, TLineItem{asRight, 48, true});
    const std::vector<TLinePlace> places = PlaceQuickBar(items, 0, 500, 10);
    EXPECT_EQ(places[3].X, 452);
    std::vector<int> xs;
    std::vector<bool> shown;
    for (size_t i = 0; i < places.size(); ++i) {
        if (i == 3) continue;
        xs.push_back(places[i].X);
        shown.push_back(places[i].Visible);
    }
    EXPECT_EQ(xs, (std::vector<int>{0, 58, 116, 174, 232, 290, 348, 406}));
    EXPECT_EQ(shown, (std::vector<bool>{true, true, true, true, true, true, true, false}));

    // A hidden item is no predecessor: a narrower one after it takes its place.
    const std::vector<TLinePlace> gap = PlaceQuickBar({{asLeft, 48}, {asLeft, 80}, {asLeft, 20}}, 0, 120, 10);
    EXPECT_FALSE(gap[1].Visible);
    EXPECT_TRUE(gap[2].Visible);
    EXPECT_EQ(gap[2].X, 58);

    // The first item of a side always shows, however narrow the bar.
    const std::vector<TLinePlace> tiny = PlaceQuickBar({{asLeft, 48}, {asRight, 48}, {asRight, 48}}, 0, 10, 10);
    EXPECT_TRUE(tiny[0].Visible);
    EXPECT_TRUE(tiny[1].Visible);
    EXPECT_FALSE(tiny[2].Visible);
}

TEST(PathBarLayout, StretchingItemsShareWhatTheButtonsLeave)
{
    const std::vector<TPathItem> one{{false, 24}, {false, 24}, {false, 24}, {true, 0, 100}};
    EXPECT_EQ(PathBarWidths(one, 600, 10), (std::vector<int>{24, 24, 24, 498}));
    // Two share avail less one more spacing: 600 - 34 - 10 = 556.
    const std::vector<TPathItem> two{{false, 24}, {true, 0, 100}, {true, 0, 100}};
    EXPECT_EQ(PathBarWidths(two, 600, 10), (std::vector<int>{24, 278, 278}));
    // Never below the minimum.
    EXPECT_EQ(PathBarWidths(one, 150, 10), (std::vector<int>{24, 24, 24, 100}));
    EXPECT_EQ(ActionBarHeight(5, 24, 10, 20, 20), 200);
}

TEST(ActionBarLayout, ItemsThatDoNotFitTheBandAreLeftOut)
{
    const struct {
        int Band;
        int Expected;
    } rows[] = {
        {200, 5},   // exactly 5 * 34 + 40 - 10
        {199, 4},
        {1000, 28},
        {10, 1},    // never none
        {-50, 1},
    };
    for (const auto& row : rows) EXPECT_EQ(ActionBarFit(row.Band, 24, 10, 20, 20), row.Expected) << row.Band;
    EXPECT_EQ(ActionBarFit(100, 0, 0, 0, 0), 1) << "items of no size";
}

// --- Loading from the settings file ---

class BarItems : public WidgetFixture {
protected:
    BarItems()
    {
        Dir.WriteFile("Data/Settings.QVS", "[Qorvel]\n"
                                           "[QuickBar.Items]\n"
                                           "Back=CMD(Navigate.Back)\n"
                                           "Bogus=CMD(No.Such.Command)\n"
                                           "Up=CMD(Navigate.Up)\n"
                                           "Again=CMD(Navigate.Back)\n"
                                           "Copy=CMD(Item.Copy), Caption(Copy), Align(Right)\n"
                                           "Top=CMD(Item.Paste), Align(Top)\n"
                                           "[PathBar.Items]\n"
                                           "Up=CMD(Navigate.Up)\n"
                                           "Field=CMD(PathEdit)\n"
                                           "Filter=CMD(QuickFilter), Width(180), Align(Right)\n"
                                           "[SmartTabs.Items]\n"
                                           "Menu=CMD(Qorvel.Menu), Align(Left)\n"
                                           "Settings=CMD(Qorvel.Settings), Align(Right)\n");
        RegisterCommandControls(Manager, Registry);
        RegisterWidgetControls(Manager);
    }
    static QStringList Commands(const TControlList& list)
    {
        QStringList commands;
        for (int i = 0; i < list.Count(); ++i) {
            const auto* button = dynamic_cast<const TActionButton*>(list.Control(i));
            commands << (button ? button->AB_CMD : list.Control(i)->ClassName());
        }
        return commands;
    }

    TTestDir Dir;
    TAliasScope Folder{Dir.Path()};
    TButtonManager Registry;
};

TEST_F(BarItems, TheQuickBarSkipsUnknownAndRepeatedCommandsAndFoldsItsAlignments)
{
    auto* bar = static_cast<TQuickBar*>(Manager.AddControl("QuickBar", new TQuickBar()));
    ASSERT_TRUE(WaitUntil([&] { return bar->ItemLoads() >= 1; }));
    EXPECT_EQ(Commands(*bar->Items()),
              (QStringList{"Navigate.Back", "Navigate.Up", "Item.Copy", "Item.Paste"}));
    Manager.On_Resize(900, 600);
    const TControlList& items = *bar->Items();
    EXPECT_EQ(items.Control(3)->SC_ALIGN, asLeft) << "Top means left in a row";
    EXPECT_EQ(items.Control(2)->SC_POS.x(), bar->SC_RECT.Right() - 48);
    for (int i = 0; i < items.Count(); ++i) {
        EXPECT_EQ(items.Control(i)->SC_WIDTH, 48);
        EXPECT_EQ(dynamic_cast<const TActionButton*>(items.Control(i))->AB_STYLE, dsIcon);
    }
    EXPECT_EQ(bar->SC_HEIGHT, 48 + bar->SC_OFFSET_TOP + bar->SC_OFFSET_BOTTOM);
}

// The buttons are made on the loader's worker; their pictures load once the
// list is on the interface thread.
TEST_F(BarItems, ButtonsMadeOnTheWorkerLoadTheirPicturesAfterTheHandOver)
{
    auto* bar = static_cast<TQuickBar*>(Manager.AddControl("QuickBar", new TQuickBar()));
    ASSERT_TRUE(WaitUntil([&] { return bar->ItemLoads() >= 1; }));
    const TControlList& items = *bar->Items();
    ASSERT_EQ(items.Count(), 4);
    EXPECT_TRUE(WaitUntil([&] {
        for (int i = 0; i < items.Count(); ++i)
            if (!static_cast<const TActionButton*>(items.Control(i))->AB_ImageLoaded) return false;
        return true;
    }));
}

TEST_F(BarItems, ThePathBarStretchesItsFieldBetweenTheButtonAndTheFilter)
{
    auto* bar = static_cast<TPathBar*>(Manager.AddControl("PathBar", new TPathBar()));
    ASSERT_TRUE(WaitUntil([&] { return bar->ItemLoads() >= 1; }));
    ASSERT_EQ(bar->Items()->Count(), 3);
    Manager.On_Resize(900, 600);
    const TSmartCtrl* up = bar->Items()->Control(0);
    const TSmartCtrl* field = bar->Items()->Control(1);
    const TSmartCtrl* filter = bar->Items()->Control(2);
    EXPECT_EQ(filter->SC_POS.x() + filter->SC_WIDTH, bar->SC_RECT.Right());
    EXPECT_EQ(field->SC_POS.x(), up->SC_POS.x() + up->SC_WIDTH + 10);
    EXPECT_LE(field->SC_POS.x() + field->SC_WIDTH, filter->SC_POS.x()) << "the field overlaps the filter";
    EXPECT_GT(field->SC_WIDTH, 300);
}

TEST_F(BarItems, AMissingSectionGivesAnEmptyBar)
{
    auto* bar = static_cast<TActionBar*>(Manager.AddControl("ActionBar", new TActionBar()));
    ASSERT_TRUE(WaitUntil([&] { return bar->ItemLoads() >= 1; }));
    EXPECT_EQ(bar->Items()->Count(), 0);
    Manager.On_Resize(900, 600);
    EXPECT_EQ(bar->SC_HEIGHT, bar->SC_OFFSET_TOP + bar->SC_OFFSET_BOTTOM - 10);
}

TEST_F(BarItems, TheTabStripPlacesItsButtonsAndTabsBetweenThem)
{
    auto* strip = static_cast<TSmartTab*>(Manager.AddControl("SmartTab", new TSmartTab()));
    ASSERT_TRUE(WaitUntil([&] { return strip->ItemLoads() >= 1; }));
    ASSERT_EQ(strip->ST_BTN_LIST->Count(), 2);
    strip->AddFileTab("one");
    strip->AddFileTab("two");
    strip->SetActive("two", true);
    Manager.On_Resize(900, 600);
    const TSmartCtrl* left = strip->ST_BTN_LIST->Control(0);
    const TSmartCtrl* right = strip->ST_BTN_LIST->Control(1);
    EXPECT_EQ(right->SC_WIDTH, right->SC_HEIGHT) << "right buttons are small squares";
    EXPECT_EQ(strip->ST_TABS_RECT.Left(), left->SC_POS.x() + left->SC_WIDTH + 2 + 2);
    // The tabs in index order, the new-tab tab behind the ones added after it.
    QStringList order;
    for (int i = 0; i < strip->ST_TAB_LIST->Count(); ++i)
        order << (strip->GetTabData(i)->ClassIs<TNewTab>() ? "+" : strip->GetTabData(i)->SC_ID);
    EXPECT_EQ(order, (QStringList{"one", "two", "+"}));
    EXPECT_EQ(strip->GetTabData(0)->SC_POS.x(), strip->ST_TABS_RECT.Left());
    EXPECT_EQ(strip->GetTabData(1)->SC_POS.x(), strip->ST_TABS_RECT.Left() + 150 + 2);
    EXPECT_TRUE(strip->GetTabData(1)->TD_ACTIVE);
    EXPECT_EQ(strip->ST_INITIAL, strip->GetTabData(1));

    // Removing or activating what is not there changes nothing.
    strip->RemoveTab("none");
    strip->RemoveTab(17);
    strip->SetActive("none", false);
    EXPECT_EQ(strip->ST_TAB_LIST->Count(), 3);
    EXPECT_TRUE(strip->GetTabData(1)->TD_ACTIVE);
}

TEST(TabRects, ANarrowTabGetsACentredIconSquareAndNoCaption)
{
    TSmartRect tab;
    tab.SetRect(100, 10, 120, 34, true);
    const TTabRects r = TabRects(tab);
    EXPECT_EQ(r.Icon.Rect(), QRect(100, 12, 20, 20));
    EXPECT_LE(r.Text.Width(), 9);
}

TEST(FitTabs, ANarrowAreaShowsARunOfTabsAtTheLeastWidthAroundTheKeptOne)
{
    const TTabSizing sizing{2, 26, 150, false, false};
    const auto shown = [](const TTabFit& fit) {
        QString marks;
        for (bool s : fit.Shown) marks += s ? 'x' : '.';
        return marks;
    };
    const struct {
        const char* Name;
        int Tabs;  // normal tabs, then the new-tab tab
        int Area;
        int First, Keep;
        const char* Shown;
        int FirstAfter;
    } rows[] = {
        // (26 + 2) * 16 = 448 holds all fifteen and the new-tab tab
        {"all fit at the least width", 15, 448, 0, -1, "xxxxxxxxxxxxxxxx", 0},
        // 222 - 28 = 194 = 6 * 28 + 26: six at least 26 wide
        {"fifteen in 222 px", 15, 222, 0, -1, "xxxxxx.........x", 0},
        {"the kept tab pulls the run", 15, 222, 0, 9, "....xxxxxx.....x", 4},
        {"a kept tab in the run moves nothing", 15, 222, 3, 5, "...xxxxxx......x", 3},
        {"the run never passes the last tab", 15, 222, 40, -1, ".........xxxxxxx", 9},
        {"no room: the kept tab alone", 5, 10, 0, 3, "...x.x", 3},
        {"a kept new-tab tab is no normal tab", 5, 10, 2, 5, "..x..x", 2},
    };
    for (const auto& row : rows) {
        const TTabFit fit = FitTabs(NormalTabs(row.Tabs, true), row.Area, sizing, row.First, row.Keep);
        EXPECT_EQ(shown(fit), row.Shown) << row.Name;
        EXPECT_EQ(fit.First, row.FirstAfter) << row.Name;
        int used = 0, visible = 0;
        for (size_t i = 0; i < fit.Shown.size(); ++i) {
            if (!fit.Shown[i]) continue;
            ++visible;
            used += fit.Widths[i] + sizing.Spacing;
            // (An area too narrow for two tabs gets narrower ones.)
            if (row.Area >= 2 * (sizing.WidthMin + sizing.Spacing)) {
                EXPECT_GE(fit.Widths[i], sizing.WidthMin) << row.Name << " tab " << i;
            }
        }
        if (visible > 2) {
            EXPECT_LE(used, row.Area) << row.Name;
        }
        EXPECT_EQ(fit.Hidden, int(fit.Shown.size()) - visible) << row.Name;
    }
    // The shown run shares the area: 222 - 7 * 2 - 26 = 182 = 6 * 30 + 2.
    const TTabFit fit = FitTabs(NormalTabs(15, true), 222, sizing, 0, -1);
    EXPECT_EQ(fit.Widths[0], 31);
    EXPECT_EQ(fit.Widths[5], 30);
    EXPECT_EQ(fit.Widths[15], 26);
    // No least width (a settings file that asks for none): the tabs shrink as they always did.
    EXPECT_EQ(shown(FitTabs(NormalTabs(30, false), 100, {0, 0, 150, false, false}, 0, -1)), QString(30, 'x'));
}

TEST_F(BarItems, ANarrowStripHidesTabsBehindArrowsAndFollowsTheActiveTab)
{
    auto* strip = static_cast<TSmartTab*>(Manager.AddControl("SmartTab", new TSmartTab()));
    ASSERT_TRUE(WaitUntil([&] { return strip->ItemLoads() >= 1; }));
    for (int i = 0; i < 15; ++i) strip->AddFileTab(QString::number(i));
    strip->SetActive("0", true);
    Manager.On_Resize(400, 400);
    ASSERT_GT(strip->HiddenTabs(), 0);
    const auto visibleTabs = [&] {
        QStringList ids;
        int lastRight = INT_MIN;
        for (int i = 0; i < strip->ST_TAB_LIST->Count(); ++i) {
            const TTabData* tab = strip->GetTabData(i);
            if (!tab->SC_VISIBLE) continue;
            ids << (tab->ClassIs<TNewTab>() ? "+" : tab->SC_ID);
            EXPECT_GE(tab->SC_WIDTH, 26) << "too narrow to show its icon";
            EXPECT_GE(tab->SC_POS.x(), strip->ST_TABS_RECT.Left());
            EXPECT_LE(tab->SC_POS.x() + tab->SC_WIDTH, strip->ST_TABS_RECT.Right());
            EXPECT_GT(tab->SC_POS.x(), lastRight) << "tabs overlap";
            lastRight = tab->SC_POS.x() + tab->SC_WIDTH;
        }
        return ids;
    };
    const QStringList first = visibleTabs();
    ASSERT_EQ(first.size(), 15 - strip->HiddenTabs() + 1);
    EXPECT_EQ(first.front(), "0");
    EXPECT_EQ(first.back(), "+");

    // A tab too narrow for its caption tells it as a tip.
    auto* tip = static_cast<TSmartTip*>(Manager.AddControl("SmartTip", new TSmartTip()));
    TTabData* narrow = strip->GetTabData(strip->GetTabIDX("2"));
    narrow->TD_CAPTION = "A caption far too long for the tab";
    const int narrowY = narrow->SC_POS.y() + narrow->SC_HEIGHT / 2;
    Manager.On_MouseMove(0, narrow->SC_POS.x() + narrow->SC_WIDTH / 2, narrowY);
    EXPECT_TRUE(tip->ST_SHOWING);
    EXPECT_EQ(tip->ST_TEXT, narrow->TD_CAPTION);
    Manager.On_MouseMove(0, 200, 300);
    EXPECT_FALSE(tip->ST_SHOWING);

    // Activating a hidden tab brings it into the run.
    strip->SetActive("14", false);
    EXPECT_TRUE(visibleTabs().contains("14"));
    EXPECT_EQ(strip->HiddenBefore(), strip->HiddenTabs());

    // The wheel (heard twice per step, as the view hands it) and the arrows scroll.
    TWMMouseWheel up{0, 120, strip->ST_TABS_RECT.Left() + 5, 10};
    strip->On_MouseWheel(up);
    strip->On_MouseWheel(up);
    EXPECT_EQ(strip->HiddenBefore(), strip->HiddenTabs() - 1);
    const int y = strip->ST_TABS_RECT.Top() + 2;
    const int before = strip->HiddenBefore();
    Manager.On_MouseUp(mbLeft, 0, strip->ST_TABS_RECT.Left() - 7, y);
    EXPECT_EQ(strip->HiddenBefore(), before - 1);
    Manager.On_MouseUp(mbLeft, 0, strip->ST_TABS_RECT.Right() + 7, y);
    EXPECT_EQ(strip->HiddenBefore(), before);

    // Wide again: every tab shows, without arrows.
    Manager.On_Resize(1920, 1080);
    EXPECT_EQ(strip->HiddenTabs(), 0);
    EXPECT_EQ(visibleTabs().size(), 16);
}

// Damaged or extreme item sections and settings: every bar loads, lays out
// and paints; what it shows is sound (sizes not negative, no item over
// another, every shown tab inside the strip); nothing hangs or crashes.
TEST(BarsBadInput, TheBarsShowWhatIsSoundAndNeverHang)
{
    const auto many = [](int count, const char* line) {
        QByteArray lines;
        for (int i = 0; i < count; ++i) lines += QByteArray("Item") + QByteArray::number(i) + "=" + QByteArray(line).replace("%", QByteArray::number(i)) + "\n";
        return lines;
    };
    const QByteArray everyBar = "[QuickBar.Items]\nBack=CMD(Navigate.Back)\nTrash=CMD(Places.RecycleBin), Align(Right)\n"
                                "[PathBar.Items]\nUp=CMD(Navigate.Up)\nField=CMD(PathEdit)\n"
                                "Filter=CMD(QuickFilter), Width(180), Align(Right)\n"
                                "[ActionBar.Items]\nNewTab=CMD(Tabs.AddFile)\nRename=CMD(Item.Rename)\n"
                                "[SmartTabs.Items]\nMenu=CMD(Qorvel.Menu)\nSettings=CMD(Qorvel.Settings), Align(Right)\n";
    const struct {
        const char* Name;
        QByteArray Sections;
        std::function<void(TQvSettings&)> Change;
        bool MissingButtons;
        int Quick, Path, Action, Strip;  // the items each loads
    } rows[] = {
        {"500 items in every bar",
         "[QuickBar.Items]\n" + many(500, "CMD(Navigate.Back), Param1(%)") + "[PathBar.Items]\n" +
             many(500, "CMD(Navigate.Up), Param1(%)") + "[ActionBar.Items]\n" + many(500, "CMD(Item.Rename), Param1(%)") +
             "[SmartTabs.Items]\n" + many(250, "CMD(Qorvel.Menu), Param1(%)") +
             many(250, "CMD(Qorvel.Settings), Param1(%), Align(Right)"),
         {}, false, 500, 500, 500, 500},
        {"only unknown commands and broken lines",
         "[QuickBar.Items]\n" + many(100, "CMD(No.Such.%)") + "=\nCMD(\n)(\nNoKey\n" + "[PathBar.Items]\nA=CMD()\n" +
             "[ActionBar.Items]\nB=Caption(no command)\n[SmartTabs.Items]\nC=CMD(Nothing), Align(Sideways)\n",
         {}, false, 0, 0, 0, 0},
        {"negative and huge widths on the items",
         "[QuickBar.Items]\nA=CMD(Navigate.Back), Width(-50), Height(-50)\nB=CMD(Navigate.Up), Width(2147483647)\n"
         "C=CMD(Item.Copy), Width(99999999999999), Align(Right)\n"
         "[PathBar.Items]\nUp=CMD(Navigate.Up), Width(-9)\nField=CMD(PathEdit), Width(-300)\n"
         "Filter=CMD(QuickFilter), Width(2147483647), Align(Right)\n"
         "[ActionBar.Items]\nA=CMD(Tabs.AddFile), Width(-1), Height(2147483647)\n"
         "[SmartTabs.Items]\nMenu=CMD(Qorvel.Menu), Width(-40), Caption(" + QByteArray(5000, 'W') + ")\n"
         "S=CMD(Qorvel.Settings), Width(2147483647), Align(Right)\n",
         {}, false, 3, 3, 1, 2},
        {"negative sizes and spacings in the settings", everyBar,
         [](TQvSettings& s) {
             for (TBarSettings* bar : {&s.QuickBar, &s.PathBar, &s.ActionBar}) {
                 bar->ItemSize = -48;
                 bar->ItemSpacing = -10;
             }
             s.SmartTabs.Height = -28;
             s.SmartTabs.TabWidthMin = -26;
             s.SmartTabs.TabWidthMax = -150;
             s.SmartTabs.TabSpacing = -2;
             s.SmartTabs.ButtonSpacing = -2;
             s.SmartTabs.ButtonWidthMax = -115;
         },
         false, 2, 3, 2, 2},
        {"huge sizes and spacings in the settings", everyBar,
         [](TQvSettings& s) {
             for (TBarSettings* bar : {&s.QuickBar, &s.PathBar, &s.ActionBar}) {
                 bar->ItemSize = 2147483647;
                 bar->ItemSpacing = 2147483647;
             }
             s.SmartTabs.Height = 2147483647;
             s.SmartTabs.TabWidthMin = 2147483647;
             s.SmartTabs.TabWidthMax = 2147483647;
             s.SmartTabs.TabSpacing = 2147483647;
             s.SmartTabs.ButtonToTabSpacing = 2147483647;
         },
         false, 2, 3, 2, 2},
        {"a missing button theme", everyBar, {}, true, 2, 3, 2, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TTestDir dir;
        dir.WriteFile("Data/Settings.QVS", "[Qorvel]\n" + row.Sections);
        ASSERT_TRUE(QFile::link(BuildDir() + "/Data/Themes", dir.Sub("Data/Themes")));
        TAliasScope folder(dir.Path());
        TAliasNames names = AliasNames();
        if (row.MissingButtons) names.ButtonTheme = "Missing";
        SetAliasNames(names);
        TCtrlManager manager;
        TQvContextScope context({.CtrlManager = &manager});
        if (row.Change) row.Change(Settings());
        TButtonManager registry;
        RegisterCommandControls(manager, registry);
        RegisterWidgetControls(manager);

        auto* strip = static_cast<TSmartTab*>(manager.AddControl("SmartTab", new TSmartTab()));
        auto* quick = static_cast<TQuickBar*>(manager.AddControl("QuickBar", new TQuickBar()));
        auto* path = static_cast<TPathBar*>(manager.AddControl("PathBar", new TPathBar()));
        auto* action = static_cast<TActionBar*>(manager.AddControl("ActionBar", new TActionBar()));
        ASSERT_TRUE(WaitUntil([&] {
            return strip->ItemLoads() >= 1 && quick->ItemLoads() >= 1 && path->ItemLoads() >= 1 &&
                   action->ItemLoads() >= 1;
        }, 30000));
        EXPECT_EQ(quick->Items()->Count(), row.Quick);
        EXPECT_EQ(path->Items()->Count(), row.Path);
        EXPECT_EQ(action->Items()->Count(), row.Action);
        EXPECT_EQ(strip->ST_BTN_LIST->Count(), row.Strip);
        for (int i = 0; i < 30; ++i) strip->AddFileTab(QString::number(i));
        strip->AddSearchTab("search");
        strip->SetActive("17", true);

        for (const QSize size : {QSize(900, 600), QSize(400, 400), QSize(1, 1), QSize(1920, 1080)}) {
            SCOPED_TRACE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toStdString());
            manager.CM_PARENT_W = size.width();
            manager.CM_PARENT_H = size.height();
            manager.On_Resize(size.width(), size.height());
            TBitmap32 canvas;
            canvas.SetSize(size.width(), size.height());
            manager.PaintControls(canvas);

            for (TItemBar* bar : std::initializer_list<TItemBar*>{quick, path, action}) {
                EXPECT_GE(bar->SC_WIDTH, 0) << bar->SC_ID.toStdString();
                EXPECT_GE(bar->SC_HEIGHT, 0) << bar->SC_ID.toStdString();
                for (int i = 0; i < bar->Items()->Count(); ++i) {
                    const TSmartCtrl* item = bar->Items()->Control(i);
                    EXPECT_GE(item->SC_WIDTH, 0) << bar->SC_ID.toStdString() << " item " << i;
                    EXPECT_GE(item->SC_HEIGHT, 0) << bar->SC_ID.toStdString() << " item " << i;
                }
            }
            // The quick bar's shown items stand side by side, none over another.
            std::vector<QRect> shown;
            for (int i = 0; i < quick->Items()->Count(); ++i)
                if (const TSmartCtrl* item = quick->Items()->Control(i); item->SC_VISIBLE)
                    shown.push_back(QRect(item->SC_POS, QSize(item->SC_WIDTH, item->SC_HEIGHT)));
            // (The first item of each side shows even when the two are wider than the bar.)
            if (2 * (std::clamp(int(Settings().QuickBar.ItemSize), 0, 1 << 14) + 10) < size.width()) {
                for (size_t a = 0; a < shown.size(); ++a)
                    for (size_t b = a + 1; b < shown.size(); ++b)
                        EXPECT_FALSE(shown[a].intersects(shown[b])) << "quick bar items " << a << " and " << b;
            }
            EXPECT_LE(int(shown.size()), std::max(2, size.width() / 10)) << "more items shown than fit";
            // Every tab that shows lies inside the strip; the active one shows.
            for (int i = 0; i < strip->ST_TAB_LIST->Count(); ++i) {
                const TTabData* tab = strip->GetTabData(i);
                EXPECT_GE(tab->SC_WIDTH, 0) << "tab " << i;
                if (!tab->SC_VISIBLE || size.width() < 100) continue;
                EXPECT_GE(tab->SC_POS.x(), strip->SC_POS.x()) << "tab " << i;
                EXPECT_LE(qint64(tab->SC_POS.x()) + tab->SC_WIDTH, qint64(strip->SC_POS.x()) + strip->SC_WIDTH) << "tab " << i;
            }
            EXPECT_TRUE(strip->GetTabData(strip->GetTabIDX("17"))->SC_VISIBLE || size.width() < 100);
        }
    }
}
