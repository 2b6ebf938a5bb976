#include "platform/desktop/QV_IconTheme.h"

#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/ini/QV_IniFile.h"

// Qt's "signals" keyword macro would break a field of that name in GIO's headers.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace {

enum class TDirKind { dkFixed, dkScalable, dkThreshold };

struct TSizeDir {
    QString Name;
    TDirKind Kind = TDirKind::dkThreshold;
    int Size = 0, MinSize = 0, MaxSize = 0, Threshold = 2;

    bool Matches(int size) const
    {
        switch (Kind) {
        case TDirKind::dkFixed: return size == Size;
        case TDirKind::dkScalable: return MinSize <= size && size <= MaxSize;
        case TDirKind::dkThreshold: return Size - Threshold <= size && size <= Size + Threshold;
        }
        return false;
    }

    int Distance(int size) const
    {
        if (Kind == TDirKind::dkFixed) return std::abs(Size - size);
        const int low = Kind == TDirKind::dkScalable ? MinSize : Size - Threshold;
        const int high = Kind == TDirKind::dkScalable ? MaxSize : Size + Threshold;
        if (size < low) return MinSize - size;
        if (size > high) return size - MaxSize;
        return 0;
    }
};

bool IsRegularFile(const QString& path)
{
    struct stat st {};
    return ::stat(EncodeFileName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const QString& path)
{
    struct stat st {};
    return ::stat(EncodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QStringList SplitList(const QString& text)
{
    QStringList items;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!item.trimmed().isEmpty()) items << item.trimmed();
    return items;
}

const char* const kExtensions[] = {".png", ".svg"};

QString EnvFolder(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.startsWith(QLatin1Char('/')) ? value : fallback;
}

QStringList EnvFolders(const char* name, const QString& fallback)
{
    QStringList folders;
    for (const QString& folder : EnvFolder(name, fallback).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (folder.startsWith(QLatin1Char('/'))) folders << folder;
    return folders;
}

} // namespace

struct TIconThemes::TTheme {
    QStringList Roots; // the theme's folder in every base folder that has one
    QStringList Inherits;
    std::vector<TSizeDir> Dirs;
};

TIconThemes::TIconThemes(QStringList baseFolders) : baseFolders_(std::move(baseFolders)) {}

TIconThemes::~TIconThemes() = default;

TIconThemes& TIconThemes::System()
{
    static TIconThemes themes([] {
        const QString home = HomeFolder();
        QStringList bases{EnvFolder("XDG_DATA_HOME", home + QStringLiteral("/.local/share")) + QStringLiteral("/icons"),
                          home + QStringLiteral("/.icons")};
        for (const QString& data : EnvFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
            bases << data + QStringLiteral("/icons");
        bases << QStringLiteral("/usr/share/pixmaps");
        bases.removeDuplicates();
        return bases;
    }());
    return themes;
}

std::shared_ptr<const TIconThemes::TTheme> TIconThemes::Theme(const QString& name) const
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..")) return nullptr;
    QMutexLocker locker(&lock_);
    const auto cached = themes_.find(name);
    if (cached != themes_.end()) return cached->second;

    auto theme = std::make_shared<TTheme>();
    QString index;
    for (const QString& base : baseFolders_) {
        const QString root = base + QLatin1Char('/') + name;
        if (!IsFolder(root)) continue;
        theme->Roots << root;
        if (index.isEmpty() && IsRegularFile(root + QStringLiteral("/index.theme"))) index = root + QStringLiteral("/index.theme");
    }
    std::shared_ptr<const TTheme> result;
    if (!index.isEmpty()) {
        const TMemIniFile ini(index);
        const QString head = QStringLiteral("Icon Theme");
        theme->Inherits = SplitList(ini.ReadString(head, QStringLiteral("Inherits"), {}));
        for (const QString& dirName : SplitList(ini.ReadString(head, QStringLiteral("Directories"), {}))) {
            TSizeDir dir;
            dir.Name = dirName;
            dir.Size = ini.ReadString(dirName, QStringLiteral("Size"), {}).toInt();
            const int scale = ini.ReadString(dirName, QStringLiteral("Scale"), QStringLiteral("1")).toInt();
            if (dir.Size <= 0 || scale != 1) continue; // scaled copies are for high-density screens
            const QString kind = ini.ReadString(dirName, QStringLiteral("Type"), QStringLiteral("Threshold"));
            dir.Kind = kind == QLatin1String("Fixed") ? TDirKind::dkFixed
                       : kind == QLatin1String("Scalable") ? TDirKind::dkScalable : TDirKind::dkThreshold;
            dir.MinSize = ini.ReadString(dirName, QStringLiteral("MinSize"), QString::number(dir.Size)).toInt();
            dir.MaxSize = ini.ReadString(dirName, QStringLiteral("MaxSize"), QString::number(dir.Size)).toInt();
            dir.Threshold = ini.ReadString(dirName, QStringLiteral("Threshold"), QStringLiteral("2")).toInt();
            theme->Dirs.push_back(dir);
        }
        result = std::move(theme);
    }
    themes_.emplace(name, result);
    return result;
}

bool TIconThemes::HasTheme(const QString& name) const
{
    return Theme(name) != nullptr;
}

QString TIconThemes::FindInTheme(const TTheme& theme, const QStringList& names, int size) const
{
    for (const QString& name : names) {
        QString closest;
        int closestDistance = INT_MAX, closestSize = 0;
        for (const TSizeDir& dir : theme.Dirs) {
            for (const QString& root : theme.Roots) {
                for (const char* extension : kExtensions) {
                    const QString file = root + QLatin1Char('/') + dir.Name + QLatin1Char('/') + name + QLatin1String(extension);
                    if (!IsRegularFile(file)) continue;
                    if (dir.Matches(size)) return file;
                    const int distance = dir.Distance(size);
                    if (distance < closestDistance || (distance == closestDistance && dir.Size > closestSize)) {
                        closest = file;
                        closestDistance = distance;
                        closestSize = dir.Size;
                    }
                }
            }
        }
        if (!closest.isEmpty()) return closest;
    }
    return {};
}

QString TIconThemes::FindIcon(const QStringList& names, int size, const QString& theme) const
{
    std::vector<std::shared_ptr<const TTheme>> chain;
    QStringList seen{QStringLiteral("hicolor")}; // always last
    // Depth-first through Inherits; `seen` ends loops and repeats.
    auto add = [&](auto&& self, const QString& name) -> void {
        if (seen.contains(name)) return;
        seen << name;
        const std::shared_ptr<const TTheme> found = Theme(name);
        if (!found) return;
        chain.push_back(found);
        for (const QString& parent : found->Inherits) self(self, parent);
    };
    add(add, theme);
    add(add, QStringLiteral("breeze"));
    if (auto hicolor = Theme(QStringLiteral("hicolor"))) chain.push_back(hicolor);

    for (const auto& each : chain) {
        const QString file = FindInTheme(*each, names, size);
        if (!file.isEmpty()) return file;
    }
    for (const QString& name : names)
        for (const QString& base : baseFolders_)
            for (const char* extension : kExtensions) {
                const QString file = base + QLatin1Char('/') + name + QLatin1String(extension);
                if (IsRegularFile(file)) return file;
            }
    return {};
}

namespace {

QStringList ConfigFiles(const QString& relative)
{
    QStringList files{EnvFolder("XDG_CONFIG_HOME", HomeFolder() + QStringLiteral("/.config")) + QLatin1Char('/') + relative};
    for (const QString& folder : EnvFolders("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        files << folder + QLatin1Char('/') + relative;
    return files;
}

QString FirstSetting(const QStringList& files, const QString& section, const QString& key)
{
    for (const QString& file : files) {
        const QString value = TMemIniFile(file).ReadString(section, key, {});
        if (!value.isEmpty()) return value;
    }
    return {};
}

QString KdeIconTheme()
{
    return FirstSetting(ConfigFiles(QStringLiteral("kdeglobals")), QStringLiteral("Icons"), QStringLiteral("Theme"));
}

QString GtkIconTheme()
{
    QStringList files = ConfigFiles(QStringLiteral("gtk-3.0/settings.ini"));
    files << QStringLiteral("/etc/gtk-3.0/settings.ini");
    return FirstSetting(files, QStringLiteral("Settings"), QStringLiteral("gtk-icon-theme-name"));
}

// Asked only when the schema is installed: GSettings aborts on an unknown one.
QString GnomeIconTheme()
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return {};
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE);
    if (!schema) return {};
    QString theme;
    if (g_settings_schema_has_key(schema, "icon-theme")) {
        GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
        gchar* value = g_settings_get_string(settings, "icon-theme");
        theme = QString::fromUtf8(value);
        g_free(value);
        g_object_unref(settings);
    }
    g_settings_schema_unref(schema);
    return theme;
}

} // namespace

QString ReadDesktopIconTheme(const TIconThemes& themes)
{
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper().split(QLatin1Char(':'));
    auto on = [&](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (desktops.contains(QLatin1String(name))) return true;
        return false;
    };
    QStringList candidates;
    if (on({"KDE"})) candidates << KdeIconTheme();
    if (on({"GNOME", "UNITY", "BUDGIE", "PANTHEON"})) candidates << GnomeIconTheme();
    candidates << GtkIconTheme() << KdeIconTheme();
    for (const QString& candidate : candidates)
        if (themes.HasTheme(candidate)) return candidate;
    return QStringLiteral("breeze");
}
