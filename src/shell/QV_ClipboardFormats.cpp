#include "shell/QV_ClipboardFormats.h"

#include "platform/fs/QV_FileNames.h"

namespace {

const QString UriList = QStringLiteral("text/uri-list");
const QString GnomeFiles = QStringLiteral("x-special/gnome-copied-files");
const QString KdeCut = QStringLiteral("application/x-kde-cutselection");
const QString PlainText = QStringLiteral("text/plain");
const QString PlainUtf8 = QStringLiteral("text/plain;charset=utf-8");

const QByteArray* Find(const TClipFormats& formats, const QString& name)
{
    for (const auto& [mime, bytes] : formats)
        if (mime == name) return &bytes;
    return nullptr;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

QList<QByteArray> Lines(const QByteArray& text)
{
    QList<QByteArray> lines;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (!line.isEmpty()) lines.append(line);
    }
    return lines;
}

void AddUris(const QList<QByteArray>& lines, qsizetype from, QStringList& paths)
{
    for (qsizetype i = from; i < lines.size(); ++i) {
        if (lines[i].startsWith('#')) continue;
        QString path;
        if (FileUriToPath(lines[i].trimmed(), path)) paths.append(path);
    }
}

// "copy"/"cut" followed by URIs; false when the first line is neither.
bool DecodeVerbList(const QList<QByteArray>& lines, qsizetype at, TClipFiles& files)
{
    if (at >= lines.size()) return false;
    const QByteArray verb = lines[at].trimmed();
    if (verb != "copy" && verb != "cut") return false;
    files.Cut = verb == "cut";
    AddUris(lines, at + 1, files.Paths);
    return true;
}

}  // namespace

QStringList FileClipFormatNames() { return {GnomeFiles, UriList, KdeCut, PlainUtf8, PlainText}; }

QByteArray PathToFileUri(const QString& path)
{
    return QByteArrayLiteral("file://") + EncodeFileName(path).toPercentEncoding("/");
}

bool FileUriToPath(const QByteArray& uri, QString& path)
{
    QByteArray rest;
    if (uri.startsWith("file:///")) rest = uri.mid(7);
    else if (uri.startsWith("file://localhost/")) rest = uri.mid(16);
    else return false;
    QByteArray bytes;
    bytes.reserve(rest.size());
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '#' || c == '?') break;  // a fragment or query is not part of a path
        if (c != '%') { bytes.append(c); continue; }
        if (i + 2 >= rest.size()) return false;
        const int hi = HexValue(rest[i + 1]), lo = HexValue(rest[i + 2]);
        if (hi < 0 || lo < 0) return false;
        bytes.append(char(hi * 16 + lo));
        i += 2;
    }
    if (bytes.contains('\0') || !bytes.startsWith('/')) return false;
    path = DecodeFileName(bytes);
    return true;
}

TClipFormats EncodeClipFiles(const TClipFiles& files)
{
    QByteArray uris, gnome = files.Cut ? QByteArrayLiteral("cut") : QByteArrayLiteral("copy"), plain;
    for (const QString& path : files.Paths) {
        const QByteArray uri = PathToFileUri(path);
        uris += uri + "\r\n";
        gnome += '\n' + uri;
        if (!plain.isEmpty()) plain += '\n';
        plain += EncodeFileName(path);
    }
    return {{UriList, uris},
            {GnomeFiles, gnome},
            {KdeCut, files.Cut ? QByteArrayLiteral("1") : QByteArrayLiteral("0")},
            {PlainUtf8, plain},
            {PlainText, plain}};
}

TClipFiles DecodeClipFiles(const TClipFormats& formats)
{
    TClipFiles files;
    if (const QByteArray* gnome = Find(formats, GnomeFiles))
        if (DecodeVerbList(Lines(*gnome), 0, files) && !files.Paths.isEmpty()) return files;
    files = {};
    if (const QByteArray* uris = Find(formats, UriList)) {
        AddUris(Lines(*uris), 0, files.Paths);
        const QByteArray* cut = Find(formats, KdeCut);
        files.Cut = cut && cut->trimmed() == "1";
        if (!files.Paths.isEmpty()) return files;
    }
    files = {};
    for (const QString& name : {PlainUtf8, PlainText}) {
        const QByteArray* text = Find(formats, name);
        if (!text) continue;
        const QList<QByteArray> lines = Lines(*text);
        // The older form, with or without its header line.
        const qsizetype at = !lines.isEmpty() && lines[0].trimmed() == "x-special/nautilus-clipboard" ? 1 : 0;
        if (DecodeVerbList(lines, at, files)) return files;
        // Plain paths or URIs pasted as text: every line must be one.
        QStringList paths;
        for (const QByteArray& line : lines) {
            QString path;
            if (line.startsWith('/') && !line.contains('\0')) path = DecodeFileName(line);
            else if (!FileUriToPath(line.trimmed(), path)) return {};
            paths.append(path);
        }
        files.Paths = paths;
        return files;
    }
    return files;
}
