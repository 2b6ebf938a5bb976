#include "controls/QV_SmartCtrl.h"

#include "controls/QV_CtrlManager.h"
#include "controls/QV_HotTracking.h"
#include "controls/QV_Repaint.h"
#include "foundation/QV_System.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "theme/QV_SkinBuffer.h"

#include <algorithm>

const TCtrlClass* TSmartCtrl::StaticClass()
{
    static const TCtrlClass info{"TSmartCtrl", nullptr};
    return &info;
}

TSmartCtrl::TSmartCtrl() : SC_ID(QStringLiteral("TSmartCtrl") + MakeID()) {}

TSmartCtrl::~TSmartCtrl()
{
    for (TControlList* list : SC_LIST)
        if (list && list->CL_AUTO_FREE) delete list;
}

bool TSmartCtrl::ClassIs(const TCtrlClass* SearchClass) const
{
    const TCtrlClass* own = ClassType();
    return own == SearchClass || (own->Parent && own->Parent == SearchClass);
}

// --- Slots ---

void TSmartCtrl::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    if (SC_SKIN) SC_SKIN->DrawImage(QStringLiteral("ControlBack"), SC_CANVAS, SC_POS.x(), SC_POS.y(), SC_WIDTH, SC_HEIGHT);
    for (size_t i = 0; i < SC_LIST.size(); ++i) SC_LIST[i]->Force_On_Paint(SC_CANVAS);
}

void TSmartCtrl::On_Enter(int X, int Y)
{
    SC_STATE = csHot;
    if (!SC_LIST.empty()) ItemNotify(X, Y, false);
    ReDraw();
}

void TSmartCtrl::On_Leave(int X, int Y)
{
    SC_STATE = csNormal;
    SC_ACTIVE = nullptr;
    SC_ACTIVE_TRY = nullptr;
    for (size_t i = 0; i < SC_LIST.size(); ++i) SC_LIST[i]->Force_On_Leave(X, Y);
    ReDraw();
}

TSmartCtrl* TSmartCtrl::On_Focus(TMouseButton, TShiftState, int, int)
{
    SC_FOCUSED = true;
    SC_ACTIVE_TRY = nullptr;
    SC_ACTIVE = nullptr;
    SC_FOCUSE = nullptr;
    return this;
}

TSmartCtrl* TSmartCtrl::On_UnFocus(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    SC_FOCUSED = false;
    SC_FOCUSE = nullptr;
    for (size_t i = 0; i < SC_LIST.size(); ++i) SC_LIST[i]->Force_On_UnFocus(Button, Shift, X, Y);
    return this;
}

void TSmartCtrl::On_Resize(int W, int H)
{
    UpdateRects();
    On_Arrange();
    for (size_t i = 0; i < SC_LIST.size(); ++i) SC_LIST[i]->Force_On_Resize(W, H);
}

void TSmartCtrl::On_Arrange() {}

void TSmartCtrl::On_Show()
{
    SC_VISIBLE = true;
    ReDraw();
}

void TSmartCtrl::On_Hide()
{
    SC_VISIBLE = false;
    ReDraw();
}

void TSmartCtrl::On_KeyPress(QChar& Key)
{
    if (!SC_VISIBLE) return;
    if (SC_FOCUSE) SC_FOCUSE->On_KeyPress(Key);
}

void TSmartCtrl::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    if (!SC_VISIBLE) return;
    if (SC_FOCUSE) SC_FOCUSE->On_KeyDown(Key, Shift);
}

void TSmartCtrl::On_KeyUp(TKeyCode& Key, TShiftState Shift)
{
    if (!SC_VISIBLE) return;
    if (SC_FOCUSE) SC_FOCUSE->On_KeyUp(Key, Shift);
}

TSmartCtrl* TSmartCtrl::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!SC_VISIBLE) return nullptr;
    if (SC_LIST.empty()) return this;
    TSmartCtrl* hit = ItemNotify(X, Y, false);
    if (hit && hit->SC_VISIBLE) return Item_MouseUp(this, hit, Button, Shift, X, Y);
    return this;
}

TSmartCtrl* TSmartCtrl::On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!SC_VISIBLE) return nullptr;
    if (SC_LIST.empty()) return this;
    if (TSmartCtrl* hit = ItemNotify(X, Y, true)) return Item_MouseDown(hit, Button, Shift, X, Y);
    return this;
}

TSmartCtrl* TSmartCtrl::On_MouseMove(TShiftState Shift, int X, int Y)
{
    if (!SC_VISIBLE) return nullptr;
    if (SC_LIST.empty()) return this;
    if (TSmartCtrl* hit = ItemNotify(X, Y, false)) return Item_MouseMove(hit, Shift, X, Y);
    return this;
}

TSmartCtrl* TSmartCtrl::On_MouseWheel(TWMMouseWheel& Msg)
{
    if (!SC_VISIBLE) return nullptr;
    if (SC_ACTIVE) return SC_ACTIVE->On_MouseWheel(Msg);
    return this;
}

TSmartCtrl* TSmartCtrl::On_MouseDouble(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!SC_VISIBLE) return nullptr;
    if (SC_LIST.empty()) return this;
    if (TSmartCtrl* hit = ItemNotify(X, Y, true)) return Item_MouseDouble(hit, Button, Shift, X, Y);
    return this;
}

void TSmartCtrl::On_Update()
{
    for (size_t i = 0; i < SC_LIST.size(); ++i) SC_LIST[i]->Force_On_Update();
}

void TSmartCtrl::On_SetWidth(int Value) { SC_WIDTH = Value; }

void TSmartCtrl::On_SetHeight(int Value) { SC_HEIGHT = Value; }

void TSmartCtrl::On_SetAlign(TAlignSide Value)
{
    SC_ALIGN = Value;
    On_Arrange();
}

void TSmartCtrl::On_SetSkin(TSkinBuffer* Value) { SC_SKIN = Value; }

bool TSmartCtrl::Is_Control(int X, int Y) const
{
    return SC_POS.x() <= X && X <= SC_POS.x() + SC_WIDTH && SC_POS.y() <= Y && Y <= SC_POS.y() + SC_HEIGHT;
}

void TSmartCtrl::Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y)
{
    if (SmartCtrl) SmartCtrl->On_Enter(X, Y);
}

void TSmartCtrl::Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y)
{
    if (SmartCtrl) SmartCtrl->On_Leave(X, Y);
}

void TSmartCtrl::Item_Focus(TSmartCtrl* SmartCtrl, int X, int Y)
{
    if (!SmartCtrl) return;
    SmartCtrl->SC_FOCUSED = true;
    SmartCtrl->On_Focus(mbLeft, 0, X, Y);
}

void TSmartCtrl::Item_UnFocus(TSmartCtrl* SmartCtrl, int X, int Y)
{
    if (!SmartCtrl) return;
    SmartCtrl->SC_FOCUSED = false;
    SmartCtrl->On_UnFocus(mbLeft, 0, X, Y);
}

TSmartCtrl* TSmartCtrl::Item_MouseUp(TSmartCtrl*, TSmartCtrl* SmartCtrl, TMouseButton Button, TShiftState Shift,
                                     int X, int Y)
{
    return SmartCtrl ? SmartCtrl->On_MouseUp(Button, Shift, X, Y) : nullptr;
}

TSmartCtrl* TSmartCtrl::Item_MouseDown(TSmartCtrl* SmartCtrl, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    return SmartCtrl ? SmartCtrl->On_MouseDown(Button, Shift, X, Y) : nullptr;
}

TSmartCtrl* TSmartCtrl::Item_MouseMove(TSmartCtrl* SmartCtrl, TShiftState Shift, int X, int Y)
{
    return SmartCtrl ? SmartCtrl->On_MouseMove(Shift, X, Y) : nullptr;
}

TSmartCtrl* TSmartCtrl::Item_MouseDouble(TSmartCtrl* SmartCtrl, TMouseButton Button, TShiftState Shift, int X,
                                         int Y)
{
    return SmartCtrl ? SmartCtrl->On_MouseDouble(Button, Shift, X, Y) : nullptr;
}

void TSmartCtrl::Reset()
{
    SC_ACTIVE_TRY = nullptr;
    SC_FOCUSE_TRY = nullptr;
    SC_ACTIVE = nullptr;
    SC_FOCUSE = nullptr;
}

void TSmartCtrl::EventNotify(const QString& ID)
{
    for (size_t i = 0; i < SC_LIST.size(); ++i) SC_LIST[i]->NotifyEvent(ID);
}

namespace {

// A malformed number in one item line must not cost the whole bar its items,
// so it keeps the current value like an absent one.
int IntOrKeep(const TParamString& params, const QString& name, int current)
{
    try {
        return params.GetInt(name, current);
    } catch (const EConvertError& error) {
        ReportFailure("Control parameter", QString::fromUtf8(error.what()));
        return current;
    }
}

}  // namespace

void TSmartCtrl::SetParams(const TParamString& Params)
{
    if (Params.IsEmpty()) return;
    SC_ID = Params.GetValue(QStringLiteral("CMD"), QString()) + Params.GetValue(QStringLiteral("Param1"), QString()) +
            Params.GetValue(QStringLiteral("Param2"), QString());
    SetWidth(IntOrKeep(Params, QStringLiteral("Width"), SC_WIDTH));
    SetHeight(IntOrKeep(Params, QStringLiteral("Height"), SC_HEIGHT));
    SC_MENU = Params.GetValue(QStringLiteral("Menu"), SC_MENU);

    const QString fit = Params.GetValue(QStringLiteral("Fit"), QString());
    if (fit == QLatin1String("Both")) SC_FIT_MODE = fmBoth;
    else if (fit == QLatin1String("Width")) SC_FIT_MODE = fmWidth;
    else if (fit == QLatin1String("Height")) SC_FIT_MODE = fmHeight;
    else if (fit == QLatin1String("None")) SC_FIT_MODE = fmNone;

    const QString align = Params.GetValue(QStringLiteral("Align"), QStringLiteral("Left"));
    if (align == QLatin1String("Left")) SetAlign(asLeft);
    else if (align == QLatin1String("None")) SetAlign(asNone);
    else if (align == QLatin1String("Right")) SetAlign(asRight);
    else if (align == QLatin1String("Top")) SetAlign(asTop);
    // "Bot" is the word written; "Bottom" is what earlier item editors wrote.
    else if (align == QLatin1String("Bot") || align == QLatin1String("Bottom")) SetAlign(asBot);
}

// --- Properties ---

void TSmartCtrl::UpdateRects()
{
    const int x = SC_POS.x(), y = SC_POS.y();
    SC_RECT.SetRect(x + SC_OFFSET_LEFT, y + SC_OFFSET_TOP, x + SC_WIDTH - SC_OFFSET_RIGHT,
                    y + SC_HEIGHT - SC_OFFSET_BOTTOM, true);
    SC_RECT_MAIN.SetRect(x, y, x + SC_WIDTH, y + SC_HEIGHT, true);
}

void TSmartCtrl::SetPosition(QPoint Value)
{
    SC_POS = Value;
    UpdateRects();
    On_Arrange();
}

void TSmartCtrl::SetWidth(int Value)
{
    On_SetWidth(Value);
    UpdateRects();
    On_Arrange();
}

void TSmartCtrl::SetHeight(int Value)
{
    On_SetHeight(Value);
    UpdateRects();
    On_Arrange();
}

void TSmartCtrl::SetVisible(bool Value)
{
    if (Value) On_Show();
    else On_Hide();
}

// --- Other operations ---

TSmartCtrl* TSmartCtrl::Focus(TMouseButton, TShiftState)
{
    TCtrlManager* manager = CtrlManager();
    return manager ? manager->ControlFocus(this) : nullptr;
}

TSmartCtrl* TSmartCtrl::IsControl(int X, int Y) const
{
    return Is_Control(X, Y) ? const_cast<TSmartCtrl*>(this) : nullptr;
}

TSmartCtrl* TSmartCtrl::ItemAtXY(const TControlList* List, int X, int Y) const
{
    if (!List) return nullptr;
    for (int i = 0; i < List->Count(); ++i) {
        TSmartCtrl* item = List->Control(i);
        if (item->SC_VISIBLE && item->Is_Control(X, Y)) return item;
    }
    return nullptr;
}

TSmartCtrl* TSmartCtrl::ItemNotify(int X, int Y, bool Focus)
{
    return ItemNotify(SC_LIST, X, Y, Focus);
}

TSmartCtrl* TSmartCtrl::ItemNotify(TControlList* List, int X, int Y, bool Focus)
{
    return ItemNotify(std::vector<TControlList*>{List}, X, Y, Focus);
}

TSmartCtrl* TSmartCtrl::ItemNotify(const std::vector<TControlList*>& Lists, int X, int Y, bool Focus)
{
    TSmartCtrl* hit = nullptr;
    for (TControlList* list : Lists)
        if ((hit = ItemAtXY(list, X, Y))) break;
    SC_ACTIVE_TRY = hit;

    MoveHot(SC_ACTIVE, hit, [&](TSmartCtrl* old) { Item_Leave(old, X, Y); },
            [&](TSmartCtrl* now) { Item_Enter(now, X, Y); });
    if (Focus) {
        SC_FOCUSE_TRY = hit;
        MoveFocus(SC_FOCUSE, hit, [&](TSmartCtrl* now) { Item_Focus(now, X, Y); },
                  [&](TSmartCtrl* old) { Item_UnFocus(old, X, Y); });
    }
    return SC_ACTIVE;
}

TControlList* TSmartCtrl::AddList(const QString& ID)
{
    auto* list = new TControlList;
    list->CL_ID = ID;
    list->owner_ = this;
    SC_LIST.push_back(list);
    return list;
}

void TSmartCtrl::RemoveChild(TControlList* List, int IDX)
{
    SC_ACTIVE_TRY = nullptr;
    SC_ACTIVE = nullptr;
    SC_FOCUSE_TRY = nullptr;
    SC_FOCUSE = nullptr;
    if (List) List->Delete(IDX);
}

bool TSmartCtrl::SetParent(TSmartCtrl* SmartCtrl, int List)
{
    if (!SmartCtrl || List < 0 || List >= int(SmartCtrl->SC_LIST.size())) return false;
    // Set before adding: a list that refuses duplicates destroys this control.
    SC_PARENT = SmartCtrl;
    return SmartCtrl->SC_LIST[size_t(List)]->AddControl(this) != nullptr;
}

void TSmartCtrl::HandOverItems(TControlList* List, std::unique_ptr<TControlList> Items)
{
    if (!IsMainThread()) {
        Synchronize([&] { HandOverItems(List, std::move(Items)); });
        return;
    }
    if (!List || !Items) return;
    for (TSmartCtrl** pointer : {&SC_ACTIVE_TRY, &SC_FOCUSE_TRY, &SC_ACTIVE, &SC_FOCUSE})
        if (*pointer && List->IndexOf(*pointer) >= 0) *pointer = nullptr;
    // The old entries are destroyed after the new ones are in place, so a
    // destructor that looks at the list sees the new state.
    std::vector<std::unique_ptr<TSmartCtrl>> old = std::move(List->items_);
    List->items_ = std::move(Items->items_);
    Items->items_.clear();
    old.clear();
    for (const auto& item : List->items_) item->On_HandedOver();
}

void TSmartCtrl::On_HandedOver()
{
    for (TControlList* list : SC_LIST)
        for (int i = 0; i < list->Count(); ++i) list->Control(i)->On_HandedOver();
}

void TSmartCtrl::ReDraw() { RequestRepaint(); }
