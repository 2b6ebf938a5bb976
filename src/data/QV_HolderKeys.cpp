#include "data/QV_HolderKeys.h"

#include <cstdlib>
#include <optional>

namespace {

bool IsStop(const TItemList& items, int index)
{
    return index >= 0 && index < int(items.size()) && items[size_t(index)]->ID_VISIBLE;
}

int StepStop(const TItemList& items, int from, int direction)
{
    for (int i = from + direction; i >= 0 && i < int(items.size()); i += direction)
        if (IsStop(items, i)) return i;
    return -1;
}

int FirstStop(const TItemList& items) { return StepStop(items, -1, +1); }
int LastStop(const TItemList& items) { return StepStop(items, int(items.size()), -1); }

int CentreX(const TItemData& item) { return item.ID_POS.x() + item.ID_WIDTH / 2; }

// Where a move up or down aims: below the item's centre, or from a full row (a
// group header) at the left edge, so it lands on the first item of a row.
int AimX(const TItemData& item)
{
    return item.IsGroup() || item.ID_STYLE == vsList ? item.ID_POS.x() : CentreX(item);
}

// The top of a row on the direction's side of top: the farthest one no more
// than reach away, else the nearest one beyond reach; none when no row lies
// that way. Items of one row share their top.
std::optional<int> RowToward(const TItemList& items, int top, int direction, int reach)
{
    std::optional<int> within, nearest;
    for (const auto& item : items) {
        if (!item->ID_VISIBLE) continue;
        const int distance = (item->ID_POS.y() - top) * direction;
        if (distance <= 0) continue;
        if (distance <= reach && (!within || distance > (*within - top) * direction)) within = item->ID_POS.y();
        if (!nearest || distance < (*nearest - top) * direction) nearest = item->ID_POS.y();
    }
    return within ? within : nearest;
}

// The stop of the row at top nearest to x; the earlier one of two as near.
int NearestInRow(const TItemList& items, int top, int x)
{
    int best = -1, bestDistance = 0;
    for (int i = 0; i < int(items.size()); ++i) {
        const TItemData& item = *items[size_t(i)];
        if (!item.ID_VISIBLE || item.ID_POS.y() != top) continue;
        const int distance = std::abs(CentreX(item) - x);
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

bool FoldedStartsWith(const QString& caption, const QString& text)
{
    return caption.startsWith(text, Qt::CaseInsensitive);
}

bool OneCharRepeated(const QString& text)
{
    for (QChar c : text)
        if (c.toCaseFolded() != text.front().toCaseFolded()) return false;
    return !text.isEmpty();
}

}  // namespace

int NavigateItems(const TItemList& items, int from, TNavMove move, int page)
{
    const int first = FirstStop(items);
    if (first < 0) return -1;
    if (!IsStop(items, from)) return move == TNavMove::nmEnd ? LastStop(items) : first;
    const TItemData& current = *items[size_t(from)];
    const auto rowMove = [&](int direction, int reach, int atTheEnd) {
        const std::optional<int> row = RowToward(items, current.ID_POS.y(), direction, reach);
        return row ? NearestInRow(items, *row, AimX(current)) : atTheEnd;
    };
    switch (move) {
    case TNavMove::nmLeft: {
        const int previous = StepStop(items, from, -1);
        return previous < 0 ? from : previous;
    }
    case TNavMove::nmRight: {
        const int next = StepStop(items, from, +1);
        return next < 0 ? from : next;
    }
    case TNavMove::nmUp: return rowMove(-1, 0, from);
    case TNavMove::nmDown: return rowMove(+1, 0, from);
    case TNavMove::nmPageUp: return rowMove(-1, page, first);
    case TNavMove::nmPageDown: return rowMove(+1, page, LastStop(items));
    case TNavMove::nmHome: return first;
    case TNavMove::nmEnd: return LastStop(items);
    }
    return from;
}

QString TTypeAhead::Type(QChar typed, qint64 now)
{
    if (now - last_ > PauseMs) text_.clear();
    last_ = now;
    if (typed.isSpace() && text_.isEmpty()) return QString();
    text_ += typed;
    return text_;
}

int TypeAheadMatch(const TItemList& items, int from, const QString& text)
{
    const int count = int(items.size());
    if (text.isEmpty() || count == 0) return -1;
    const bool stepOn = OneCharRepeated(text);
    const QString wanted = stepOn ? text.left(1) : text;
    const int start = from < 0 || from >= count ? 0 : from + (stepOn ? 1 : 0);
    for (int n = 0; n < count; ++n) {
        const int i = (start + n) % count;
        const TItemData& item = *items[size_t(i)];
        if (item.ID_VISIBLE && !item.IsGroup() && FoldedStartsWith(item.ID_CAPTION, wanted)) return i;
    }
    return -1;
}
