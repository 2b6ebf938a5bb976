#include "platform/fs/QV_FileOps.h"

#include "platform/fs/QV_FileNames.h"

#include <QList>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <random>
#include <utility>

namespace {

// The ".hidden" file is read in full before it is extended; the folder may be
// anyone's, so a huge one is not ours to rewrite.
constexpr qint64 HiddenFileLimit = 1 << 20;

bool SameEntry(const QByteArray& a, const QByteArray& b)
{
    struct stat sa {}, sb {};
    return ::lstat(a.constData(), &sa) == 0 && ::lstat(b.constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

int RenameNoReplace(const QByteArray& from, const QByteArray& to)
{
    return ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
}

QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray TempNameBeside(const QByteArray& path)
{
    static thread_local std::mt19937 random{std::random_device{}()};
    const qsizetype slash = path.lastIndexOf('/');
    return path.left(slash + 1) + ".qv-tmp-" + QByteArray::number(quint32(random()), 36);
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

} // namespace

TFsStatus RenamePath(const QString& from, const QString& to)
{
    const QByteArray source = EncodeFileName(from);
    const QByteArray target = EncodeFileName(to);
    const auto failed = [&] { return TFsError::FromErrno(QStringLiteral("rename %1 to %2").arg(from, to)); };
    if (RenameNoReplace(source, target) == 0) return {};
    if (errno != EEXIST) return failed();
    if (!SameEntry(source, target)) {
        errno = EEXIST;
        return failed();
    }
    // Only the spelling differs on media that ignore case: step aside first.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray temp = TempNameBeside(source);
        if (RenameNoReplace(source, temp) != 0) {
            if (errno == EEXIST) continue;
            return failed();
        }
        if (RenameNoReplace(temp, target) == 0) return {};
        const TFsError error = failed();
        RenameNoReplace(temp, source);
        return error;
    }
    errno = EEXIST;
    return failed();
}

TFsStatus DeleteFilePath(const QString& path)
{
    const QByteArray name = EncodeFileName(path);
    if (::unlink(name.constData()) == 0 || errno == ENOENT) return {};
    return TFsError::FromErrno(QStringLiteral("delete %1").arg(path));
}

TFsResult<TStagedFile> TStagedFile::Stage(const QString& path, const QByteArray& contents)
{
    const QByteArray target = EncodeFileName(path);
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT) return TFsError::FromErrno(QStringLiteral("write ") + path);
    if (exists) {
        if ((old.st_mode & 0222) == 0) return TFsError{EACCES, QStringLiteral("write read-only ") + path};
        if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
            return TFsError::FromErrno(QStringLiteral("write ") + path);
    }
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = TempNameBeside(target);
        // 0666 lets the umask decide the rights of a new file, as for any other.
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return TFsError::FromErrno(QStringLiteral("create a file beside ") + path);
    // The owner stays where the system lets it (root saving a user's file);
    // elsewhere the replacement is the writer's, as with every program that
    // saves by renaming.
    bool ok = true;
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        ok = ::fchown(fd, old.st_uid, old.st_gid) == 0 || errno == EPERM || errno == EINVAL;
    // The old rights apply (after the owner, which would clear set-id bits)
    // before any content is written, so a private file never shows its content
    // to others through the temporary one.
    ok = ok && (!exists || ::fchmod(fd, old.st_mode & 07777) == 0);
    ok = ok && WriteAll(fd, contents) && ::fsync(fd) == 0;
    TFsError error = ok ? TFsError{} : TFsError::FromErrno(QStringLiteral("write ") + path);
    if (::close(fd) != 0 && ok) {
        error = TFsError::FromErrno(QStringLiteral("write ") + path);
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.constData());
        return error;
    }
    TStagedFile staged;
    staged.target_ = path;
    staged.temp_ = temp;
    return staged;
}

TStagedFile::TStagedFile(TStagedFile&& other) noexcept
    : target_(std::move(other.target_)), temp_(std::exchange(other.temp_, QByteArray()))
{
}

TStagedFile& TStagedFile::operator=(TStagedFile&& other) noexcept
{
    if (this != &other) {
        Discard();
        target_ = std::move(other.target_);
        temp_ = std::exchange(other.temp_, QByteArray());
    }
    return *this;
}

TStagedFile::~TStagedFile() { Discard(); }

QString TStagedFile::TempPath() const { return DecodeFileName(temp_); }

void TStagedFile::Discard()
{
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
    temp_.clear();
}

TFsStatus TStagedFile::Commit()
{
    if (temp_.isEmpty()) return TFsError{EINVAL, QStringLiteral("replace ") + target_};
    if (::rename(temp_.constData(), EncodeFileName(target_).constData()) != 0) {
        const TFsError error = TFsError::FromErrno(QStringLiteral("replace ") + target_);
        Discard();
        return error;
    }
    temp_.clear();
    return {};
}

TFsStatus WriteFileAtomic(const QString& path, const QByteArray& contents)
{
    TFsResult<TStagedFile> staged = TStagedFile::Stage(path, contents);
    if (!staged) return staged.Error();
    return staged.Value().Commit();
}

TFsStatus CheckFolderWritable(const QString& path)
{
    const QByteArray name = EncodeFileName(path);
    const QString what = QStringLiteral("write in %1").arg(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) return TFsError::FromErrno(what);
    if (!S_ISDIR(st.st_mode)) return TFsError{ENOTDIR, what};
    if ((st.st_mode & 0222) == 0) return TFsError{EACCES, QStringLiteral("write in read-only folder ") + path};
    if (::faccessat(AT_FDCWD, name.constData(), W_OK | X_OK, AT_EACCESS) != 0) return TFsError::FromErrno(what);
    struct statvfs vfs {};
    if (::statvfs(name.constData(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY)) return TFsError{EROFS, what};
    return {};
}

TFsStatus HideInFolder(const QString& path)
{
    const QByteArray encoded = EncodeFileName(path);
    const qsizetype slash = encoded.lastIndexOf('/');
    const QByteArray name = encoded.mid(slash + 1);
    const QString what = QStringLiteral("hide %1").arg(path);
    if (name.isEmpty() || name.contains('\n')) return TFsError{EINVAL, what};
    const QByteArray hiddenFile = FolderOf(encoded) + "/.hidden";

    QByteArray contents;
    const int fd = ::open(hiddenFile.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd >= 0) {
        struct stat st {};
        const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= HiddenFileLimit;
        if (regular) {
            contents.resize(st.st_size);
            qsizetype got = 0;
            while (got < contents.size()) {
                const ssize_t n = ::read(fd, contents.data() + got, size_t(contents.size() - got));
                if (n <= 0) break;
                got += n;
            }
            contents.truncate(got);
        }
        ::close(fd);
        if (!regular) return TFsError{EINVAL, what};
    } else if (errno != ENOENT) {
        return TFsError::FromErrno(what);
    }
    for (const QByteArray& line : contents.split('\n'))
        if (line == name) return {};
    if (!contents.isEmpty() && !contents.endsWith('\n')) contents += '\n';
    contents += name + '\n';
    return WriteFileAtomic(DecodeFileName(hiddenFile), contents);
}

TFsStatus CreateFolderPath(const QString& path)
{
    if (::mkdir(EncodeFileName(path).constData(), 0777) == 0) return {};
    return TFsError::FromErrno(QStringLiteral("create folder %1").arg(path));
}
