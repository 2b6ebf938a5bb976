#pragma once
// The INI file layer: private-profile reads and writes that each open the file,
// and a whole-file memory reader.
//
// Section and key names match without regard to case and without the blanks
// around them; a value is the text after the first "=" without the blanks around
// it and without one pair of double or single quotes enclosing it whole. There are
// no inline comments. The first of duplicate sections or keys is the one read and
// written.
// Files are UTF-8 (with or without byte-order mark) or UTF-16 with byte-order
// mark and are written back in the encoding and with the line ends they had.
// Only regular files up to 64 MiB are read; anything else reads as empty.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

// Each call opens, reads (and for writes, atomically replaces) the file. Like the
// platform's profile reader it never answers trailing blanks, so they are also
// dropped from def.
QString IniReadString(const QString& file, const QString& section, const QString& key, const QString& def);

// Creates the file when its folder exists; false when it cannot write, and then the
// file is as it was. A file the user may not write, or one without any write bit
// (even for root), is never replaced. A value cannot hold a line break: each CR
// and LF is written as a blank; otherwise it is written as given, so blanks at its
// ends and enclosing quotes are gone when it is read. A section name holding "]"
// and a key holding "=" (or starting with "[" or ";"), empty names and names with
// line breaks cannot be read back, so they are refused with false.
bool IniWriteString(const QString& file, const QString& section, const QString& key, const QString& value);

// Removes the first key line of that name from the first section of that name.
// True when nothing had to be removed; false when the file could not be written.
bool IniDeleteKey(const QString& file, const QString& section, const QString& key);

// The section names in file order, each once, spelt as at its first occurrence.
QStringList IniSectionNames(const QString& file);

// Every key line of the first section of that name, in file order, duplicates included.
QList<QPair<QString, QString>> IniSectionEntries(const QString& file, const QString& section);

// Removes every section of that name with all its lines. True when nothing had to
// be removed (a missing file included); false when the file could not be written.
bool IniEraseSection(const QString& file, const QString& section);

// The whole-file memory reader. Copies share the parsed file.
class TMemIniFile {
public:
    explicit TMemIniFile(const QString& file);            // missing or unreadable file: empty
    static TMemIniFile FromBytes(const QByteArray& bytes); // for tests and fuzzing
    QStringList Sections() const;
    bool SectionExists(const QString& section) const;
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    QList<QPair<QString, QString>> SectionEntries(const QString& section) const;

    struct TData;

private:
    TMemIniFile() = default;
    std::shared_ptr<const TData> data_;
};

// The largest file the INI readers accept.
inline constexpr qint64 IniMaxFileSize = 64 * 1024 * 1024;
