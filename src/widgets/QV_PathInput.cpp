#include "widgets/QV_PathInput.h"

#include "foundation/QV_System.h"
#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileSystem.h"

#include <QDir>
#include <QUrl>

namespace {

const QString FileScheme = QStringLiteral("file://");

// The path of a file:// URI on this machine; empty for another host or a
// malformed escape.
QString LocalPathOfUri(const QString& text)
{
    QString rest = text.mid(FileScheme.size());
    if (rest.startsWith(QLatin1String("localhost/"), Qt::CaseInsensitive)) rest = rest.mid(9);
    if (!rest.startsWith(QLatin1Char('/'))) return QString();
    const int query = int(rest.indexOf(QLatin1Char('?')));
    if (query >= 0) rest.truncate(query);
    const int fragment = int(rest.indexOf(QLatin1Char('#')));
    if (fragment >= 0) rest.truncate(fragment);
    const QString decoded = QUrl::fromPercentEncoding(rest.toUtf8());
    // A decoded NUL cannot be part of a path.
    return decoded.contains(QChar(0)) ? QString() : decoded;
}

}  // namespace

QString ExpandPathInput(const QString& Text, const QString& Home, const QString& CurrentFolder)
{
    QString text = Text.trimmed();
    if (text.isEmpty() || text.contains(QChar(0))) return QString();
    if (text == QDrivePath || text == TabCaption(QDrivePath)) return QDrivePath;
    if (IsTrashPlace(text)) return TrashPath;
    // The trash place's own caption, as the path bar shows it there; elsewhere
    // "Trash" is a name in the folder shown.
    if (text == TabCaption(TrashPath) && !CurrentFolder.startsWith(QLatin1Char('/'))) return TrashPath;
    if (text.startsWith(FileScheme, Qt::CaseInsensitive)) {
        text = LocalPathOfUri(text);
        if (text.isEmpty()) return QString();
    } else if (text == QLatin1String("~") || text.startsWith(QLatin1String("~/"))) {
        if (Home.isEmpty()) return QString();
        text = Home + text.mid(1);
    } else if (text.contains(QLatin1String(":\\"))) {
        text = ResolvePath(text);
        if (text == QDrivePath) return QDrivePath;
    }
    if (!text.startsWith(QLatin1Char('/'))) {
        if (!CurrentFolder.startsWith(QLatin1Char('/'))) return QString();
        text = CurrentFolder + QLatin1Char('/') + text;
    }
    return QDir::cleanPath(text);
}

TPathTarget ResolvePathInput(const QString& Text, const QString& CurrentFolder)
{
    TPathTarget target;
    target.Expanded = ExpandPathInput(Text, HomeFolder(), CurrentFolder);
    if (target.Expanded.isEmpty()) {
        target.Expanded = Text.trimmed();
        return target;
    }
    if (target.Expanded == QDrivePath || target.Expanded == TrashPath) {
        target.Kind = TPathTargetKind::ptPlace;
        target.Folder = target.Expanded;
        return target;
    }
    switch (PathKindOf(target.Expanded)) {
    case TPathKind::pkFolder:
        target.Kind = TPathTargetKind::ptFolder;
        target.Folder = target.Expanded;
        break;
    case TPathKind::pkFile:
    case TPathKind::pkOther: {
        const int slash = int(target.Expanded.lastIndexOf(QLatin1Char('/')));
        target.Kind = TPathTargetKind::ptFile;
        target.Folder = slash == 0 ? QStringLiteral("/") : target.Expanded.left(slash);
        target.FileName = target.Expanded.mid(slash + 1);
        break;
    }
    case TPathKind::pkNone: break;
    }
    return target;
}

QStringList FolderCompletions(const QString& Text, const QString& CurrentFolder)
{
    QString text = Text.trimmed();
    if (text.isEmpty()) return {};
    // The part being completed stays as typed; only its parent is expanded.
    const int slash = int(text.lastIndexOf(QLatin1Char('/')));
    const QString stem = text.mid(slash + 1);
    const QString parentText = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : text.left(slash));
    const QString parent = ExpandPathInput(parentText, HomeFolder(), CurrentFolder);
    if (parent.isEmpty() || parent == QDrivePath || parent == TrashPath) return {};
    QStringList exact, anyCase;
    for (const TDirEntry& entry : ListDirectory(parent).Entries) {
        if (!entry.Is(faDirectory)) continue;
        // Hidden folders only when asked for by their dot.
        if (entry.Name.startsWith(QLatin1Char('.')) && !stem.startsWith(QLatin1Char('.'))) continue;
        if (entry.Name.startsWith(stem)) exact << entry.Name;
        else if (entry.Name.startsWith(stem, Qt::CaseInsensitive)) anyCase << entry.Name;
    }
    QStringList names = exact.isEmpty() ? anyCase : exact;
    names.sort();
    return names;
}

QString CommonStart(const QStringList& Names)
{
    if (Names.isEmpty()) return QString();
    QString common = Names.first();
    for (const QString& name : Names) {
        qsizetype n = 0;
        while (n < common.size() && n < name.size() && common.at(n).toCaseFolded() == name.at(n).toCaseFolded()) ++n;
        common.truncate(n);
    }
    return common;
}
