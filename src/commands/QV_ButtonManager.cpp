#include "commands/QV_ButtonManager.h"

#include "commands/QV_CommandButtons.h"
#include "commands/QV_PlaceButtons.h"
#include "commands/QV_RecentTabs.h"
#include "commands/QV_TrashButton.h"
#include "controls/QV_CtrlManager.h"
#include "foundation/QV_System.h"

namespace {

struct TCommandEntry {
    const char* Command;
    TActionButton* (*Make)();
};

template <class T>
TActionButton* Make()
{
    return new T();
}

// In the order the settings dialogs list them.
const TCommandEntry CommandTable[] = {
    {"Places.Computer", Make<TBGoToMyPc>},
    {"Places.MyDocuments", Make<TBGoToMyDocs>},
    {"Places.RecycleBin", Make<TBGoToRecycleBin>},
    {"RecycleBin.Empty", Make<TBRecycleEmpty>},
    {"RecycleBin.Restore", Make<TBRecycleRestore>},
    {"RecycleBin.Delete", Make<TBRecycleDelete>},
    {"Item.Properties", Make<TBItemProperties>},
    {"Item.Copy", Make<TBItemCopy>},
    {"Item.Cut", Make<TBItemCut>},
    {"Item.Delete", Make<TBItemDelete>},
    {"Item.Paste", Make<TBItemPaste>},
    {"Item.Rename", Make<TBItemRename>},
    {"Item.SysMenu", Make<TBItemSysMenu>},
    {"Item.Group", Make<TBItemGroup>},
    {"Item.Group.Name", Make<TBItemGroupName>},
    {"Item.Group.Ext", Make<TBItemGroupExt>},
    {"Item.Group.Path", Make<TBItemGroupPath>},
    {"Item.SelectAll", Make<TBItemSelectAll>},
    {"Item.InTab", Make<TBItemInTab>},
    {"Item.InExplorer", Make<TBItemInExplorer>},
    {"Navigate.Back", Make<TBNavBack>},
    {"Navigate.Forward", Make<TBNavForward>},
    {"Navigate.Up", Make<TBNavUp>},
    {"Tabs.AddSearch", Make<TBTabAddSearch>},
    {"Tabs.AddFile", Make<TBTabAddFile>},
    {"Tabs.Close", Make<TBTabClose>},
    {"Tabs.CloseAll", Make<TBTabCloseAll>},
    {"Tabs.Clone", Make<TBTabClone>},
    {"Create.Folder", Make<TBCreateFolder>},
    {"Show.Menu", Make<TBShowMenu>},
    {"SmartMenu.Back", Make<TBMenuBack>},
    {"Search.Toggle", Make<TBSearchToggle>},
    {"Dialog.SearchBrowse", Make<TBDialogSearchBrowse>},
    {"Dialog.OpenWith", Make<TBShowOpenWith>},
    {"Control.Settings", Make<TBControlSettings>},
    {"Qorvel.Menu", Make<TBQorvelMenu>},
    {"Qorvel.Settings", Make<TBShowSettings>},
    {"Qorvel.About", Make<TBQorvelAbout>},
    {"Text.Copy", Make<TBTextCopy>},
    {"Text.Cut", Make<TBTextCut>},
    {"Text.Paste", Make<TBTextPaste>},
    {"Text.Delete", Make<TBTextDelete>},
    {"Customize.Folder", Make<TBShowFolderCustomize>},
    {"Recent.Tabs.Item", Make<TBRecentTabItem>},
    {"Recent.Tabs", Make<TBRecentTabs>},
    {"Recent.Tabs.Clear", Make<TBRecentTabsClear>},
};

}  // namespace

TActionButton* TButtonManager::CreateButton(TSmartCtrl* Sender, const TParamString& Params) const
{
    const QString command = Params.GetValue(QStringLiteral("CMD"), QString());
    if (command.isEmpty()) return nullptr;
    TActionButton* (*make)() = nullptr;
    for (const TCommandEntry& entry : CommandTable)
        if (command == QLatin1String(entry.Command)) make = entry.Make;
    // Only a command that is no identifier is looked up on disk.
    if (!make && PathExists(ResolvePath(command))) make = Make<TExecButton>;
    if (!make) return nullptr;
    TActionButton* button = make();
    button->SC_PARENT = Sender;
    button->SetParams(Params);
    return button;
}

bool TButtonManager::CreateButton(TSmartCtrl* Sender, const TParamString& Params, TControlList* List) const
{
    if (!List) return false;
    TActionButton* button = CreateButton(Sender, Params);
    return button && List->AddControl(button);
}

QStringList TButtonManager::KnownCommands()
{
    QStringList commands;
    for (const TCommandEntry& entry : CommandTable) commands.append(QString::fromLatin1(entry.Command));
    commands << QStringLiteral("QuickFilter") << QStringLiteral("PathEdit");
    return commands;
}

void RegisterCommandControls(TCtrlManager& Manager, const TButtonManager& Registry)
{
    Manager.SetDefaultFactory(
        [&Registry](TSmartCtrl* Sender, const TParamString& Params) { return Registry.CreateButton(Sender, Params); });
}
