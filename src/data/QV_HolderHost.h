#pragma once
// What the data holders and their items ask of the view and of the controls that
// live above the core library. The view implements THolderHost and installs it
// for its lifetime; the select tip and the rename edit implement the two small
// interfaces and are found through the control manager by their identifiers
// ("SelectTip", "RenameEdit"). Without them the requests do nothing.
//
// Threads: the interface thread only.

#include "foundation/QV_System.h"

#include <QPoint>
#include <QString>

#include <functional>

#include <memory>

class TControlList;
class TDataHolder;

// What the user chose for a program file that was opened.
enum class TRunChoice { rcRun, rcOpen, rcCancel };
struct TRunAnswer {
    TRunChoice Choice = TRunChoice::rcCancel;
    bool Remember = false; // the user asked to be asked no more
};
class TItemData;
class TSkinBuffer;
class TSmartCtrl;

class THolderHost {
public:
    virtual ~THolderHost() = default;

    // The view's skin buffer with the item and group backgrounds.
    virtual TSkinBuffer* ItemSkin() = 0;
    // The new tab's holder; none when it could not be opened.
    virtual TDataHolder* AddFileTab(const QString& Path, bool Active) = 0;
    virtual TDataHolder* AddSearchTab(const QString& Path, bool Active) = 0;
    virtual bool RemHolder(const QString& ID) = 0;
    // Shows the holder of that ID; false when there is none.
    virtual bool ActivateHolder(const QString& ID)
    {
        (void)ID;
        return false;
    }
    virtual void ShowPropDialog() = 0;
    // To the trash; Permanently (Shift+Delete) deletes after a confirmation.
    virtual void FilesDelete(bool Permanently = false) = 0;
    // The file operations of the view on the active holder; nothing by default.
    virtual void ClipboardCopy() {}
    virtual void ClipboardCut() {}
    virtual void ClipboardPaste() {}
    // FromClipboard: the new names come from the clipboard's text.
    virtual void FilesRename(bool FromClipboard) { (void)FromClipboard; }
    virtual void DialogOpenWith() {}
    // The desktop's own actions on the selection, at the point.
    virtual void SystemMenu(QPoint Pos) { (void)Pos; }
    virtual void OpenInExplorer() {}
    // The trash as a place of its own, and emptying it (after asking when Confirm).
    virtual void RecycleBinOpen() {}
    // The selected entries of the trash place go back where they came from.
    virtual void RecycleBinRestore() {}
    virtual void RecycleBinEmpty(bool Confirm) { (void)Confirm; }
    virtual qint64 RecycleBinCount() { return 0; }
    virtual qint64 RecycleBinSize() { return 0; }
    virtual void SwitchMode(const QString& Mode) = 0;
    // A message box with the text.
    virtual void ShowMessage(const QString& Text) = 0;
    // Asks whether the program file Path should run, open as a document, or
    // neither. Answer is called once on the interface thread, possibly after
    // this returns. A host that cannot ask answers "neither".
    virtual void AskRun(const QString& Path, std::function<void(TRunAnswer)> Answer)
    {
        (void)Path;
        Answer(TRunAnswer());
    }
    // The program's menus of that name in the smart menu at (X, Y).
    virtual void PopUpMenu(int X, int Y, const TStringArray& MenuIDs) = 0;
    // The combined menus of those file types in the smart menu at (X, Y).
    virtual void PopUpTypeMenu(int X, int Y, const TStringArray& TypeKeys) = 0;

    // --- What the command buttons ask of the view ---
    // Each acts on the active holder, as the view's operations do. A host that
    // does not offer an operation ignores it: these defaults do nothing and
    // claim nothing.
    virtual void GoToPath(const QString&) {}
    virtual void GoBack() {}
    virtual void GoFwrd() {}
    virtual void GoUp() {}
    virtual void RemoveTabs() {}
    virtual void OpenInNewTab() {}
    // The holder with that ID, else the active one.
    virtual void DuplicateHolder(const QString&) {}
    virtual void FilesSelectAll() {}
    virtual void CreateFolder() {}
    // "Name", "Ext" or "Path".
    virtual void GroupItems(const QString&) {}
    // The selected files opened with the program; false when none was opened.
    virtual bool OpenSelected(const QString&, const QString&) { return false; }
    virtual void ToggleSearch() {}
    virtual void DialogFolder() {}
    virtual void DialogSearchFolder() {}
    virtual void ShowSettings() {}
    virtual void ShowAboutDialog() {}
    // The theme families changed: the view's own pictures and every holder's
    // folder theme are read again. Controls keep theirs until the next start.
    virtual void ReloadThemes() {}
    // The control items editor with the items of the control of that identifier.
    virtual void ShowControlItems(const QString&) {}
    // The program's menus of those names for a control, which the menu items
    // act on (a tab's menu closes that tab). Without a menu nothing shows.
    virtual void PopUpButtonMenu(TSmartCtrl*, const TStringArray&) {}
    // A menu of ready-made items (the recently closed tabs) under a caption,
    // Width pixels wide; the menu takes the items.
    virtual void PopUpMenuItems(TSmartCtrl*, const QString&, std::unique_ptr<TControlList>, int) {}
    // Closes the smart menu when it is open.
    virtual void PopDownMenu() {}
};

THolderHost* HolderHost();
void SetHolderHost(THolderHost* Host);

// The select tip: the count and total size of the selection near the pointer.
class TSelectTipApi {
public:
    virtual ~TSelectTipApi() = default;
    virtual void PopUp(int Selected, qint64 Size, int X, int Y) = 0;
    virtual void PopDown() = 0;
};

// The rename edit: opens over an item at (X, Y) of the view with its name,
// and carries out a rename the user has typed but not confirmed.
class TRenameEditApi {
public:
    virtual ~TRenameEditApi() = default;
    virtual void PopUp(int X, int Y, TItemData* Item) = 0;
    // Starting with Text instead of the item's name.
    virtual void PopUp(int X, int Y, TItemData* Item, const QString& Text) = 0;
    virtual void ApplyRename() = 0;
};

// The tab strip: one tab per holder, found under "SmartTab".
class TSmartTabApi {
public:
    virtual ~TSmartTabApi() = default;
    virtual void AddFileTab(const QString& ID) = 0;
    virtual void AddSearchTab(const QString& ID) = 0;
    virtual void RemoveTab(const QString& ID) = 0;
    // Every other tab becomes inactive; Initial also makes it the strip's initial tab.
    virtual void SetActive(const QString& ID, bool Initial) = 0;
};

// A bar whose items come from "<Name>.Items" of the settings file (the quick
// bar, path bar, action bar, and the tab strip's buttons from "SmartTabs").
class TItemsBarApi {
public:
    virtual ~TItemsBarApi() = default;
    // Reads the section again and shows its items.
    virtual void LoadItems() = 0;
};

// The registered control of that identifier, when it offers the interface.
TSmartTabApi* SmartTab();
// The bar whose items section is named Name ("SmartTabs" is the tab strip).
TItemsBarApi* ItemsBar(const QString& Name);
TSelectTipApi* SelectTip();
// Only while the control is visible.
TRenameEditApi* VisibleRenameEdit();
TRenameEditApi* RenameEdit();
