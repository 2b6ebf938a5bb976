#include "controls/QV_SmartCtrl.h"

#include "foundation/QV_System.h"
#include "platform/QV_Threads.h"

TControlList::TControlList() : CL_ID(QStringLiteral("TControlList") + MakeID()) {}

TControlList::~TControlList() = default;

bool TControlList::OffMainThread() const { return owner_ && !IsMainThread(); }

TSmartCtrl* TControlList::AddControl(TSmartCtrl* SmartCtrl)
{
    if (OffMainThread()) {
        TSmartCtrl* added = nullptr;
        Synchronize([&] { added = AddControl(SmartCtrl); });
        return added;
    }
    if (!SmartCtrl) return nullptr;
    if (!CL_ADD_DUPS && ControlExists(SmartCtrl->SC_ID)) {
        delete SmartCtrl;
        return nullptr;
    }
    return On_AddControl(SmartCtrl);
}

TSmartCtrl* TControlList::On_AddControl(TSmartCtrl* SmartCtrl)
{
    items_.emplace_back(SmartCtrl);
    return SmartCtrl;
}

TSmartCtrl* TControlList::Control(int IDX) const
{
    return IDX >= 0 && IDX < Count() ? items_[size_t(IDX)].get() : nullptr;
}

int TControlList::IndexOf(const TSmartCtrl* SmartCtrl) const
{
    for (int i = 0; i < Count(); ++i)
        if (items_[size_t(i)].get() == SmartCtrl) return i;
    return -1;
}

TSmartCtrl* TControlList::ControlAtXY(int X, int Y) const
{
    for (const auto& item : items_)
        if (item->Is_Control(X, Y)) return item.get();
    return nullptr;
}

bool TControlList::LastVisible(TSmartCtrl*& SmartCtrl, int StartIDX, TAlignSide Align) const
{
    SmartCtrl = nullptr;
    for (int i = std::min(StartIDX, Count()) - 1; i >= 0; --i) {
        TSmartCtrl* item = items_[size_t(i)].get();
        if (item->SC_VISIBLE && item->SC_ALIGN == Align) {
            SmartCtrl = item;
            return true;
        }
    }
    return false;
}

bool TControlList::ControlExists(const QString& ID) const
{
    for (const auto& item : items_)
        if (item->SC_ID == ID) return true;
    return false;
}

void TControlList::Delete(int IDX)
{
    if (OffMainThread()) {
        Synchronize([&] { Delete(IDX); });
        return;
    }
    if (IDX < 0 || IDX >= Count()) return;
    // Taken out first so the control's destructor never sees itself listed.
    std::unique_ptr<TSmartCtrl> gone = std::move(items_[size_t(IDX)]);
    items_.erase(items_.begin() + IDX);
}

std::unique_ptr<TSmartCtrl> TControlList::Take(int IDX)
{
    if (IDX < 0 || IDX >= Count()) return nullptr;
    std::unique_ptr<TSmartCtrl> taken = std::move(items_[size_t(IDX)]);
    items_.erase(items_.begin() + IDX);
    return taken;
}

void TControlList::Clear()
{
    if (OffMainThread()) {
        Synchronize([&] { Clear(); });
        return;
    }
    std::vector<std::unique_ptr<TSmartCtrl>> gone = std::move(items_);
    items_.clear();
}

// Handlers may change the list they are called from (a tab closing itself), so
// these loops index afresh on every step instead of holding iterators.

void TControlList::Force_On_Update()
{
    for (int i = 0; i < Count(); ++i)
        if (TSmartCtrl* item = Control(i); item->SC_VISIBLE) item->On_Update();
}

void TControlList::Force_On_UnFocus(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    for (int i = 0; i < Count(); ++i)
        if (TSmartCtrl* item = Control(i); item->SC_VISIBLE) item->On_UnFocus(Button, Shift, X, Y);
}

void TControlList::Force_On_Enter(int X, int Y)
{
    for (int i = 0; i < Count(); ++i)
        if (TSmartCtrl* item = Control(i); item->SC_VISIBLE) item->On_Enter(X, Y);
}

void TControlList::Force_On_Leave(int X, int Y)
{
    for (int i = 0; i < Count(); ++i)
        if (TSmartCtrl* item = Control(i); item->SC_VISIBLE) item->On_Leave(X, Y);
}

void TControlList::Force_On_Paint(TBitmap32& SC_CANVAS)
{
    for (int i = 0; i < Count(); ++i)
        if (TSmartCtrl* item = Control(i); item->SC_VISIBLE) item->On_Paint(SC_CANVAS);
}

void TControlList::Force_On_Resize(int W, int H)
{
    for (int i = 0; i < Count(); ++i)
        if (TSmartCtrl* item = Control(i); item->SC_VISIBLE) item->On_Resize(W, H);
}

void TControlList::NotifyEvent(const QString& ID)
{
    for (int i = 0; i < Count(); ++i)
        if (TSmartCtrl* item = Control(i); item->SC_VISIBLE) item->EventNotify(ID);
}
