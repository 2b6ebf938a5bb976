#include "menus/QV_MenuItems.h"

#include "commands/QV_ActionButton.h"
#include "controls/QV_CtrlManager.h"
#include "locale/QV_LocaleManager.h"
#include "menus/QV_SmartMenu.h"
#include "platform/ini/QV_IniFile.h"

#include <QSet>

std::vector<TMenuItemData> ReadMenuItems(const TMemIniFile& File, const QString& Section)
{
    std::vector<TMenuItemData> items;
    QSet<QString> seen;
    for (const auto& [key, value] : File.SectionEntries(Section)) {
        const QString folded = key.toCaseFolded();
        if (seen.contains(folded)) continue;
        seen.insert(folded);
        items.push_back({key, TParamString{key + QStringLiteral(" = ") + value}});
    }
    return items;
}

void CreateMenuItems(TSmartCtrl* Sender, TMenuHolder& Holder, const std::vector<TMenuItemData>& Items)
{
    TCtrlManager* manager = CtrlManager();
    if (!manager) return;
    for (const TMenuItemData& item : Items) {
        if (Holder.MH_LIST->Count() >= MenuItemLimit) return;
        manager->CreateControl(Sender, item.MI_PARAMS, Holder.MH_LIST);
    }
}

QString MenuText(const QString& Key, const QString& Default)
{
    const TLocaleManager* locale = LocaleManager();
    return locale ? locale->GetLocalized(QStringLiteral("Menus"), Key, Default) : Default;
}

TMenuItemTraits ActionButtonTraits()
{
    TMenuItemTraits traits;
    traits.IsButton = [](const TSmartCtrl* Item) { return dynamic_cast<const TActionButton*>(Item) != nullptr; };
    traits.SetLook = [](TSmartCtrl* Item, TMenuItemLook Look) {
        auto* button = dynamic_cast<TActionButton*>(Item);
        if (!button) return;
        button->AB_STYLE = Look == mlTile ? dsTile : dsIcon;
    };
    traits.Caption = [](const TSmartCtrl* Item) {
        const auto* button = dynamic_cast<const TActionButton*>(Item);
        return button ? button->AB_CAPTION : QString();
    };
    return traits;
}
