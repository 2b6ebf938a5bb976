#include "menus/QV_MenuLayout.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(MenuLayout, PlacesTheMenuOnTheFreeSideOfItsSender)
{
    const QRect sender(100, 200, 40, 30);
    const QSize menu(250, 120);
    struct Case {
        TAlignSide Align;
        int Offset;
        QPoint Expected;
    } cases[] = {
        {asTop, 0, {100, 230}},   {asNone, 0, {100, 230}}, {asBot, 0, {100, 80}},  {asLeft, 0, {140, 200}},
        {asRight, 0, {-150, 200}}, {asTop, 4, {100, 234}}, {asBot, 4, {100, 76}},  {asLeft, 4, {144, 200}},
        {asRight, 4, {-154, 200}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MenuPlaceNextTo(sender, c.Align, menu, c.Offset), c.Expected) << "align " << c.Align << " offset "
                                                                                << c.Offset;
}

TEST(MenuLayout, KeepsTheMenuFivePixelsInsideTheView)
{
    const QSize view(800, 600);
    const QSize menu(250, 134);
    struct Case {
        QPoint P;
        QSize Menu;
        QSize View;
        QPoint Expected;
    } cases[] = {
        {{3, 100}, menu, view, {5, 100}},        // near the left edge
        {{5, 100}, menu, view, {5, 100}},
        {{600, 500}, menu, view, {545, 461}},    // past the right and bottom edges
        {{545, 461}, menu, view, {545, 461}},    // exactly at the margin
        {{100, -40}, menu, view, {100, 5}},
        {{100, 100}, {900, 700}, view, {-105, -105}},  // larger than the view: may go negative
        {{-30, -30}, menu, {0, 0}, {-30, -30}},  // a view of unknown size moves nothing
    };
    for (const Case& c : cases) EXPECT_EQ(KeepMenuInView(c.P, c.Menu, c.View), c.Expected) << c.P.x() << "," << c.P.y();
}

TEST(MenuLayout, StacksVisibleItemsWithTheirSpacing)
{
    const TWorkArea insets{8, 40, 8, 10};
    const std::vector<TMenuItemBox> items = {{true, 23}, {false, 23}, {true, 23}, {true, 32}, {false, 23}};
    const TMenuArrangement a = ArrangeMenu(QPoint(100, 50), 250, insets, items, 5);
    EXPECT_EQ(a.Items[0], QRect(108, 90, 234, 23));
    EXPECT_TRUE(a.Items[1].isEmpty());
    EXPECT_EQ(a.Items[2], QRect(108, 118, 234, 23));
    EXPECT_EQ(a.Items[3], QRect(108, 146, 234, 32));  // an item may keep a larger height of its own
    EXPECT_EQ(a.Height, 40 + 28 + 28 + 37 + 10);
    EXPECT_EQ(a.Title, QRect(QPoint(108, 61), QPoint(341, 79)));
    EXPECT_EQ(a.Back, QRect(108, 61, 22, 22));

    const std::vector<TMenuItemBox> three = {{true, 23}, {true, 23}, {true, 23}, {false, 23}};
    EXPECT_EQ(ArrangeMenu(QPoint(0, 0), 250, insets, three, 5).Height, 134);
    EXPECT_EQ(ArrangeMenu(QPoint(0, 0), 250, insets, {}, 5).Height, 50);
}

}  // namespace
