#include "platform/ini/QV_IniFile.h"

#include "platform/fs/QV_FileNames.h"
#include "platform/ini/QV_IniDocument.h"
#include "platform/fs/QV_FileOps.h"

#include <QHashFunctions>

#include <array>
#include <mutex>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writers of one file are serialized by a lock chosen by the file's path; a fixed
// set of locks needs no bookkeeping of the paths ever written.
std::mutex& WriterLock(const QString& path)
{
    static std::array<std::mutex, 64> locks;
    return locks[qHash(path) % locks.size()];
}

// The file a write replaces: the target of a symbolic link, so the link survives.
QString WriteTarget(const QString& file)
{
    const QByteArray encoded = EncodeFileName(file);
    struct stat st {};
    if (::lstat(encoded.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return file;
    char* real = ::realpath(encoded.constData(), nullptr);
    if (!real) return file;
    const QString target = DecodeFileName(QByteArray(real));
    std::free(real);
    return target;
}

// Reads, changes and replaces a file under its writer lock. change returns false to
// leave the file alone; the result is then true.
template <typename Change>
bool RewriteIniFile(const QString& file, Change change)
{
    const QString target = WriteTarget(file);
    std::lock_guard lock(WriterLock(target));
    const TIniFileRead old = ReadIniFile(target);
    // An unreadable or oversized file is never replaced by what little could be read.
    if (old.State == TIniFileRead::fsUnusable) return false;
    TIniDocument document = DecodeIniDocument(old.Bytes);
    if (!change(document)) return true;
    const QByteArray bytes = EncodeIniDocument(document);
    if (old.State == TIniFileRead::fsRead && bytes == old.Bytes) return true;
    // A new file in the folder renamed over the old one: readers and a crash
    // see either the old or the new file whole.
    return WriteFileAtomic(target, bytes).Ok();
}

TIniDocument ReadIniDocument(const QString& file)
{
    TIniFileRead read = ReadIniFile(file);
    return DecodeIniDocument(read.State == TIniFileRead::fsRead ? read.Bytes : QByteArray());
}

// Index of the header of the first section of that name, or -1.
qsizetype FindSection(const TIniDocument& document, QStringView section)
{
    for (qsizetype i = 0; i < qsizetype(document.Lines.size()); ++i) {
        const TIniLineParse parse = ParseIniLine(document.Lines[i].Text);
        if (parse.Kind == TIniLineKind::lkSection && IniNamesEqual(parse.Name, section)) return i;
    }
    return -1;
}

// Calls visit(index, parse) for each key line of the section starting at header
// until it returns false; answers the index of the section's end.
template <typename Visit>
qsizetype ForEachKey(const TIniDocument& document, qsizetype header, Visit visit)
{
    qsizetype i = header + 1;
    for (; i < qsizetype(document.Lines.size()); ++i) {
        const TIniLineParse parse = ParseIniLine(document.Lines[i].Text);
        if (parse.Kind == TIniLineKind::lkSection) break;
        if (parse.Kind == TIniLineKind::lkKey && !visit(i, parse)) break;
    }
    return i;
}

bool ContainsLineBreak(QStringView text) { return text.contains(u'\r') || text.contains(u'\n'); }

bool ValidSection(QStringView section)
{
    return !section.isEmpty() && !section.contains(u']') && !ContainsLineBreak(section);
}

bool ValidKey(QStringView key)
{
    return !key.isEmpty() && !key.contains(u'=') && !ContainsLineBreak(key) && key.front() != u'['
        && key.front() != u';';
}

// A value is written as given; only a line break, which would end the line,
// becomes a blank.
QString StoredValue(const QString& value)
{
    QString stored = value;
    return stored.replace(u'\r', u' ').replace(u'\n', u' ');
}

void InsertLine(TIniDocument& document, qsizetype at, const QString& text)
{
    // A last line without a line end gets one before anything follows it.
    if (at > 0 && document.Lines[at - 1].End == TIniLineEnd::leNone) document.Lines[at - 1].End = document.NewLineEnd;
    document.Lines.insert(document.Lines.begin() + at, TIniLine{text, document.NewLineEnd});
}

} // namespace

TIniFileRead ReadIniFile(const QString& path)
{
    TIniFileRead read;
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        read.State = errno == ENOENT || errno == ENOTDIR ? TIniFileRead::fsMissing : TIniFileRead::fsUnusable;
        return read;
    }
    read.State = TIniFileRead::fsUnusable;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= IniMaxFileSize) {
        // The size may change while reading; never read more than the cap allows.
        QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
        qsizetype got = 0;
        bool ok = true;
        for (;;) {
            if (got == bytes.size()) {
                if (bytes.size() > IniMaxFileSize) {
                    ok = false;
                    break;
                }
                bytes.resize(bytes.size() + 4096);
            }
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) ok = false;
            if (n <= 0) break;
            got += n;
        }
        if (ok) {
            bytes.truncate(got);
            read.Bytes = bytes;
            read.State = TIniFileRead::fsRead;
        }
    }
    ::close(fd);
    return read;
}

QString IniReadString(const QString& file, const QString& section, const QString& key, const QString& def)
{
    // The profile reader never answers trailing blanks, not even in a default.
    qsizetype kept = def.size();
    while (kept > 0 && (def[kept - 1] == u' ' || def[kept - 1] == u'\t')) --kept;
    const QString trimmedDef = def.left(kept);
    const TIniDocument document = ReadIniDocument(file);
    const qsizetype header = FindSection(document, TrimIniBlanks(section));
    if (header < 0) return trimmedDef;
    const QStringView name = TrimIniBlanks(key);
    QString result = trimmedDef;
    ForEachKey(document, header, [&](qsizetype, const TIniLineParse& parse) {
        if (!IniNamesEqual(parse.Name, name)) return true;
        result = parse.Value.toString();
        return false;
    });
    return result;
}

bool IniWriteString(const QString& file, const QString& section, const QString& key, const QString& value)
{
    const QStringView sectionName = TrimIniBlanks(section), keyName = TrimIniBlanks(key);
    if (!ValidSection(sectionName) || !ValidKey(keyName)) return false;
    const QString stored = StoredValue(value);
    return RewriteIniFile(file, [&](TIniDocument& document) {
        const qsizetype header = FindSection(document, sectionName);
        if (header < 0) {
            InsertLine(document, qsizetype(document.Lines.size()), u'[' + sectionName.toString() + u']');
            InsertLine(document, qsizetype(document.Lines.size()), keyName.toString() + u'=' + stored);
            return true;
        }
        qsizetype found = -1, lastKey = header;
        ForEachKey(document, header, [&](qsizetype i, const TIniLineParse& parse) {
            lastKey = i;
            if (!IniNamesEqual(parse.Name, keyName)) return true;
            found = i;
            return false;
        });
        if (found >= 0) {
            // The file's own spelling of the key stays.
            const QString spelt = ParseIniLine(document.Lines[found].Text).Name.toString();
            document.Lines[found].Text = spelt + u'=' + stored;
        } else {
            InsertLine(document, lastKey + 1, keyName.toString() + u'=' + stored);
        }
        return true;
    });
}

bool IniDeleteKey(const QString& file, const QString& section, const QString& key)
{
    const QStringView sectionName = TrimIniBlanks(section), keyName = TrimIniBlanks(key);
    return RewriteIniFile(file, [&](TIniDocument& document) {
        const qsizetype header = FindSection(document, sectionName);
        if (header < 0) return false;
        qsizetype found = -1;
        ForEachKey(document, header, [&](qsizetype i, const TIniLineParse& parse) {
            if (!IniNamesEqual(parse.Name, keyName)) return true;
            found = i;
            return false;
        });
        if (found < 0) return false;
        document.Lines.erase(document.Lines.begin() + found);
        return true;
    });
}

QStringList IniSectionNames(const QString& file)
{
    return TMemIniFile(file).Sections();
}

QList<QPair<QString, QString>> IniSectionEntries(const QString& file, const QString& section)
{
    return TMemIniFile(file).SectionEntries(section);
}

bool IniEraseSection(const QString& file, const QString& section)
{
    const QStringView name = TrimIniBlanks(section);
    return RewriteIniFile(file, [&](TIniDocument& document) {
        std::vector<TIniLine> kept;
        kept.reserve(document.Lines.size());
        bool erasing = false, erased = false;
        for (TIniLine& line : document.Lines) {
            const TIniLineParse parse = ParseIniLine(line.Text);
            if (parse.Kind == TIniLineKind::lkSection) erasing = IniNamesEqual(parse.Name, name);
            if (erasing) {
                erased = true;
                continue;
            }
            kept.push_back(std::move(line));
        }
        if (!erased) return false;
        document.Lines = std::move(kept);
        return true;
    });
}
