#include "QV_WidgetFixture.h"

#include "commands/QV_ActionButton.h"
#include "commands/QV_ButtonManager.h"
#include "widgets/QV_BarLayout.h"
#include "widgets/QV_ItemBars.h"
#include "widgets/QV_SmartTab.h"
#include "widgets/QV_WidgetControls.h"

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
