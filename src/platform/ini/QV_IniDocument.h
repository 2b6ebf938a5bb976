#pragma once
// The text model under the INI routines: a file decoded into lines that remember
// their own line ends and the file's encoding, so a rewrite changes only the lines
// it means to change. Internal to the platform layer.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

enum class TIniEncoding { ieUtf8, ieUtf8Bom, ieUtf16LE, ieUtf16BE };
enum class TIniLineEnd : unsigned char { leNone, leLF, leCR, leCRLF };

struct TIniLine {
    QString Text;
    TIniLineEnd End = TIniLineEnd::leNone;
};

struct TIniDocument {
    TIniEncoding Encoding = TIniEncoding::ieUtf8;
    // The end given to lines the program adds: the first one the file uses.
    TIniLineEnd NewLineEnd = TIniLineEnd::leLF;
    std::vector<TIniLine> Lines;
};

// UTF-8 lines decode through the lossless file-name codec, so bytes that are not
// UTF-8 come back unchanged when the document is encoded again. UTF-16 needs a
// byte-order mark; an odd last byte of a UTF-16 file is dropped.
TIniDocument DecodeIniDocument(const QByteArray& bytes);
QByteArray EncodeIniDocument(const TIniDocument& document);

enum class TIniLineKind { lkOther, lkSection, lkKey };

// One line as the readers see it. Name and Value point into the line's text.
struct TIniLineParse {
    TIniLineKind Kind = TIniLineKind::lkOther;
    QStringView Name;  // section or key name without the surrounding blanks
    QStringView Value; // key value without blanks and one pair of enclosing quotes (" or ')
};

// A line starting (after blanks) with "[" is a section header named up to the first
// "]" (or the line's end); one starting with ";" is a comment; any other line with
// "=" is a key. There are no inline comments.
TIniLineParse ParseIniLine(const QString& line);

// Section and key names compare without regard to case.
bool IniNamesEqual(QStringView a, QStringView b);

// Blanks (space and tab) removed at both ends; other white space is content.
QStringView TrimIniBlanks(QStringView text);

// A file as the INI layer found it.
struct TIniFileRead {
    enum TState { fsMissing, fsRead, fsUnusable } State = fsMissing;
    QByteArray Bytes;
};

// Reads a regular file of at most IniMaxFileSize bytes without ever blocking on a
// FIFO or device; anything else (too large, not a regular file, unreadable) is
// fsUnusable.
TIniFileRead ReadIniFile(const QString& path);
