#include "platform/fs/QV_DirList.h"

#include "platform/fs/QV_FileNames.h"

#include <QByteArray>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr unsigned StatxFields = STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_SIZE | STATX_ATIME
    | STATX_MTIME | STATX_BTIME;
constexpr qint64 HiddenFileLimit = 1 << 20;

qint64 Milliseconds(const statx_timestamp& t)
{
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// The names listed in a folder's ".hidden" file, one a line. Only a regular file
// is read, and only up to a limit: the folder may be anyone's.
QSet<QByteArray> ReadHiddenNames(int dirFd)
{
    QSet<QByteArray> names;
    const int fd = ::openat(dirFd, ".hidden", O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return names;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= HiddenFileLimit) {
        QByteArray data(st.st_size, Qt::Uninitialized);
        qsizetype got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
            if (n <= 0) break;
            got += n;
        }
        data.truncate(got);
        for (const QByteArray& line : data.split('\n'))
            if (!line.isEmpty()) names.insert(line);
    }
    ::close(fd);
    return names;
}

// Reads entries of one folder; holds what is the same for all of them.
class TEntryReader {
public:
    // dirFd is the open folder, or AT_FDCWD when names are whole paths (no ".hidden").
    // A listing keeps an entry whose status is refused by its name; a single
    // look-up answers only for what it could read.
    enum TRefused { rfSkip, rfKeepName };

    explicit TEntryReader(int dirFd, TRefused refused = rfSkip) : dirFd_(dirFd), keepRefused_(refused == rfKeepName)
    {
        euid_ = ::geteuid();
        const int count = ::getgroups(0, nullptr);
        if (count > 0) {
            groups_.resize(count);
            groups_.resize(std::max(0, ::getgroups(count, groups_.data())));
        }
        groups_.push_back(::getegid());
        if (dirFd != AT_FDCWD) {
            struct statvfs vfs {};
            readOnlyVolume_ = ::fstatvfs(dirFd, &vfs) == 0 && (vfs.f_flag & ST_RDONLY);
            hidden_ = ReadHiddenNames(dirFd);
        }
    }

    // False when the entry no longer exists.
    bool Read(const char* name, size_t length, unsigned char type, TDirEntry& entry) const
    {
        struct statx sx {};
        bool link = type == DT_LNK;
        if (!link) {
            if (::statx(dirFd_, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, StatxFields, &sx) != 0)
                return errno == EACCES && keepRefused_ && ReadWithoutStatus(name, length, type, entry);
            link = S_ISLNK(sx.stx_mode);
        }
        entry.Attributes = 0;
        if (link) {
            entry.Attributes |= faSymLink;
            // The target's status describes what the user reaches through the link;
            // a dangling link or a loop keeps the link's own.
            struct statx target {};
            if (::statx(dirFd_, name, AT_STATX_DONT_SYNC, StatxFields, &target) == 0)
                sx = target;
            else if (type == DT_LNK
                     && ::statx(dirFd_, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, StatxFields, &sx) != 0)
                return errno == EACCES && keepRefused_ && ReadWithoutStatus(name, length, type, entry);
        }
        const mode_t mode = sx.stx_mode;
        if (S_ISDIR(mode)) entry.Attributes |= faDirectory;
        else if (!S_ISREG(mode) && !S_ISLNK(mode)) entry.Attributes |= faSystem;
        if (name[0] == '.' || (!hidden_.isEmpty() && hidden_.contains(QByteArray::fromRawData(name, length))))
            entry.Attributes |= faHidden;
        if (!Writable(sx)) entry.Attributes |= faReadOnly;
        entry.Size = qint64(sx.stx_size);
        entry.WriteTime = Milliseconds(sx.stx_mtime);
        entry.AccessTime = Milliseconds(sx.stx_atime);
        const bool born = (sx.stx_mask & STATX_BTIME) && (sx.stx_btime.tv_sec != 0 || sx.stx_btime.tv_nsec != 0);
        entry.CreationTime = born ? Milliseconds(sx.stx_btime) : entry.WriteTime;
        return true;
    }

private:
    // A folder without search permission still names its entries, and readdir
    // tells their kind on most file systems; an unknown kind is shown as a file.
    bool ReadWithoutStatus(const char* name, size_t length, unsigned char type, TDirEntry& entry) const
    {
        entry = TDirEntry();
        entry.Attributes = faNoStatus;
        if (type == DT_DIR) entry.Attributes |= faDirectory;
        else if (type == DT_LNK) entry.Attributes |= faSymLink;
        else if (type != DT_REG && type != DT_UNKNOWN) entry.Attributes |= faSystem;
        if (name[0] == '.' || (!hidden_.isEmpty() && hidden_.contains(QByteArray::fromRawData(name, length))))
            entry.Attributes |= faHidden;
        return true;
    }

    // Judged from the owner, group and mode bits, as the kernel would for the
    // effective user; access control lists are not consulted.
    bool Writable(const struct statx& sx) const
    {
        if (readOnlyVolume_) return false;
        if (euid_ == 0) return true;
        if (sx.stx_uid == euid_) return sx.stx_mode & S_IWUSR;
        if (std::find(groups_.begin(), groups_.end(), gid_t(sx.stx_gid)) != groups_.end())
            return sx.stx_mode & S_IWGRP;
        return sx.stx_mode & S_IWOTH;
    }

    int dirFd_;
    bool keepRefused_;
    uid_t euid_ = 0;
    std::vector<gid_t> groups_;
    bool readOnlyVolume_ = false;
    QSet<QByteArray> hidden_;
};

// Case folding of one UTF-16 unit; escaped bytes and other surrogates stay as they are.
inline char16_t Fold(char16_t c)
{
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
    if (QChar::isSurrogate(c)) return c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

inline bool IsDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}

// A sort key of the first units of a name, laid out so that comparing two keys
// as integers agrees with CompareFileNames wherever the keys differ: folded
// units stay as they are, a digit run becomes a unit within '0'..'9' for its
// length (the same side of every non-digit as its first digit would be), then
// its digits without leading zeros. Only names with equal keys are compared in
// full. Sorting these records, which quicksort scans in order, instead of
// chasing every entry's name through memory makes the sort several times faster.
constexpr int KeyWords = 6; // 24 units: most names fit whole
struct TSortKey {
    quint64 Words[KeyWords] = {};
    quint32 Index = 0;
};

TSortKey MakeSortKey(const QString& name, quint32 index)
{
    constexpr int Units = KeyWords * 4;
    char16_t units[Units] = {};
    int n = 0;
    const char16_t* p = reinterpret_cast<const char16_t*>(name.constData());
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size && n < Units;) {
        if (!IsDigit(p[i])) {
            units[n++] = Fold(p[i++]);
            continue;
        }
        while (i < size && p[i] == '0') ++i;
        qsizetype end = i;
        while (end < size && IsDigit(p[end])) ++end;
        const qsizetype length = end - i;
        units[n++] = char16_t('0' + std::min<qsizetype>(length, 9));
        if (length >= 9 && n < Units) units[n++] = char16_t(std::min<qsizetype>(length, 0xFFFF));
        for (; i < end && n < Units; ++i) units[n++] = p[i];
        i = end;
    }
    TSortKey key;
    for (int w = 0; w < KeyWords; ++w)
        for (int k = 0; k < 4; ++k) key.Words[w] = (key.Words[w] << 16) | units[w * 4 + k];
    key.Index = index;
    return key;
}

void SortByName(std::vector<TDirEntry>& entries)
{
    std::vector<TSortKey> keys;
    keys.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) keys.push_back(MakeSortKey(entries[i].Name, quint32(i)));
    std::sort(keys.begin(), keys.end(), [&](const TSortKey& a, const TSortKey& b) {
        for (int w = 0; w < KeyWords; ++w)
            if (a.Words[w] != b.Words[w]) return a.Words[w] < b.Words[w];
        return CompareFileNames(entries[a.Index].Name, entries[b.Index].Name) < 0;
    });
    std::vector<TDirEntry> sorted;
    sorted.reserve(entries.size());
    for (const TSortKey& key : keys) sorted.push_back(std::move(entries[key.Index]));
    entries.swap(sorted);
}

} // namespace

int CompareFileNames(const QString& a, const QString& b)
{
    const char16_t* pa = reinterpret_cast<const char16_t*>(a.constData());
    const char16_t* pb = reinterpret_cast<const char16_t*>(b.constData());
    const qsizetype na = a.size(), nb = b.size();
    qsizetype i = 0, j = 0;
    while (i < na && j < nb) {
        if (IsDigit(pa[i]) && IsDigit(pb[j])) {
            // Compare the runs by value: without leading zeros the longer run is
            // the larger number, equal lengths compare digit by digit.
            while (i < na && pa[i] == '0') ++i;
            while (j < nb && pb[j] == '0') ++j;
            qsizetype ei = i, ej = j;
            while (ei < na && IsDigit(pa[ei])) ++ei;
            while (ej < nb && IsDigit(pb[ej])) ++ej;
            if (ei - i != ej - j) return ei - i < ej - j ? -1 : 1;
            for (; i < ei; ++i, ++j)
                if (pa[i] != pb[j]) return pa[i] < pb[j] ? -1 : 1;
            continue;
        }
        const char16_t fa = Fold(pa[i]), fb = Fold(pb[j]);
        if (fa != fb) return fa < fb ? -1 : 1;
        ++i;
        ++j;
    }
    const qsizetype restA = na - i, restB = nb - j;
    if (restA != restB) return restA < restB ? -1 : 1;
    // Equal under folding ("a" and "A", "x1" and "x01"): the code units decide.
    const int c = QString::compare(a, b, Qt::CaseSensitive);
    return (c > 0) - (c < 0);
}

TDirListing ListDirectory(const QString& folder, TDirOrder order, const TCancelCheck& cancelled)
{
    TDirListing out;
    const auto fail = [&] {
        out.Failed = true;
        out.Error = TFsError::FromErrno(QStringLiteral("list %1").arg(folder));
    };
    const int dirFd = ::open(EncodeFileName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        fail();
        return out;
    }
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        fail();
        ::close(dirFd);
        return out;
    }
    const TEntryReader reader(dirFd, TEntryReader::rfKeepName);
    out.Entries.reserve(256);
    TDirEntry entry;
    for (;;) {
        if (cancelled && cancelled()) {
            out.Cancelled = true;
            break;
        }
        errno = 0;
        const dirent* d = ::readdir(dir);
        if (!d) {
            // A folder deleted while it is read ends here with ENOENT.
            if (errno != 0) fail();
            break;
        }
        if (IsDotOrDotDot(d->d_name)) continue;
        const size_t length = std::strlen(d->d_name);
        if (!reader.Read(d->d_name, length, d->d_type, entry)) continue;
        entry.Name = DecodeFileName(d->d_name, qsizetype(length));
        out.Entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    if (order == TDirOrder::doByName) SortByName(out.Entries);
    return out;
}

struct TFolderEntryReader::TImpl {
    explicit TImpl(int folderFd) : Reader(folderFd, TEntryReader::rfKeepName) {}
    TEntryReader Reader;
};

TFolderEntryReader::TFolderEntryReader(int folderFd) : impl_(std::make_unique<TImpl>(folderFd)) {}
TFolderEntryReader::~TFolderEntryReader() = default;

bool TFolderEntryReader::Read(const char* name, size_t length, unsigned char type, TDirEntry& entry) const
{
    if (!impl_->Reader.Read(name, length, type, entry)) return false;
    entry.Name = DecodeFileName(name, qsizetype(length));
    return true;
}

TFsResult<TDirEntry> ReadDirEntry(const QString& path)
{
    const auto failed = [&] { return TFsError::FromErrno(QStringLiteral("read %1").arg(path)); };
    QByteArray bytes = EncodeFileName(path);
    while (bytes.size() > 1 && bytes.endsWith('/')) bytes.chop(1);
    if (bytes.isEmpty()) return TFsError{ENOENT, QStringLiteral("read an empty path")};
    TDirEntry entry;
    const qsizetype slash = bytes.lastIndexOf('/');
    if (slash < 0 || bytes == "/") {
        if (!TEntryReader(AT_FDCWD).Read(bytes.constData(), size_t(bytes.size()), DT_UNKNOWN, entry)) return failed();
        entry.Name = DecodeFileName(bytes);
        return entry;
    }
    const QByteArray parent = slash == 0 ? QByteArray("/") : bytes.left(slash);
    const QByteArray name = bytes.mid(slash + 1);
    const int dirFd = ::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return failed();
    const bool ok = TEntryReader(dirFd).Read(name.constData(), size_t(name.size()), DT_UNKNOWN, entry);
    const TFsError error = failed();
    ::close(dirFd);
    if (!ok) return error;
    entry.Name = DecodeFileName(name);
    return entry;
}

bool FolderHasAnyEntry(const QString& folder)
{
    DIR* dir = ::opendir(EncodeFileName(folder).constData());
    if (!dir) return false;
    bool found = false;
    while (const dirent* d = ::readdir(dir)) {
        if (!IsDotOrDotDot(d->d_name)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}
