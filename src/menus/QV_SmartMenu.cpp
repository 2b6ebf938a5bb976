#include "menus/QV_SmartMenu.h"

#include "controls/QV_CtrlManager.h"
#include "controls/QV_HotTracking.h"
#include "foundation/QV_Settings.h"
#include "menus/QV_MenuItems.h"
#include "menus/QV_MenuLayout.h"
#include "platform/QV_Report.h"
#include "theme/QV_SkinBuffer.h"

#include <algorithm>
#include <exception>

namespace {

const QString SkinSection = QStringLiteral("SmartMenu");

// The title's space on each side, left for the back button and the depth.
constexpr int TitleInset = 35;
constexpr int TitleCharacters = 256;

QPoint CenterOf(const TSmartCtrl* Item)
{
    return {Item->SC_POS.x() + Item->SC_WIDTH / 2, Item->SC_POS.y() + Item->SC_HEIGHT / 2};
}

// Counts the menu's own handling of an event, so that holders closed meanwhile
// outlive the item handlers still running on them.
class TDispatch {
public:
    explicit TDispatch(int& depth) : depth_(depth) { ++depth_; }
    ~TDispatch() { --depth_; }
    TDispatch(const TDispatch&) = delete;
    TDispatch& operator=(const TDispatch&) = delete;

private:
    int& depth_;
};

}  // namespace

// --- TMenuHolder ---

TMenuHolder::TMenuHolder() : MH_LIST(AddList(QStringLiteral("MH_LIST"))) { MH_LIST->SetAddDuplicates(false); }

void TMenuHolder::Place(const QRect& Rect)
{
    SC_POS = Rect.topLeft();
    SC_WIDTH = Rect.width();
    SC_HEIGHT = Rect.height();
    UpdateRects();
}

// --- TSmartMenu ---

TSmartMenu::TSmartMenu() : SM_LIST(AddList(QStringLiteral("SM_LIST"))), skin_(std::make_unique<TSkinBuffer>())
{
    SM_FONT_N.Name = QStringLiteral("Calibri");
    SM_FONT_N.Size = 11;
    SM_FONT_N.Bold = true;
    SM_FONT_N.Color = 0x000000;
    SM_FONT_H = SM_FONT_N;
    SM_FONT_H.Color = 0xFFFFFF;

    SC_VISIBLE = false;
    SC_ALIGN = asNone;
    SC_FIT_MODE = fmNone;
    SC_CAN_FOCUS = false;
    ItemTraits = ActionButtonTraits();
    SC_POS = QPoint(100, 400);
    SC_WIDTH = 230;
    SC_HEIGHT = 300;
    SC_SKIN = skin_.get();
    LoadTheme();
    UpdateRects();
}

TSmartMenu::~TSmartMenu()
{
    // The items borrow the skin; they go first.
    SM_HOLDER = nullptr;
    SM_LIST->Clear();
    retired_.clear();
    SM_BACK.reset();
}

void TSmartMenu::LoadTheme()
{
    // A damaged theme entry costs its picture, never the menu.
    for (const TThemeImageEntry& entry : ControlThemeImages()) {
        if (SkinSection != QLatin1String(entry.Section)) continue;
        try {
            skin_->LoadThemeImage(QString::fromLatin1(entry.Id), SkinSection, QString::fromLatin1(entry.ImageName),
                                  QString::fromLatin1(entry.File), QString::fromLatin1(entry.Default));
        } catch (const std::exception&) {
            ReportCurrentException("Menu theme image");
        }
    }
    const QString font = QStringLiteral("Name(Calibri), Color($000000), Size(11), Bold(1)");
    try {
        skin_->LoadThemeFont(QStringLiteral("FontButtonNormal"), SkinSection, QStringLiteral("Button.Normal"), font);
        skin_->LoadThemeFont(QStringLiteral("FontButtonHot"), SkinSection, QStringLiteral("Button.Hot"), font);
        const TWorkArea area = ReadWorkArea(QStringLiteral("ControlTheme:\\"), SkinSection,
                                            QStringLiteral("Image(Background)"), QString());
        SC_OFFSET_LEFT = area.Left;
        SC_OFFSET_TOP = area.Top;
        SC_OFFSET_RIGHT = area.Right;
        SC_OFFSET_BOTTOM = area.Bottom;
    } catch (const std::exception&) {
        ReportCurrentException("Menu theme fonts and work area");
    }
}

QSize TSmartMenu::ViewSize() const
{
    const TCtrlManager* manager = CtrlManager();
    return manager ? QSize(manager->CM_PARENT_W, manager->CM_PARENT_H) : QSize();
}

void TSmartMenu::PullIntoView() { SC_POS = KeepMenuInView(SC_POS, QSize(SC_WIDTH, SC_HEIGHT), ViewSize()); }

bool TSmartMenu::IsButton(const TSmartCtrl* Item) const
{
    if (!Item || Item == this || Item->ClassIs<TMenuHolder>()) return false;
    return ItemTraits.IsButton ? ItemTraits.IsButton(Item) : true;
}

void TSmartMenu::MakeBackButton()
{
    if (SM_BACK) return;
    TCtrlManager* manager = CtrlManager();
    if (!manager) return;
    SM_BACK.reset(manager->CreateControl(this, TParamString{QStringLiteral("Button(SmartMenu.Back), CMD(SmartMenu.Back)")}));
    if (!SM_BACK) return;
    SM_BACK->SetSkin(skin_.get());
    if (ItemTraits.SetLook) ItemTraits.SetLook(SM_BACK.get(), mlIcon);
}

TMenuHolder* TSmartMenu::AddHolder(TMenuHolder* MenuHolder)
{
    if (!MenuHolder) return nullptr;
    MenuHolder->SC_PARENT = this;
    return static_cast<TMenuHolder*>(SM_LIST->AddControl(MenuHolder));
}

void TSmartMenu::PopUp(int X, int Y, TSmartCtrl* Sender, TMenuHolder* MenuHolder)
{
    std::unique_ptr<TMenuHolder> incoming(MenuHolder);
    if (!incoming || incoming->MH_LIST->Count() == 0) return;
    if (SM_HOLDER && SM_HOLDER->SC_ID == incoming->SC_ID) return;
    if (dispatching_ == 0) retired_.clear();
    MakeBackButton();

    SetWidth(Settings().SmartMenu.MenuWidth);
    if (SM_HOLDER) SM_HOLDER->SetVisible(false);
    Reset();
    SM_HOLDER = AddHolder(incoming.release());
    ++SM_HOLDER_IDX;
    On_Resize(0, 0);
    On_Arrange();
    ReDraw();

    QPoint p = SC_POS;
    const QSize size(SC_WIDTH, SC_HEIGHT);
    if (Sender && !SM_SHOWING) {
        const TAlignSide side = Sender->SC_PARENT ? Sender->SC_PARENT->SC_ALIGN : Sender->SC_ALIGN;
        const QRect senderRect(Sender->SC_POS, QSize(Sender->SC_WIDTH, Sender->SC_HEIGHT));
        p = MenuPlaceNextTo(senderRect, side, size, Settings().SmartMenu.PopUpOffset);
    } else if (!Sender) {
        p = QPoint(X, Y);
    }
    SetPosition(KeepMenuInView(p, size, ViewSize()));

    if (TCtrlManager* manager = CtrlManager()) {
        const TSmartCtrl* tip = manager->GetControlData(QStringLiteral("SmartTip"));
        if (tip && tip->SC_VISIBLE) manager->Control_Hide(QStringLiteral("SmartTip"));
    }
    On_Resize(0, 0);
    On_Arrange();
    On_Resize(0, 0);
    ReDraw();
    SM_SHOWING = true;
    SetVisible(true);
}

void TSmartMenu::PopDown()
{
    SetVisible(false);
    SM_SHOWING = false;
    Reset();
    SM_HOLDER = nullptr;
    SC_HEIGHT = SC_OFFSET_TOP + SC_OFFSET_BOTTOM;
    UpdateRects();
    SM_HOLDER_IDX = -1;
    if (dispatching_ > 0 && SM_LIST->Count() > 0) {
        // An item may be closing its own menu from inside its handler: the
        // holders live on, out of sight, until that handler has returned.
        const auto at = size_t(std::find(SC_LIST.begin(), SC_LIST.end(), SM_LIST) - SC_LIST.begin());
        TControlList* fresh = AddList(QStringLiteral("SM_LIST"));
        SC_LIST.pop_back();
        retired_.emplace_back(SM_LIST);
        SC_LIST[at] = fresh;
        SM_LIST = fresh;
    } else {
        SM_LIST->Clear();
    }
    ReDraw();
}

void TSmartMenu::TryPopDown(int X, int Y)
{
    if (SC_VISIBLE && SM_SHOWING && !Is_Control(X, Y)) PopDown();
}

void TSmartMenu::PrevMenu()
{
    if (SM_HOLDER_IDX <= 0 || !SM_HOLDER) return;
    Reset();
    SM_HOLDER->SetVisible(false);
    SM_LIST->Delete(SM_LIST->IndexOf(SM_HOLDER));
    --SM_HOLDER_IDX;
    SM_HOLDER = static_cast<TMenuHolder*>(SM_LIST->Control(SM_LIST->Count() - 1));
    if (SM_HOLDER) SM_HOLDER->SetVisible(true);
    SetVisible(true);
    SM_SHOWING = true;
    On_Resize(0, 0);
    On_Resize(0, 0);
    ReDraw();
}

// --- Layout and painting ---

void TSmartMenu::On_Resize(int W, int H)
{
    TSmartCtrl::On_Resize(W, H);
    PullIntoView();
}

void TSmartMenu::On_Arrange()
{
    if (SM_BACK) SM_BACK->On_Resize(0, 0);
    const TWorkArea insets{SC_OFFSET_LEFT, SC_OFFSET_TOP, SC_OFFSET_RIGHT, SC_OFFSET_BOTTOM};
    std::vector<TMenuItemBox> boxes;
    if (SM_HOLDER) {
        const int itemSize = Settings().SmartMenu.ItemSize;
        const int workWidth = SC_WIDTH - insets.Left - insets.Right;
        TControlList& items = *SM_HOLDER->MH_LIST;
        boxes.resize(size_t(items.Count()));
        for (int i = 0; i < items.Count(); ++i) {
            TSmartCtrl* item = items.Control(i);
            if (!item->SC_VISIBLE) continue;
            if (IsButton(item) && ItemTraits.SetLook) ItemTraits.SetLook(item, mlTile);
            item->SetSkin(skin_.get());
            item->SetHeight(itemSize);
            item->SetWidth(workWidth);
            boxes[size_t(i)] = {true, item->SC_HEIGHT};
        }
    }
    const TMenuArrangement arrangement =
        ArrangeMenu(SC_POS, SC_WIDTH, insets, boxes, Settings().SmartMenu.ItemSpacing);
    if (SM_HOLDER) {
        for (int i = 0; i < SM_HOLDER->MH_LIST->Count(); ++i)
            if (boxes[size_t(i)].Visible) SM_HOLDER->MH_LIST->Control(i)->SetPosition(arrangement.Items[size_t(i)].topLeft());
    }
    // Without a holder the menu is closed, and its size is what closing left.
    if (SM_HOLDER) SC_HEIGHT = arrangement.Height;
    UpdateRects();
    if (SM_HOLDER) SM_HOLDER->Place(SC_RECT.Rect());
    SM_RECT_TITLE.SetBounds(arrangement.Title.left(), arrangement.Title.top(), arrangement.Title.width(),
                            arrangement.Title.height());
    SM_RECT_BACK = arrangement.Back;
    if (SM_BACK) {
        SM_BACK->SetPosition(SM_RECT_BACK.topLeft());
        SM_BACK->SetWidth(SM_RECT_BACK.width());
        SM_BACK->SetHeight(SM_RECT_BACK.height());
    }
}

void TSmartMenu::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    TSmartCtrl::On_Paint(SC_CANVAS);
    if (!SM_HOLDER || !SM_HOLDER->SC_VISIBLE) return;

    SC_CANVAS.Font = SM_FONT_N;
    const QRect title = SM_RECT_TITLE.Rect().adjusted(TitleInset, 0, -TitleInset, 0);
    // Laying out a megabyte of title on every paint would stall the window;
    // far fewer characters fill the row.
    SC_CANVAS.DrawText(title, SM_HOLDER->MH_CAPTION.left(TitleCharacters), tfCenter | tfVCenter | tfSingleLine | tfNoPrefix | tfEndEllipsis);
    if (SM_HOLDER_IDX > 0) {
        SC_CANVAS.TextOut(SM_RECT_BACK.right() + 1 + 4, SM_RECT_BACK.top(), QString::number(SM_HOLDER_IDX));
        if (SM_BACK) SM_BACK->On_Paint(SC_CANVAS);
    }
    const TControlList& items = *SM_HOLDER->MH_LIST;
    for (int i = 0; i < items.Count(); ++i) {
        const TSmartCtrl* item = items.Control(i);
        if (!item->SC_VISIBLE || item->SC_MENU.isEmpty() || !IsButton(item)) continue;
        skin_->DrawImage(QStringLiteral("SubMenu"), SC_CANVAS, item->SC_POS.x() + item->SC_WIDTH - item->SC_HEIGHT,
                         item->SC_POS.y(), item->SC_HEIGHT, item->SC_HEIGHT);
    }
}

// --- Mouse ---

TSmartCtrl* TSmartMenu::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!SC_VISIBLE) return nullptr;
    TSmartCtrl* took = nullptr;
    {
        TDispatch dispatch(dispatching_);
        const TMenuHolder* before = SM_HOLDER;
        const int depth = SM_HOLDER_IDX;
        const bool onBack = SM_SHOWING && SM_RECT_BACK.contains(X, Y);
        took = TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
        // The item may have opened a further menu (that stays open) or closed
        // this one (its pointer is then stale).
        const bool sameLevel = SM_SHOWING && SM_HOLDER == before && SM_HOLDER_IDX == depth;
        if (!sameLevel) took = this;
        else if (Button == mbLeft && IsButton(took)) {
            PopDown();
            took = this;
        }
        if (onBack && sameLevel && SM_SHOWING) PrevMenu();
    }
    if (dispatching_ == 0) retired_.clear();
    return took;
}

// --- Keys ---

TSmartCtrl* TSmartMenu::HotItem() const { return SM_HOLDER ? SM_HOLDER->SC_ACTIVE : nullptr; }

void TSmartMenu::MoveHot(TSmartCtrl* Item)
{
    if (!SM_HOLDER || !Item) return;
    TMenuHolder* holder = SM_HOLDER;
    const QPoint at = CenterOf(Item);
    SC_ACTIVE = holder;
    holder->SC_STATE = csHot;
    ::MoveHot(
        holder->SC_ACTIVE, Item, [&](TSmartCtrl* old) { holder->Item_Leave(old, at.x(), at.y()); },
        [&](TSmartCtrl* hit) { holder->Item_Enter(hit, at.x(), at.y()); });
    holder->SC_ACTIVE_TRY = Item;
    ReDraw();
}

void TSmartMenu::StepHot(int Step)
{
    if (!SM_HOLDER) return;
    const TControlList& items = *SM_HOLDER->MH_LIST;
    const int count = items.Count();
    if (count == 0) return;
    const int current = items.IndexOf(HotItem());
    int index = current >= 0 ? current : (Step > 0 ? -1 : count);
    for (int tried = 0; tried < count; ++tried) {
        index = ((index + Step) % count + count) % count;
        if (items.Control(index)->SC_VISIBLE) return MoveHot(items.Control(index));
    }
}

void TSmartMenu::ClickItem(TSmartCtrl* Item, TMouseButton Button)
{
    const QPoint at = CenterOf(Item);
    On_MouseUp(Button, 0, at.x(), at.y());
}

void TSmartMenu::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    if (!SC_VISIBLE || !SM_SHOWING || !SM_HOLDER) return TSmartCtrl::On_KeyDown(Key, Shift);
    // An edit field of the menu that has the focus keeps its keys, but for
    // the ones that leave it.
    const TSmartCtrl* focused = SM_HOLDER->SC_FOCUSE;
    const bool editing = focused && focused->SC_VISIBLE && !IsButton(focused);
    if (editing && Key != VK_ESCAPE && Key != VK_UP && Key != VK_DOWN) return TSmartCtrl::On_KeyDown(Key, Shift);

    TDispatch dispatch(dispatching_);
    TSmartCtrl* hot = HotItem();
    switch (Key) {
    case VK_UP: StepHot(-1); break;
    case VK_DOWN: StepHot(1); break;
    case VK_RETURN:
    case VK_SPACE:
        if (hot) ClickItem(hot, mbLeft);
        break;
    case VK_RIGHT:
        if (hot && !hot->SC_MENU.isEmpty() && OpenMenu) {
            const int depth = SM_HOLDER_IDX;
            OpenMenu(hot, hot->SC_MENU);
            if (SM_HOLDER_IDX > depth) StepHot(1);
        }
        break;
    case VK_LEFT:
    case VK_BACK: PrevMenu(); break;
    case VK_ESCAPE: PopDown(); break;
    default: break;
    }
}

void TSmartMenu::On_KeyPress(QChar& Key)
{
    if (!SC_VISIBLE || !SM_SHOWING || !SM_HOLDER) return TSmartCtrl::On_KeyPress(Key);
    const TSmartCtrl* focused = SM_HOLDER->SC_FOCUSE;
    if (focused && focused->SC_VISIBLE && !IsButton(focused)) return TSmartCtrl::On_KeyPress(Key);
    if (!Key.isLetterOrNumber() || !ItemTraits.Caption) return;

    const TControlList& items = *SM_HOLDER->MH_LIST;
    const int count = items.Count();
    const int start = items.IndexOf(HotItem());
    for (int step = 1; step <= count; ++step) {
        TSmartCtrl* item = items.Control((start + step + count) % count);
        if (!item->SC_VISIBLE) continue;
        const QString caption = ItemTraits.Caption(item).trimmed();
        if (caption.startsWith(Key, Qt::CaseInsensitive)) return MoveHot(item);
    }
}
