#pragma once
// Shared by the widget tests: the shipped theme, one control manager in the
// context with a view size, beeps counted instead of sounded, and key and
// mouse helpers that speak to a control as the view does.

#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Context.h"
#include "support/QV_TestSupport.h"
#include "widgets/QV_SmartEdit.h"

#include <gtest/gtest.h>

class WidgetFixture : public ::testing::Test {
protected:
    WidgetFixture()
    {
        savedBeep_ = EditBeepHook();
        EditBeepHook() = [this] { ++Beeps; };
        Manager.CM_PARENT_W = 900;
        Manager.CM_PARENT_H = 600;
    }
    ~WidgetFixture() override { EditBeepHook() = savedBeep_; }

    // A top-level edit at (10, 10), 200 wide, focused.
    template <class T = TSmartEdit>
    T* AddEdit(const QString& id = "Edit")
    {
        auto* edit = static_cast<T*>(Manager.AddControl(id, new T()));
        edit->SetVisible(true);
        edit->SetPosition(QPoint(10, 10));
        edit->SetWidth(200);
        edit->On_Resize(900, 600);
        Manager.ControlFocus(edit);
        return edit;
    }
    static void Type(TSmartCtrl* c, const QString& text)
    {
        for (QChar ch : text) c->On_KeyPress(ch);
    }
    static void Key(TSmartCtrl* c, TKeyCode code, TShiftState shift = 0) { c->On_KeyDown(code, shift); }
    // The view x of a caret place of the edit.
    static int XOf(TSmartEdit* e, int place) { return e->CharToPos(place).x() + 2; }
    static int MidY(TSmartCtrl* c) { return c->SC_POS.y() + c->SC_HEIGHT / 2; }

    TAliasScope Aliases{BuildDir()};
    TCtrlManager Manager;
    TQvContextScope Context{{.CtrlManager = &Manager}};
    int Beeps = 0;

private:
    std::function<void()> savedBeep_;
};
