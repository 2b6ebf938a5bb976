#include "platform/image/QV_ByteSource.h"

#include "platform/fs/QV_FileNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

bool Inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size)
{
    return offset <= size && length <= size - offset;
}

class TMemorySource final : public TByteSource {
public:
    explicit TMemorySource(const QByteArray& bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return std::uint64_t(bytes_.size()); }
    bool Read(std::uint64_t offset, std::uint64_t length, QByteArray& out) const override
    {
        if (!Inside(offset, length, Size())) {
            out.clear();
            return false;
        }
        out = bytes_.mid(qsizetype(offset), qsizetype(length));
        return true;
    }

private:
    const QByteArray bytes_;
};

class TFileSource final : public TByteSource {
public:
    TFileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~TFileSource() override { ::close(fd_); }
    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, std::uint64_t length, QByteArray& out) const override
    {
        out.clear();
        if (!Inside(offset, length, size_)) return false;
        out.resize(qsizetype(length));
        std::uint64_t done = 0;
        while (done < length) {
            const ssize_t n = ::pread(fd_, out.data() + done, size_t(length - done), off_t(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) { // an error, or the file shrank since it was opened
                out.clear();
                return false;
            }
            done += std::uint64_t(n);
        }
        return true;
    }

private:
    const int fd_;
    const std::uint64_t size_;
};

QString SystemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

std::shared_ptr<const TByteSource> MemorySource(const QByteArray& bytes)
{
    return std::make_shared<TMemorySource>(bytes);
}

std::shared_ptr<const TByteSource> OpenFileSource(const QString& path, QString& error)
{
    error.clear();
    const QByteArray name = EncodeFileName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = SystemError("Cannot open file");
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = SystemError("Cannot read file");
    } else if (!S_ISREG(st.st_mode)) {
        error = QStringLiteral("Not a regular file");
    } else {
        return std::make_shared<TFileSource>(fd, std::uint64_t(st.st_size));
    }
    ::close(fd);
    return nullptr;
}
