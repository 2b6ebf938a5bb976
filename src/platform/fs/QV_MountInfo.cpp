// The parser of /proc/self/mountinfo and the label escapes; pure functions over bytes.

#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_Mounts.h"

#include <QList>
#include <QStringList>

namespace {

inline bool IsOctal(char c)
{
    return c >= '0' && c <= '7';
}

inline int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The kernel writes space, tab, newline and backslash in names as "\ooo".
QString UnescapeField(const QByteArray& field)
{
    if (!field.contains('\\')) return DecodeFileName(field);
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2])
            && IsOctal(field[i + 3])) {
            const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                bytes.append(char(value));
                i += 3;
                continue;
            }
        }
        bytes.append(c);
    }
    return DecodeFileName(bytes);
}

bool ParseNumber(const QByteArray& text, unsigned& value)
{
    if (text.isEmpty() || text.size() > 9) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + unsigned(c - '0');
    }
    return true;
}

bool ParseLine(const QByteArray& line, TMountEntry& entry)
{
    const QList<QByteArray> fields = line.split(' ');
    // id parent major:minor root mount-point options [optional...] - type source super-options
    qsizetype separator = -1;
    for (qsizetype i = 6; i < fields.size(); ++i) {
        if (fields[i] == "-") {
            separator = i;
            break;
        }
    }
    if (separator < 0 || fields.size() < separator + 3) return false;
    unsigned id = 0, parent = 0;
    if (!ParseNumber(fields[0], id) || !ParseNumber(fields[1], parent)) return false;
    const qsizetype colon = fields[2].indexOf(':');
    if (colon < 0 || !ParseNumber(fields[2].left(colon), entry.Major)
        || !ParseNumber(fields[2].mid(colon + 1), entry.Minor))
        return false;
    entry.MountId = int(id);
    entry.ParentId = int(parent);
    entry.Root = UnescapeField(fields[3]);
    entry.MountPoint = UnescapeField(fields[4]);
    if (!entry.MountPoint.startsWith('/')) return false;
    while (entry.MountPoint.size() > 1 && entry.MountPoint.endsWith('/')) entry.MountPoint.chop(1);
    QByteArray options = fields[5];
    for (qsizetype i = 6; i < separator; ++i) options += ' ' + fields[i];
    entry.Options = UnescapeField(options);
    entry.FsType = UnescapeField(fields[separator + 1]);
    entry.Source = UnescapeField(fields[separator + 2]);
    entry.SuperOptions = fields.size() > separator + 3 ? UnescapeField(fields[separator + 3]) : QString();
    return true;
}

} // namespace

std::vector<TMountEntry> ParseMountInfo(const QByteArray& text)
{
    std::vector<TMountEntry> mounts;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) end = text.size();
        TMountEntry entry;
        if (ParseLine(text.mid(start, end - start), entry)) mounts.push_back(std::move(entry));
        start = end + 1;
    }
    return mounts;
}

QString UnescapeLabel(const QByteArray& name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int high = HexValue(name[i + 2]), low = HexValue(name[i + 3]);
            if (high >= 0 && low >= 0) {
                bytes.append(char(high * 16 + low));
                i += 3;
                continue;
            }
        }
        bytes.append(name[i]);
    }
    return DecodeFileName(bytes);
}
