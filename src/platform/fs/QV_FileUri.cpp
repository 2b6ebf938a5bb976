#include "platform/fs/QV_FileUri.h"

#include "platform/fs/QV_FileNames.h"

#include <cerrno>

namespace {

bool Unreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

TFsError Refused(const QByteArray& uri)
{
    // The text shows at most the start of a long address.
    return TFsError{EINVAL, QStringLiteral("not a local file address: %1").arg(QString::fromUtf8(uri.left(200)))};
}

} // namespace

QByteArray FileUriFromPath(const QString& path)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = EncodeFileName(path);
    QByteArray uri = QByteArrayLiteral("file://");
    uri.reserve(uri.size() + bytes.size() * 3);
    for (const char c : bytes) {
        if (Unreserved(c)) {
            uri += c;
        } else {
            const auto b = static_cast<unsigned char>(c);
            uri += '%';
            uri += hex[b >> 4];
            uri += hex[b & 15];
        }
    }
    return uri;
}

TFsResult<QString> PathFromFileUri(const QByteArray& uri)
{
    if (!uri.left(7).toLower().startsWith("file://")) return Refused(uri);
    QByteArray rest = uri.mid(7);
    // An address may carry a host: only this machine's names are local.
    const qsizetype slash = rest.indexOf('/');
    if (slash < 0) return Refused(uri);
    const QByteArray host = rest.left(slash).toLower();
    if (!host.isEmpty() && host != "localhost") return Refused(uri);
    rest = rest.mid(slash);
    // A query or fragment is not part of the path.
    for (const char mark : {'?', '#'})
        if (const qsizetype at = rest.indexOf(mark); at >= 0) rest.truncate(at);

    QByteArray bytes;
    bytes.reserve(rest.size());
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 && HexValue(rest[i + 2]) >= 0) {
            bytes += char(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
            i += 2;
        } else {
            bytes += rest[i];
        }
    }
    if (bytes.isEmpty() || bytes[0] != '/' || bytes.contains('\0')) return Refused(uri);
    return DecodeFileName(bytes);
}
