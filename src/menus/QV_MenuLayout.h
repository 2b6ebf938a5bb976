#pragma once
// Where a popup menu goes and where its items sit, computed from sizes alone so
// the rules can be checked without a window; the smart menu applies the result.

#include "controls/QV_SmartCtrl.h"
#include "foundation/QV_PaintUtils.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

// The gap kept between a menu and the view's edges.
inline constexpr int MenuEdgeMargin = 5;

// Next to the control that opened the menu, by the side the control (or its
// bar) is aligned to: below a top or unaligned control, above a bottom one,
// to the right of a left one and to the left of a right one, Offset pixels away.
QPoint MenuPlaceNextTo(const QRect& Sender, TAlignSide Align, QSize Menu, int Offset);

// Pulls P inside a view of that size, 5 pixels from its edges. A menu larger
// than the view minus the margins ends up at view size - menu size - 5, which
// may be negative. A view of unknown size (0 or less) moves nothing.
QPoint KeepMenuInView(QPoint P, QSize Menu, QSize View);

struct TMenuItemBox {
    bool Visible = false;
    int Height = 0;  // as the item took it; most take the menu's item size
};

struct TMenuArrangement {
    std::vector<QRect> Items;  // one per item; empty rectangles for hidden ones
    int Height = 0;            // of the whole menu
    QRect Title;               // the caption row
    QRect Back;                // the back button
};

// The visible items one below the other on the work area, as wide as it, each
// followed by ItemSpacing; the menu is as high as its insets and that stack.
// The title row starts 11 pixels below the top edge.
TMenuArrangement ArrangeMenu(QPoint Pos, int Width, const TWorkArea& Insets, const std::vector<TMenuItemBox>& Items,
                             int ItemSpacing);
