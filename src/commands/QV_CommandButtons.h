#pragma once
// The command buttons whose click is one operation of the view: one class per
// command identifier, so that owners and tests can tell them apart. Each first
// runs the action button's release (a right release pops up its own menu),
// then adds the action of the mouse button released. The operations reach the
// view through THolderHost; without a host a click does nothing.

#include "commands/QV_ActionButton.h"

// Declares a command button class that only adds a release action.
#define QV_COMMAND_BUTTON(ClassName)                                                              \
    class ClassName : public TActionButton {                                                      \
        QV_SMART_CLASS(ClassName, TActionButton)                                                  \
    public:                                                                                       \
        TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;    \
    };

QV_COMMAND_BUTTON(TBRecycleEmpty)
QV_COMMAND_BUTTON(TBRecycleRestore)
QV_COMMAND_BUTTON(TBRecycleDelete)
QV_COMMAND_BUTTON(TBItemProperties)
QV_COMMAND_BUTTON(TBItemCopy)
QV_COMMAND_BUTTON(TBItemCut)
QV_COMMAND_BUTTON(TBItemDelete)
QV_COMMAND_BUTTON(TBItemPaste)
QV_COMMAND_BUTTON(TBItemRename)
QV_COMMAND_BUTTON(TBItemSysMenu)
QV_COMMAND_BUTTON(TBItemGroupName)
QV_COMMAND_BUTTON(TBItemGroupExt)
QV_COMMAND_BUTTON(TBItemGroupPath)
QV_COMMAND_BUTTON(TBItemSelectAll)
QV_COMMAND_BUTTON(TBItemInTab)
QV_COMMAND_BUTTON(TBItemInExplorer)
QV_COMMAND_BUTTON(TBNavBack)
QV_COMMAND_BUTTON(TBNavForward)
QV_COMMAND_BUTTON(TBNavUp)
QV_COMMAND_BUTTON(TBTabAddSearch)
QV_COMMAND_BUTTON(TBTabAddFile)
QV_COMMAND_BUTTON(TBTabClose)
QV_COMMAND_BUTTON(TBTabCloseAll)
QV_COMMAND_BUTTON(TBTabClone)
QV_COMMAND_BUTTON(TBCreateFolder)
QV_COMMAND_BUTTON(TBShowMenu)
QV_COMMAND_BUTTON(TBSearchToggle)
QV_COMMAND_BUTTON(TBDialogSearchBrowse)
QV_COMMAND_BUTTON(TBShowOpenWith)
QV_COMMAND_BUTTON(TBQorvelMenu)
QV_COMMAND_BUTTON(TBShowSettings)
QV_COMMAND_BUTTON(TBQorvelAbout)
QV_COMMAND_BUTTON(TBTextCopy)
QV_COMMAND_BUTTON(TBTextCut)
QV_COMMAND_BUTTON(TBTextPaste)
QV_COMMAND_BUTTON(TBTextDelete)
QV_COMMAND_BUTTON(TBShowFolderCustomize)

#undef QV_COMMAND_BUTTON

// The smart menu's own "back" entry: the menu that owns it handles the click.
class TBMenuBack : public TActionButton {
    QV_SMART_CLASS(TBMenuBack, TActionButton)
};

// Groups by its P1 ("Name" unless given) and offers the "ItemGroup" menu.
class TBItemGroup : public TActionButton {
    QV_SMART_CLASS(TBItemGroup, TActionButton)
public:
    void SetParams(const TParamString& Params) override;
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// Opens the control items editor on the control named by P1, and says which
// control in its caption.
class TBControlSettings : public TActionButton {
    QV_SMART_CLASS(TBControlSettings, TActionButton)
public:
    void SetParams(const TParamString& Params) override;
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// What an edit field offers the text commands of its menu. The edit fields
// implement it; a text command whose sender does not is inert.
class TTextEditApi {
public:
    virtual ~TTextEditApi() = default;
    virtual void CopyToClipboard() = 0;
    virtual void CutToClipboard() = 0;
    virtual void PasteFromClipboard() = 0;
    virtual void ClearText() = 0;
};
