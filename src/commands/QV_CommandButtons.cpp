#include "commands/QV_CommandButtons.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_HolderHost.h"

namespace {

// The view's operations, when there is a view.
template <class F>
void OnHost(F&& operation)
{
    if (THolderHost* host = HolderHost()) operation(*host);
}

// Runs f on the sender when it is an edit field.
template <class F>
void OnEdit(TSmartCtrl* parent, F&& f)
{
    if (auto* edit = dynamic_cast<TTextEditApi*>(parent)) f(*edit);
}

}  // namespace

// Defines a button whose left release runs one operation of the view.
#define QV_LEFT_ACTION(ClassName, Action)                                                         \
    TSmartCtrl* ClassName::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)       \
    {                                                                                             \
        TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);                       \
        if (taken && Button == mbLeft) OnHost([&](THolderHost & host) { Action; });                        \
        return taken;                                                                             \
    }

QV_LEFT_ACTION(TBItemProperties, host.ShowPropDialog())
QV_LEFT_ACTION(TBRecycleRestore, host.RecycleBinRestore())
QV_LEFT_ACTION(TBRecycleDelete, host.FilesDelete(true))
QV_LEFT_ACTION(TBItemCopy, host.ClipboardCopy())
QV_LEFT_ACTION(TBItemCut, host.ClipboardCut())
QV_LEFT_ACTION(TBItemDelete, host.FilesDelete(false))
QV_LEFT_ACTION(TBItemPaste, host.ClipboardPaste())
QV_LEFT_ACTION(TBItemSysMenu, host.SystemMenu(QPoint(X, Y)))
QV_LEFT_ACTION(TBItemGroupName, host.GroupItems(QStringLiteral("Name")))
QV_LEFT_ACTION(TBItemGroupExt, host.GroupItems(QStringLiteral("Ext")))
QV_LEFT_ACTION(TBItemGroupPath, host.GroupItems(QStringLiteral("Path")))
QV_LEFT_ACTION(TBItemSelectAll, host.FilesSelectAll())
QV_LEFT_ACTION(TBItemInTab, host.OpenInNewTab())
QV_LEFT_ACTION(TBItemInExplorer, host.OpenInExplorer())
QV_LEFT_ACTION(TBNavBack, host.GoBack())
QV_LEFT_ACTION(TBNavForward, host.GoFwrd())
QV_LEFT_ACTION(TBNavUp, host.GoUp())
QV_LEFT_ACTION(TBTabAddSearch, host.AddSearchTab(QString(), true))
QV_LEFT_ACTION(TBTabAddFile, host.AddFileTab(QDrivePath, true))
QV_LEFT_ACTION(TBTabCloseAll, host.RemoveTabs())
QV_LEFT_ACTION(TBCreateFolder, host.CreateFolder())
QV_LEFT_ACTION(TBSearchToggle, host.ToggleSearch())
QV_LEFT_ACTION(TBDialogSearchBrowse, host.DialogSearchFolder())
QV_LEFT_ACTION(TBShowOpenWith, host.DialogOpenWith())
QV_LEFT_ACTION(TBQorvelMenu, host.PopUpButtonMenu(this, {QStringLiteral("MainMenu")}))
QV_LEFT_ACTION(TBShowSettings, host.ShowSettings())
QV_LEFT_ACTION(TBShowFolderCustomize, host.DialogFolder())

#undef QV_LEFT_ACTION

TSmartCtrl* TBRecycleEmpty::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft) OnHost([](THolderHost& host) { host.RecycleBinEmpty(true); });
    // Whatever happened, the trash buttons count again.
    if (TCtrlManager* manager = CtrlManager()) {
        manager->Control_Update();
        manager->EventNotify(QStringLiteral("FolderChanged"));
    }
    return taken;
}

TSmartCtrl* TBItemRename::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft) OnHost([](THolderHost& host) { host.FilesRename(false); });
    if (Button == mbMiddle)
        OnHost([](THolderHost& host) {
            host.FilesRename(true);
            host.PopDownMenu();
        });
    return taken;
}

TSmartCtrl* TBTabClose::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button != mbLeft) return taken;
    // A tab's own close button, or an item of a tab's menu, closes that tab.
    QString id;
    if (SC_PARENT) id = SC_PARENT->SC_ID;
    else if (const TDataCore* core = DataCore(); core && core->DC_HOLDER) id = core->DC_HOLDER->DH_ID;
    if (!id.isEmpty()) OnHost([&](THolderHost& host) { host.RemHolder(id); });
    return taken;
}

TSmartCtrl* TBTabClone::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft && SC_PARENT) OnHost([this](THolderHost& host) { host.DuplicateHolder(SC_PARENT->SC_ID); });
    return taken;
}

TSmartCtrl* TBShowMenu::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft && SC_PARENT && !SC_PARENT->SC_MENU.isEmpty())
        OnHost([this](THolderHost& host) { host.PopUpButtonMenu(SC_PARENT, {SC_PARENT->SC_MENU}); });
    return taken;
}

TSmartCtrl* TBQorvelAbout::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    OnHost([](THolderHost& host) { host.ShowAboutDialog(); });
    return taken;
}

TSmartCtrl* TBTextCopy::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft) OnEdit(SC_PARENT, [](TTextEditApi& edit) { edit.CopyToClipboard(); });
    return taken;
}

TSmartCtrl* TBTextCut::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft) OnEdit(SC_PARENT, [](TTextEditApi& edit) { edit.CutToClipboard(); });
    return taken;
}

TSmartCtrl* TBTextPaste::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft) OnEdit(SC_PARENT, [](TTextEditApi& edit) { edit.PasteFromClipboard(); });
    return taken;
}

TSmartCtrl* TBTextDelete::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft) OnEdit(SC_PARENT, [](TTextEditApi& edit) { edit.ClearText(); });
    return taken;
}

// --- Buttons with parameters of their own ---

void TBItemGroup::SetParams(const TParamString& Params)
{
    TActionButton::SetParams(Params);
    SC_MENU = Params.GetValue(QStringLiteral("Menu"), QStringLiteral("ItemGroup"));
    AB_P1 = Params.GetValue(QStringLiteral("P1"), QStringLiteral("Name"));
}

TSmartCtrl* TBItemGroup::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft) OnHost([this](THolderHost& host) { host.GroupItems(AB_P1); });
    return taken;
}

void TBControlSettings::SetParams(const TParamString& Params)
{
    TActionButton::SetParams(Params);
    AB_CAPTION = ButtonText(QStringLiteral("Control.Settings"), AB_CAPTION) + QLatin1Char(' ') + AB_P1;
}

TSmartCtrl* TBControlSettings::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft && !AB_P1.isEmpty()) OnHost([this](THolderHost& host) { host.ShowControlItems(AB_P1); });
    return taken;
}
