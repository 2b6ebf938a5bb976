#pragma once
// The tab strip along the top of the window, "SmartTab": one tab per open
// folder or search, named by its holder's identifier, the new-tab tab behind
// the folder tabs, and the buttons of the "SmartTabs.Items" section on both
// sides. The data core adds tabs as holders come, the view activates and
// removes them. A left click activates a tab's holder, the middle button closes
// it, the right button pops up the tab's menus with the tab as their sender;
// hovering a tab can preview its holder until the mouse leaves the strip.

#include "controls/QV_SmartCtrl.h"
#include "data/QV_HolderHost.h"

#include <memory>

class TBarItemLoader;
class TSmartTab;

enum TTabState { tsNormal, tsHot, tsActive, tsHotActive };

class TTabData : public TSmartCtrl {
    QV_SMART_CLASS(TTabData, TSmartCtrl)
public:
    TTabData();

    QString TD_CAPTION = QStringLiteral("Hi!");
    bool TD_ACTIVE = false;
    TTabState TD_STATE = tsNormal;
    TSmartRect TD_RECT_ICON;
    TSmartRect TD_RECT_TEXT;
    TSmartTab* TD_SMART_TAB = nullptr;

    void On_Paint(TBitmap32& SC_CANVAS) override;
    void On_Enter(int X, int Y) override;
    void On_Leave(int X, int Y) override;
    void On_Resize(int W, int H) override;
    // The caption does not show whole: the tab is too narrow for it.
    bool CaptionCut() const;

protected:
    // The skin's icon of that name in TD_RECT_ICON, when the square is wide enough.
    void DrawIcon(TBitmap32& Canvas, const QString& IconId);
    void DrawCaption(TBitmap32& Canvas);
    // A left or right release on the tab itself: the common part of the kinds.
    TSmartCtrl* TabMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y, const TStringArray& Menus);
};

// The icon square and the caption rectangle of a tab's rectangle.
struct TTabRects {
    TSmartRect Icon;
    TSmartRect Text;
};
TTabRects TabRects(const TSmartRect& Tab);

class TFileTab : public TTabData {
    QV_SMART_CLASS(TFileTab, TTabData)
public:
    void On_Paint(TBitmap32& SC_CANVAS) override;
    void On_Enter(int X, int Y) override;
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void On_Update() override;
};

class TSearchTab : public TTabData {
    QV_SMART_CLASS(TSearchTab, TTabData)
public:
    void On_Paint(TBitmap32& SC_CANVAS) override;
    void On_Enter(int X, int Y) override;
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void On_Update() override;
};

class TNewTab : public TTabData {
    QV_SMART_CLASS(TNewTab, TTabData)
public:
    TNewTab();
    void On_Paint(TBitmap32& SC_CANVAS) override;
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

class TSmartTab : public TSmartCtrl, public TSmartTabApi, public TItemsBarApi {
    QV_SMART_CLASS(TSmartTab, TSmartCtrl)
public:
    TSmartTab();
    ~TSmartTab() override;

    TControlList* ST_TAB_LIST = nullptr;
    TControlList* ST_BTN_LIST = nullptr;
    TTabData* ST_INITIAL = nullptr;  // the tab the user chose last
    TSmartRect ST_TABS_RECT;

    void LoadTheme();
    void LoadItems() override;
    // The buttons' load has ended at least Count times (for the tests).
    int ItemLoads() const;

    // --- TSmartTabApi ---
    void AddFileTab(const QString& ID) override;
    void AddSearchTab(const QString& ID) override;
    void RemoveTab(const QString& ID) override;
    void SetActive(const QString& ID, bool Initial) override;

    void AddNewTab();
    int GetNextTabIDX() const;
    void RemoveTab(int IDX);
    int GetTabIDX(const QString& ID) const;
    TTabData* GetTabData(int IDX) const;
    void SetActive(int IDX, bool Initial);
    void ArrangeTabs();
    void ArrangeBtns();
    void CalculateSize();
    // A button is drawn small (a square icon with its caption as a tip).
    bool IsSmallButton(const TSmartCtrl* Button) const;
    // What a hovered tab does with "TabPreview" on.
    void Preview(TTabData* Tab);
    // When the tabs do not all fit, the run that shows moves by Steps tabs
    // (towards the end when positive).
    void ScrollTabs(int Steps);
    // Normal tabs hidden because the strip is too narrow for them, and those
    // of them before the first shown one.
    int HiddenTabs() const { return hidden_; }
    int HiddenBefore() const { return first_; }

    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_MouseWheel(TWMMouseWheel& Msg) override;
    void On_Paint(TBitmap32& SC_CANVAS) override;
    void Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y) override;
    void Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y) override;
    void On_Leave(int X, int Y) override;
    void On_Resize(int W, int H) override;
    void On_Arrange() override;
    void EventNotify(const QString& ID) override;

private:
    void AddTab(TTabData* Tab, const QString& ID, TAlignSide Align);

    // Sizes the tabs; Keep is the index of a tab that must be shown, or -1.
    void FitTabs(int Keep);
    // Places the tabs after fitting them.
    void PlaceTabs(int Keep);

    bool previewing_ = false;
    int first_ = 0;   // the first normal tab shown when not all fit
    int hidden_ = 0;  // normal tabs that do not fit
    int wheel_ = 0;   // wheel turns not yet made into steps
    int tabSpacing_ = 0;
    bool marksTaken_ = false;  // ST_TABS_RECT has given room to the arrows

    std::unique_ptr<TSkinBuffer> skin_;
    std::unique_ptr<TBarItemLoader> loader_;
};
