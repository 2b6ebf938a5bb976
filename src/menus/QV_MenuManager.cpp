#include "menus/QV_MenuManager.h"

#include "controls/QV_CtrlManager.h"
#include "menus/QV_SmartMenu.h"
#include "platform/ini/QV_IniFile.h"

void TMenuData::LoadMenu(TSmartCtrl* Sender, TMenuHolder& MenuHolder) const
{
    CreateMenuItems(Sender, MenuHolder, MD_MENU_ITEMS);
}

TMenuManager::TMenuManager() { Load(); }

TMenuManager::TMenuManager(const TMemIniFile& File) { Load(File); }

void TMenuManager::Load() { Load(TMemIniFile(ResolvePath(QStringLiteral("MenuFile:\\")))); }

void TMenuManager::Load(const TMemIniFile& File)
{
    MM_LIST.clear();
    index_.clear();
    for (const QString& section : File.Sections()) {
        auto menu = std::make_unique<TMenuData>();
        menu->MD_ID = section;
        const TParamString params{File.ReadString(section, QStringLiteral("Params"), QString())};
        menu->MD_CAPTION =
            MenuText(section, params.GetValue(QStringLiteral("Caption"), QStringLiteral("Menu")));
        menu->MD_MENU_ITEMS = ReadMenuItems(File, section);
        const QString folded = section.toCaseFolded();
        if (!index_.contains(folded)) index_.insert(folded, int(MM_LIST.size()));
        MM_LIST.push_back(std::move(menu));
    }
}

const TMenuData* TMenuManager::GetMenuData(const QString& ID) const
{
    const auto found = index_.constFind(ID.toCaseFolded());
    return found == index_.cend() ? nullptr : MM_LIST[size_t(*found)].get();
}

TMenuHolder* TMenuManager::GetMenu(TSmartCtrl* Sender, const TStringArray& MenuIDs) const
{
    auto* holder = new TMenuHolder;
    holder->SC_ID.clear();
    for (const QString& name : MenuIDs) {
        if (const TMenuData* menu = GetMenuData(name)) {
            holder->MH_CAPTION = menu->MD_CAPTION;
            menu->LoadMenu(Sender, *holder);
        }
        holder->SC_ID += name;
    }
    return holder;
}

void TMenuManager::PopUpMenu(int X, int Y, const TStringArray& MenuIDs) const
{
    PopUpMenu(ViewSmartMenu(), X, Y, MenuIDs);
}

void TMenuManager::PopUpMenu(TSmartMenu* SmartMenu, int X, int Y, const TStringArray& MenuIDs) const
{
    if (SmartMenu) SmartMenu->PopUp(X, Y, GetMenu(nullptr, MenuIDs));
}

void TMenuManager::PopUpMenu(TSmartCtrl* Sender, TSmartMenu* SmartMenu, const TStringArray& MenuIDs) const
{
    if (SmartMenu) SmartMenu->PopUp(Sender, GetMenu(Sender, MenuIDs));
}

TSmartMenu* ViewSmartMenu()
{
    const TCtrlManager* manager = CtrlManager();
    TSmartCtrl* control = manager ? manager->GetControlData(QStringLiteral("SmartMenu")) : nullptr;
    return control && control->ClassIs<TSmartMenu>() ? static_cast<TSmartMenu*>(control) : nullptr;
}
