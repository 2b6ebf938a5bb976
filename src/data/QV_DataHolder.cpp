#include "data/QV_DataHolder.h"

#include "controls/QV_CtrlManager.h"
#include "controls/QV_HotTracking.h"
#include "controls/QV_Repaint.h"
#include "data/QV_HolderHost.h"
#include "data/QV_ItemDisposal.h"
#include "data/QV_ShellBridge.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_Utils.h"
#include "platform/QV_Threads.h"
#include "platform/desktop/QV_Clipboard.h"
#include "platform/desktop/QV_Launch.h"
#include "platform/desktop/QV_TextDraw.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/image/QV_Bitmap32.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

bool ApplicationClosing() { return QCoreApplication::closingDown(); }

void NotifyControls()
{
    if (TCtrlManager* manager = CtrlManager()) manager->Control_Update();
}

bool Suppressed(const TFileData& data)
{
    return (data.FD_HIDDEN && Settings().Browsing.HideHidden) || (data.FD_SYSTEM && Settings().Browsing.HideSystem);
}

bool OpensAsFolder(const TItemData* item)
{
    return dynamic_cast<const TFolderItem*>(item) || dynamic_cast<const TDeviceItem*>(item);
}

qint64 SteadyNow()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

// The pixels of one wheel notch per unit of the WheelScroll setting.
constexpr int WheelNotchUnits = 35;

std::optional<TNavMove> NavMoveOf(TKeyCode key)
{
    switch (key) {
    case VK_LEFT: return TNavMove::nmLeft;
    case VK_RIGHT: return TNavMove::nmRight;
    case VK_UP: return TNavMove::nmUp;
    case VK_DOWN: return TNavMove::nmDown;
    case VK_HOME: return TNavMove::nmHome;
    case VK_END: return TNavMove::nmEnd;
    case VK_PRIOR: return TNavMove::nmPageUp;
    case VK_NEXT: return TNavMove::nmPageDown;
    default: return std::nullopt;
    }
}

} // namespace

TDataHolder::TDataHolder()
    : DH_BUTTON_STATE(std::make_unique<TButtonState>()),
      TaskManager(std::make_unique<TTaskManager>()),
      DH_ID(QStringLiteral("Holder") + MakeID()),
      DH_FOLDER_THEME(std::make_unique<TFolderTheme>()),
      DH_THREAD_ICONS_G(std::make_unique<TSmartTask>()),
      DH_THREAD_ICONS_S(std::make_unique<TSmartTask>()),
      DH_THREAD_ICONS_R(std::make_unique<TSmartTask>()),
      DH_THREAD_CLEAR_C(std::make_unique<TSmartTask>())
{
}

TDataHolder::~TDataHolder()
{
    TDataHolder::StopThreads();
    // Each waits for its runs, so no worker outlives the items it reads.
    TaskManager.reset();
    DH_THREAD_ICONS_G.reset();
    DH_THREAD_ICONS_S.reset();
    DH_THREAD_ICONS_R.reset();
    DH_THREAD_CLEAR_C.reset();
}

TLayoutMargins& TDataHolder::Margins()
{
    static TLayoutMargins margins;
    return margins;
}

// --- Painting ---

void TDataHolder::On_Paint(TBitmap32& DH_CANVAS)
{
    PaintBackground(DH_CANVAS);
    if (DH_CANDRAW.load()) {
        const auto [first, last] = ItemWindow(DH_ITEMS, layoutIndex_, DH_SCROLL_POS, DH_SCROLL_POS + DH_HEIGHT);
        for (size_t i = first; i < last; ++i) {
            TItemData& item = *DH_ITEMS[i];
            const int top = item.ID_POS.y() - DH_SCROLL_POS;
            if (item.ID_VISIBLE && top <= DH_HEIGHT && top + item.ID_HEIGHT >= 0)
                item.On_Paint(this, DH_CANVAS, item.ItemRect(this));
        }
        DrawEmptyText(DH_CANVAS);
        DrawFocus(DH_CANVAS);
    }
    DrawSelRect(DH_CANVAS);
}

void TDataHolder::DrawEmptyText(TBitmap32& Canvas)
{
    if (!DH_TEXT_QFILTER.isEmpty()) return;
    // Stops at the first item shown, which in a full folder is the first one.
    for (const auto& item : DH_ITEMS)
        if (item->ID_VISIBLE && !item->IsGroup()) return;
    const QString text = EmptyText();
    if (text.isEmpty()) return;
    const TLayoutMargins& margins = Margins();
    const QRect area(margins.Left, margins.Top, DH_WIDTH - margins.Left - LayoutMarginRight,
                     DH_HEIGHT - margins.Top - margins.BottomReserve);
    Canvas.Font = DH_FOLDER_THEME->FT_FONT_NORMAL;
    Canvas.DrawText(area, text, tfCenter | tfVCenter | tfWordBreak | tfNoPrefix);
}

void TDataHolder::DrawFocus(TBitmap32& Canvas)
{
    if (!focusShown_ || !focus_ || !focus_->ID_VISIBLE) return;
    Canvas.FrameRect(focus_->ItemRect(this).adjusted(-2, -2, 2, 2), Argb(255, 106, 165, 230), TDrawMode::dmBlend);
}

// Straight onto the canvas rather than through a window-sized copy kept per
// holder: each frame fills the window once instead of three times, and a
// start touches one large buffer less.
void TDataHolder::PaintBackground(TBitmap32& Canvas) const
{
    const TFolderTheme& theme = *DH_FOLDER_THEME;
    const QRect area(DH_POS, QSize(std::max(DH_WIDTH, 0), std::max(DH_HEIGHT, 0)));
    const bool picture = DH_HEIGHT > 0 && DH_WIDTH > 0 && !theme.FT_BACK_SOURCE.Empty();
    if (!picture || !area.contains(Canvas.BoundsRect()))
        Canvas.FillRect(Canvas.BoundsRect(), ToColor32(theme.FT_BACK_COLOR), TDrawMode::dmOpaque);
    if (!picture) return;
    // The holder's area is white where the picture leaves it free.
    Canvas.FillRect(area, 0xFFFFFFFF, TDrawMode::dmOpaque);
    const int w = theme.FT_BACK_SOURCE.Width(), h = theme.FT_BACK_SOURCE.Height();
    QPoint at;
    switch (theme.FT_BACK_ALIGN) {
    case asTopLeft: at = QPoint(0, 0); break;
    case asTopRight: at = QPoint(DH_WIDTH - w, DH_POS.y()); break;
    case asBottLeft: at = QPoint(DH_POS.x(), DH_HEIGHT - h); break;
    case asBottRight: at = QPoint(DH_WIDTH - w, DH_HEIGHT - h); break;
    case asStretch: return;
    }
    const QRect placed = QRect(area.topLeft() + at, QSize(w, h)).intersected(area);
    if (placed.isEmpty()) return;
    TBitmap32 source = theme.FT_BACK_SOURCE;  // shares the pixels
    source.DrawMode = TDrawMode::dmOpaque;
    Canvas.Draw(placed, placed.translated(-(area.topLeft() + at)), source);
}

void TDataHolder::DrawSelRect(TBitmap32& SR_CANVAS)
{
    if (!DH_SELECTING) return;
    const QRect band = DH_SEL_RECT.Rect();
    SR_CANVAS.FillRect(band, Argb(50, 106, 165, 230), TDrawMode::dmBlend);
    SR_CANVAS.FrameRect(band, Argb(255, 106, 165, 230), TDrawMode::dmBlend);
}

void TDataHolder::ReDraw()
{
    if (DH_VISIBLE) RequestRepaint();
}

// --- Layout ---

void TDataHolder::Arrange()
{
    TLayoutMargins& margins = Margins();
    if (TCtrlManager* manager = CtrlManager()) {
        if (TSmartCtrl* bar = manager->GetControlData(QStringLiteral("ActionBar")))
            margins.Left = bar->SC_POS.x() + bar->SC_WIDTH + 15;
        if (TSmartCtrl* bar = manager->GetControlData(QStringLiteral("QuickBar")))
            margins.Top = bar->SC_POS.y() + bar->SC_HEIGHT + 15;
        if (TSmartCtrl* bar = manager->GetControlData(QStringLiteral("PathBar"))) margins.BottomReserve = bar->SC_HEIGHT;
    }
    layoutIndex_ = ArrangeItems(DH_ITEMS, DH_POS, DH_WIDTH, margins, &ApplicationClosing);
    EndUpdate();
    CalcScroll();
    RequestRepaint();
}

void TDataHolder::CalcScroll()
{
    DH_SCROLL_MAX = 0;
    if (DH_ITEMS.empty() || !DH_CANDRAW.load()) return;
    DH_SCROLL_MAX = ScrollMaxFor(DH_ITEMS, DH_HEIGHT, Margins());
    DH_SCROLL_POS = std::max(std::min(DH_SCROLL_POS, DH_SCROLL_MAX), DH_SCROLL_MIN);
    NotifyControls();
}

void TDataHolder::QuickFilter(const QString& Text)
{
    // A longer text that contains the old one can only hide more: the items
    // hidden already stay hidden untested.
    const bool narrowing = !DH_TEXT_QFILTER.isEmpty() && Text.contains(DH_TEXT_QFILTER, Qt::CaseInsensitive);
    // Kept even for an empty folder, so the field shows what was typed.
    DH_TEXT_QFILTER = Text;
    if (DH_ITEMS.empty()) return;
    const QString needle = Text.toLower();
    bool changed = false;
    for (const auto& item : DH_ITEMS) {
        if (item->IsGroup() || Suppressed(item->ID_FILE_DATA)) continue;
        if (narrowing && !item->ID_VISIBLE) continue;
        const bool visible = ContainsNoCase(item->ID_FILE_DATA.FD_NAME, needle);
        changed = changed || visible != item->ID_VISIBLE;
        item->ID_VISIBLE = visible;
    }
    // The first letters typed often hide nothing: the layout then stands.
    if (changed) Arrange();
    else RequestRepaint();
}

bool TDataHolder::SelectAndShow(const QString& Name)
{
    for (const auto& item : DH_ITEMS) {
        if (!item->ID_VISIBLE || item->IsGroup() || item->ID_FILE_DATA.FD_NAME != Name) continue;
        DeselectAll();
        item->Select();
        const int margin = Margins().Top;
        if (item->ID_POS.y() - DH_SCROLL_POS < margin || item->ID_POS.y() + item->ID_HEIGHT - DH_SCROLL_POS > DH_HEIGHT)
            ScrollBy(item->ID_POS.y() - margin - DH_SCROLL_POS);
        return true;
    }
    return false;
}

bool TDataHolder::RenameSelected(bool FromClipboard)
{
    if (!ItemsRenamable()) return false;
    TItemData* target = nullptr;
    for (const auto& item : DH_ITEMS)
        if (item->ID_VISIBLE && !item->IsGroup() && item->Selected()) {
            target = item.get();
            break;
        }
    if (!target && DH_ITEM_ACTIVE && !DH_ITEM_ACTIVE->IsGroup()) target = DH_ITEM_ACTIVE;
    TRenameEditApi* edit = RenameEdit();
    if (!target || !edit) return false;
    const QRect rect = target->ItemRect(this);
    // Over the caption, where the name is drawn.
    const int x = rect.left() + Settings().Browsing.ItemHeight;
    const int y = rect.top() + (rect.height() - 22) / 2;
    // Only the first line: a name never holds a line break.
    const QString text = FromClipboard ? ClipboardText().section(QLatin1Char('\n'), 0, 0).trimmed() : QString();
    if (text.isEmpty()) edit->PopUp(x, y, target);
    else edit->PopUp(x, y, target, text);
    return true;
}

void TDataHolder::ScrollBy(int Delta)
{
    const int pos = std::clamp(DH_SCROLL_POS + Delta, 0, std::max(DH_SCROLL_MAX, 0));
    if (pos == DH_SCROLL_POS) return;
    DH_SCROLL_POS = pos;
    NotifyControls();
    RequestRepaint();
}

bool TDataHolder::PassesFilter(const TItemData& Item) const
{
    return ContainsNoCase(Item.ID_FILE_DATA.FD_NAME, DH_TEXT_QFILTER);
}

bool TDataHolder::Shows(const TItemData& Item) const { return !Suppressed(Item.ID_FILE_DATA) && PassesFilter(Item); }

// --- Items ---

TItemData* TDataHolder::Item_Get(int IDX) const
{
    return IDX >= 0 && IDX < ItemCount() ? DH_ITEMS[size_t(IDX)].get() : nullptr;
}

TItemData* TDataHolder::Item_Add() { return Item_Add(ItemCount()); }

TItemData* TDataHolder::Item_Add(int IDX)
{
    IDX = std::clamp(IDX, 0, ItemCount());
    EndIconTasks();
    layoutIndex_.Valid = false;
    return DH_ITEMS.insert(DH_ITEMS.begin() + IDX, std::make_unique<TItemData>())->get();
}

TItemData* TDataHolder::Item_Add(const TDirEntry& SearchRec, const QString& Path)
{
    EndIconTasks();
    layoutIndex_.Valid = false;
    DH_ITEMS.push_back(CreateListedItem(SearchRec, Path));
    return DH_ITEMS.back().get();
}

void TDataHolder::Item_Rem(int IDX)
{
    TItemData* item = Item_Get(IDX);
    if (!item) return;
    if (item == DH_ITEM_ACTIVE) DH_ITEM_ACTIVE = nullptr;
    if (item == DH_ITEM_TRY) DH_ITEM_TRY = nullptr;
    if (item == anchor_) anchor_ = nullptr;
    if (item == focus_) focus_ = nullptr;
    EndIconTasks();
    layoutIndex_.Valid = false;
    DH_ITEMS.erase(DH_ITEMS.begin() + IDX);
}

void TDataHolder::HandOverItems(TItemList Items)
{
    if (!IsMainThread()) {
        Synchronize([&] { HandOverItems(std::move(Items)); });
        return;
    }
    EndIconTasks();
    DH_ITEM_ACTIVE = nullptr;
    DH_ITEM_TRY = nullptr;
    anchor_ = nullptr;
    focus_ = nullptr;
    layoutIndex_.Valid = false;
    DH_ITEMS.swap(Items);
    DisposeItems(std::move(Items));
}

void TDataHolder::AppendItems(TItemList Items)
{
    if (!IsMainThread()) {
        Synchronize([&] { AppendItems(std::move(Items)); });
        return;
    }
    if (Items.empty()) return;
    EndIconTasks();
    layoutIndex_.Valid = false;
    DH_ITEMS.reserve(DH_ITEMS.size() + Items.size());
    for (auto& item : Items) DH_ITEMS.push_back(std::move(item));
}

void TDataHolder::ClearHolder()
{
    BeginUpdate();
    EndIconTasks();
    anchor_ = nullptr;
    focus_ = nullptr;
    DH_ITEMS.clear();
    layoutIndex_.Valid = false;
    EndUpdate();
    CalcScroll();
    RequestRepaint();
}

// --- Hover and hit testing ---

TItemData* TDataHolder::ItemAtXY(int X, int Y) const
{
    if (DH_ITEMS.empty() || !DH_CANDRAW.load()) return nullptr;
    const int y = Y + DH_SCROLL_POS;
    const auto [first, last] = ItemWindow(DH_ITEMS, layoutIndex_, y, y);
    for (size_t i = first; i < last; ++i) {
        TItemData* item = DH_ITEMS[i].get();
        const QPoint pos = item->ID_POS;
        if (item->ID_VISIBLE && pos.x() <= X && X <= pos.x() + item->ID_WIDTH && pos.y() <= y &&
            y <= pos.y() + item->ID_HEIGHT)
            return item;
    }
    return nullptr;
}

TItemData* TDataHolder::ItemNotify(int X, int Y)
{
    DH_ITEM_TRY = ItemAtXY(X, Y);
    if (MoveHot(DH_ITEM_ACTIVE, DH_ITEM_TRY, [&](TItemData* old) { ItemLeave(old, X, Y); },
                [&](TItemData* now) { ItemEnter(now, X, Y); }) &&
        !DH_SCROLLING)
        RequestRepaint();
    return DH_ITEM_ACTIVE;
}

void TDataHolder::ItemEnter(TItemData* Item, int X, int Y)
{
    if (!Item) return;
    Item->On_Leave();
    if (SelCount() > 1 && Item->Selected()) ShowSelectTip(Item->ID_POS.x() + Item->ID_WIDTH + 10,
                                                          Item->ID_POS.y() + Item->ID_HEIGHT - DH_SCROLL_POS + 10);
}

void TDataHolder::ItemLeave(TItemData* Item, int X, int Y)
{
    if (Item) Item->On_Enter();
    HideSelectTip();
}

void TDataHolder::ItemSelect(TItemData* Item, int X, int Y)
{
    if (!Item) return;
    Item->Select();
    if (SelCount() > 1 && Item->Selected()) ShowSelectTip(Item->ID_POS.x() + Item->ID_WIDTH + 10,
                                                          Item->ID_POS.y() + Item->ID_HEIGHT - DH_SCROLL_POS + 10);
}

void TDataHolder::PointerLeft()
{
    if (!DH_ITEM_ACTIVE && !DH_ITEM_TRY) return;
    Force_ItemLeave();
    HideSelectTip();
    RequestRepaint();
}

void TDataHolder::Force_ItemLeave()
{
    if (DH_ITEM_ACTIVE) DH_ITEM_ACTIVE->On_Enter();
    if (DH_ITEM_TRY && DH_ITEM_TRY != DH_ITEM_ACTIVE) DH_ITEM_TRY->On_Enter();
    DH_ITEM_ACTIVE = nullptr;
    DH_ITEM_TRY = nullptr;
}

void TDataHolder::ShowSelectTip(int X, int Y)
{
    if (TSelectTipApi* tip = SelectTip()) tip->PopUp(DH_STATUS_SELCNT, DH_STATUS_SELSIZE, X, Y);
}

void TDataHolder::HideSelectTip()
{
    if (TSelectTipApi* tip = SelectTip()) tip->PopDown();
}

// --- Selection ---

int TDataHolder::SelCount()
{
    int count = 0;
    qint64 size = 0;
    for (const auto& item : DH_ITEMS)
        if (!item->IsGroup() && item->Selected()) {
            ++count;
            size += item->ID_FILE_DATA.FD_SIZE;
        }
    DH_STATUS_SELCNT = count;
    DH_STATUS_SELSIZE = size;
    return count;
}

void TDataHolder::SelectAll()
{
    for (const auto& item : DH_ITEMS)
        if (item->ID_VISIBLE) item->Select();
}

void TDataHolder::DeselectAll()
{
    for (const auto& item : DH_ITEMS) item->DeSelect();
}

void TDataHolder::SelRectangle(TShiftState Shift)
{
    if (DH_ITEMS.empty() || !DH_SELECTING) return;
    const QRect band = BandRect(DH_SEL_START, DH_SEL_END, DH_POS, DH_WIDTH, DH_HEIGHT);
    DH_SEL_RECT.SetBounds(band.x(), band.y(), band.width(), band.height());
    const bool adding = DH_BUTTON_STATE->BS_MIDDLE_DOWN || (Shift & ssCtrl);
    for (const auto& item : DH_ITEMS) {
        if (item->ID_VISIBLE && !item->IsGroup() && item->ItemRect(this).intersects(band)) item->Select();
        else if (!adding) item->DeSelect();
    }
    SelCount();
    ShowSelectTip(DH_SEL_END.x() + 10, DH_SEL_END.y() + 10);
}

TStringArray TDataHolder::BuildMenu()
{
    TStringArray keys;
    for (const auto& item : DH_ITEMS) {
        if (item->IsGroup() || !item->Selected()) continue;
        const QString key = item->ID_MENU.isEmpty() ? item->ID_FILE_DATA.FD_EXT : item->ID_MENU;
        if (!keys.contains(key)) keys.append(key);
    }
    return keys;
}

bool TDataHolder::OpenSelected(const QString& AppPath, const QString& Param1)
{
    // Every verb opens here; the verb only chose among the shell's actions.
    bool passed = false;
    for (const auto& item : DH_ITEMS) {
        if (!item->Selected() || PathKindOf(item->ID_FILE_DATA.FD_PATH) != TPathKind::pkFile) continue;
        LaunchProgram(AppPath, {item->ID_FILE_DATA.FD_PATH});
        passed = true;
    }
    return passed;
}

// --- Mouse ---

TDataHolder* TDataHolder::On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TItemData* item = ItemNotify(X, Y);
    const int n = SelCount();
    if (TRenameEditApi* edit = VisibleRenameEdit()) edit->ApplyRename();
    DH_BUTTON_STATE->BS_STATE = Shift;
    focusShown_ = false;
    if (Button == mbMiddle) {
        if (!item) {
            if (!DH_ITEMS.empty()) {
                DH_BUTTON_STATE->BS_MIDDLE_DOWN = true;
                DH_SEL_START = QPoint(X, Y);
            }
        } else if (n == 0 && OpensAsFolder(item)) {
            if (THolderHost* host = HolderHost()) host->AddFileTab(item->ID_FILE_DATA.FD_PATH, true);
        } else if (item->Selected() && n > 0) {
            item->DeSelect();
        } else {
            ItemSelect(item, X, Y);
        }
        return this;
    }
    modifierClick_ = false;
    if (item && Button == mbLeft && (Shift & (ssCtrl | ssShift)) && !Settings().Browsing.StrictClicks) {
        ModifierClick(item, Shift, X, Y);
        return this;
    }
    if (!item) {
        if (!DH_ITEMS.empty()) {
            DH_BUTTON_STATE->BS_LEFT_DOWN = true;
            DH_SEL_START = QPoint(X, Y);
        }
    } else if (!item->Selected()) {
        DeselectAll();
        ItemSelect(item, X, Y);
    }
    if (item && Button == mbLeft) anchor_ = focus_ = item;
    return this;
}

void TDataHolder::ModifierClick(TItemData* item, TShiftState Shift, int X, int Y)
{
    modifierClick_ = true;
    focus_ = item;
    if (!(Shift & ssShift)) {
        // Ctrl: this one item changes, the rest stays.
        if (item->Selected()) item->DeSelect();
        else ItemSelect(item, X, Y);
        anchor_ = item;
        RequestRepaint();
        return;
    }
    // Shift: the range from the anchor, in the order shown; Ctrl+Shift adds it.
    const int to = IndexOf(item);
    const int from = IndexOf(anchor_);
    SelectRange(from < 0 ? to : from, to, Shift & ssCtrl);
}

int TDataHolder::IndexOf(const TItemData* Item) const
{
    if (!Item) return -1;
    for (size_t i = 0; i < DH_ITEMS.size(); ++i)
        if (DH_ITEMS[i].get() == Item) return int(i);
    return -1;
}

void TDataHolder::SelectRange(int from, int to, bool add)
{
    if (!add) DeselectAll();
    for (int i = std::min(from, to); i <= std::max(from, to); ++i) {
        TItemData* member = DH_ITEMS[size_t(i)].get();
        if (member->ID_VISIBLE && !member->IsGroup()) member->Select();
    }
    SelCount();
    RequestRepaint();
}

TDataHolder* TDataHolder::On_MouseMove(TShiftState Shift, int X, int Y)
{
    const TButtonState& buttons = *DH_BUTTON_STATE;
    DH_SEL_END = QPoint(X, Y);
    DH_SELECTING =
        (buttons.BS_LEFT_DOWN || buttons.BS_RIGHT_DOWN || buttons.BS_MIDDLE_DOWN) && DH_SEL_END != DH_SEL_START;
    if (DH_SELECTING) {
        SelRectangle(Shift);
        RequestRepaint();
    } else {
        ItemNotify(X, Y);
    }
    return this;
}

TDataHolder* TDataHolder::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    ReleaseSteps(Button, Shift, X, Y);
    // The band ends with its button; left standing it would stay drawn until the
    // next move.
    if (DH_SELECTING) {
        DH_SELECTING = false;
        RequestRepaint();
    }
    return this;
}

void TDataHolder::ReleaseSteps(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    HideSelectTip();
    *DH_BUTTON_STATE = TButtonState();
    TItemData* item = ItemNotify(X, Y);
    const int n = SelCount();
    if (Button == mbMiddle) {
        DH_SELECTING = false;
        ReDraw();
        return;
    }
    if (Button == mbRight && (Shift & ssCtrl) && !(Shift & ssShift)) {
        ShowContextMenu(QPoint(X, Y));
        return;
    }
    if (Button == mbRight) {
        THolderHost* host = HolderHost();
        if (item) {
            if (host) host->PopUpTypeMenu(X, Y, BuildMenu());
            return;
        }
        if (host && !HolderMenuName().isEmpty()) host->PopUpMenu(X, Y, {HolderMenuName()});
    }
    // A Ctrl or Shift click made its selection on the press, and one on empty
    // space keeps the selection, as on every desktop.
    if (std::exchange(modifierClick_, false) && Button == mbLeft) return;
    const bool keeps = (Shift & (ssCtrl | ssShift)) && !Settings().Browsing.StrictClicks;
    if (!item && !DH_SELECTING && !keeps) DeselectAll();
    if (item && n > 0 && item->Selected() && !DH_SELECTING) {
        DeselectAll();
        ItemSelect(item, X, Y);
    }
}

TDataHolder* TDataHolder::On_MouseWheel(TWMMouseWheel& Msg)
{
    const int distance = WheelDirection(Msg.WheelDelta, Settings().Mouse.WheelScroll) * WheelNotchUnits;
    if (distance == 0) return this;
    const qint64 now = SteadyNow();
    wheel_.Add(distance, now);
    DH_SCROLL_DIR = Msg.WheelDelta;
    DH_SCROLL_TMP = wheel_.Remaining();
    DH_SCROLLING = true;
    if (!wheelTimer_) {
        wheelTimer_ = std::make_unique<QTimer>();
        wheelTimer_->setTimerType(Qt::PreciseTimer);
        wheelTimer_->setInterval(TSmoothScroll::FrameMs);
        QObject::connect(wheelTimer_.get(), &QTimer::timeout, [this] { WheelFrame(SteadyNow()); });
    }
    if (!wheelTimer_->isActive()) wheelTimer_->start();
    return this;
}

void TDataHolder::WheelFrame(qint64 now)
{
    const int move = wheel_.Step(now);
    const int pos = std::max(0, std::min(DH_SCROLL_POS + move, DH_SCROLL_MAX));
    // At an end of the range the rest of the notch has nowhere to go.
    if (move != 0 && pos == DH_SCROLL_POS) wheel_.Stop();
    DH_SCROLL_POS = pos;
    DH_SCROLL_TMP = wheel_.Remaining();
    if (!wheel_.Running()) {
        DH_SCROLLING = false;
        if (wheelTimer_) wheelTimer_->stop();
    }
    NotifyControls();
    RequestRepaint();
}

void TDataHolder::On_DblClick(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (TItemData* item = ItemNotify(X, Y)) item->On_MouseDouble(this, Button, Shift, X, Y);
}

// --- Keys ---

void TDataHolder::On_KeyPress(QChar& Key)
{
    // Control characters (Enter, Escape, Ctrl chords) are keys, not text.
    if (!Key.isPrint()) return;
    const QString text = typeAhead_.Type(Key, SteadyNow());
    const int match = TypeAheadMatch(DH_ITEMS, FocusIndex(), text);
    if (match >= 0) MoveFocus(match, 0);
}

void TDataHolder::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    if (Key == VK_APPS || (Key == VK_F10 && (Shift & ssShift) && !(Shift & (ssCtrl | ssAlt)))) {
        PopUpMenuByKey();
        Key = 0;
        return;
    }
    // Alt chords belong to the file holder's navigation and to the release.
    if (Shift & ssAlt) return;
    const bool ctrl = Shift & ssCtrl;
    const bool plain = !(Shift & (ssCtrl | ssShift));
    if (const std::optional<TNavMove> move = NavMoveOf(Key)) {
        const int page = std::max(DH_HEIGHT - Margins().Top - Margins().BottomReserve, 1);
        const int to = NavigateItems(DH_ITEMS, FocusIndex(), *move, page);
        if (to >= 0) MoveFocus(to, Shift);
        else ScrollByKey(Key, page);
    } else if (Key == VK_RETURN && plain) {
        OpenFocusItem();
    } else if (Key == VK_F2 && !ctrl) {
        RenameSelected();
    } else if (Key == VK_SPACE && ctrl && focus_) {
        if (focus_->Selected()) focus_->DeSelect();
        else focus_->Select();
        anchor_ = focus_;
        focusShown_ = true;
        SelCount();
        RequestRepaint();
    } else if (Key == 'A' && ctrl && !(Shift & ssShift)) {
        SelectAll();
        SelCount();
        RequestRepaint();
    } else if (Key == VK_ESCAPE && plain) {
        typeAhead_.Reset();
        DeselectAll();
        SelCount();
        RequestRepaint();
    } else {
        return;
    }
    Key = 0;
}

void TDataHolder::ScrollByKey(TKeyCode Key, int Page)
{
    const int line = std::max(int(Settings().Browsing.ItemHeight), 10);
    switch (Key) {
    case VK_PRIOR: ScrollBy(-Page); break;
    case VK_NEXT: ScrollBy(Page); break;
    case VK_HOME: ScrollBy(-DH_SCROLL_POS); break;
    case VK_END: ScrollBy(DH_SCROLL_MAX - DH_SCROLL_POS); break;
    case VK_UP: ScrollBy(-line); break;
    case VK_DOWN: ScrollBy(line); break;
    default: break;
    }
}

int TDataHolder::FocusIndex() const
{
    if (focus_) return IndexOf(focus_);
    for (size_t i = 0; i < DH_ITEMS.size(); ++i)
        if (DH_ITEMS[i]->ID_VISIBLE && DH_ITEMS[i]->Selected()) return int(i);
    return -1;
}

void TDataHolder::MoveFocus(int index, TShiftState Shift)
{
    TItemData* item = DH_ITEMS[size_t(index)].get();
    if (Shift & ssShift) {
        // The range starts where the focus was when no click or key set an anchor.
        if (IndexOf(anchor_) < 0) anchor_ = focus_ ? focus_ : item;
        SelectRange(IndexOf(anchor_), index, Shift & ssCtrl);
    } else if (!(Shift & ssCtrl)) {
        DeselectAll();
        item->Select();
        anchor_ = item;
        SelCount();
    }
    focus_ = item;
    focusShown_ = true;
    ScrollIntoView(*item);
    RequestRepaint();
}

void TDataHolder::SetFocusItem(TItemData* Item)
{
    if (IndexOf(Item) < 0) return;
    anchor_ = focus_ = Item;
    ScrollIntoView(*Item);
    RequestRepaint();
}

void TDataHolder::ScrollIntoView(const TItemData& Item)
{
    const int top = Item.ID_POS.y();
    const int pos = ScrollToShow(top, top + Item.ID_HEIGHT, DH_SCROLL_POS, DH_HEIGHT, Margins(), DH_SCROLL_MIN,
                                 DH_SCROLL_MAX);
    if (pos == DH_SCROLL_POS) return;
    // A running wheel scroll would carry the item away again.
    wheel_.Stop();
    DH_SCROLL_POS = pos;
    NotifyControls();
}

void TDataHolder::OpenFocusItem()
{
    TItemData* item = focus_ && focus_->Selected() ? focus_ : nullptr;
    for (size_t i = 0; !item && i < DH_ITEMS.size(); ++i)
        if (DH_ITEMS[i]->ID_VISIBLE && DH_ITEMS[i]->Selected()) item = DH_ITEMS[i].get();
    if (!item) return;
    const QRect rect = item->ItemRect(this);
    // As a double click would; the item may replace this holder's list.
    item->On_MouseDouble(this, mbLeft, 0, rect.center().x(), rect.center().y());
}

void TDataHolder::PopUpMenuByKey()
{
    THolderHost* host = HolderHost();
    if (!host) return;
    // The menu opens over the first selected item, or at the top left of the
    // items without a selection, as the right click there would show it.
    for (const auto& item : DH_ITEMS) {
        if (item->IsGroup() || !item->Selected() || !Shows(*item)) continue;
        const QRect rect = item->ItemRect(this);
        host->PopUpTypeMenu(rect.center().x(), rect.center().y(), BuildMenu());
        return;
    }
    if (!HolderMenuName().isEmpty()) host->PopUpMenu(Margins().Left, Margins().Top, {HolderMenuName()});
}

void TDataHolder::On_KeyUp(TKeyCode& Key, TShiftState Shift)
{
    THolderHost* host = HolderHost();
    if (!host) return;
    const bool ctrl = Shift & ssCtrl;
    if (Key == VK_RETURN && (Shift & ssAlt)) host->ShowPropDialog();
    else if (Key == '1' && ctrl) host->AddFileTab(QDrivePath, true);
    else if (Key == '2' && ctrl) host->AddSearchTab(QDrivePath, true);
    else if (Key == '3' && ctrl) host->RemHolder(DH_ID);
    else if (Key == VK_DELETE) host->FilesDelete(Shift & ssShift);
}

// --- The remaining slots ---

void TDataHolder::On_Enter() {}
void TDataHolder::On_Leave() {}

void TDataHolder::On_Resize(int W, int H)
{
    DH_WIDTH = W;
    DH_HEIGHT = H;
    Arrange();
    // Only the part of the picture the old size showed was decoded.
    const TFolderTheme& theme = *DH_FOLDER_THEME;
    if (theme.PictureCut() && (W > theme.FT_BACK_SOURCE.Width() || H > theme.FT_BACK_SOURCE.Height())) {
        DH_FOLDER_THEME->FT_PATH.clear();
        ThemeLoad();
    }
}

void TDataHolder::On_Update() {}
void TDataHolder::On_Activate() { Force_ItemLeave(); }
void TDataHolder::On_DeActivate() { Force_ItemLeave(); }

void TDataHolder::StopThreads()
{
    // A wheel scroll under way would carry on over whatever comes next.
    wheel_.Stop();
    DH_SCROLLING = false;
    if (wheelTimer_) wheelTimer_->stop();
    TaskManager->StopTasks();
    DH_THREAD_ICONS_G->Stop();
    DH_THREAD_ICONS_S->Stop();
    DH_THREAD_ICONS_R->Stop();
    DH_THREAD_CLEAR_C->Stop();
}

bool TDataHolder::WorkersRunning() const
{
    return TaskManager->Running() || DH_THREAD_ICONS_G->Running() || DH_THREAD_ICONS_S->Running() ||
           DH_THREAD_ICONS_R->Running() || DH_THREAD_CLEAR_C->Running();
}

void TDataHolder::EndIconTasks()
{
    const std::unique_ptr<TSmartTask>* const tasks[] = {&DH_THREAD_ICONS_G, &DH_THREAD_ICONS_S, &DH_THREAD_ICONS_R};
    const auto any = [&](bool (TSmartTask::*state)() const) {
        return std::any_of(std::begin(tasks), std::end(tasks), [&](const auto* task) { return ((**task).*state)(); });
    };
    // The wait serves synchronized calls. One of them may change the list too
    // (a grouping's hand-over): it comes through here and waits for the same
    // runs. Another may start the passes again (a listing's end): they are
    // stopped once more, so none of them still reads when the caller goes on.
    while (any(&TSmartTask::Running)) {
        for (const auto* task : tasks) (*task)->Stop();
        ServeUntil([&] { return !any(&TSmartTask::Running) || any(&TSmartTask::Active); });
    }
}

void TDataHolder::BeginUpdate()
{
    DH_CANDRAW = false;
    DH_ITEM_ACTIVE = nullptr;
    DH_ITEM_TRY = nullptr;
    ReDraw();
}

void TDataHolder::EndUpdate()
{
    DH_CANDRAW = true;
    DH_ITEM_ACTIVE = nullptr;
    DH_ITEM_TRY = nullptr;
    ReDraw();
}

void TDataHolder::ThemeLoad() {}

QStringList TDataHolder::SelectedPaths(bool Drives) const
{
    QStringList paths;
    for (const auto& item : DH_ITEMS) {
        if (!item->Selected() || item->IsGroup()) continue;
        const QString& path = item->ID_FILE_DATA.FD_PATH;
        if (IsDriveRoot(path) ? Drives : ItemExists(path)) paths.append(path);
    }
    return paths;
}

void TDataHolder::CopyToClipboard()
{
    const QStringList paths = SelectedPaths(true);
    if (TShellBridge* shell = ShellBridge(); shell && !paths.isEmpty()) shell->CopyItems(paths);
}

void TDataHolder::CutToClipboard()
{
    const QStringList paths = SelectedPaths(false);
    if (TShellBridge* shell = ShellBridge(); shell && !paths.isEmpty()) shell->CutItems(paths);
}

void TDataHolder::DeleteSelFiles(bool Permanently)
{
    const QStringList paths = SelectedPaths(false);
    if (TShellBridge* shell = ShellBridge(); shell && !paths.isEmpty()) shell->DeleteItems(paths, Permanently);
}

void TDataHolder::DisplayProperties()
{
    const QStringList paths = SelectedPaths(true);
    if (TShellBridge* shell = ShellBridge(); shell && !paths.isEmpty()) shell->Properties(paths);
}

void TDataHolder::DisplayOpenWith()
{
    QString path = DH_ITEM_ACTIVE && !DH_ITEM_ACTIVE->IsGroup() ? DH_ITEM_ACTIVE->ID_FILE_DATA.FD_PATH : QString();
    if (path.isEmpty() || !ItemExists(path)) {
        const QStringList selected = SelectedPaths(false);
        path = selected.isEmpty() ? QString() : selected.first();
    }
    if (TShellBridge* shell = ShellBridge(); shell && !path.isEmpty()) shell->OpenWith(path);
}

void TDataHolder::OpenInExplorer()
{
    TShellBridge* shell = ShellBridge();
    if (!shell) return;
    const QStringList selected = SelectedPaths(true);
    if (!selected.isEmpty()) shell->Reveal(selected.first(), true);
    else if (const QString folder = CurrentFolder(); !folder.isEmpty()) shell->Reveal(folder, false);
}

void TDataHolder::OpenFolder(const QString& Path)
{
    if (THolderHost* host = HolderHost()) host->AddFileTab(Path, true);
}

void TDataHolder::OpenDrive(const QString&) {}
void TDataHolder::ShowContextMenu(QPoint Pos)
{
    TShellBridge* shell = ShellBridge();
    if (!shell) return;
    // The files' menu first, then the drives' menu at the same point.
    QStringList files, drives;
    for (const QString& path : SelectedPaths(true)) (IsDriveRoot(path) ? drives : files).append(path);
    if (!files.isEmpty()) shell->ItemsMenu(files, CurrentFolder(), Pos);
    if (!drives.isEmpty()) shell->ItemsMenu(drives, CurrentFolder(), Pos);
}

TSmartTask* TDataHolder::IconTask(TIconTask which)
{
    switch (which) {
    case TIconTask::itGeneral: return DH_THREAD_ICONS_G.get();
    case TIconTask::itSpecial: return DH_THREAD_ICONS_S.get();
    case TIconTask::itReserved: break;
    }
    return DH_THREAD_ICONS_R.get();
}

QString& TDataHolder::IconBuilding(TIconTask which)
{
    return which == TIconTask::itSpecial ? DH_THREAD_ICONS_S_ID : DH_THREAD_ICONS_G_ID;
}

TDestinationList& TDataHolder::IconDestinations(TIconTask which)
{
    return which == TIconTask::itSpecial ? DH_ICONS_S : DH_ICONS_G;
}

TIconSlot TDataHolder::IconItem(int index)
{
    TItemData& item = *DH_ITEMS[size_t(index)];
    return TIconSlot{&item.ID_FILE_DATA.FD_EXT, &item.ID_FILE_DATA.FD_PATH, &item.ID_GROUP, &item.ID_ICON,
                     &item.ID_ICON_READY};
}
