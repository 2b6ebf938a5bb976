#include "data/QV_HolderLayout.h"

#include <algorithm>
#include <climits>

TLayoutIndex ArrangeItems(const TItemList& items, QPoint origin, int width, const TLayoutMargins& margins,
                          bool (*stop)())
{
    TLayoutIndex index;
    const TItemData* neighbour = nullptr;
    for (const auto& owned : items) {
        if (stop && stop()) return index;
        TItemData& item = *owned;
        if (item.IsGroup() || item.ID_STYLE == vsList) {
            item.ID_WIDTH = width - margins.Left - LayoutMarginRight;
            item.ID_HEIGHT = LayoutRowHeight;
            if (item.ID_GROUP == QLatin1String("<default>")) item.ID_VISIBLE = false;
        }
        if (!neighbour) {
            item.ID_POS = QPoint(origin.x() + margins.Left, origin.y() + margins.Top);
        } else {
            int x = neighbour->ID_POS.x() + neighbour->ID_WIDTH + LayoutSpacingH;
            int y = neighbour->ID_POS.y();
            if (width - LayoutMarginRight < x + item.ID_WIDTH + LayoutSpacingH) {
                x = origin.x() + margins.Left;
                y = neighbour->ID_POS.y() + neighbour->ID_HEIGHT + LayoutSpacingV;
            }
            item.ID_POS = QPoint(x, y);
        }
        if (item.ID_VISIBLE) neighbour = &item;
        index.TallestItem = std::max(index.TallestItem, item.ID_HEIGHT);
    }
    const size_t count = items.size();
    index.MaxTopSoFar.resize(count);
    index.MinTopFromHere.resize(count);
    int running = INT_MIN;
    for (size_t i = 0; i < count; ++i) index.MaxTopSoFar[i] = running = std::max(running, items[i]->ID_POS.y());
    running = INT_MAX;
    for (size_t i = count; i-- > 0;) index.MinTopFromHere[i] = running = std::min(running, items[i]->ID_POS.y());
    index.Valid = true;
    return index;
}

int ScrollMaxFor(const TItemList& items, int height, const TLayoutMargins& margins)
{
    if (items.empty()) return 0;
    const TItemData& last = *items.back();
    const int visibleBottom = height - margins.BottomReserve;
    if (last.ID_POS.y() + last.ID_HEIGHT + 2 < visibleBottom) return 0;
    return last.ID_POS.y() - (visibleBottom - margins.Top);
}

std::pair<size_t, size_t> ItemWindow(const TItemList& items, const TLayoutIndex& index, int top, int bottom)
{
    if (!index.Valid || index.MaxTopSoFar.size() != items.size()) return {0, items.size()};
    const int lowest = top - index.TallestItem;
    const auto& maxTops = index.MaxTopSoFar;
    const auto& minTops = index.MinTopFromHere;
    const size_t first = size_t(std::lower_bound(maxTops.begin(), maxTops.end(), lowest) - maxTops.begin());
    const size_t last = size_t(std::upper_bound(minTops.begin(), minTops.end(), bottom) - minTops.begin());
    return {first, std::max(first, last)};
}

QRect BandRect(QPoint start, QPoint end, QPoint origin, int width, int height)
{
    const int left = std::max(std::min(start.x(), end.x()), origin.x() + 1);
    const int top = std::max(std::min(start.y(), end.y()), origin.y() + 1);
    const int right = std::min(std::max(start.x(), end.x()), width - 1);
    const int bottom = std::min(std::max(start.y(), end.y()), height - 1);
    return QRect(left, top, right - left, bottom - top);
}

int ScrollToShow(int top, int bottom, int scroll, int height, const TLayoutMargins& margins, int minimum,
                 int maximum)
{
    // Half a row gap below the item, so it does not touch the bottom bar.
    const int roomBottom = height - margins.BottomReserve - LayoutSpacingV / 2;
    if (bottom - scroll > roomBottom) scroll = bottom - roomBottom;
    if (top - scroll < margins.Top) scroll = top - margins.Top;
    return std::max(std::min(scroll, maximum), minimum);
}

int WheelDirection(int wheelDelta, int step)
{
    if (wheelDelta < 0) return step;
    if (wheelDelta > 0) return -step;
    return 0;
}
