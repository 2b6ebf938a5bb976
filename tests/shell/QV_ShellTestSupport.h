#pragma once
// Real files for the file-operation tests: byte paths, a small tmpfs mounted for
// the duration of a test (root only), and a scoped XDG_DATA_HOME.

#include "platform/fs/QV_FileNames.h"
#include "support/QV_TestSupport.h"

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

inline QByteArray B(const QString& path) { return EncodeFileName(path); }

inline bool WriteBytes(const QByteArray& path, const QByteArray& data, mode_t mode = 0644)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return false;
    const bool ok = ::write(fd, data.constData(), size_t(data.size())) == data.size();
    ::close(fd);
    return ok;
}

inline std::optional<QByteArray> ReadBytes(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    QByteArray data;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) data.append(buffer, n);
    ::close(fd);
    return data;
}

inline bool Exists(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

inline mode_t KindOf(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// A tmpfs of the given size in a fresh folder, unmounted at the end; Ok() is
// false (and Why() says why) where mounting is not allowed.
class TSmallTmpfs {
public:
    explicit TSmallTmpfs(const char* size)
    {
        path_ = dir_.Sub("mnt");
        ::mkdir(B(path_).constData(), 0755);
        const QByteArray options = QByteArray("size=") + size;
        if (::mount("tmpfs", B(path_).constData(), "tmpfs", 0, options.constData()) == 0) mounted_ = true;
        else why_ = QStringLiteral("mounting a tmpfs is not allowed here (%1)").arg(QString::fromLocal8Bit(strerror(errno)));
    }
    ~TSmallTmpfs()
    {
        if (mounted_) ::umount2(B(path_).constData(), MNT_DETACH);
    }
    bool Ok() const { return mounted_; }
    QString Why() const { return why_; }
    QString Path() const { return path_; }

private:
    TTestDir dir_;
    QString path_;
    QString why_;
    bool mounted_ = false;
};

// Sets an environment variable for the scope, then puts the old value back.
class TEnvScope {
public:
    TEnvScope(const char* name, const QByteArray& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = QByteArray(old);
        ::setenv(name, value.constData(), 1);
    }
    ~TEnvScope()
    {
        if (old_) ::setenv(name_, old_->constData(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<QByteArray> old_;
};
