#pragma once
// Every visible text that is not part of a theme or data file is looked up here by
// (section, key) in the chosen language file, with the caller's English text as
// the default.

#include <QString>

#include <memory>
#include <vector>

class TLocale {
public:
    QString LV_TYPE;  // the section
    QString LV_ID;    // the key
    QString LV_VALUE; // the translated text
};

class TLocaleManager {
public:
    // Loads the language file at once.
    TLocaleManager();

    // Reads "LangFile:\" whole; a missing file leaves the list empty, so every
    // lookup answers its default (the English interface).
    void Load();

    // The text of the first entry whose section and key equal the arguments exactly
    // (letter case included), else Default. An entry with an empty text answers
    // the empty text.
    QString GetLocalized(const QString& localeType, const QString& localeID, const QString& def) const;

    const std::vector<std::unique_ptr<TLocale>>& Entries() const { return LM_LIST; }

private:
    std::vector<std::unique_ptr<TLocale>> LM_LIST;
};

// The process-wide locale manager, set by the view for its lifetime; nil before.
TLocaleManager* LocaleManager();
void SetLocaleManager(TLocaleManager* manager);

// The text of the process-wide manager, or def without one.
QString Localized(const QString& localeType, const QString& localeID, const QString& def);
