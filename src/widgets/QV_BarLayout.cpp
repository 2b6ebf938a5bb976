#include "widgets/QV_BarLayout.h"

#include <algorithm>

namespace {

bool IsRight(TAlignSide align) { return align == asRight; }

bool SmallBySetting(const TTabSlot& tab, const TTabSizing& sizing)
{
    if (tab.NewTab) return true;
    if (IsRight(tab.Align)) return sizing.SmallRight;
    return sizing.SmallLeft;
}

}  // namespace

std::vector<int> TabWidths(const std::vector<TTabSlot>& Tabs, int AreaWidth, const TTabSizing& Sizing)
{
    std::vector<int> widths;
    widths.reserve(Tabs.size());
    for (const TTabSlot& tab : Tabs) widths.push_back(tab.Width);
    const int count = int(Tabs.size());
    int small = 0;
    for (const TTabSlot& tab : Tabs)
        if (tab.NewTab || (IsRight(tab.Align) && Sizing.SmallRight)) ++small;
    const int normal = count - small;
    // A damaged settings file: a negative minimum counts as none, and a
    // maximum not above the minimum as no maximum, so tabs share the area.
    const int widthMin = std::max(0, Sizing.WidthMin);
    const bool bounded = Sizing.WidthMax > widthMin;
    const long long avail = (long long)AreaWidth - (long long)count * Sizing.Spacing;
    if (avail >= 0) {
        if (bounded && avail >= (long long)Sizing.WidthMax * normal + (long long)widthMin * small) {
            for (int& w : widths) w = Sizing.WidthMax;
        } else if (normal > 0) {
            const long long rest = avail - (long long)widthMin * small;
            const long long each = rest / normal;
            const long long extra = rest - each * normal;
            for (int i = 0; i < count; ++i) widths[size_t(i)] = int(each + (i < extra ? 1 : 0));
        }
    }
    for (int i = 0; i < count; ++i)
        if (SmallBySetting(Tabs[size_t(i)], Sizing)) widths[size_t(i)] = widthMin;
    return widths;
}

std::vector<TLinePlace> PlaceInLine(const std::vector<TLineItem>& Items, int Left, int Right, int Spacing)
{
    std::vector<TLinePlace> places(Items.size());
    int lastLeft = -1, lastRight = -1;
    for (size_t i = 0; i < Items.size(); ++i) {
        const TLineItem& item = Items[i];
        TLinePlace& place = places[i];
        place.Visible = item.Visible;
        int& last = IsRight(item.Align) ? lastRight : lastLeft;
        if (IsRight(item.Align))
            place.X = last < 0 ? Right - item.Width : places[size_t(last)].X - Spacing - item.Width;
        else
            place.X = last < 0 ? Left : places[size_t(last)].X + Items[size_t(last)].Width + Spacing;
        if (item.Visible) last = int(i);
    }
    return places;
}

std::vector<TLinePlace> PlaceQuickBar(const std::vector<TLineItem>& Items, int Left, int Right, int Spacing)
{
    long long rightSum = 0;
    for (const TLineItem& item : Items)
        if (IsRight(item.Align) && item.Visible) rightSum += Spacing + item.Width;
    std::vector<TLinePlace> places(Items.size());
    int lastLeft = -1, lastRight = -1;
    for (size_t i = 0; i < Items.size(); ++i) {
        const TLineItem& item = Items[i];
        TLinePlace& place = places[i];
        place.Visible = true;
        if (IsRight(item.Align)) {
            if (lastRight < 0) {
                place.X = Right - item.Width;
            } else {
                place.X = places[size_t(lastRight)].X - Spacing - item.Width;
                place.Visible = place.X >= Left;
            }
            if (place.Visible) lastRight = int(i);
        } else {
            if (lastLeft < 0) {
                place.X = Left;
            } else {
                place.X = places[size_t(lastLeft)].X + Items[size_t(lastLeft)].Width + Spacing;
                place.Visible = (long long)place.X + item.Width <= (long long)Right - rightSum;
            }
            if (place.Visible) lastLeft = int(i);
        }
    }
    return places;
}

TStripButtons PlaceStripButtons(const std::vector<TLineItem>& Buttons, int Left, int Right, int ButtonSpacing,
                                int ButtonToTabSpacing)
{
    TStripButtons result;
    result.TabsLeft = Left;
    result.TabsRight = Right;
    if (Buttons.empty()) return result;
    result.Places = PlaceInLine(Buttons, Left, Right, ButtonSpacing);
    for (const TLineItem& button : Buttons) {
        if (!button.Visible) continue;
        if (IsRight(button.Align)) result.TabsRight -= button.Width + ButtonSpacing;
        else result.TabsLeft += button.Width + ButtonSpacing;
    }
    result.TabsLeft += ButtonToTabSpacing;
    result.TabsRight -= ButtonToTabSpacing;
    return result;
}

std::vector<int> PathBarWidths(const std::vector<TPathItem>& Items, int AreaWidth, int Spacing)
{
    long long fixed = 0;
    int stretching = 0;
    for (const TPathItem& item : Items) {
        if (!item.Visible) continue;
        if (item.Stretch) ++stretching;
        else fixed += Spacing + item.Width;
    }
    if (stretching > 1) fixed += Spacing;
    const long long avail = AreaWidth - fixed;
    std::vector<int> widths;
    widths.reserve(Items.size());
    for (const TPathItem& item : Items) {
        if (!item.Stretch) {
            widths.push_back(item.Width);
            continue;
        }
        const long long share = stretching > 0 ? avail / stretching : avail;
        widths.push_back(int(std::max<long long>(share, item.WidthMin)));
    }
    return widths;
}

int ActionBarHeight(int Count, int Size, int Spacing, int InsetTop, int InsetBottom)
{
    return Count * (Size + Spacing) + InsetTop + InsetBottom - Spacing;
}

int ActionBarFit(int Band, int Size, int Spacing, int InsetTop, int InsetBottom)
{
    const long long step = (long long)Size + Spacing;
    if (step <= 0) return 1;
    const long long room = (long long)Band - InsetTop - InsetBottom + Spacing;
    return int(std::clamp<long long>(room / step, 1, 1 << 20));
}
