#pragma once
// The manager of the view's top-level controls: it lays them out against the
// view's client size, paints them in registration order, finds the control
// under the mouse (in reverse order), keeps one hot and one focused control
// with their enter/leave and focus/unfocus notifications, broadcasts named
// events and shows or hides controls by identifier. It also builds controls
// from parameter strings and fills control lists from sections of the
// settings file.
//
// Threads: main thread only, except CreateControl and LoadControls, which a
// bar's worker calls to fill a detached list (see QV_SmartCtrl.h). The
// factories are set once at start, before any worker runs, and only read
// afterwards.

#include "controls/QV_SmartCtrl.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

// Builds the control a parameter string's command names, with its sender; nil
// when it knows none. May run on a worker thread.
using TControlFactory = std::function<TSmartCtrl*(TSmartCtrl* Sender, const TParamString& Params)>;

class TCtrlManager {
public:
    TCtrlManager();
    ~TCtrlManager();
    TCtrlManager(const TCtrlManager&) = delete;
    TCtrlManager& operator=(const TCtrlManager&) = delete;

    TSmartCtrl* CM_ACTIVE = nullptr;      // the hot control
    TSmartCtrl* CM_ACTIVE_TRY = nullptr;  // the result of the last hit test
    TSmartCtrl* CM_FOCUSE = nullptr;      // the focused control; keys go to it
    TSmartCtrl* CM_FOCUSE_TRY = nullptr;  // the result of the last focusing hit test
    TControlList* CM_LIST;                // owned; owns the controls
    QObject* CM_PARENT = nullptr;         // the main view; not read here
    qint32 CM_PARENT_W = 0, CM_PARENT_H = 0;

    // --- Registration and lookup ---
    // Takes ownership. A second control under a registered identifier is
    // destroyed and the answer is nil; otherwise SC_ID := ID.
    TSmartCtrl* AddControl(const QString& ID, TSmartCtrl* SmartCtrl);
    int GetControlIDX(const QString& ID) const;
    TSmartCtrl* GetControlData(const QString& ID) const;
    TSmartCtrl* GetControlData(int IDX) const;
    TSmartCtrl* GetControlData(int IDX, TSmartCtrl*& SmartCtrl) const;
    int ControlCount() const { return CM_LIST->Count(); }
    TSmartCtrl* FocusedControl() const { return CM_FOCUSE; }

    // --- Layout and painting ---
    // Stores the size, arranges, then resizes every visible control.
    void On_Resize(int W, int H);
    void On_Resize() { On_Resize(CM_PARENT_W, CM_PARENT_H); }
    // Top and bottom controls stack from the edges in registration order; left
    // and right controls line up in the band between them.
    void ArrangeControls();
    void PaintControls(TBitmap32& CM_CANVAS);

    // --- Hit testing and notifications ---
    // From the last registered to the first: visible, enabled and containing
    // the point, edges included.
    TSmartCtrl* ControlAtXY(int X, int Y) const;
    // The hot and focus tracking: Leave before Enter, Focus before UnFocus.
    TSmartCtrl* ControlNotify(int X, int Y, bool Focus);
    // Makes the control hot and focused as if pressed at (0, 0).
    TSmartCtrl* ControlFocus(TSmartCtrl* SmartCtrl);
    void Control_Enter(TSmartCtrl* SmartCtrl, int X, int Y);
    void Control_Leave(TSmartCtrl* SmartCtrl, int X, int Y);
    TSmartCtrl* Control_Focus(TSmartCtrl* SmartCtrl, TMouseButton Button, TShiftState Shift, int X, int Y);
    TSmartCtrl* Control_UnFocus(TSmartCtrl* SmartCtrl, TMouseButton Button, TShiftState Shift, int X, int Y);
    // Every visible control hears On_UnFocus; CM_FOCUSE stays.
    void Control_UnFocusAll();

    // --- Input entry points: the control that took the event, or nil ---
    TSmartCtrl* On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    TSmartCtrl* On_MouseMove(TShiftState Shift, int X, int Y);
    // The hot control's answer, nil without a hot control.
    TSmartCtrl* On_MouseWheel(TWMMouseWheel& Msg);
    // The focused control gets the key; then every control updates and the view
    // repaints.
    void On_KeyPress(QChar& Key);
    void On_KeyDown(TKeyCode& Key, TShiftState Shift);

    // --- Visibility, updates and events ---
    // SC_VISIBLE := false without On_Hide; false for an unknown identifier.
    bool Control_Hide(const QString& ID);
    // Through the Visible property, so On_Show runs.
    bool Control_Show(const QString& ID);
    // The same, then the control's On_Resize(0, 0) and a repaint.
    bool Control_Show(const QString& ID, TSmartCtrl*& SmartCtrl);
    void Control_Update();
    // Every registered control, hidden ones included; each passes it to its
    // visible descendants.
    void EventNotify(const QString& ID);

    // --- Creating controls from parameter strings ---
    // Each folder that owns controls registers their makers at start: the
    // factory of one command (the edit fields: "QuickFilter", "PathEdit"), and
    // the command registry as the default factory, which makes every other
    // command's button. A command without a maker creates nothing.
    void RegisterFactory(const QString& Command, TControlFactory Factory);
    void SetDefaultFactory(TControlFactory Factory);
    // By "CMD", through its registered factory or else the default one. The
    // control gets SC_PARENT := Sender, then SetParams(Params). Nil when
    // nothing is made.
    TSmartCtrl* CreateControl(TSmartCtrl* Sender, const TParamString& Params);
    // Nothing is made, and the answer is nil, when List already holds a control
    // with the identifier CMD + Param1 + Param2 (or List is nil); otherwise the
    // made control is added to List.
    TSmartCtrl* CreateControl(TSmartCtrl* Sender, const TParamString& Params, TControlList* List);
    // Each line "key=value" of Section of the settings file, in file order, as
    // the parameter string of CreateControl(Sender, line, List). Path is not
    // consulted: the settings file is always the one read.
    void LoadControls(TSmartCtrl* Sender, const QString& Path, const QString& Section, TControlList* List);

private:
    // Moves the hot control (Leave before Enter) and, with Focus, the focused
    // control (Focus before UnFocus) to hit.
    void Track(TSmartCtrl* hit, int X, int Y, bool Focus);

    QHash<QString, TControlFactory> factories_;
    TControlFactory defaultFactory_;
};

// The process-wide control manager, set by the view for its lifetime; nil
// before. Any thread may read it.
TCtrlManager* CtrlManager();
void SetCtrlManager(TCtrlManager* Manager);
