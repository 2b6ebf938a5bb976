#include "platform/image/QV_ImageFile.h"

#include "platform/fs/QV_FileNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

TBitmap32 TakeBitmapOrThrow(TImageResult result)
{
    if (!result.Ok()) throw EImageError(result.Error);
    return std::move(result.Bitmap);
}

QString CheckImageSize(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0) return QStringLiteral("Invalid image size");
    if (width > kMaxImageSide || height > kMaxImageSide || width * height * 4 > kMaxImageBytes)
        return QStringLiteral("Image too large: %1 x %2").arg(width).arg(height);
    return {};
}

QString ReadPictureFile(const QString& path, QByteArray& contents, std::int64_t maxBytes)
{
    contents.clear();
    const QByteArray name = EncodeFileName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return QStringLiteral("Cannot open file: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    QString error;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = QStringLiteral("Cannot read file: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    } else if (!S_ISREG(st.st_mode)) {
        error = QStringLiteral("Not a regular file");
    } else if (st.st_size > maxBytes) {
        error = QStringLiteral("File too large");
    } else {
        contents.resize(qsizetype(st.st_size));
        qsizetype done = 0;
        while (done < contents.size()) {
            const ssize_t n = ::read(fd, contents.data() + done, size_t(contents.size() - done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = QStringLiteral("Cannot read file: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
                break;
            }
            if (n == 0) break; // the file shrank while reading
            done += n;
        }
        contents.resize(done);
    }
    ::close(fd);
    if (!error.isEmpty()) contents.clear();
    return error;
}
