#include "controls/QV_ControlLayout.h"

#include <gtest/gtest.h>

namespace {

struct TRect {
    int X, Y, W, H;
    bool operator==(const TRect&) const = default;
};

// Where each control ends up: its placement applied over its own size.
std::vector<TRect> Arrange(const std::vector<TEdgeControl>& controls, int W, int H)
{
    const std::vector<TEdgePlacement> placed = ArrangeEdgeControls(controls, W, H);
    std::vector<TRect> rects;
    for (size_t i = 0; i < controls.size(); ++i) {
        const TEdgePlacement& p = placed[i];
        const QPoint pos = p.Pos.value_or(QPoint(-1, -1));
        rects.push_back({pos.x(), pos.y(), p.Width.value_or(controls[i].Width),
                         p.Height.value_or(controls[i].Height)});
    }
    return rects;
}

} // namespace

TEST(ControlLayout, EdgesStackInListOrderAndSidesFillTheBandBetween)
{
    const std::vector<TEdgeControl> controls = {
        {asTop, true, false, 0, 30},    // tab strip
        {asTop, true, false, 0, 20},    // quick bar, below it
        {asBot, true, false, 0, 25},    // action bar
        {asBot, true, false, 0, 10},    // above it
        {asLeft, true, false, 40, 0},   // fills the band
        {asLeft, true, false, 15, 0},   // right of it
        {asRight, true, false, 12, 0},  // scroll bar
        {asRight, true, true, 8, 100},  // centred, keeps its height
    };
    const std::vector<TRect> expected = {
        {0, 0, 800, 30}, {0, 30, 800, 20}, {0, 575, 800, 25}, {0, 565, 800, 10},
        {0, 50, 40, 515}, {40, 50, 15, 515}, {788, 50, 12, 515}, {780, 50 + (515 - 100) / 2, 8, 100},
    };
    EXPECT_EQ(Arrange(controls, 800, 600), expected);
}

TEST(ControlLayout, HiddenEdgeControlsAreSkippedButHiddenSidesArePlaced)
{
    const std::vector<TEdgeControl> controls = {
        {asTop, false, false, 0, 30},  // hidden: not placed, takes no room
        {asTop, true, false, 0, 20},
        {asLeft, false, false, 40, 0}, // hidden: placed where it would appear
        {asLeft, true, false, 15, 0},  // does not follow the hidden one
        {asNone, true, false, 10, 10}, // not laid out
    };
    const std::vector<TRect> expected = {
        {-1, -1, 0, 30}, {0, 0, 300, 20}, {0, 20, 40, 180}, {0, 20, 15, 180}, {-1, -1, 10, 10},
    };
    EXPECT_EQ(Arrange(controls, 300, 200), expected);
}
