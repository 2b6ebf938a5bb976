#include "data/QV_HolderHost.h"

#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Context.h"

THolderHost* HolderHost() { return QvContext().HolderHost.load(); }
void SetHolderHost(THolderHost* Host) { QvContext().HolderHost.store(Host); }

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

TRenameEditApi* RenameEdit()
{
    TCtrlManager* manager = CtrlManager();
    return manager ? dynamic_cast<TRenameEditApi*>(manager->GetControlData(QStringLiteral("RenameEdit"))) : nullptr;
}
