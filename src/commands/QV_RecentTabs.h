#pragma once
// The recently closed folder tabs: a button that shows them as a menu, one
// item button per closed tab (its folder's name, its path and an icon), and a
// button that forgets them. The list is the "RecentTabs" section of the
// settings file, which the data core writes when a tab closes.

#include "commands/QV_ActionButton.h"

class TBRecentTabs : public TActionButton {
    QV_SMART_CLASS(TBRecentTabs, TActionButton)
public:
    // Left: the menu of closed tabs (nothing when there are none); right: also
    // the "Recent.Tabs.Menu" menu.
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

class TBRecentTabItem : public TActionButton {
    QV_SMART_CLASS(TBRecentTabItem, TActionButton)
public:
    TSmartRect NameRect;
    TSmartRect PathRect;
    TSmartRect IconRect;

    // The base, then the place from "Path", captioned by its last component.
    void SetParams(const TParamString& Params) override;
    // At least 32 pixels high: two lines of text.
    void On_SetHeight(int Value) override;
    void On_Resize(int W, int H) override;
    void On_DrawImage(TBitmap32& Dest, int X, int Y, int W, int H) override;
    // The name, and below it the place with the middle of the path cut.
    void On_DrawText(TBitmap32& Dest, const TSmartRect& Rect, const QString& Text) override;
    // Left: the place in a new tab; middle: in the current tab.
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    QString AccessibleName() const override { return AB_CAPTION + QStringLiteral(", ") + AB_P1; }

protected:
    bool KeepsPicture() const override { return false; }  // draws in rectangles of its own
};

class TBRecentTabsClear : public TActionButton {
    QV_SMART_CLASS(TBRecentTabsClear, TActionButton)
public:
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// The rectangles of a recent-tab item in its work area, for an icon of the
// given side.
struct TRecentItemRects {
    TSmartRect Icon;
    TSmartRect Name;
    TSmartRect Path;
};
TRecentItemRects RecentItemRects(const TSmartRect& Work, int IconSide);
