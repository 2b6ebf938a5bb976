#include "data/QV_HolderHost.h"

#include "controls/QV_CtrlManager.h"

namespace {
THolderHost* Host_ = nullptr;
}

THolderHost* HolderHost() { return Host_; }
void SetHolderHost(THolderHost* Host) { Host_ = Host; }

TSelectTipApi* SelectTip()
{
    TCtrlManager* manager = CtrlManager();
    return manager ? dynamic_cast<TSelectTipApi*>(manager->GetControlData(QStringLiteral("SelectTip"))) : nullptr;
}

TSmartTabApi* SmartTab()
{
    TCtrlManager* manager = CtrlManager();
    return manager ? dynamic_cast<TSmartTabApi*>(manager->GetControlData(QStringLiteral("SmartTab"))) : nullptr;
}

TRenameEditApi* VisibleRenameEdit()
{
    TCtrlManager* manager = CtrlManager();
    TSmartCtrl* edit = manager ? manager->GetControlData(QStringLiteral("RenameEdit")) : nullptr;
    return edit && edit->SC_VISIBLE ? dynamic_cast<TRenameEditApi*>(edit) : nullptr;
}
