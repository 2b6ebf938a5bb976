#pragma once
// The file types, read from the types file ("TypesFile:\"): per extension
// (".txt") or named type ("FILE", "FOLDER", "DRIVE_FIXED" ...) a description,
// an optional parent type whose items come first, and menu items. A right
// click on selected items shows the combined menu of their types; "FILE"
// serves every name without a section of its own.
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

using TExtItemData = TMenuItemData;

class TExtData {
public:
    QString ED_EXTENSION;  // the section name
    QString ED_TYPE;       // the parent type, or empty
    QString ED_DESC;
    bool ED_ISTYPE = false;  // the name begins with "." (an extension)
    std::vector<TExtItemData> ED_MENU_ITEMS;

    void LoadMenu(TSmartCtrl* Sender, TMenuHolder& MenuHolder) const;
};

class TExtManager {
public:
    // Reads the types file; a missing one leaves no types.
    TExtManager();
    explicit TExtManager(const TMemIniFile& File);

    std::vector<std::unique_ptr<TExtData>> EM_LIST;

    // Forgets every type and reads the file again.
    void Load();
    void Load(const TMemIniFile& File);
    // The first type of that name, ignoring case; nil without one.
    const TExtData* GetExtData(const QString& ID) const;
    // A new holder titled "File Menu" with, for each name in order, the items
    // of its parent types (the farthest first), then its own; a name without
    // a section stands for "FILE". No type is visited twice, so parent chains
    // that run in a circle end. Items are shown once, at their first place.
    // The caller owns the holder.
    TMenuHolder* GetMenu(TSmartCtrl* Sender, const TStringArray& MenuIDs) const;

    // Build the holder and let the smart menu show it at (X, Y); nothing
    // without a smart menu.
    void PopUpMenu(TSmartMenu* SmartMenu, int X, int Y, const TStringArray& MenuIDs) const;
    void PopUpMenu(TSmartCtrl* Sender, TSmartMenu* SmartMenu, int X, int Y, const TStringArray& MenuIDs) const;

private:
    int IndexOf(const QString& ID) const;
    QHash<QString, int> index_;  // case-folded name to its first type
};
