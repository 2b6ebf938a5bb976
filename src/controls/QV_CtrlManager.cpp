#include "controls/QV_CtrlManager.h"

#include "controls/QV_ControlLayout.h"
#include "controls/QV_HotTracking.h"
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
    std::vector<TEdgeControl> edges;
    edges.reserve(size_t(CM_LIST->Count()));
    for (int i = 0; i < CM_LIST->Count(); ++i) {
        const TSmartCtrl* control = CM_LIST->Control(i);
        edges.push_back({control->SC_ALIGN, control->SC_VISIBLE, control->SC_CENTER, control->SC_WIDTH,
                         control->SC_HEIGHT});
    }
    const std::vector<TEdgePlacement> placed = ArrangeEdgeControls(edges, CM_PARENT_W, CM_PARENT_H);
    for (int i = 0; i < CM_LIST->Count(); ++i) {
        TSmartCtrl* control = CM_LIST->Control(i);
        const TEdgePlacement& place = placed[size_t(i)];
        if (place.Height) control->SetHeight(*place.Height);
        if (place.Pos) control->SetPosition(*place.Pos);
        if (place.Width) control->SC_WIDTH = *place.Width;
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
    MoveHot(CM_ACTIVE, hit, [&](TSmartCtrl* old) { Control_Leave(old, X, Y); },
            [&](TSmartCtrl* now) { Control_Enter(now, X, Y); });
    if (!Focus) return;
    CM_FOCUSE_TRY = hit;
    MoveFocus(CM_FOCUSE, hit, [&](TSmartCtrl* now) { Control_Focus(now, mbLeft, 0, X, Y); },
              [&](TSmartCtrl* old) { Control_UnFocus(old, mbLeft, 0, X, Y); });
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

void TCtrlManager::RegisterFactory(const QString& Command, TControlFactory Factory)
{
    factories_.insert(Command, std::move(Factory));
}

void TCtrlManager::SetDefaultFactory(TControlFactory Factory) { defaultFactory_ = std::move(Factory); }

TSmartCtrl* TCtrlManager::CreateControl(TSmartCtrl* Sender, const TParamString& Params)
{
    const QString command = Params.GetValue(QStringLiteral("CMD"), QString());
    const auto registered = factories_.constFind(command);
    const TControlFactory& factory = registered != factories_.cend() ? *registered : defaultFactory_;
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
