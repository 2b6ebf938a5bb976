#include "widgets/QV_WidgetControls.h"

#include "controls/QV_CtrlManager.h"
#include "controls/QV_HotTracking.h"
#include "widgets/QV_SmartEdit.h"

#include <vector>

namespace {

TFilterEdit* FindFilterIn(TSmartCtrl* Control)
{
    if (!Control || !Control->SC_VISIBLE) return nullptr;
    if (auto* edit = dynamic_cast<TFilterEdit*>(Control)) return edit;
    for (TControlList* list : Control->SC_LIST)
        for (int i = 0; i < list->Count(); ++i)
            if (TFilterEdit* found = FindFilterIn(list->Control(i))) return found;
    return nullptr;
}

}  // namespace

void RegisterWidgetControls(TCtrlManager& Manager)
{
    Manager.RegisterFactory(QStringLiteral("QuickFilter"), [](TSmartCtrl*, const TParamString&) -> TSmartCtrl* {
        return new TFilterEdit();
    });
    Manager.RegisterFactory(QStringLiteral("PathEdit"), [](TSmartCtrl*, const TParamString&) -> TSmartCtrl* {
        return new TPathEdit();
    });
}

TSmartCtrl* FocusedLeaf(const TCtrlManager& Manager)
{
    TSmartCtrl* control = Manager.FocusedControl();
    while (control && control->SC_FOCUSE) control = control->SC_FOCUSE;
    return control;
}

TSmartEdit* FocusedEdit(const TCtrlManager& Manager)
{
    auto* edit = dynamic_cast<TSmartEdit*>(FocusedLeaf(Manager));
    return edit && edit->SC_VISIBLE && edit->SC_FOCUSED ? edit : nullptr;
}

TFilterEdit* FindQuickFilter(const TCtrlManager& Manager)
{
    for (int i = 0; i < Manager.ControlCount(); ++i)
        if (TFilterEdit* found = FindFilterIn(Manager.GetControlData(i))) return found;
    return nullptr;
}

void FocusControl(TCtrlManager& Manager, TSmartCtrl* Control)
{
    if (!Control) return;
    std::vector<TSmartCtrl*> chain{Control};
    while (chain.back()->SC_PARENT) chain.push_back(chain.back()->SC_PARENT);
    Manager.ControlFocus(chain.back());
    // From the outermost parent inwards, each focuses the next, as a click would.
    for (size_t i = chain.size() - 1; i > 0; --i) {
        TSmartCtrl* parent = chain[i];
        TSmartCtrl* child = chain[i - 1];
        MoveFocus(
            parent->SC_FOCUSE, child, [parent](TSmartCtrl* c) { parent->Item_Focus(c, 0, 0); },
            [parent](TSmartCtrl* c) { parent->Item_UnFocus(c, 0, 0); });
    }
}
