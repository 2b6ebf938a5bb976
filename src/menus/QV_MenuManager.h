#pragma once
// The program's named menus, read once at start from the menu file
// ("MenuFile:\"): each section is a menu, its "Params" line gives the title
// when the language file has none, every line is one item. The rest of the
// program refers to menus by name only; the manager turns one or several
// names into a menu holder and hands it to the smart menu.
//
// Threads: the interface thread only.

#include "foundation/QV_System.h"
#include "menus/QV_MenuItems.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

class TMemIniFile;
class TMenuHolder;
class TSmartCtrl;
class TSmartMenu;

class TMenuData {
public:
    QString MD_ID;       // the section name
    QString MD_CAPTION;  // the title, localized
    QString MD_PARAMS;   // left empty by the loader
    std::vector<TMenuItemData> MD_MENU_ITEMS;

    // The items' controls into the holder on behalf of Sender.
    void LoadMenu(TSmartCtrl* Sender, TMenuHolder& MenuHolder) const;
};

class TMenuManager {
public:
    // Reads the menu file; a missing or unreadable one leaves no menus.
    TMenuManager();
    // Reads that file instead (tests, fuzzing).
    explicit TMenuManager(const TMemIniFile& File);

    std::vector<std::unique_ptr<TMenuData>> MM_LIST;

    void Load();
    void Load(const TMemIniFile& File);
    // The first menu of that name, ignoring case; nil without one.
    const TMenuData* GetMenuData(const QString& ID) const;
    // A new holder with the items of the named menus in order (items shown
    // once, at their first place) under the title of the last one found, and
    // the names joined as its identifier. The caller owns it.
    TMenuHolder* GetMenu(TSmartCtrl* Sender, const TStringArray& MenuIDs) const;

    // Each builds the holder and lets the smart menu show it: at (X, Y) in
    // the view's smart menu, at (X, Y) in the given one, or next to Sender.
    // Without a smart menu nothing shows.
    void PopUpMenu(int X, int Y, const TStringArray& MenuIDs) const;
    void PopUpMenu(TSmartMenu* SmartMenu, int X, int Y, const TStringArray& MenuIDs) const;
    void PopUpMenu(TSmartCtrl* Sender, TSmartMenu* SmartMenu, const TStringArray& MenuIDs) const;

private:
    QHash<QString, int> index_;  // case-folded name to its first menu
};

// The smart menu the view registered as "SmartMenu"; nil without one.
TSmartMenu* ViewSmartMenu();
