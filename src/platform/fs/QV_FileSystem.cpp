#include "platform/fs/QV_FileSystem.h"

#include "platform/fs/QV_FileNames.h"

#include <QList>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

TPathKind PathKindOf(const QString& path)
{
    if (path.isEmpty()) return TPathKind::pkNone;
    struct stat st {};
    if (::stat(EncodeFileName(path).constData(), &st) != 0) return TPathKind::pkNone;
    if (S_ISREG(st.st_mode)) return TPathKind::pkFile;
    if (S_ISDIR(st.st_mode)) return TPathKind::pkFolder;
    return TPathKind::pkOther;
}

TFsResult<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes)
{
    const QString what = QStringLiteral("read ") + path;
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return TFsError::FromErrno(what);
    struct stat st {};
    TFsResult<QByteArray> result = TFsError{0, what};
    if (::fstat(fd, &st) != 0) {
        result = TFsError::FromErrno(what);
    } else if (!S_ISREG(st.st_mode)) {
        result = TFsError{ENODEV, what};
    } else if (st.st_size > maxBytes) {
        result = TFsError{EFBIG, what};
    } else {
        QByteArray data(qsizetype(st.st_size), Qt::Uninitialized);
        qsizetype done = 0;
        bool failed = false;
        while (done < data.size()) {
            const ssize_t n = ::read(fd, data.data() + done, size_t(data.size() - done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                result = TFsError::FromErrno(what);
                failed = true;
                break;
            }
            if (n == 0) break;  // the file shrank while being read
            done += n;
        }
        if (!failed) {
            data.resize(done);
            result = std::move(data);
        }
    }
    ::close(fd);
    return result;
}

QString HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) return DecodeFileName(QByteArray(home));
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return DecodeFileName(QByteArray(pw->pw_dir));
    return {};
}

namespace {

// Reads XDG_DOCUMENTS_DIR from user-dirs.dirs: a line XDG_DOCUMENTS_DIR="$HOME/Documents".
QString DocumentsFromUserDirs(const QString& home)
{
    QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    const QByteArray file = (configHome.isEmpty() ? EncodeFileName(home) + "/.config" : configHome) + "/user-dirs.dirs";
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    struct stat st {};
    QByteArray data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size < (1 << 20)) {
        data.resize(st.st_size);
        const ssize_t n = ::read(fd, data.data(), data.size());
        data.resize(n > 0 ? n : 0);
    }
    ::close(fd);
    for (QByteArray line : data.split('\n')) {
        line = line.trimmed();
        if (!line.startsWith("XDG_DOCUMENTS_DIR=")) continue;
        QByteArray value = line.mid(18).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) value = value.mid(1, value.size() - 2);
        QString path = DecodeFileName(value);
        if (path.startsWith(QLatin1String("$HOME"))) path = home + path.mid(5);
        // A documents folder equal to home means the user turned it off.
        if (path.startsWith('/') && path != home && path != home + '/') return path;
        return {};
    }
    return {};
}

} // namespace

QString DocumentsFolder()
{
    const QString home = HomeFolder();
    const QString documents = DocumentsFromUserDirs(home);
    if (!documents.isEmpty() && PathKindOf(documents) == TPathKind::pkFolder) return documents;
    return home;
}
