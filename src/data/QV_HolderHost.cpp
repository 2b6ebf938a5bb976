#include "data/QV_HolderHost.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_ShellBridge.h"
#include "foundation/QV_Context.h"

#include <atomic>

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

namespace {
std::atomic<TShellBridge*> InstalledShell{nullptr};
}

TShellBridge* ShellBridge() { return InstalledShell.load(); }
void SetShellBridge(TShellBridge* Bridge) { InstalledShell.store(Bridge); }

TRenameEditApi* RenameEdit()
{
    TCtrlManager* manager = CtrlManager();
    return manager ? dynamic_cast<TRenameEditApi*>(manager->GetControlData(QStringLiteral("RenameEdit"))) : nullptr;
}
