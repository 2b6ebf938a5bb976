#include "foundation/QV_System.h"

#include "platform/fs/QV_FileSystem.h"

#include <QMutex>
#include <QRandomGenerator>

#include <array>

namespace {

QMutex namesLock;
TAliasNames& Names()
{
    static TAliasNames names;
    return names;
}

enum class TAliasKind { akPrefix, akWhole };

struct TAlias {
    const char* Text;
    TAliasKind Kind;
};

// Table order matters: with several aliases in one input the last match wins.
constexpr std::array<TAlias, 14> Aliases{{
    {"AppPath:\\", TAliasKind::akPrefix},
    {"LangPath:\\", TAliasKind::akPrefix},
    {"DataPath:\\", TAliasKind::akPrefix},
    {"ControlThemePath:\\", TAliasKind::akPrefix},
    {"ButtonsTheme:\\", TAliasKind::akPrefix},
    {"FilesThemePath:\\", TAliasKind::akPrefix},
    {"About:\\", TAliasKind::akWhole},
    {"LangFile:\\", TAliasKind::akWhole},
    {"ControlTheme:\\", TAliasKind::akWhole},
    {"MenuFile:\\", TAliasKind::akWhole},
    {"SettingsFile:\\", TAliasKind::akWhole},
    {"TypesFile:\\", TAliasKind::akWhole},
    {"QDrive:\\", TAliasKind::akWhole},
    {"MyDocuments:\\", TAliasKind::akWhole},
}};

// Appends a relative part to the program folder without doubling the delimiter
// when the program folder is the root.
QString UnderApp(const TAliasNames& n, const QString& relative)
{
    return IncludeTrailingPathDelimiter(n.AppPath) + relative;
}

QString Expansion(int index, const TAliasNames& n)
{
    switch (index) {
    case 0: return UnderApp(n, {});
    case 1: return UnderApp(n, QStringLiteral("Data/Language/"));
    case 2: return UnderApp(n, QStringLiteral("Data/"));
    case 3: return UnderApp(n, QStringLiteral("Data/Themes/Controls/") + n.ControlTheme + '/');
    case 4: return UnderApp(n, QStringLiteral("Data/Themes/Buttons/") + n.ButtonTheme + '/');
    case 5: return UnderApp(n, QStringLiteral("Data/Themes/FileIcons/") + n.FilesTheme + '/');
    case 6: return UnderApp(n, QStringLiteral("Data/Language/") + n.Lang + QStringLiteral(".QVA"));
    case 7: return UnderApp(n, QStringLiteral("Data/Language/") + n.Lang + QStringLiteral(".QVL"));
    case 8: return UnderApp(n, QStringLiteral("Data/Themes/Controls/") + n.ControlTheme + QStringLiteral("/ThemeData.QVS"));
    case 9: return UnderApp(n, QStringLiteral("Data/Menus.QVS"));
    case 10: return UnderApp(n, QStringLiteral("Data/Settings.QVS"));
    case 11: return UnderApp(n, QStringLiteral("Data/Types.QVS"));
    case 12: return QDrivePath;
    default: return GetShellFolder(TShellFolder::sfPersonal);
    }
}

// Replaces every occurrence of alias (any letter case) by expansion; the text from
// the first occurrence on uses "/" between components.
QString ReplacePrefixAlias(const QString& input, const QString& alias, const QString& expansion)
{
    QString out;
    qsizetype from = 0;
    qsizetype at = input.indexOf(alias, 0, Qt::CaseInsensitive);
    out += input.left(at);
    while (at >= 0) {
        out += expansion;
        from = at + alias.size();
        at = input.indexOf(alias, from, Qt::CaseInsensitive);
        QString rest = input.mid(from, at < 0 ? -1 : at - from);
        rest.replace('\\', '/');
        out += rest;
    }
    return out;
}

} // namespace

TAliasNames AliasNames()
{
    QMutexLocker lock(&namesLock);
    return Names();
}

void SetAliasNames(const TAliasNames& names)
{
    QMutexLocker lock(&namesLock);
    Names() = names;
}

QString AppPath()
{
    QMutexLocker lock(&namesLock);
    return Names().AppPath;
}

QString ResolvePath(const QString& path)
{
    const TAliasNames names = AliasNames();
    QString result = path;
    for (int i = 0; i < int(Aliases.size()); ++i) {
        const QString alias = QString::fromLatin1(Aliases[i].Text);
        if (!path.contains(alias, Qt::CaseInsensitive)) continue;
        if (Aliases[i].Kind == TAliasKind::akWhole)
            result = Expansion(i, names);
        else
            result = ReplacePrefixAlias(path, alias, Expansion(i, names));
    }
    return result;
}

QString ToAliasPath(const QString& path)
{
    const QString app = AppPath();
    if (app.isEmpty()) return path;
    // Linux names are case-sensitive, so the program folder is matched exactly, and
    // only where a path starts: inside a path it would name some other folder (with
    // the program at "/" every delimiter would match).
    const QString prefix = IncludeTrailingPathDelimiter(app);
    if (!path.startsWith(prefix)) return path;
    QString rest = path.mid(prefix.size());
    rest.replace('/', '\\');
    return QStringLiteral("AppPath:\\") + rest;
}

QString GetShellFolder(TShellFolder kind)
{
    QString folder;
    switch (kind) {
    case TShellFolder::sfPersonal: folder = DocumentsFolder(); break;
    case TShellFolder::sfDesktop: {
        const QString home = HomeFolder();
        const QString desktop = home + QStringLiteral("/Desktop");
        folder = PathKindOf(desktop) == TPathKind::pkFolder ? desktop : home;
        break;
    }
    default: break;
    }
    return folder.isEmpty() ? folder : IncludeTrailingPathDelimiter(folder);
}

QString IncludeTrailingPathDelimiter(const QString& path)
{
    return path.endsWith('/') ? path : path + '/';
}

QString ExcludeTrailingPathDelimiter(const QString& path)
{
    // The root keeps its one delimiter: it names a folder, not an empty text.
    if (path.size() > 1 && path.endsWith('/')) return path.left(path.size() - 1);
    return path;
}

QString MakeID()
{
    static constexpr char alphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ!?/*+-";
    static_assert(sizeof(alphabet) - 1 == 38);
    QString id(QLatin1Char('0'));
    for (int i = 0; i < 6; ++i)
        id += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(38)]);
    return id;
}
