#pragma once
// Where the top-level controls go along the view's edges, computed from their
// alignment, visibility and sizes alone, so bars, tab strips and menus can be
// laid out and tested without a window. The control manager applies the result.
//
// Top and bottom controls stack from the edges in list order, each as wide as
// the view; left and right controls line up in the band between them, each as
// tall as the band unless centred in it. A control follows the last visible
// control of the same alignment before it. Hidden top and bottom controls are
// not placed; hidden left and right ones are, so they appear in place when
// shown.

#include "controls/QV_SmartCtrl.h"

#include <QPoint>

#include <optional>
#include <vector>

struct TEdgeControl {
    TAlignSide Align = asNone;
    bool Visible = false;
    bool Center = false; // left and right only: centred in the band, height kept
    int Width = 0;
    int Height = 0;
};

struct TEdgePlacement {
    std::optional<QPoint> Pos;  // none: the control stays where it is
    std::optional<int> Width;   // set for top and bottom controls
    std::optional<int> Height;  // set for left and right controls that fill the band
};

// One placement per control, in the same order.
std::vector<TEdgePlacement> ArrangeEdgeControls(const std::vector<TEdgeControl>& controls, int W, int H);
