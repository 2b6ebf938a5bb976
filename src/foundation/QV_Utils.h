#pragma once
// Parameter strings: the ‘Name(Value), Name(Value)’ text of every configurable
// value, the routines that read and write one entry, and the helpers that move a
// parameter string to and from an INI file.
//
// Reading is loose on purpose and stored files rely on it: a name is found as a
// substring (the first occurrence wins, "ItemSize(" satisfies "Size("), only the
// letters A-Z are compared without case, square brackets delimit the second
// nesting level, and an unterminated value loses its last character.

#include <QString>
#include <QStringList>

#include <stdexcept>

// A text that is not a number (or a Boolean) where one is needed.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TStringArray = QStringList;

// The value of a hexadecimal digit (either case), or -1.
int HexDigit(QChar c);

// Whether Text holds Needle, ignoring letter case as QString::contains with
// Qt::CaseInsensitive does; much faster where both are plain ASCII, which
// the quick filter meets on every keystroke over every name.
bool ContainsNoCase(QStringView Text, QStringView Needle);

// Decimal or hexadecimal ("$1F", "0x1F") with an optional sign; no blanks. A
// decimal number must fit in 32 bits; hexadecimal takes up to 32 bits and is read
// as their two's complement ("$FFFFFFFF" is -1). Raises EConvertError otherwise.
int StrToInt(const QString& text);

// A number (non-zero is true) or "True"/"False" in any letter case; raises
// EConvertError otherwise.
bool StrToBool(const QString& text);

// The value of the first entry Name(...) (Name[...] with brackets) in Source, or
// Default when there is none or it is empty or one blank. An empty Name finds
// nothing.
QString ExtractValue(const QString& source, const QString& name, const QString& def, bool brackets = false);

// Source with the value of the entry Name(...) set to Value, the entry removed for
// an empty Value, or the entry appended when it is missing. Every ",," first becomes
// ", " and every "=" is removed from the whole text. An empty Name changes nothing.
QString ReplaceValue(const QString& source, const QString& name, const QString& value);

// Index of the ")" closing a value that starts at start, counting nested pairs; the
// last index when the value is unterminated; the length when start is past the end.
qsizetype FindValueEnd(const QString& s, qsizetype start);

// Sets one entry inside the value [Section] Ident of an INI file given by its
// resolved path, with an exact, case-sensitive, non-nesting search for Name(.
// Creates the file when its folder exists; does nothing when the folder is missing.
void WriteIniParam(const QString& fileName, const QString& section, const QString& ident, const QString& name,
                   const QString& value);
void WriteIniParamInt(const QString& fileName, const QString& section, const QString& ident, const QString& name,
                      int value);
void WriteIniParamBool(const QString& fileName, const QString& section, const QString& ident, const QString& name,
                       bool value);

struct TParamString {
    QString PS_STRING;

    bool IsEmpty() const { return PS_STRING.isEmpty(); }
    void Clear() { PS_STRING.clear(); }

    QString GetValue(const QString& name, const QString& def, bool brackets = false) const;
    // GetInt, GetBool and GetSubInt raise EConvertError on a value that is present
    // but not a number (Boolean); absent, empty and single-blank values give def.
    int GetInt(const QString& name, int def, bool brackets = false) const;
    bool GetBool(const QString& name, bool def, bool brackets = false) const;
    // The integer SubName[...] inside the value of Name(...).
    int GetSubInt(const QString& name, const QString& subName, int def) const;

    // Each returns the new PS_STRING.
    QString SetValue(const QString& name, const QString& value);
    QString SetInt(const QString& name, int value);
    QString SetBool(const QString& name, bool value);

    // FileName may hold path aliases. None of these creates a missing file: they
    // then answer false and change nothing.
    // PS_STRING := Ident + " = " + the value (or def); true when the value read
    // differs from def.
    bool LoadFromIni(const QString& fileName, const QString& section, const QString& ident, const QString& def);
    // True when PS_STRING was written.
    bool SaveToIni(const QString& fileName, const QString& section, const QString& ident) const;
    // Sets one entry of the stored value [Section] Ident and writes it back; true
    // when written. PS_STRING holds the new value afterwards.
    bool WriteValueToIni(const QString& fileName, const QString& section, const QString& ident,
                         const QString& name, const QString& value);
    bool WriteBoolToIni(const QString& fileName, const QString& section, const QString& ident,
                        const QString& name, bool value);
};

class TFont;

struct TSmartString {
    QString SS_TEXT;

    QString Text() const { return SS_TEXT; }
    void SetText(const QString& text) { SS_TEXT = text; }
    void SetInt(qint32 value) { SS_TEXT = QString::number(value); }
    void SetInt64(qint64 value) { SS_TEXT = QString::number(value); }
    // Pixel width of the text in the font, 0 without one (defined with the paint
    // utilities, which own the measuring).
    int TextWidth(const TFont* font) const;
};

// A label and the value shown after it; the setters set the value.
struct TValueString {
    TSmartString VS_PARAM;
    TSmartString VS_VALUE;

    void SetText(const QString& text) { VS_VALUE.SetText(text); }
    void SetInt(qint32 value) { VS_VALUE.SetInt(value); }
    void SetInt64(qint64 value) { VS_VALUE.SetInt64(value); }
};
