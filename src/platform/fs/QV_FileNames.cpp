#include "platform/fs/QV_FileNames.h"

namespace {

// Length of the valid UTF-8 sequence starting at p (at most `left` bytes), or 0.
int ValidSequenceLength(const unsigned char* p, qsizetype left)
{
    const unsigned char b = p[0];
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F; // UTF-16 surrogates are not valid UTF-8
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (left < length) return 0;
    if (p[1] < low || p[1] > high) return 0;
    for (int i = 2; i < length; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF) return 0;
    return length;
}

void AppendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

} // namespace

QString DecodeFileName(const char* bytes, qsizetype length)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    // Most names are ASCII and take the bulk conversion; the rest continue byte by byte.
    qsizetype i = 0;
    while (i < length && p[i] < 0x80) ++i;
    if (i == length) return QString::fromLatin1(bytes, length);
    QString out;
    out.reserve(length);
    out.append(QLatin1String(bytes, i));
    while (i < length) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
            continue;
        }
        const int n = ValidSequenceLength(p + i, length - i);
        if (n == 0) {
            out.append(QChar(char16_t(0xDC00 + b)));
            ++i;
            continue;
        }
        char32_t c = b & (0xFF >> (n + 1));
        for (int k = 1; k < n; ++k)
            c = (c << 6) | (p[i + k] & 0x3F);
        if (c >= 0x10000) {
            out.append(QChar::highSurrogate(c));
            out.append(QChar::lowSurrogate(c));
        } else {
            out.append(QChar(char16_t(c)));
        }
        i += n;
    }
    return out;
}

QString DecodeFileName(const QByteArray& bytes)
{
    return DecodeFileName(bytes.constData(), bytes.size());
}

QByteArray EncodeFileName(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            out.append(char(u));
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out.append(char(u - 0xDC00));
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            AppendUtf8(out, QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(u)) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

QString DisplayFileName(const QString& text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char16_t u = out[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < out.size() && QChar::isLowSurrogate(out[i + 1].unicode()))
            ++i; // a real character outside the basic plane
        else if (u >= 0xDC80 && u <= 0xDCFF)
            out[i] = QChar(char16_t(0xFFFD));
    }
    return out;
}
