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

namespace {

struct TFdGuard {
    int Fd;
    ~TFdGuard() { ::close(Fd); }
};

}  // namespace

TFsResult<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes)
{
    const QString what = QStringLiteral("read ") + path;
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return TFsError::FromErrno(what);
    // Closed after the answer is made, so errno still names the failure.
    const TFdGuard guard{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return TFsError::FromErrno(what);
    if (!S_ISREG(st.st_mode)) return TFsError{ENODEV, what};
    if (st.st_size > maxBytes) return TFsError{EFBIG, what};
    QByteArray data(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::read(fd, data.data() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return TFsError::FromErrno(what);
        if (n == 0) break;  // the file shrank while being read
        done += n;
    }
    data.resize(done);
    return data;
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
