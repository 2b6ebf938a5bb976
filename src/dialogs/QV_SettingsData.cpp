#include "dialogs/QV_SettingsData.h"

#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "foundation/QV_Utils.h"
#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/ini/QV_IniFile.h"

namespace {

const QString MainSection = QStringLiteral("Qorvel");
const QString ParamsKey = QStringLiteral("Params");

QString InFolder(const QString& folder, const QString& name) { return IncludeTrailingPathDelimiter(folder) + name; }

// Where the readers find Name( in the text: at the start of an entry, or as
// the tail of a longer name (-1: nowhere).
enum class TFound { fNowhere, fEntry, fTail };
TFound FindEntry(const QString& text, const QString& name)
{
    const qsizetype at = text.indexOf(name + u'(', 0, Qt::CaseInsensitive);
    if (at < 0) return TFound::fNowhere;
    if (at == 0) return TFound::fEntry;
    const QChar before = text.at(at - 1);
    return before == u',' || before.isSpace() ? TFound::fEntry : TFound::fTail;
}

} // namespace

bool WriteSettingParam(const QString& Group, const QString& Name, const QString& Value)
{
    TParamString group;
    group.PS_STRING = ReadSetting(MainSection, Group, QString());
    if (FindEntry(group.PS_STRING, Name) == TFound::fTail)
        group.PS_STRING = Name + u'(' + Value + QStringLiteral("), ") + group.PS_STRING;
    else
        group.SetValue(Name, Value);
    return group.SaveToIni(QStringLiteral("SettingsFile:\\"), MainSection, Group);
}

std::vector<TThemeInfo> ListThemes(const QString& Family, const QString& Current)
{
    std::vector<TThemeInfo> themes;
    const QString folder = ResolvePath(Family);
    for (const TDirEntry& entry : ListDirectory(folder).Entries) {
        if (!entry.Is(faDirectory)) continue;
        const QString themeFolder = InFolder(folder, entry.Name);
        const QString data = InFolder(themeFolder, QStringLiteral("ThemeData.QVS"));
        if (PathKindOf(data) != TPathKind::pkFile) continue;
        const TMemIniFile ini(data);
        const QString about = QStringLiteral("About");
        TThemeInfo theme;
        theme.Folder = entry.Name;
        theme.Name = ini.ReadString(about, QStringLiteral("Name"), entry.Name);
        for (auto [field, key] : {std::pair{&TThemeInfo::Author, "Author"}, std::pair{&TThemeInfo::Ver, "Ver"},
                                  std::pair{&TThemeInfo::Date, "Date"}, std::pair{&TThemeInfo::Desc, "Desc"}})
            theme.*field = ini.ReadString(about, QString::fromLatin1(key), QString::fromLatin1(key));
        const QString preview = InFolder(themeFolder, QStringLiteral("Preview.png"));
        if (PathKindOf(preview) == TPathKind::pkFile) theme.Preview = preview;
        theme.Current = entry.Name.compare(Current, Qt::CaseInsensitive) == 0;
        themes.push_back(theme);
    }
    return themes;
}

QStringList ListLanguages()
{
    QStringList names;
    for (const TDirEntry& entry : ListDirectory(ResolvePath(QStringLiteral("DataPath:\\Language\\"))).Entries) {
        if (entry.Is(faDirectory) || !entry.Name.contains(QStringLiteral(".QVL"), Qt::CaseInsensitive)) continue;
        const qsizetype dot = entry.Name.lastIndexOf(u'.');
        names << (dot > 0 ? entry.Name.left(dot) : entry.Name);
    }
    return names;
}

QString TTypeSection::Description() const { return ExtractValue(Params, QStringLiteral("Description"), QString()); }
QString TTypeSection::ParentType() const { return ExtractValue(Params, QStringLiteral("Type"), QString()); }

std::vector<TTypeSection> LoadTypeSections(const QString& File)
{
    std::vector<TTypeSection> sections;
    const TMemIniFile ini(ResolvePath(File));
    for (const QString& name : ini.Sections()) {
        TTypeSection section;
        section.Extension = name;
        bool hasParams = false;
        for (const auto& [key, value] : ini.SectionEntries(name)) {
            if (key.compare(ParamsKey, Qt::CaseInsensitive) == 0) {
                if (!hasParams) section.Params = value;
                hasParams = true;
            } else {
                section.Items.append({key, value});
            }
        }
        sections.push_back(section);
    }
    return sections;
}

bool SaveTypeSection(const QString& File, const TTypeSection& Section)
{
    const QString file = ResolvePath(File);
    if (Section.Extension.trimmed().isEmpty()) return false;
    if (!IniEraseSection(file, Section.Extension)) return false;
    bool ok = Section.Params.isEmpty() || IniWriteString(file, Section.Extension, ParamsKey, Section.Params);
    for (const auto& [key, value] : Section.Items) ok = IniWriteString(file, Section.Extension, key, value) && ok;
    return ok;
}

bool RemoveTypeSection(const QString& File, const QString& Extension)
{
    return IniEraseSection(ResolvePath(File), Extension);
}
