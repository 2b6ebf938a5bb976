#include "locale/QV_LocaleManager.h"

#include "foundation/QV_Context.h"
#include "foundation/QV_System.h"
#include "platform/ini/QV_IniFile.h"

#include <atomic>

TLocaleManager::TLocaleManager()
{
    Load();
}

void TLocaleManager::Load()
{
    LM_LIST.clear();
    const QString file = ResolvePath(QStringLiteral("LangFile:\\"));
    if (!PathExists(file, emFile)) return;
    const TMemIniFile ini(file);
    for (const QString& section : ini.Sections()) {
        for (const auto& [key, value] : ini.SectionEntries(section)) {
            auto entry = std::make_unique<TLocale>();
            entry->LV_TYPE = section;
            entry->LV_ID = key;
            entry->LV_VALUE = value;
            LM_LIST.push_back(std::move(entry));
        }
    }
}

QString TLocaleManager::GetLocalized(const QString& localeType, const QString& localeID, const QString& def) const
{
    // A few hundred entries, looked up only when texts are (re)loaded.
    for (const auto& entry : LM_LIST)
        if (entry->LV_TYPE == localeType && entry->LV_ID == localeID) return entry->LV_VALUE;
    return def;
}

namespace {
}  // namespace

TLocaleManager* LocaleManager() { return QvContext().LocaleManager.load(std::memory_order_acquire); }

void SetLocaleManager(TLocaleManager* manager) { QvContext().LocaleManager.store(manager, std::memory_order_release); }

QString Localized(const QString& localeType, const QString& localeID, const QString& def)
{
    const TLocaleManager* manager = LocaleManager();
    return manager ? manager->GetLocalized(localeType, localeID, def) : def;
}
