#pragma once
// The clipboard forms of a list of files, as the desktop's file managers write
// and read them. Copy and cut offer them all at once:
//   text/uri-list                     "file:///a%20b\r\n" per file
//   x-special/gnome-copied-files      "copy" or "cut", then one URI a line
//   application/x-kde-cutselection    "1" after a cut, "0" after a copy
//   text/plain                        the paths, one a line
// Paste reads them back in that order of preference, and also the older text
// form "x-special/nautilus-clipboard\ncut\nfile:///...". A path's bytes go
// into the URIs percent-encoded, so any name comes back byte for byte.
// Pure code: the clipboard itself is in platform/desktop/QV_Clipboard.h.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

using TClipFormats = std::vector<std::pair<QString, QByteArray>>;

struct TClipFiles {
    bool Cut = false;
    QStringList Paths;  // absolute, in the program's file-name text
};

// The MIME types paste looks at, in the order it prefers them.
QStringList FileClipFormatNames();

TClipFormats EncodeClipFiles(const TClipFiles& files);

// The files the formats hold; empty Paths when they hold none. Anything that
// is not a local absolute path (other schemes, other hosts, malformed escapes,
// NUL bytes) is left out.
TClipFiles DecodeClipFiles(const TClipFormats& formats);

// One file:// URI for a path, and back (false when it is not a local file URI).
QByteArray PathToFileUri(const QString& path);
bool FileUriToPath(const QByteArray& uri, QString& path);
