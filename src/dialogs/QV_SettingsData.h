#pragma once
// What the settings dialog reads and writes, without any widget: one parameter
// of a settings group, the installed themes and languages, and the sections of
// the file types file.
//
// Threads: the interface thread only.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <vector>

// Sets Name(Value) in the [Qorvel] group of the settings file so that it reads
// back as written: the readers take the first "Name(" anywhere in the group, so
// where that would be the tail of a longer name ("TabSpacing(" inside
// "ButtonToTabSpacing(") the entry is put in front. False when the settings
// file does not exist or cannot be written.
bool WriteSettingParam(const QString& Group, const QString& Name, const QString& Value);

// One theme folder of a family, with the "About" section of its ThemeData.QVS.
struct TThemeInfo {
    QString Folder;   // the folder's name, which the setting names
    QString Name, Author, Ver, Date, Desc;
    QString Preview;  // the preview picture's path, empty when there is none
    bool Current = false;
};

// Every subfolder of Family (a path, aliases allowed) that holds a
// ThemeData.QVS, in name order; the one named Current (ignoring case) is
// marked. A missing "About" value reads as its own key name, a missing Name as
// the folder's name.
std::vector<TThemeInfo> ListThemes(const QString& Family, const QString& Current);

// The language names: the files of "DataPath:\Language\" whose name contains
// ".QVL" (ignoring case), without their extension, in name order.
QStringList ListLanguages();

// One section of the file types file.
struct TTypeSection {
    QString Extension;                       // the section name
    QString Params;                          // the "Params" value
    QList<QPair<QString, QString>> Items;    // every other key, in file order

    QString Description() const;             // "Description" of Params
    QString ParentType() const;              // "Type" of Params
};

// Every section of the file, in file order; a missing or unreadable file has none.
std::vector<TTypeSection> LoadTypeSections(const QString& File);
// The section written anew: "Params" first (when not empty), then the items in
// their order. False when the file could not be written.
bool SaveTypeSection(const QString& File, const TTypeSection& Section);
bool RemoveTypeSection(const QString& File, const QString& Extension);
