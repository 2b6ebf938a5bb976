#include "data/QV_HolderLayout.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TItemList Tiles(int count, int width = 150, int height = 40)
{
    TItemList items;
    for (int i = 0; i < count; ++i) {
        items.push_back(std::make_unique<TItemData>());
        items.back()->ID_WIDTH = width;
        items.back()->ID_HEIGHT = height;
    }
    return items;
}

const TLayoutMargins Margins{50, 100, 0};

} // namespace

TEST(HolderLayout, ArrangeWrapsWhenRowIsFull)
{
    struct {
        int Width;
        QPoint Second;
        QPoint Third;
    } cases[] = {
        // 50 + 150 + 30 = 230; a second tile needs 230 + 150 + 30 <= width - 15.
        {425, {230, 100}, {50, 170}},
        {424, {50, 170}, {50, 240}},
        {605, {230, 100}, {410, 100}},
        {100, {50, 170}, {50, 240}},  // narrower than one tile: a row each
    };
    for (const auto& c : cases) {
        TItemList items = Tiles(3);
        ArrangeItems(items, {0, 0}, c.Width, Margins);
        EXPECT_EQ(items[0]->ID_POS, QPoint(50, 100)) << c.Width;
        EXPECT_EQ(items[1]->ID_POS, c.Second) << c.Width;
        EXPECT_EQ(items[2]->ID_POS, c.Third) << c.Width;
    }
}

TEST(HolderLayout, InvisibleItemsArePlacedButNeverNeighbours)
{
    TItemList items = Tiles(3);
    items[1]->ID_VISIBLE = false;
    ArrangeItems(items, {0, 0}, 1000, Margins);
    EXPECT_EQ(items[1]->ID_POS, QPoint(230, 100));
    EXPECT_EQ(items[2]->ID_POS, QPoint(230, 100));  // beside the first, over the hidden one
}

TEST(HolderLayout, DefaultGroupHeaderIsHiddenAndFullRowsSpanTheWidth)
{
    TItemList items;
    items.push_back(std::make_unique<TGroupData>());
    for (auto& tile : Tiles(2)) items.push_back(std::move(tile));
    items.push_back(std::make_unique<TGroupData>());
    items.back()->ID_GROUP = "B";
    ArrangeItems(items, {0, 0}, 1000, Margins);
    EXPECT_FALSE(items[0]->ID_VISIBLE);
    EXPECT_EQ(items[1]->ID_POS, QPoint(50, 100));
    EXPECT_EQ(items[3]->ID_WIDTH, 1000 - 50 - 15);
    EXPECT_EQ(items[3]->ID_HEIGHT, 20);
    EXPECT_EQ(items[3]->ID_POS, QPoint(50, 170));
}

TEST(HolderLayout, ScrollRangeComesFromTheLastItemEvenWhenInvisible)
{
    TItemList items = Tiles(20);
    ArrangeItems(items, {0, 0}, 300, Margins);  // one column, rows 70 apart
    const int lastTop = 100 + 19 * 70;
    EXPECT_EQ(ScrollMaxFor(items, 500, Margins), lastTop - (500 - 100));
    items.back()->ID_VISIBLE = false;
    EXPECT_EQ(ScrollMaxFor(items, 500, Margins), lastTop - (500 - 100));
    EXPECT_EQ(ScrollMaxFor(items, lastTop + 43, Margins), 0);
    EXPECT_EQ(ScrollMaxFor(items, 500, {50, 100, 24}), lastTop - (500 - 24 - 100));
    EXPECT_EQ(ScrollMaxFor(TItemList(), 500, Margins), 0);
}

TEST(HolderLayout, ItemWindowHoldsEveryItemMeetingTheBand)
{
    std::mt19937 random(7);
    TItemList items;
    for (int i = 0; i < 400; ++i) {
        items.push_back(std::make_unique<TItemData>());
        items.back()->ID_WIDTH = 40 + int(random() % 200);
        items.back()->ID_HEIGHT = 10 + int(random() % 60);
        items.back()->ID_VISIBLE = random() % 5 != 0;
        if (random() % 30 == 0) items.back()->ID_STYLE = vsList;
    }
    const TLayoutIndex index = ArrangeItems(items, {0, 0}, 700, Margins);
    for (int top = -100; top < 6000; top += 97) {
        const int bottom = top + int(random() % 400);
        const auto [first, last] = ItemWindow(items, index, top, bottom);
        for (size_t i = 0; i < items.size(); ++i) {
            const TItemData& item = *items[i];
            const bool meets = item.ID_POS.y() <= bottom && item.ID_POS.y() + item.ID_HEIGHT >= top;
            if (meets) {
                EXPECT_TRUE(i >= first && i < last) << "item " << i << " band " << top;
            }
        }
    }
    EXPECT_EQ(ItemWindow(items, TLayoutIndex(), 0, 10), std::make_pair(size_t(0), items.size()));
}

TEST(HolderLayout, BandIsNormalisedAndKeptInside)
{
    struct {
        QPoint Start, End;
        QRect Expected;
    } cases[] = {
        {{10, 20}, {110, 220}, QRect(10, 20, 100, 200)},
        {{110, 220}, {10, 20}, QRect(10, 20, 100, 200)},
        {{-50, -50}, {1000, 1000}, QRect(1, 1, 398, 298)},
    };
    for (const auto& c : cases) EXPECT_EQ(BandRect(c.Start, c.End, {0, 0}, 400, 300), c.Expected);
}

TEST(HolderLayout, WheelDirectionFollowsTheDeltaSign)
{
    EXPECT_EQ(WheelDirection(-120, 5), 5);
    EXPECT_EQ(WheelDirection(120, 5), -5);
    EXPECT_EQ(WheelDirection(0, 5), 0);
}

TEST(HolderLayout, ScrollToShowMovesLeastAndStaysInRange)
{
    // 600 high, 100 under the top bar, no bottom bar: items show whole between
    // 100 and 585 of the view.
    struct {
        int Top, Bottom, Scroll, Expected;
    } cases[] = {
        {300, 340, 0, 0},         // shown already
        {100, 140, 0, 0},         // just under the bar
        {50, 90, 0, 0},           // above the range: the minimum holds
        {900, 940, 0, 355},       // below: its bottom comes to 585
        {900, 940, 355, 355},
        {400, 440, 350, 300},     // above the room: its top comes to 100
        {5000, 5040, 0, 1000},    // beyond the maximum
        {700, 1400, 0, 600},      // taller than the room: its top shows
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScrollToShow(c.Top, c.Bottom, c.Scroll, 600, Margins, 0, 1000), c.Expected)
            << c.Top << " " << c.Scroll;
}
