#include "controls/QV_CtrlManager.h"

#include "controls/QV_Repaint.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_System.h"
#include "platform/ini/QV_IniFile.h"

#include <atomic>

TCtrlManager* CtrlManager() { return QvContext().CtrlManager.load(std::memory_order_acquire); }

void SetCtrlManager(TCtrlManager* Manager) { QvContext().CtrlManager.store(Manager, std::memory_order_release); }

TCtrlManager::TCtrlManager() : CM_LIST(new TControlList) {}

TCtrlManager::~TCtrlManager()
{
    CM_ACTIVE = CM_ACTIVE_TRY = CM_FOCUSE = CM_FOCUSE_TRY = nullptr;
    CM_LIST->Clear();
    delete CM_LIST;
}

// --- Registration and lookup ---

TSmartCtrl* TCtrlManager::AddControl(const QString& ID, TSmartCtrl* SmartCtrl)
{
    if (!SmartCtrl) return nullptr;
    if (GetControlIDX(ID) >= 0) {
        delete SmartCtrl;
        return nullptr;
    }
    SmartCtrl->SC_ID = ID;
    return CM_LIST->AddControl(SmartCtrl);
}

int TCtrlManager::GetControlIDX(const QString& ID) const
{
    for (int i = 0; i < CM_LIST->Count(); ++i)
        if (CM_LIST->Control(i)->SC_ID == ID) return i;
    return -1;
}

TSmartCtrl* TCtrlManager::GetControlData(const QString& ID) const { return CM_LIST->Control(GetControlIDX(ID)); }

TSmartCtrl* TCtrlManager::GetControlData(int IDX) const { return CM_LIST->Control(IDX); }

TSmartCtrl* TCtrlManager::GetControlData(int IDX, TSmartCtrl*& SmartCtrl) const
{
    SmartCtrl = CM_LIST->Control(IDX);
    return SmartCtrl;
}

// --- Layout and painting ---

void TCtrlManager::On_Resize(int W, int H)
{
    CM_PARENT_W = W;
    CM_PARENT_H = H;
    ArrangeControls();
    for (int i = 0; i < CM_LIST->Count(); ++i)
        if (TSmartCtrl* control = CM_LIST->Control(i); control->SC_VISIBLE) control->On_Resize(W, H);
}

void TCtrlManager::ArrangeControls()
{
    const int W = CM_PARENT_W, H = CM_PARENT_H;
    int top = 0, bottom = H;
    TSmartCtrl* predecessor = nullptr;

    for (int i = 0; i < CM_LIST->Count(); ++i) {
        TSmartCtrl* control = CM_LIST->Control(i);
        if (!control->SC_VISIBLE) continue;
        const bool before = CM_LIST->LastVisible(predecessor, i, control->SC_ALIGN);
        if (control->SC_ALIGN == asTop) {
            const int y = before ? predecessor->SC_POS.y() + predecessor->SC_HEIGHT : 0;
            control->SetPosition(QPoint(0, y));
            control->SC_WIDTH = W;
            top = y + control->SC_HEIGHT;
        } else if (control->SC_ALIGN == asBot) {
            const int y = before ? predecessor->SC_POS.y() - control->SC_HEIGHT : H - control->SC_HEIGHT;
            control->SetPosition(QPoint(0, y));
            control->SC_WIDTH = W;
            bottom = y;
        }
    }

    // Hidden controls are placed too, so they appear in place when shown, but
    // LastVisible never takes them as predecessors.
    for (int i = 0; i < CM_LIST->Count(); ++i) {
        TSmartCtrl* control = CM_LIST->Control(i);
        int x;
        const bool before = CM_LIST->LastVisible(predecessor, i, control->SC_ALIGN);
        if (control->SC_ALIGN == asLeft)
            x = before ? predecessor->SC_POS.x() + predecessor->SC_WIDTH : 0;
        else if (control->SC_ALIGN == asRight)
            x = before ? predecessor->SC_POS.x() - control->SC_WIDTH : W - control->SC_WIDTH;
        else
            continue;
        if (!control->SC_CENTER) {
            control->SetHeight(bottom - top);
            control->SetPosition(QPoint(x, top));
        } else {
            control->SetPosition(QPoint(x, top + (bottom - top - control->SC_HEIGHT) / 2));
        }
    }
}

void TCtrlManager::PaintControls(TBitmap32& CM_CANVAS)
{
    for (int i = 0; i < CM_LIST->Count(); ++i)
        if (TSmartCtrl* control = CM_LIST->Control(i); control->SC_VISIBLE) control->On_Paint(CM_CANVAS);
}

// --- Hit testing and notifications ---

TSmartCtrl* TCtrlManager::ControlAtXY(int X, int Y) const
{
    for (int i = CM_LIST->Count() - 1; i >= 0; --i) {
        TSmartCtrl* control = CM_LIST->Control(i);
        if (control->SC_VISIBLE && control->SC_ENABLED && control->Is_Control(X, Y)) return control;
    }
    return nullptr;
}

TSmartCtrl* TCtrlManager::ControlNotify(int X, int Y, bool Focus)
{
    TSmartCtrl* hit = ControlAtXY(X, Y);
    CM_ACTIVE_TRY = hit;
    Track(hit, X, Y, Focus);
    return hit;
}

TSmartCtrl* TCtrlManager::ControlFocus(TSmartCtrl* SmartCtrl)
{
    Track(SmartCtrl, 0, 0, true);
    return SmartCtrl;
}

void TCtrlManager::Track(TSmartCtrl* hit, int X, int Y, bool Focus)
{
    if (hit != CM_ACTIVE) {
        Control_Leave(CM_ACTIVE, X, Y);
        Control_Enter(hit, X, Y);
        CM_ACTIVE = hit;
    }
    if (!Focus) return;
    CM_FOCUSE_TRY = hit;
    if (hit != CM_FOCUSE) {
        // The new control hears of its focus before the old one of its loss.
        TSmartCtrl* old = CM_FOCUSE;
        Control_Focus(hit, mbLeft, 0, X, Y);
        Control_UnFocus(old, mbLeft, 0, X, Y);
        CM_FOCUSE = hit;
    }
}

void TCtrlManager::Control_Enter(TSmartCtrl* SmartCtrl, int X, int Y)
{
    if (!SmartCtrl) return;
    SmartCtrl->On_Enter(X, Y);
    RequestRepaint();
}

void TCtrlManager::Control_Leave(TSmartCtrl* SmartCtrl, int X, int Y)
{
    if (SmartCtrl) SmartCtrl->On_Leave(X, Y);
    RequestRepaint();
}

TSmartCtrl* TCtrlManager::Control_Focus(TSmartCtrl* SmartCtrl, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (SmartCtrl) {
        SmartCtrl->SC_FOCUSED = true;
        SmartCtrl->On_Focus(Button, Shift, X, Y);
    }
    return nullptr;
}

TSmartCtrl* TCtrlManager::Control_UnFocus(TSmartCtrl* SmartCtrl, TMouseButton Button, TShiftState Shift, int X,
                                          int Y)
{
    if (SmartCtrl) {
        SmartCtrl->SC_FOCUSED = false;
        SmartCtrl->On_UnFocus(Button, Shift, X, Y);
    }
    return nullptr;
}

void TCtrlManager::Control_UnFocusAll()
{
    for (int i = 0; i < CM_LIST->Count(); ++i)
        if (TSmartCtrl* control = CM_LIST->Control(i); control->SC_VISIBLE) control->On_UnFocus(mbLeft, 0, 0, 0);
}

// --- Input entry points ---

TSmartCtrl* TCtrlManager::On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* hit = ControlNotify(X, Y, true);
    return hit && hit->SC_VISIBLE ? hit->On_MouseDown(Button, Shift, X, Y) : nullptr;
}

TSmartCtrl* TCtrlManager::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* hit = ControlNotify(X, Y, false);
    return hit && hit->SC_VISIBLE ? hit->On_MouseUp(Button, Shift, X, Y) : nullptr;
}

TSmartCtrl* TCtrlManager::On_MouseMove(TShiftState Shift, int X, int Y)
{
    TSmartCtrl* hit = ControlNotify(X, Y, false);
    return hit && hit->SC_VISIBLE ? hit->On_MouseMove(Shift, X, Y) : nullptr;
}

TSmartCtrl* TCtrlManager::On_MouseWheel(TWMMouseWheel& Msg)
{
    return CM_ACTIVE ? CM_ACTIVE->On_MouseWheel(Msg) : nullptr;
}

void TCtrlManager::On_KeyPress(QChar& Key)
{
    if (CM_FOCUSE) CM_FOCUSE->On_KeyPress(Key);
    Control_Update();
    RequestRepaint();
}

void TCtrlManager::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    if (CM_FOCUSE) CM_FOCUSE->On_KeyDown(Key, Shift);
    Control_Update();
    RequestRepaint();
}

// --- Visibility, updates and events ---

bool TCtrlManager::Control_Hide(const QString& ID)
{
    TSmartCtrl* control = GetControlData(ID);
    if (!control) return false;
    control->SC_VISIBLE = false;
    RequestRepaint();
    return true;
}

bool TCtrlManager::Control_Show(const QString& ID)
{
    TSmartCtrl* control = GetControlData(ID);
    if (!control) return false;
    control->SetVisible(true);
    return true;
}

bool TCtrlManager::Control_Show(const QString& ID, TSmartCtrl*& SmartCtrl)
{
    SmartCtrl = GetControlData(ID);
    if (!SmartCtrl) return false;
    SmartCtrl->SetVisible(true);
    SmartCtrl->On_Resize(0, 0);
    RequestRepaint();
    return true;
}

void TCtrlManager::Control_Update()
{
    for (int i = 0; i < CM_LIST->Count(); ++i)
        if (TSmartCtrl* control = CM_LIST->Control(i); control->SC_VISIBLE) control->On_Update();
}

void TCtrlManager::EventNotify(const QString& ID)
{
    for (int i = 0; i < CM_LIST->Count(); ++i) CM_LIST->Control(i)->EventNotify(ID);
}

// --- Creating controls from parameter strings ---

void TCtrlManager::SetFactory(TFactoryKind Kind, TControlFactory Factory) { Factories_[Kind] = std::move(Factory); }

TSmartCtrl* TCtrlManager::CreateControl(TSmartCtrl* Sender, const TParamString& Params)
{
    const QString command = Params.GetValue(QStringLiteral("CMD"), QString());
    TFactoryKind kind = fkButton;
    if (command == QLatin1String("QuickFilter")) kind = fkFilterEdit;
    else if (command == QLatin1String("PathEdit")) kind = fkPathEdit;
    const TControlFactory& factory = Factories_[kind];
    TSmartCtrl* control = factory ? factory(Sender, Params) : nullptr;
    if (!control) return nullptr;
    control->SC_PARENT = Sender;
    control->SetParams(Params);
    return control;
}

TSmartCtrl* TCtrlManager::CreateControl(TSmartCtrl* Sender, const TParamString& Params, TControlList* List)
{
    if (!List) return nullptr;
    const QString id = Params.GetValue(QStringLiteral("CMD"), QString()) +
                       Params.GetValue(QStringLiteral("Param1"), QString()) +
                       Params.GetValue(QStringLiteral("Param2"), QString());
    if (List->ControlExists(id)) return nullptr;
    TSmartCtrl* control = CreateControl(Sender, Params);
    return control ? List->AddControl(control) : nullptr;
}

void TCtrlManager::LoadControls(TSmartCtrl* Sender, const QString&, const QString& Section, TControlList* List)
{
    const QString file = ResolvePath(QStringLiteral("SettingsFile:\\"));
    for (const auto& [key, value] : IniSectionEntries(file, Section))
        CreateControl(Sender, TParamString{key + QLatin1Char('=') + value}, List);
}
