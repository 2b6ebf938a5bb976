#include "platform/ini/QV_IniDocument.h"

#include "platform/fs/QV_FileNames.h"

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

TIniLineEnd EndAt(const auto& data, qsizetype i, qsizetype size, qsizetype& width)
{
    if (data[i] == '\n') {
        width = 1;
        return TIniLineEnd::leLF;
    }
    if (i + 1 < size && data[i + 1] == '\n') {
        width = 2;
        return TIniLineEnd::leCRLF;
    }
    width = 1;
    return TIniLineEnd::leCR;
}

// Splits text (bytes or UTF-16 units) at CR, LF and CRLF; decode turns one line's
// range into its text.
template <typename Data, typename Decode>
void SplitLines(const Data& data, qsizetype size, Decode decode, TIniDocument& document)
{
    bool endSeen = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] != '\n' && data[i] != '\r') continue;
        qsizetype width = 0;
        const TIniLineEnd end = EndAt(data, i, size, width);
        document.Lines.push_back({decode(start, i - start), end});
        if (!endSeen) {
            document.NewLineEnd = end;
            endSeen = true;
        }
        i += width - 1;
        start = i + 1;
    }
    if (start < size) document.Lines.push_back({decode(start, size - start), TIniLineEnd::leNone});
}

void AppendUtf16(QByteArray& out, const QString& text, bool bigEndian)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char high = char(u >> 8), low = char(u & 0xFF);
        out.append(bigEndian ? high : low);
        out.append(bigEndian ? low : high);
    }
}

QString LineEndText(TIniLineEnd end)
{
    switch (end) {
    case TIniLineEnd::leLF: return QStringLiteral("\n");
    case TIniLineEnd::leCR: return QStringLiteral("\r");
    case TIniLineEnd::leCRLF: return QStringLiteral("\r\n");
    case TIniLineEnd::leNone: break;
    }
    return {};
}

} // namespace

TIniDocument DecodeIniDocument(const QByteArray& bytes)
{
    TIniDocument document;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
        const bool bigEndian = p[0] == 0xFE;
        document.Encoding = bigEndian ? TIniEncoding::ieUtf16BE : TIniEncoding::ieUtf16LE;
        QString text((size - 2) / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const unsigned char a = p[2 + 2 * i], b = p[3 + 2 * i];
            text[i] = QChar(char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a)));
        }
        SplitLines(text, text.size(), [&](qsizetype from, qsizetype n) { return text.mid(from, n); }, document);
        return document;
    }
    qsizetype offset = 0;
    if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        document.Encoding = TIniEncoding::ieUtf8Bom;
        offset = 3;
    }
    const char* data = bytes.constData() + offset;
    // CR and LF never occur inside a multi-byte UTF-8 sequence, so splitting the
    // bytes first is safe and keeps the decoding of each line independent.
    SplitLines(data, size - offset, [&](qsizetype from, qsizetype n) { return DecodeFileName(data + from, n); },
               document);
    return document;
}

QByteArray EncodeIniDocument(const TIniDocument& document)
{
    QByteArray out;
    switch (document.Encoding) {
    case TIniEncoding::ieUtf8Bom: out.append("\xEF\xBB\xBF"); [[fallthrough]];
    case TIniEncoding::ieUtf8:
        for (const TIniLine& line : document.Lines) {
            out.append(EncodeFileName(line.Text));
            out.append(LineEndText(line.End).toLatin1());
        }
        break;
    case TIniEncoding::ieUtf16LE:
    case TIniEncoding::ieUtf16BE: {
        const bool bigEndian = document.Encoding == TIniEncoding::ieUtf16BE;
        out.append(bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2);
        for (const TIniLine& line : document.Lines) {
            AppendUtf16(out, line.Text, bigEndian);
            AppendUtf16(out, LineEndText(line.End), bigEndian);
        }
        break;
    }
    }
    return out;
}

QStringView TrimIniBlanks(QStringView text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && IsBlank(text[from])) ++from;
    while (to > from && IsBlank(text[to - 1])) --to;
    return text.sliced(from, to - from);
}

TIniLineParse ParseIniLine(const QString& line)
{
    TIniLineParse parse;
    const QStringView text = TrimIniBlanks(line);
    if (text.isEmpty() || text.front() == u';') return parse;
    if (text.front() == u'[') {
        const qsizetype close = text.indexOf(u']');
        parse.Kind = TIniLineKind::lkSection;
        parse.Name = TrimIniBlanks(text.sliced(1, (close < 0 ? text.size() : close) - 1));
        return parse;
    }
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) return parse;
    parse.Kind = TIniLineKind::lkKey;
    parse.Name = TrimIniBlanks(text.first(equals));
    QStringView value = TrimIniBlanks(text.sliced(equals + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    parse.Value = value;
    return parse;
}

bool IniNamesEqual(QStringView a, QStringView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}
