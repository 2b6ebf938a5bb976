#include "widgets/QV_BarLayout.h"

#include <algorithm>
#include <climits>

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

TTabFit FitTabs(const std::vector<TTabSlot>& Tabs, int AreaWidth, const TTabSizing& Given, int First, int Keep)
{
    TTabFit fit;
    fit.Shown.assign(Tabs.size(), true);
    // A least width or spacing so large that not even one tab and the new-tab
    // tab fit (a damaged settings file) is cut down to what does.
    TTabSizing Sizing = Given;
    if (AreaWidth > 0) {
        Sizing.Spacing = std::min(Sizing.Spacing, AreaWidth / 4);
        Sizing.WidthMin = std::min(Sizing.WidthMin, std::max(0, AreaWidth / 2 - Sizing.Spacing));
    }
    fit.Spacing = Sizing.Spacing;
    std::vector<size_t> normal;
    long long smallRoom = 0;
    const long long widthMin = std::max(0, Sizing.WidthMin);
    const long long spacing = std::max(0, Sizing.Spacing);
    for (size_t i = 0; i < Tabs.size(); ++i) {
        const TTabSlot& tab = Tabs[i];
        if (tab.NewTab || (IsRight(tab.Align) && Sizing.SmallRight)) smallRoom += widthMin + spacing;
        else normal.push_back(i);
    }
    const long long m = (long long)normal.size();
    // How many normal tabs the area holds at the least width; one at least, so
    // the active tab never vanishes from a window too narrow for it.
    long long room = m;
    if (widthMin + spacing > 0) room = std::max(0LL, ((long long)AreaWidth - smallRoom) / (widthMin + spacing));
    const long long shown = std::clamp(room, std::min(1LL, m), m);
    if (shown >= m) {
        fit.Widths = TabWidths(Tabs, AreaWidth, Sizing);
        return fit;
    }
    long long first = std::max(0, First);
    if (Keep >= 0) {
        const auto at = std::find(normal.begin(), normal.end(), size_t(Keep));
        if (at != normal.end()) {
            const long long place = at - normal.begin();
            if (place < first) first = place;
            else if (place >= first + shown) first = place - shown + 1;
        }
    }
    first = std::clamp(first, 0LL, m - shown);
    fit.First = int(first);
    fit.Hidden = int(m - shown);
    std::vector<TTabSlot> visible;
    std::vector<size_t> where;
    for (size_t i = 0, n = 0; i < Tabs.size(); ++i) {
        const bool isNormal = n < normal.size() && normal[n] == i;
        if (isNormal) {
            const long long place = (long long)n++;
            fit.Shown[i] = place >= first && place < first + shown;
        }
        if (!fit.Shown[i]) continue;
        visible.push_back(Tabs[i]);
        where.push_back(i);
    }
    fit.Widths.reserve(Tabs.size());
    for (const TTabSlot& tab : Tabs) fit.Widths.push_back(tab.Width);
    const std::vector<int> widths = TabWidths(visible, AreaWidth, Sizing);
    // A lone tab in an area too narrow even for it keeps the least width.
    for (size_t v = 0; v < where.size(); ++v) fit.Widths[where[v]] = std::max<int>(widths[v], int(widthMin));
    return fit;
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
                                int ButtonToTabSpacing, int TabsReserve)
{
    TStripButtons result;
    result.TabsLeft = Left;
    result.TabsRight = Right;
    if (Buttons.empty()) return result;
    // A spacing larger than the strip can spare (a damaged settings file) is cut down.
    ButtonToTabSpacing = std::clamp(ButtonToTabSpacing, 0, int(std::max(0LL, ((long long)Right - Left) / 4)));
    // Every button that is not hidden takes its width and a spacing from the
    // tabs' room; while that room is short of the reserve, the last shown
    // left button goes, then the last shown right one.
    std::vector<bool> shown;
    long long taken[2] = {0, 0};
    for (const TLineItem& button : Buttons) {
        shown.push_back(button.Visible);
        if (button.Visible) taken[IsRight(button.Align)] += (long long)std::max(0, button.Width) + ButtonSpacing;
    }
    const long long room = (long long)Right - Left - 2LL * ButtonToTabSpacing - std::max(0, TabsReserve);
    for (bool right : {false, true})
        for (size_t i = Buttons.size(); i-- > 0 && taken[0] + taken[1] > room;) {
            if (!shown[i] || IsRight(Buttons[i].Align) != right) continue;
            shown[i] = false;
            taken[right] -= (long long)std::max(0, Buttons[i].Width) + ButtonSpacing;
        }
    std::vector<TLineItem> line = Buttons;
    for (size_t i = 0; i < line.size(); ++i) line[i].Visible = shown[i];
    result.Places = PlaceInLine(line, Left, Right, ButtonSpacing);
    result.TabsLeft = int(std::clamp<long long>((long long)Left + taken[0] + ButtonToTabSpacing, INT_MIN, INT_MAX));
    result.TabsRight = int(std::clamp<long long>((long long)Right - taken[1] - ButtonToTabSpacing, INT_MIN, INT_MAX));
    return result;
}

std::vector<int> PathBarWidths(const std::vector<TPathItem>& Items, int AreaWidth, int Spacing)
{
    long long fixed = 0;
    int stretching = 0;
    for (const TPathItem& item : Items) {
        if (!item.Visible) continue;
        if (item.Stretch) ++stretching;
        else fixed += Spacing + std::max(0, item.Width);
    }
    if (stretching > 1) fixed += Spacing;
    const long long avail = AreaWidth - fixed;
    std::vector<int> widths;
    widths.reserve(Items.size());
    for (const TPathItem& item : Items) {
        if (!item.Stretch) {
            widths.push_back(std::max(0, item.Width));
            continue;
        }
        const long long share = stretching > 0 ? avail / stretching : avail;
        widths.push_back(int(std::clamp<long long>(share, std::max(0, item.WidthMin), INT_MAX)));
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
