#include "menus/QV_ExtManager.h"

#include "menus/QV_SmartMenu.h"
#include "platform/ini/QV_IniFile.h"

#include <vector>

void TExtData::LoadMenu(TSmartCtrl* Sender, TMenuHolder& MenuHolder) const
{
    CreateMenuItems(Sender, MenuHolder, ED_MENU_ITEMS);
}

TExtManager::TExtManager() { Load(); }

TExtManager::TExtManager(const TMemIniFile& File) { Load(File); }

void TExtManager::Load() { Load(TMemIniFile(ResolvePath(QStringLiteral("TypesFile:\\")))); }

void TExtManager::Load(const TMemIniFile& File)
{
    EM_LIST.clear();
    index_.clear();
    for (const QString& section : File.Sections()) {
        auto type = std::make_unique<TExtData>();
        type->ED_EXTENSION = section;
        const TParamString params{File.ReadString(section, QStringLiteral("Params"), QString())};
        type->ED_TYPE = params.GetValue(QStringLiteral("Type"), QString());
        type->ED_DESC = params.GetValue(QStringLiteral("Description"), QString());
        type->ED_ISTYPE = section.startsWith(QLatin1Char('.'));
        type->ED_MENU_ITEMS = ReadMenuItems(File, section);
        const QString folded = section.toCaseFolded();
        if (!index_.contains(folded)) index_.insert(folded, int(EM_LIST.size()));
        EM_LIST.push_back(std::move(type));
    }
}

int TExtManager::IndexOf(const QString& ID) const
{
    const auto found = index_.constFind(ID.toCaseFolded());
    return found == index_.cend() ? -1 : *found;
}

const TExtData* TExtManager::GetExtData(const QString& ID) const
{
    const int index = IndexOf(ID);
    return index < 0 ? nullptr : EM_LIST[size_t(index)].get();
}

TMenuHolder* TExtManager::GetMenu(TSmartCtrl* Sender, const TStringArray& MenuIDs) const
{
    auto* holder = new TMenuHolder;
    holder->SC_ID.clear();
    holder->MH_CAPTION = MenuText(QStringLiteral("FileMenu"), QStringLiteral("File Menu"));
    const int fallback = IndexOf(QStringLiteral("FILE"));
    // A type whose items are in the holder adds nothing when met again (its
    // items would all be skipped), so each is visited once over the whole
    // menu; that also ends parent chains that return to a type.
    std::vector<bool> visited(EM_LIST.size(), false);
    std::vector<int> chain;
    for (const QString& name : MenuIDs) {
        holder->SC_ID += name;
        chain.clear();
        QString next = name;
        while (true) {
            int index = IndexOf(next);
            if (index < 0) index = fallback;
            if (index < 0 || visited[size_t(index)]) break;
            visited[size_t(index)] = true;
            chain.push_back(index);
            next = EM_LIST[size_t(index)]->ED_TYPE;
            if (next.isEmpty()) break;
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) EM_LIST[size_t(*it)]->LoadMenu(Sender, *holder);
    }
    return holder;
}

void TExtManager::PopUpMenu(TSmartMenu* SmartMenu, int X, int Y, const TStringArray& MenuIDs) const
{
    PopUpMenu(nullptr, SmartMenu, X, Y, MenuIDs);
}

void TExtManager::PopUpMenu(TSmartCtrl* Sender, TSmartMenu* SmartMenu, int X, int Y,
                            const TStringArray& MenuIDs) const
{
    if (SmartMenu) SmartMenu->PopUp(X, Y, GetMenu(Sender, MenuIDs));
}
