#pragma once
// Where the tabs and the items of the bars go, computed from sizes, alignments
// and settings alone, so that every layout can be checked without a window.
// The controls apply the results to their children.

#include "controls/QV_SmartCtrl.h"

#include <vector>

// --- The tab strip ---

struct TTabSlot {
    TAlignSide Align = asLeft;
    bool NewTab = false;  // the new-tab tab, always small
    int Width = 0;        // the width before sizing, kept when there is no room at all
};

struct TTabSizing {
    int Spacing = 2;
    int WidthMin = 26;
    int WidthMax = 150;
    bool SmallLeft = false;
    bool SmallRight = false;
};

// The width of every tab in an area AreaWidth wide. Normal tabs share what the
// small ones leave, up to WidthMax each; when that is short they shrink without
// a lower bound, the first ones taking the pixels the division leaves over.
std::vector<int> TabWidths(const std::vector<TTabSlot>& Tabs, int AreaWidth, const TTabSizing& Sizing);

// The tabs that show and their widths when not every tab can. A normal tab is
// never narrower than WidthMin, where its icon still shows; when the area
// cannot hold them all at that width, a run of consecutive normal tabs as
// long as fits shows (the small tabs always do) and shares the area as
// TabWidths does, and the others are hidden with their widths kept. First is
// the first shown normal tab, counted among the normal tabs; it is kept where
// it can be, moved only as far as needed to show the tab at index Keep (none
// when -1), and brought back so the run ends at the last normal tab at most.
struct TTabFit {
    std::vector<int> Widths;
    std::vector<bool> Shown;
    int First = 0;
    int Hidden = 0;   // normal tabs hidden
    int Spacing = 0;  // the spacing to place them with
};
TTabFit FitTabs(const std::vector<TTabSlot>& Tabs, int AreaWidth, const TTabSizing& Sizing, int First, int Keep);

struct TLineItem {
    TAlignSide Align = asLeft;  // asLeft or asRight; anything else counts as left
    int Width = 0;
    bool Visible = true;
};

struct TLinePlace {
    int X = 0;
    bool Visible = true;
};

// Items in one row between Left and Right: left ones from Left onwards, right
// ones from Right backwards, each after the last visible one of its side with
// Spacing between. Hidden items keep their place and do not push later ones.
std::vector<TLinePlace> PlaceInLine(const std::vector<TLineItem>& Items, int Left, int Right, int Spacing);

// The quick bar's row: as PlaceInLine, but a left item that would reach into
// the right items' room (or past Right) is hidden, as is a right item that
// would start before Left; the first item of each side always shows. A hidden
// item is no predecessor, so a narrower item after it may take its place.
// The visibility of the items on entry only decides what the right items'
// room is.
std::vector<TLinePlace> PlaceQuickBar(const std::vector<TLineItem>& Items, int Left, int Right, int Spacing);

// The strip's buttons and the room left for the tabs between them. Buttons
// that would leave the tabs less than TabsReserve are hidden, the left ones
// from the end first, then the right ones from the end (the leftmost).
struct TStripButtons {
    std::vector<TLinePlace> Places;
    int TabsLeft = 0;
    int TabsRight = 0;
};
TStripButtons PlaceStripButtons(const std::vector<TLineItem>& Buttons, int Left, int Right, int ButtonSpacing,
                                int ButtonToTabSpacing, int TabsReserve = 0);

// The path bar: items of width 0 (stretching) share what the fixed ones leave,
// each at least its minimum; with more than one stretching item one more
// spacing is kept free. Answers the widths.
struct TPathItem {
    bool Stretch = false;
    int Width = 0;     // fixed items; ignored for stretching ones
    int WidthMin = 0;  // stretching items
    bool Visible = true;
};
std::vector<int> PathBarWidths(const std::vector<TPathItem>& Items, int AreaWidth, int Spacing);

// The action bar's height for Count visible items of Size with Spacing
// between, inside the top and bottom insets.
int ActionBarHeight(int Count, int Size, int Spacing, int InsetTop, int InsetBottom);

// How many items of Size with Spacing between fit in a band Band pixels high
// inside the insets; at least one, so a bar never vanishes.
int ActionBarFit(int Band, int Size, int Spacing, int InsetTop, int InsetBottom);
