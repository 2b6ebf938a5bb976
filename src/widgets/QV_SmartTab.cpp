#include "widgets/QV_SmartTab.h"

#include "commands/QV_ActionButton.h"
#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "platform/QV_Report.h"
#include "platform/desktop/QV_TextDraw.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"
#include "widgets/QV_BarItems.h"
#include "widgets/QV_BarLayout.h"
#include "widgets/QV_SmartTip.h"
#include "widgets/QV_WidgetTheme.h"

#include <algorithm>
#include <exception>

namespace {

const char* const Section = "SmartTabs";
const char* const DefaultTabFont = "Name(Sans), Color($000000), Size(10), Bold(0), Italic(0)";
const char* const DefaultButtonFont = "Name(Sans), Color($FFFFFF), Size(10), Bold(0), Italic(0)";
constexpr unsigned CaptionFlags = tfCenter | tfSingleLine | tfVCenter | tfNoPrefix | tfEndEllipsis;

const char* StateImage(TTabState state)
{
    switch (state) {
    case tsHot: return "TabHot";
    case tsActive: return "TabActive";
    case tsHotActive: return "TabHotActive";
    case tsNormal: break;
    }
    return "TabNormal";
}

const char* StateFont(TTabState state)
{
    switch (state) {
    case tsHot: return "Tab.Hot";
    case tsActive: return "Tab.Active";
    case tsHotActive: return "Tab.HotActive";
    case tsNormal: break;
    }
    return "Tab.Normal";
}

const auto& StripSettings() { return Settings().SmartTabs; }

// A length from the settings file as the layout can use it: a damaged file's
// negative or absurd values become none or a screen's worth.
int Px(int value) { return std::clamp(value, 0, 1 << 14); }

// The arrows at both ends of the tabs when some of them are hidden.
constexpr int ScrollMarkWidth = 14;
// The view hands every wheel step to the control under the mouse twice.
constexpr int WheelStep = 2 * 120;

}  // namespace

// --- Tabs ---

TTabRects TabRects(const TSmartRect& Tab)
{
    TTabRects r;
    r.Icon.SetRect(Tab.Left(), Tab.Top(), Tab.Left() + Tab.Height(), Tab.Bottom(), true);
    if (r.Icon.Right() > Tab.Right()) r.Icon.SetRight(Tab.Right());
    if (r.Icon.Bottom() > Tab.Bottom()) r.Icon.SetBottom(Tab.Bottom());
    if (r.Icon.Width() < r.Icon.Height()) {
        const int side = r.Icon.Width();
        r.Icon.SetTop(Tab.Top() + (Tab.Height() - side) / 2);
        r.Icon.SetBottom(r.Icon.Top() + side);
    }
    r.Text.SetRect(r.Icon.Right() + 4, Tab.Top(), Tab.Right() - 2, Tab.Bottom(), true);
    return r;
}

TTabData::TTabData()
{
    SC_ID = MakeID();
    SC_MENU = QStringLiteral("TabMenu");
    SC_ALIGN = asLeft;
    SC_WIDTH = 150;
    SC_HEIGHT = 24;
    UpdateRects();
}

void TTabData::On_Resize(int W, int H)
{
    TSmartCtrl::On_Resize(W, H);
    const TTabRects rects = TabRects(SC_RECT);
    TD_RECT_ICON = rects.Icon;
    TD_RECT_TEXT = rects.Text;
}

void TTabData::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE || !SC_SKIN) return;
    SC_SKIN->DrawImage(QString::fromLatin1(StateImage(TD_STATE)), SC_CANVAS, SC_POS.x(), SC_POS.y(), SC_WIDTH,
                       SC_HEIGHT);
    SC_CANVAS.Font = WidgetFont(SC_SKIN, QString::fromLatin1(StateFont(TD_STATE)), DefaultTabFont);
}

void TTabData::DrawIcon(TBitmap32& Canvas, const QString& IconId)
{
    if (!SC_SKIN || TD_RECT_ICON.Width() <= 4) return;
    // The icons are smaller than the strip: a square a little inside the tab's left end.
    const int side = std::max(0, TD_RECT_ICON.Height() - 8);
    if (side <= 4) return;
    SC_SKIN->DrawImage(IconId, Canvas, TD_RECT_ICON.Left() + (TD_RECT_ICON.Width() - side) / 2 + 2,
                       TD_RECT_ICON.Top() + (TD_RECT_ICON.Height() - side) / 2, side, side);
}

void TTabData::DrawCaption(TBitmap32& Canvas)
{
    if (TD_RECT_TEXT.Width() <= 9 || TD_CAPTION.isEmpty()) return;
    // A lone ellipsis says nothing: a tab too narrow for one letter and the
    // ellipsis shows only its icon.
    const int least = Canvas.TextWidth(TD_CAPTION.left(1) + QChar(0x2026));
    if (TD_RECT_TEXT.Width() < least && Canvas.TextWidth(TD_CAPTION) > TD_RECT_TEXT.Width()) return;
    Canvas.DrawText(TD_RECT_TEXT.Rect(), TD_CAPTION, CaptionFlags);
}

bool TTabData::CaptionCut() const
{
    if (TD_CAPTION.isEmpty()) return false;
    if (TD_RECT_TEXT.Width() <= 9) return true;
    const TFont font = WidgetFont(SC_SKIN, QString::fromLatin1(StateFont(TD_STATE)), DefaultTabFont);
    return MeasureTextWidth(font, TD_CAPTION) > TD_RECT_TEXT.Width();
}

void TTabData::On_Enter(int X, int Y)
{
    TSmartCtrl::On_Enter(X, Y);
    if (TD_STATE == tsActive) TD_STATE = tsHotActive;
    else if (TD_STATE == tsNormal) TD_STATE = tsHot;
    ReDraw();
}

void TTabData::On_Leave(int X, int Y)
{
    TSmartCtrl::On_Leave(X, Y);
    if (TD_STATE == tsHotActive) TD_STATE = tsActive;
    else if (TD_STATE == tsHot) TD_STATE = tsNormal;
    ReDraw();
}

TSmartCtrl* TTabData::TabMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y, const TStringArray& Menus)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
    if (taken != this) return taken;
    THolderHost* host = HolderHost();
    // The id is copied: closing the holder destroys this tab.
    const QString id = SC_ID;
    if (Button == mbLeft) {
        if (TD_SMART_TAB) TD_SMART_TAB->ST_INITIAL = this;
        if (host) host->ActivateHolder(id);
    } else if (Button == mbRight) {
        if (TD_SMART_TAB) TD_SMART_TAB->ST_INITIAL = this;
        if (host) host->PopUpButtonMenu(this, Menus);
    } else if (Button == mbMiddle) {
        // Removes this tab: nothing of it is touched afterwards.
        if (host) host->RemHolder(id);
    }
    return taken;
}

void TFileTab::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    TTabData::On_Paint(SC_CANVAS);
    DrawCaption(SC_CANVAS);
    DrawIcon(SC_CANVAS, QStringLiteral("FileTab"));
}

void TFileTab::On_Enter(int X, int Y)
{
    // The preview first, so the tab turns hot over its own holder.
    if (TD_SMART_TAB) TD_SMART_TAB->Preview(this);
    TTabData::On_Enter(X, Y);
}

TSmartCtrl* TFileTab::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    return TabMouseUp(Button, Shift, X, Y, {QStringLiteral("TabMenu"), QStringLiteral("FileTab")});
}

void TFileTab::On_Update()
{
    TSmartCtrl::On_Update();
    const TDataCore* core = DataCore();
    const QString place = FilePlace(core ? core->Holder_Get(SC_ID) : nullptr);
    if (!place.isEmpty()) TD_CAPTION = DisplayFileName(TabCaption(DisplayName(place)));
}

void TSearchTab::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    TTabData::On_Paint(SC_CANVAS);
    DrawCaption(SC_CANVAS);
    DrawIcon(SC_CANVAS, QStringLiteral("SearchTab"));
}

void TSearchTab::On_Enter(int X, int Y)
{
    TTabData::On_Enter(X, Y);
    if (TD_SMART_TAB) TD_SMART_TAB->Preview(this);
}

TSmartCtrl* TSearchTab::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    return TabMouseUp(Button, Shift, X, Y, {QStringLiteral("TabMenu"), QStringLiteral("SearchTab")});
}

void TSearchTab::On_Update()
{
    TSmartCtrl::On_Update();
    const TDataCore* core = DataCore();
    const TDataHolder* holder = core ? core->Holder_Get(SC_ID) : nullptr;
    const QString searched = holder ? holder->HolderMenuName() : QString();
    TD_CAPTION = searched.isEmpty() ? WidgetText(Section, "Searching", "Searching") : TabCaption(searched);
}

TNewTab::TNewTab()
{
    SC_MENU = QStringLiteral("NewTabMenu");
    TD_CAPTION.clear();
}

void TNewTab::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    TTabData::On_Paint(SC_CANVAS);
    if (!SC_SKIN || TD_RECT_ICON.Width() <= 4) return;
    // Alone on a small tab, the icon sits in its middle.
    const int side = std::max(0, std::min(SC_WIDTH, SC_HEIGHT) - 8);
    if (side <= 4) return;
    SC_SKIN->DrawImage(QStringLiteral("NewTab"), SC_CANVAS, SC_POS.x() + (SC_WIDTH - side) / 2,
                       SC_POS.y() + (SC_HEIGHT - side) / 2, side, side);
}

TSmartCtrl* TNewTab::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
    if (taken != this) return taken;
    if (THolderHost* host = HolderHost()) {
        if (Button == mbLeft) host->AddFileTab(QDrivePath, true);
        else if (Button == mbRight) host->PopUpButtonMenu(this, {SC_MENU});
    }
    return taken;
}

// --- The strip ---

TSmartTab::TSmartTab() : skin_(std::make_unique<TSkinBuffer>())
{
    SC_ID = QStringLiteral("SmartTab");
    ST_TAB_LIST = AddList(QStringLiteral("Tabs"));
    ST_BTN_LIST = AddList(QStringLiteral("Buttons"));
    SC_ALIGN = asTop;
    SC_MENU = QStringLiteral("SmartTabs");
    SC_HEIGHT = Px(StripSettings().Height);
    SC_SKIN = skin_.get();
    LoadTheme();
    loader_ = std::make_unique<TBarItemLoader>(
        this, ST_BTN_LIST, QStringLiteral("SmartTabs.Items"),
        [this](TControlList& items) {
            // Worker: the new buttons are not in the strip yet, so nothing else sees them.
            for (int i = 0; i < items.Count(); ++i) {
                auto* button = dynamic_cast<TActionButton*>(items.Control(i));
                if (!button) continue;
                button->AB_STYLE = IsSmallButton(button) ? dsIcon : dsTile;
                button->SC_SKIN = skin_.get();
                button->SC_OFFSET_LEFT = SC_PARAMS.MarginLeft;
                button->SC_OFFSET_TOP = SC_PARAMS.MarginTop;
                button->SC_OFFSET_RIGHT = SC_PARAMS.MarginRight;
                button->SC_OFFSET_BOTTOM = SC_PARAMS.MarginBottom;
                button->AB_FONT_N = skin_->Font(QStringLiteral("Button.Normal"));
                button->AB_FONT_H = skin_->Font(QStringLiteral("Button.Hot"));
            }
        },
        [this] {
            Update();
            On_Arrange();
            On_Resize(0, 0);
            ReDraw();
        });
    LoadItems();
    if (StripSettings().ShowAddTab) AddNewTab();
}

TSmartTab::~TSmartTab()
{
    // The load ends before the lists and the skin it fills go.
    loader_.reset();
    SC_SKIN = nullptr;
}

void TSmartTab::LoadTheme()
{
    LoadWidgetImages(*skin_, {
                                 {"ControlBack", Section, "Background", "SmartTabs\\ControlBack.png",
                                  "Left(0), Top(0), Right(0), Bottom(0)"},
                                 {"TabNormal", Section, "Tab.Normal", "SmartTabs\\TabNormal.png", ""},
                                 {"TabHot", Section, "Tab.Hot", "SmartTabs\\TabHot.png", ""},
                                 {"TabActive", Section, "Tab.Active", "SmartTabs\\TabActive.png", ""},
                                 {"TabHotActive", Section, "Tab.HotActive", "SmartTabs\\TabHotActive.png", ""},
                                 {"ButtonNormal", Section, "Button.Normal", "SmartTabs\\ButtonNormal.png", ""},
                                 {"ButtonHot", Section, "Button.Hot", "SmartTabs\\ButtonHot.png", ""},
                             });
    for (const char* font : {"Tab.Normal", "Tab.Hot", "Tab.Active", "Tab.HotActive"})
        LoadWidgetFont(*skin_, Section, font, DefaultTabFont);
    for (const char* font : {"Button.Normal", "Button.Hot"}) LoadWidgetFont(*skin_, Section, font, DefaultButtonFont);
    ApplyWorkArea(*this, Section);
    // The buttons' insets: the work area of their background, kept in the scratch record.
    TWorkArea area;
    try {
        area = ReadWorkArea(QStringLiteral("ControlTheme:\\"), QString::fromLatin1(Section),
                            QStringLiteral("Image(Button.Normal)"), QStringLiteral("Left(0), Top(0), Right(0), Bottom(0)"));
    } catch (const std::exception&) {
        ReportCurrentException("Tab strip button area");
    }
    SC_PARAMS.MarginLeft = area.Left;
    SC_PARAMS.MarginTop = area.Top;
    SC_PARAMS.MarginRight = area.Right;
    SC_PARAMS.MarginBottom = area.Bottom;
    for (const char* icon : {"FileTab", "SearchTab", "NewTab"}) {
        const QString file = ResolvePath(QStringLiteral("ButtonsTheme:\\") + QString::fromLatin1(icon) + ".png");
        try {
            TResizeParams params;
            params.ResizeType = rmStretch;
            skin_->LoadImage(QString::fromLatin1(icon), file, params);
        } catch (const std::exception&) {
            ReportCurrentException("Tab icon");
        }
    }
}

void TSmartTab::LoadItems() { loader_->Start(); }

int TSmartTab::ItemLoads() const { return loader_->Loads(); }

bool TSmartTab::IsSmallButton(const TSmartCtrl* Button) const
{
    if (!Button) return false;
    if (Button->SC_ALIGN == asRight) return StripSettings().SmallButtonsRight;
    return Button->SC_ALIGN == asLeft && StripSettings().SmallButtonsLeft;
}

void TSmartTab::AddTab(TTabData* Tab, const QString& ID, TAlignSide Align)
{
    if (!ID.isEmpty()) Tab->SC_ID = ID;
    Tab->SC_PARENT = this;
    Tab->TD_SMART_TAB = this;
    Tab->SC_ALIGN = Align;
    Tab->SC_SKIN = skin_.get();
    const int index = GetNextTabIDX();
    ST_TAB_LIST->AddControl(Tab);
    // Behind the tabs before the new-tab tab, so that one stays last.
    for (int i = ST_TAB_LIST->Count() - 1; i > index; --i) {
        std::unique_ptr<TSmartCtrl> moved = ST_TAB_LIST->Take(index);
        ST_TAB_LIST->AddControl(moved.release());
    }
    // Not shown active: a holder may be added behind the one on screen (the
    // last session), and the view marks the tab it activates.
    Tab->Update();
    ArrangeTabs();
    ReDraw();
}

void TSmartTab::AddFileTab(const QString& ID)
{
    if (GetTabIDX(ID) >= 0) return;
    AddTab(new TFileTab, ID, asLeft);
}

void TSmartTab::AddSearchTab(const QString& ID)
{
    if (GetTabIDX(ID) >= 0) return;
    AddTab(new TSearchTab, ID, asRight);
}

void TSmartTab::AddNewTab() { AddTab(new TNewTab, QString(), asLeft); }

int TSmartTab::GetNextTabIDX() const
{
    for (int i = 0; i < ST_TAB_LIST->Count(); ++i)
        if (ST_TAB_LIST->Control(i)->ClassIs<TNewTab>()) return i;
    return ST_TAB_LIST->Count();
}

void TSmartTab::RemoveTab(const QString& ID) { RemoveTab(GetTabIDX(ID)); }

void TSmartTab::RemoveTab(int IDX)
{
    if (IDX < 0 || IDX >= ST_TAB_LIST->Count()) return;
    ST_INITIAL = nullptr;
    RemoveChild(ST_TAB_LIST, IDX);
    ArrangeTabs();
    On_Resize(0, 0);
    ReDraw();
}

int TSmartTab::GetTabIDX(const QString& ID) const
{
    for (int i = 0; i < ST_TAB_LIST->Count(); ++i)
        if (ST_TAB_LIST->Control(i)->SC_ID == ID) return i;
    return -1;
}

TTabData* TSmartTab::GetTabData(int IDX) const { return static_cast<TTabData*>(ST_TAB_LIST->Control(IDX)); }

void TSmartTab::SetActive(const QString& ID, bool Initial) { SetActive(GetTabIDX(ID), Initial); }

void TSmartTab::SetActive(int IDX, bool Initial)
{
    TTabData* chosen = GetTabData(IDX);
    if (!chosen) return;
    for (int i = 0; i < ST_TAB_LIST->Count(); ++i) {
        TTabData* tab = GetTabData(i);
        tab->TD_ACTIVE = false;
        tab->TD_STATE = tsNormal;
    }
    chosen->TD_ACTIVE = true;
    chosen->TD_STATE = tsActive;
    if (!chosen->SC_VISIBLE) PlaceTabs(IDX);
    // Whatever the user activates otherwise than by hovering (a click, a key,
    // a new tab) is where a preview returns to.
    if (Initial || !previewing_) ST_INITIAL = chosen;
    ReDraw();
}

void TSmartTab::Preview(TTabData* Tab)
{
    if (!Tab || !StripSettings().TabPreview || Tab->TD_ACTIVE) return;
    THolderHost* host = HolderHost();
    if (!host) return;
    previewing_ = true;
    host->ActivateHolder(Tab->SC_ID);
    previewing_ = false;
}

void TSmartTab::CalculateSize() { FitTabs(-1); }

void TSmartTab::FitTabs(int Keep)
{
    // The arrows' room is taken anew on every fit.
    if (marksTaken_) {
        ST_TABS_RECT.SetLeft(ST_TABS_RECT.Left() - ScrollMarkWidth);
        ST_TABS_RECT.SetRight(ST_TABS_RECT.Right() + ScrollMarkWidth);
        marksTaken_ = false;
    }
    std::vector<TTabSlot> tabs;
    for (int i = 0; i < ST_TAB_LIST->Count(); ++i) {
        const TTabData* tab = GetTabData(i);
        tabs.push_back({tab->SC_ALIGN, tab->ClassIs<TNewTab>(), tab->SC_WIDTH});
    }
    const auto& s = StripSettings();
    const TTabSizing sizing{Px(s.TabSpacing), Px(s.TabWidthMin), Px(s.TabWidthMax), bool(s.SmallTabsLeft),
                            bool(s.SmallTabsRight)};
    TTabFit fit = ::FitTabs(tabs, ST_TABS_RECT.Width(), sizing, first_, Keep);
    if (fit.Hidden > 0) {
        // Room for the arrows that tell of the hidden tabs and scroll to them.
        ST_TABS_RECT.SetLeft(ST_TABS_RECT.Left() + ScrollMarkWidth);
        ST_TABS_RECT.SetRight(ST_TABS_RECT.Right() - ScrollMarkWidth);
        marksTaken_ = true;
        fit = ::FitTabs(tabs, ST_TABS_RECT.Width(), sizing, first_, Keep);
    }
    first_ = fit.First;
    hidden_ = fit.Hidden;
    tabSpacing_ = fit.Spacing;
    for (int i = 0; i < ST_TAB_LIST->Count(); ++i) {
        TTabData* tab = GetTabData(i);
        tab->SC_WIDTH = fit.Widths[size_t(i)];
        tab->SC_HEIGHT = ST_TABS_RECT.Height();
        tab->SC_VISIBLE = fit.Shown[size_t(i)];
    }
}

void TSmartTab::ArrangeTabs()
{
    // The active tab stays in view; only scrolling moves the run away from it.
    int active = -1;
    for (int i = 0; i < ST_TAB_LIST->Count() && active < 0; ++i)
        if (GetTabData(i)->TD_ACTIVE) active = i;
    PlaceTabs(active);
}

void TSmartTab::PlaceTabs(int Keep)
{
    FitTabs(Keep);
    std::vector<TLineItem> items;
    for (int i = 0; i < ST_TAB_LIST->Count(); ++i) {
        const TTabData* tab = GetTabData(i);
        items.push_back({tab->SC_ALIGN, tab->SC_WIDTH, tab->SC_VISIBLE});
    }
    const std::vector<TLinePlace> places =
        PlaceInLine(items, ST_TABS_RECT.Left(), ST_TABS_RECT.Right(), tabSpacing_);
    for (int i = 0; i < ST_TAB_LIST->Count(); ++i) {
        TTabData* tab = GetTabData(i);
        tab->SC_POS = QPoint(places[size_t(i)].X, ST_TABS_RECT.Top());
        tab->On_Resize(0, 0);
    }
}

void TSmartTab::ScrollTabs(int Steps)
{
    if (!hidden_ || !Steps) return;
    first_ = std::clamp(first_ + Steps, 0, hidden_);
    PlaceTabs(-1);
    ReDraw();
}

void TSmartTab::ArrangeBtns()
{
    const TSmartRect r = SC_RECT;
    ST_TABS_RECT = r;
    marksTaken_ = false;
    std::vector<TLineItem> items;
    const auto& s = StripSettings();
    for (int i = 0; i < ST_BTN_LIST->Count(); ++i) {
        TSmartCtrl* button = ST_BTN_LIST->Control(i);
        if (auto* action = dynamic_cast<TActionButton*>(button)) {
            button->SC_HEIGHT = r.Height();
            if (IsSmallButton(button)) {
                button->SC_WIDTH = r.Height();
            } else {
                const TFont font = WidgetFont(skin_.get(), QStringLiteral("Tab.Normal"), DefaultTabFont);
                button->SC_WIDTH = std::min(MeasureTextWidth(font, action->AB_CAPTION) + r.Height() + 10,
                                            Px(s.ButtonWidthMax));
            }
        }
        button->SC_WIDTH = std::max(0, button->SC_WIDTH);
        // Every button is a candidate again: one hidden for want of room comes
        // back when the strip is wide enough.
        items.push_back({button->SC_ALIGN, button->SC_WIDTH, true});
    }
    // The tabs keep room for one tab and the new-tab tab.
    const int reserve = 2 * (Px(s.TabWidthMin) + Px(s.TabSpacing));
    const TStripButtons placed =
        PlaceStripButtons(items, r.Left(), r.Right(), Px(s.ButtonSpacing), Px(s.ButtonToTabSpacing), reserve);
    for (int i = 0; i < ST_BTN_LIST->Count(); ++i) {
        TSmartCtrl* button = ST_BTN_LIST->Control(i);
        button->SC_VISIBLE = placed.Places[size_t(i)].Visible;
        if (!button->SC_VISIBLE) continue;
        int y = r.Top();
        if (button->SC_FIT_MODE == fmWidth || button->SC_FIT_MODE == fmNone) y += (r.Height() - button->SC_HEIGHT) / 2;
        button->SC_POS = QPoint(placed.Places[size_t(i)].X, y);
        button->On_Resize(0, 0);
    }
    if (!ST_BTN_LIST->Count()) return;
    ST_TABS_RECT.SetLeft(placed.TabsLeft);
    ST_TABS_RECT.SetRight(placed.TabsRight);
}

void TSmartTab::On_Arrange()
{
    ArrangeBtns();
    ArrangeTabs();
}

void TSmartTab::On_Resize(int W, int H)
{
    SC_HEIGHT = Px(StripSettings().Height);
    TSmartCtrl::On_Resize(W, H);
}

TSmartCtrl* TSmartTab::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
    if (taken != this) return taken;
    if (Button == mbRight) {
        if (THolderHost* host = HolderHost()) host->PopUpMenu(X, Y, {SC_MENU});
    } else if (Button == mbLeft && marksTaken_ && Y >= ST_TABS_RECT.Top() && Y < ST_TABS_RECT.Bottom()) {
        if (X >= ST_TABS_RECT.Left() - ScrollMarkWidth && X < ST_TABS_RECT.Left()) ScrollTabs(-1);
        else if (X >= ST_TABS_RECT.Right() && X < ST_TABS_RECT.Right() + ScrollMarkWidth) ScrollTabs(1);
    }
    return taken;
}

TSmartCtrl* TSmartTab::On_MouseWheel(TWMMouseWheel& Msg)
{
    if (!SC_VISIBLE) return nullptr;
    wheel_ += Msg.WheelDelta;
    const int steps = wheel_ / WheelStep;
    wheel_ -= steps * WheelStep;
    // Turning the wheel away from oneself goes back towards the first tab.
    ScrollTabs(-steps);
    return this;
}

void TSmartTab::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    TSmartCtrl::On_Paint(SC_CANVAS);
    if (!marksTaken_) return;
    SC_CANVAS.Font = WidgetFont(skin_.get(), QStringLiteral("Tab.Normal"), DefaultTabFont);
    const int top = ST_TABS_RECT.Top(), height = ST_TABS_RECT.Height();
    if (first_ > 0)
        SC_CANVAS.DrawText(QRect(ST_TABS_RECT.Left() - ScrollMarkWidth, top, ScrollMarkWidth, height), QString(QChar(0x2039)),
                           CaptionFlags);
    if (first_ < hidden_)
        SC_CANVAS.DrawText(QRect(ST_TABS_RECT.Right(), top, ScrollMarkWidth, height), QString(QChar(0x203A)), CaptionFlags);
}

void TSmartTab::Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y)
{
    TSmartCtrl::Item_Enter(SmartCtrl, X, Y);
    if (SmartCtrl && ST_BTN_LIST->IndexOf(SmartCtrl) >= 0 && IsSmallButton(SmartCtrl))
        if (auto* button = dynamic_cast<TActionButton*>(SmartCtrl))
            if (TSmartTip* tip = SmartTip()) tip->PopUp(button, button->AB_CAPTION);
    // A tab too narrow for its caption tells it as a tip, as a small button does.
    if (SmartCtrl && ST_TAB_LIST->IndexOf(SmartCtrl) >= 0)
        if (auto* tab = dynamic_cast<TTabData*>(SmartCtrl); tab && tab->CaptionCut())
            if (TSmartTip* tip = SmartTip()) tip->PopUp(tab, tab->TD_CAPTION);
}

void TSmartTab::Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y)
{
    TSmartCtrl::Item_Leave(SmartCtrl, X, Y);
    if (SmartCtrl)
        if (TSmartTip* tip = SmartTip()) tip->PopDown();
}

void TSmartTab::On_Leave(int X, int Y)
{
    TSmartCtrl::On_Leave(X, Y);
    if (TSmartTip* tip = SmartTip()) tip->PopDown();
    // The preview ends where the user last chose.
    if (StripSettings().TabPreview && !StripSettings().StickTabPreview && ST_INITIAL && !ST_INITIAL->TD_ACTIVE)
        if (THolderHost* host = HolderHost()) host->ActivateHolder(QString(ST_INITIAL->SC_ID));
}

void TSmartTab::EventNotify(const QString& ID)
{
    TSmartCtrl::EventNotify(ID);
    if (ID == QLatin1String("FolderChanged")) {
        ST_TAB_LIST->Force_On_Update();
        ReDraw();
    }
}
