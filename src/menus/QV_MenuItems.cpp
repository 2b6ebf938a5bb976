#include "menus/QV_MenuItems.h"

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
