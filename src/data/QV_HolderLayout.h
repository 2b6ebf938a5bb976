#pragma once
// The arithmetic of a holder's picture, kept apart so it can be checked alone:
// the flow layout, the scroll range, the window of items on screen, the rubber
// band rectangle and the wheel steps.

#include "data/QV_ItemData.h"

#include <QPoint>
#include <QRect>

#include <memory>
#include <vector>

using TItemList = std::vector<std::unique_ptr<TItemData>>;

inline constexpr int LayoutSpacingH = 30;
inline constexpr int LayoutSpacingV = 30;
inline constexpr int LayoutMarginRight = 15;
inline constexpr int LayoutRowHeight = 20;  // group headers and list rows

// Kept clear of the bars drawn over the holder.
struct TLayoutMargins {
    int Left = 50;
    int Top = 100;
    int BottomReserve = 0;
};

// What Arrange leaves for painting and hit testing. Visible items never step
// upwards in list order, but an invisible one placed after the same neighbour
// may sit a row lower than the visible item after it; so the index keeps the
// running maximum of the tops from the front and the running minimum from the
// back, both ordered, and binary searches them.
struct TLayoutIndex {
    bool Valid = false;  // false until an arrange, and after any change of the list
    int TallestItem = 0;
    std::vector<int> MaxTopSoFar;
    std::vector<int> MinTopFromHere;
};

// Positions every item in list order (invisible ones after their visible
// predecessor, never serving as a neighbour). Full rows (group headers, vsList)
// take the width between the margins and 20 pixels; the "<default>" header is
// made invisible. stop, when given, ends the loop early.
TLayoutIndex ArrangeItems(const TItemList& items, QPoint origin, int width, const TLayoutMargins& margins,
                          bool (*stop)() = nullptr);

// The largest scroll offset: from the last item of the list, visible or not.
int ScrollMaxFor(const TItemList& items, int height, const TLayoutMargins& margins);

// The index range [first, last) of items whose vertical extent may meet
// [top, bottom] in content coordinates; the whole list without a valid index.
std::pair<size_t, size_t> ItemWindow(const TItemList& items, const TLayoutIndex& index, int top, int bottom);

// The band spanned by the two points, normalised and kept inside the area
// (left and top at least origin + 1, right and bottom at most size - 1), with
// right and bottom as exclusive edges.
QRect BandRect(QPoint start, QPoint end, QPoint origin, int width, int height);

// The scroll offset, within [minimum, maximum], at which the item whose content
// extent is [top, bottom] shows whole between the bars: the offset unchanged
// when it does already, else the least move; an item taller than the room
// shows its top.
int ScrollToShow(int top, int bottom, int scroll, int height, const TLayoutMargins& margins, int minimum,
                 int maximum);

// The pixels one step of a wheel scroll moves per counter unit: +step toward the
// user (a negative delta), -step away, 0 for none.
int WheelDirection(int wheelDelta, int step);
