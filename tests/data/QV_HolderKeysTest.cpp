#include "data/QV_HolderKeys.h"

#include <gtest/gtest.h>

namespace {

// 1000 wide: rows of five 150 x 40 tiles, 70 apart from y 100.
TItemList Grid(int count)
{
    TItemList items;
    for (int i = 0; i < count; ++i) {
        items.push_back(std::make_unique<TItemData>());
        items.back()->ID_WIDTH = 150;
        items.back()->ID_HEIGHT = 40;
    }
    ArrangeItems(items, {0, 0}, 1000, TLayoutMargins{50, 100, 0});
    return items;
}

} // namespace

TEST(HolderKeys, MovesOverTheFlowLayout)
{
    // 23 tiles: rows 0-4, 5-9, 10-14, 15-19 and a short last row 20-22.
    TItemList items = Grid(23);
    struct {
        int From;
        TNavMove Move;
        int Page;
        int Expected;
    } cases[] = {
        {-1, TNavMove::nmDown, 0, 0},  // no focus yet: the first stop
        {-1, TNavMove::nmEnd, 0, 22},
        {0, TNavMove::nmLeft, 0, 0},   // nothing that way: stays
        {4, TNavMove::nmRight, 0, 5},  // on into the next row
        {22, TNavMove::nmRight, 0, 22},
        {7, TNavMove::nmUp, 0, 2},
        {2, TNavMove::nmUp, 0, 2},
        {7, TNavMove::nmDown, 0, 12},
        {19, TNavMove::nmDown, 0, 22}, // a shorter row: its nearest tile
        {21, TNavMove::nmDown, 0, 21},
        {1, TNavMove::nmPageDown, 150, 11},  // two rows fit in 150 pixels
        {1, TNavMove::nmPageDown, 30, 6},    // at least one row
        {16, TNavMove::nmPageDown, 500, 21},
        {21, TNavMove::nmPageDown, 500, 22}, // on the last row: the last stop
        {21, TNavMove::nmPageUp, 150, 11},
        {3, TNavMove::nmPageUp, 150, 0},     // on the first row: the first stop
        {13, TNavMove::nmHome, 0, 0},
        {13, TNavMove::nmEnd, 0, 22},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NavigateItems(items, c.From, c.Move, c.Page), c.Expected) << c.From << " " << int(c.Move);

    EXPECT_EQ(NavigateItems(TItemList{}, -1, TNavMove::nmDown, 0), -1);
}

TEST(HolderKeys, HiddenItemsAreNoStopsAndHeadersAre)
{
    TItemList items = Grid(12);
    for (int i : {0, 6, 11}) items[size_t(i)]->ID_VISIBLE = false;
    ArrangeItems(items, {0, 0}, 1000, TLayoutMargins{50, 100, 0});
    EXPECT_EQ(NavigateItems(items, -1, TNavMove::nmRight, 0), 1);
    EXPECT_EQ(NavigateItems(items, 5, TNavMove::nmRight, 0), 7);
    EXPECT_EQ(NavigateItems(items, 10, TNavMove::nmEnd, 0), 10);
    EXPECT_EQ(NavigateItems(items, 6, TNavMove::nmRight, 0), 1);  // a hidden focus counts as none

    TItemList grouped;
    grouped.push_back(std::make_unique<TGroupData>());
    grouped.back()->ID_GROUP = "A";
    for (auto& tile : Grid(3)) grouped.push_back(std::move(tile));
    ArrangeItems(grouped, {0, 0}, 1000, TLayoutMargins{50, 100, 0});
    EXPECT_EQ(NavigateItems(grouped, 2, TNavMove::nmUp, 0), 0);
    EXPECT_EQ(NavigateItems(grouped, 0, TNavMove::nmDown, 0), 1);
}

TEST(HolderKeys, TypeAheadFindsCaptionsFromTheFocusOnward)
{
    TItemList items;
    for (const char* caption : {"apple", "Banana", "blueberry", "cherry", "bean"}) {
        items.push_back(std::make_unique<TItemData>());
        items.back()->ID_CAPTION = caption;
    }
    items.push_back(std::make_unique<TGroupData>());
    items.back()->ID_CAPTION = "b group";
    items[4]->ID_VISIBLE = false;
    struct {
        int From;
        const char* Text;
        int Expected;
    } cases[] = {
        {-1, "b", 1},
        {1, "b", 2},     // one letter steps on
        {2, "bb", 1},    // still one letter repeated; round past the hidden and the header
        {1, "bl", 2},
        {2, "bl", 2},    // the focus itself matches a longer text
        {0, "BLUE", 2},
        {3, "ch", 3},
        {0, "x", -1},
        {0, "", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(TypeAheadMatch(items, c.From, c.Text), c.Expected) << c.From << c.Text;
}

TEST(HolderKeys, TypeAheadTextStartsAnewAfterAPause)
{
    TTypeAhead typing;
    EXPECT_EQ(typing.Type('r', 0), "r");
    EXPECT_EQ(typing.Type('e', 400), "re");
    EXPECT_EQ(typing.Type(' ', 900), "re ");
    EXPECT_EQ(typing.Type('d', 900 + TTypeAhead::PauseMs + 1), "d");
    EXPECT_EQ(typing.Type(' ', 5000), "");  // a blank never starts a text
    EXPECT_EQ(typing.Type('x', 5100), "x");
    typing.Reset();
    EXPECT_EQ(typing.Type('y', 5200), "y");
}
