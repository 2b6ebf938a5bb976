#pragma once
// A control that writes every notification it receives into a shared log as
// "<name>.<event>", so tests can check the order in which controls hear of
// things.

#include "controls/QV_SmartCtrl.h"

#include <QStringList>

class TProbe : public TSmartCtrl {
    QV_SMART_CLASS(TProbe, TSmartCtrl)
public:
    TProbe(QStringList* log, const QString& name, QRect bounds, bool* destroyed = nullptr)
        : Log(log), Name(name), Destroyed(destroyed)
    {
        SC_ID = name;
        SC_POS = bounds.topLeft();
        SC_WIDTH = bounds.width();
        SC_HEIGHT = bounds.height();
        UpdateRects();
    }
    ~TProbe() override
    {
        if (Destroyed) *Destroyed = true;
    }

    QStringList* Log;
    QString Name;
    bool* Destroyed;

    void Note(const char* event) const
    {
        if (Log) Log->append(Name + QLatin1Char('.') + QLatin1String(event));
    }

    void On_Paint(TBitmap32& canvas) override { Note("Paint"); TSmartCtrl::On_Paint(canvas); }
    void On_Enter(int X, int Y) override { Note("Enter"); TSmartCtrl::On_Enter(X, Y); }
    void On_Leave(int X, int Y) override { Note("Leave"); TSmartCtrl::On_Leave(X, Y); }
    TSmartCtrl* On_Focus(TMouseButton b, TShiftState s, int X, int Y) override
    {
        Note("Focus");
        return TSmartCtrl::On_Focus(b, s, X, Y);
    }
    TSmartCtrl* On_UnFocus(TMouseButton b, TShiftState s, int X, int Y) override
    {
        Note("UnFocus");
        return TSmartCtrl::On_UnFocus(b, s, X, Y);
    }
    void On_Resize(int W, int H) override { Note("Resize"); TSmartCtrl::On_Resize(W, H); }
    void On_Arrange() override { Note("Arrange"); }
    void On_Show() override { Note("Show"); TSmartCtrl::On_Show(); }
    void On_Hide() override { Note("Hide"); TSmartCtrl::On_Hide(); }
    void On_KeyPress(QChar& Key) override { Note("KeyPress"); TSmartCtrl::On_KeyPress(Key); }
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override { Note("KeyDown"); TSmartCtrl::On_KeyDown(Key, Shift); }
    TSmartCtrl* On_MouseDown(TMouseButton b, TShiftState s, int X, int Y) override
    {
        Note("MouseDown");
        return TSmartCtrl::On_MouseDown(b, s, X, Y);
    }
    TSmartCtrl* On_MouseMove(TShiftState s, int X, int Y) override
    {
        Note("MouseMove");
        return TSmartCtrl::On_MouseMove(s, X, Y);
    }
    void On_KeyUp(TKeyCode& Key, TShiftState Shift) override { Note("KeyUp"); TSmartCtrl::On_KeyUp(Key, Shift); }
    TSmartCtrl* On_MouseUp(TMouseButton b, TShiftState s, int X, int Y) override
    {
        Note("MouseUp");
        return TSmartCtrl::On_MouseUp(b, s, X, Y);
    }
    TSmartCtrl* On_MouseDouble(TMouseButton b, TShiftState s, int X, int Y) override
    {
        Note("MouseDouble");
        return TSmartCtrl::On_MouseDouble(b, s, X, Y);
    }
    TSmartCtrl* On_MouseWheel(TWMMouseWheel& Msg) override
    {
        Note("Wheel");
        return TSmartCtrl::On_MouseWheel(Msg);
    }
    void On_Update() override { Note("Update"); TSmartCtrl::On_Update(); }
    void EventNotify(const QString& ID) override { Note("Event"); TSmartCtrl::EventNotify(ID); }

    using TSmartCtrl::UpdateRects;
};
