#pragma once
// What the menu file and the types file share: a section's item lines, each
// handed to the control manager as key + " = " + value, so an item's
// parameters may stand in its key, its value or both.

#include "foundation/QV_Utils.h"

#include <QString>

#include <vector>

class TMemIniFile;
class TMenuHolder;
class TSmartCtrl;
struct TMenuItemTraits;

struct TMenuItemData {
    QString MI_ID;          // the key
    TParamString MI_PARAMS; // key + " = " + value
};

// The items of a section in file order. Of keys repeated in one section
// (differing at most in letter case) the first stands: a key names one item.
// The "Params" line is an item too; without a command it makes nothing.
std::vector<TMenuItemData> ReadMenuItems(const TMemIniFile& File, const QString& Section);

// No screen shows more rows than this; a hand-edited file with thousands of
// items would only stall the click that opens its menu.
inline constexpr int MenuItemLimit = 500;

// One control per item, in order, into the holder's list on behalf of Sender;
// items the holder already shows and items whose command makes nothing are
// skipped, and the holder takes at most MenuItemLimit items.
void CreateMenuItems(TSmartCtrl* Sender, TMenuHolder& Holder, const std::vector<TMenuItemData>& Items);

// The text of the language section "Menus", Default without one.
QString MenuText(const QString& Key, const QString& Default);

// The command registry's buttons as menu items: every action button is one,
// shown as a row with icon and caption (or as an icon alone for the back
// button), found by its caption. The smart menu starts with these.
TMenuItemTraits ActionButtonTraits();
