#include "foundation/QV_Utils.h"

#include "foundation/QV_System.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/ini/QV_IniFile.h"

#include <cstdint>
#include <vector>

namespace {

enum class TMatchCase { mcFoldAZ, mcExact };

char16_t Fold(char16_t c, TMatchCase mode)
{
    return mode == TMatchCase::mcFoldAZ && c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// First index of needle in haystack, or -1. Knuth-Morris-Pratt, so arbitrary
// names over arbitrary text stay linear.
qsizetype FindText(QStringView haystack, QStringView needle, TMatchCase mode)
{
    const qsizetype m = needle.size();
    if (m == 0 || m > haystack.size()) return -1;
    std::vector<qsizetype> border(size_t(m), 0);
    for (qsizetype i = 1, k = 0; i < m; ++i) {
        while (k > 0 && Fold(needle[i].unicode(), mode) != Fold(needle[k].unicode(), mode)) k = border[size_t(k - 1)];
        if (Fold(needle[i].unicode(), mode) == Fold(needle[k].unicode(), mode)) ++k;
        border[size_t(i)] = k;
    }
    for (qsizetype i = 0, k = 0; i < haystack.size(); ++i) {
        const char16_t c = Fold(haystack[i].unicode(), mode);
        while (k > 0 && c != Fold(needle[k].unicode(), mode)) k = border[size_t(k - 1)];
        if (c == Fold(needle[k].unicode(), mode)) ++k;
        if (k == m) return i - m + 1;
    }
    return -1;
}

[[noreturn]] void RaiseNotInteger(const QString& text)
{
    throw EConvertError("'" + text.toStdString() + "' is not a valid integer value");
}

} // namespace

bool ContainsNoCase(QStringView Text, QStringView Needle)
{
    const qsizetype n = Needle.size();
    const qsizetype m = Text.size();
    if (n == 0) return true;
    if (n > m) return false;
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    for (const QChar c : Needle)
        if (c.unicode() > 0x7F) return Text.contains(Needle, Qt::CaseInsensitive);
    for (const QChar c : Text)
        // Some letters beyond ASCII fold to ASCII ones (the Kelvin sign to "k").
        if (c.unicode() > 0x7F) return Text.contains(Needle, Qt::CaseInsensitive);
    const char16_t* text = Text.utf16();
    const char16_t* needle = Needle.utf16();
    const char16_t first = lower(needle[0]);
    for (qsizetype i = 0; i + n <= m; ++i) {
        if (lower(text[i]) != first) continue;
        qsizetype k = 1;
        while (k < n && lower(text[i + k]) == lower(needle[k])) ++k;
        if (k == n) return true;
    }
    return false;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

namespace {

bool TryStrToInt(const QString& text, int& result)
{
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == u'-';
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return false;
    // Hexadecimal gives a 32-bit pattern; decimal must fit the signed range.
    const std::int64_t limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0 || digit >= base) return false;
        value = value * base + digit;
        if (value > limit) return false;
    }
    if (negative) value = -value;
    result = std::int32_t(std::uint32_t(std::uint64_t(value) & 0xFFFFFFFFu));
    return true;
}

// The delimiter pair of a nesting level.
struct TDelimiters {
    QChar Open, Close;
};

TDelimiters DelimitersOf(bool brackets)
{
    return brackets ? TDelimiters{u'[', u']'} : TDelimiters{u'(', u')'};
}

// End of a value as FindValueEnd defines it, for either delimiter pair.
qsizetype ValueEnd(QStringView s, qsizetype start, TDelimiters d)
{
    if (start >= s.size()) return s.size();
    int depth = 0;
    for (qsizetype i = start; i < s.size(); ++i) {
        if (s[i] == d.Open) {
            ++depth;
        } else if (s[i] == d.Close) {
            if (depth == 0) return i;
            --depth;
        }
    }
    // Unterminated: the last character is treated as if it closed the value.
    return s.size() - 1;
}

} // namespace

int StrToInt(const QString& text)
{
    int result = 0;
    if (!TryStrToInt(text, result)) RaiseNotInteger(text);
    return result;
}

bool StrToBool(const QString& text)
{
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    int number = 0;
    if (TryStrToInt(text, number)) return number != 0;
    // Decimal fractions count as numbers too ("0.5"); the character check keeps
    // out what the C library would also take (blanks, "inf", "nan").
    bool plain = !text.isEmpty();
    for (const QChar c : text)
        plain = plain && ((c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' || c == u'+' || c == u'-');
    bool ok = false;
    const double value = plain ? text.toDouble(&ok) : 0.0;
    if (!ok) throw EConvertError("'" + text.toStdString() + "' is not a valid boolean value");
    return value != 0.0;
}

QString ExtractValue(const QString& source, const QString& name, const QString& def, bool brackets)
{
    if (name.isEmpty()) return def;
    const TDelimiters d = DelimitersOf(brackets);
    const qsizetype at = FindText(source, name + d.Open, TMatchCase::mcFoldAZ);
    if (at < 0) return def;
    const qsizetype start = at + name.size() + 1;
    const qsizetype end = ValueEnd(source, start, d);
    const QString value = source.mid(start, end - start);
    return value.isEmpty() || value == QLatin1String(" ") ? def : value;
}

qsizetype FindValueEnd(const QString& s, qsizetype start)
{
    return ValueEnd(s, start, DelimitersOf(false));
}

QString ReplaceValue(const QString& source, const QString& name, const QString& value)
{
    if (name.isEmpty()) return source;
    QString s = source;
    s.replace(QLatin1String(",,"), QLatin1String(", "));
    s.remove(u'=');
    const qsizetype at = FindText(s, name + u'(', TMatchCase::mcFoldAZ);
    if (at >= 0) {
        const qsizetype start = at + name.size() + 1;
        const qsizetype end = FindValueEnd(s, start);
        if (!value.isEmpty())
            s.replace(start, end - start, value);
        else
            s.remove(at, end + 1 - at); // the separator before the entry stays
    } else if (!value.isEmpty()) {
        if (!s.isEmpty()) s += u',';
        s += u' ' + name + u'(' + value + u')';
    }
    return s;
}

void WriteIniParam(const QString& fileName, const QString& section, const QString& ident, const QString& name,
                   const QString& value)
{
    const qsizetype slash = fileName.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : fileName.left(slash);
    if (PathKindOf(folder) != TPathKind::pkFolder) return;
    QString dest = IniReadString(fileName, section, ident, QString());
    const qsizetype at = name.isEmpty() ? -1 : FindText(dest, name + u'(', TMatchCase::mcExact);
    if (at >= 0) {
        const qsizetype start = at + name.size() + 1;
        qsizetype end = dest.indexOf(u')', start);
        // Unterminated: the last character stays, as with the nesting readers.
        if (end < 0) end = qMax(start, dest.size() - 1);
        dest.replace(start, end - start, value);
    } else {
        if (!dest.isEmpty()) dest += u',';
        dest += u' ' + name + u'(' + value + u')';
    }
    IniWriteString(fileName, section, ident, dest);
}

void WriteIniParamInt(const QString& fileName, const QString& section, const QString& ident, const QString& name,
                      int value)
{
    WriteIniParam(fileName, section, ident, name, QString::number(value));
}

void WriteIniParamBool(const QString& fileName, const QString& section, const QString& ident, const QString& name,
                       bool value)
{
    WriteIniParam(fileName, section, ident, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString TParamString::GetValue(const QString& name, const QString& def, bool brackets) const
{
    return ExtractValue(PS_STRING, name, def, brackets);
}

int TParamString::GetInt(const QString& name, int def, bool brackets) const
{
    return StrToInt(GetValue(name, QString::number(def), brackets));
}

bool TParamString::GetBool(const QString& name, bool def, bool brackets) const
{
    return StrToBool(GetValue(name, def ? QStringLiteral("-1") : QStringLiteral("0"), brackets));
}

int TParamString::GetSubInt(const QString& name, const QString& subName, int def) const
{
    const QString defText = QString::number(def);
    return StrToInt(ExtractValue(GetValue(name, defText), subName, defText, true));
}

QString TParamString::SetValue(const QString& name, const QString& value)
{
    PS_STRING = ReplaceValue(PS_STRING, name, value);
    return PS_STRING;
}

QString TParamString::SetInt(const QString& name, int value) { return SetValue(name, QString::number(value)); }

QString TParamString::SetBool(const QString& name, bool value)
{
    return SetValue(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TParamString::LoadFromIni(const QString& fileName, const QString& section, const QString& ident,
                               const QString& def)
{
    const QString path = ResolvePath(fileName);
    if (!PathExists(path, emFile)) return false;
    const QString value = IniReadString(path, section, ident, def);
    PS_STRING = ident + QStringLiteral(" = ") + value;
    return value != def;
}

bool TParamString::SaveToIni(const QString& fileName, const QString& section, const QString& ident) const
{
    const QString path = ResolvePath(fileName);
    return PathExists(path, emFile) && IniWriteString(path, section, ident, PS_STRING);
}

bool TParamString::WriteValueToIni(const QString& fileName, const QString& section, const QString& ident,
                                   const QString& name, const QString& value)
{
    const QString path = ResolvePath(fileName);
    if (!PathExists(path, emFile)) return false;
    PS_STRING = IniReadString(path, section, ident, QString());
    SetValue(name, value);
    return IniWriteString(path, section, ident, PS_STRING);
}

bool TParamString::WriteBoolToIni(const QString& fileName, const QString& section, const QString& ident,
                                  const QString& name, bool value)
{
    return WriteValueToIni(fileName, section, ident, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}
