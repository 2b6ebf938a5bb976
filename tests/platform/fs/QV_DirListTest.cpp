#include "platform/fs/QV_DirList.h"

#include "platform/fs/QV_FileNames.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>
#include <QStringList>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include <algorithm>
#include <random>
#include <set>

namespace {

QStringList NamesOf(const TDirListing& listing)
{
    QStringList names;
    for (const TDirEntry& e : listing.Entries) names << e.Name;
    return names;
}

const TDirEntry* Find(const TDirListing& listing, const QString& name)
{
    for (const TDirEntry& e : listing.Entries)
        if (e.Name == name) return &e;
    return nullptr;
}

void MakeLink(const QByteArray& target, const QString& link)
{
    ASSERT_EQ(::symlink(target.constData(), EncodeFileName(link).constData()), 0);
}

// Root passes every permission check, so a check of what permissions refuse
// runs as root in a child process that has become the unprivileged "nobody";
// any other user runs it as itself. Answers what the check answered.
bool RunUnprivileged(const std::function<bool()>& check)
{
    if (::geteuid() != 0) return check();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        if (!dropped) std::fputs("could not become nobody\n", stderr);
        ::_exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST(CompareFileNames, OrdersByFoldedTextAndDigitValues)
{
    const struct {
        QString a, b;
        int sign;
    } cases[] = {
        {"file2", "file10", -1},
        {"file 2", "file 10", -1},
        {"a1b2", "a1b10", -1},
        {"x9", "x10", -1},
        {"a", "B", -1},
        {"abc", "abcd", -1},
        {"n99999999999999999999", "n100000000000000000000", -1}, // runs longer than any integer
        {"same", "same", 0},
        // Names equal without case or leading zeros still get a fixed order.
        {"A", "a", -1},
        {"x007", "x7", -1},
        {QString::fromUtf8("Ä"), QString::fromUtf8("ä"), -1},
        {QString::fromUtf8("äb"), QString::fromUtf8("Äc"), -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareFileNames(c.a, c.b), c.sign) << c.a.toStdString() << " vs " << c.b.toStdString();
        EXPECT_EQ(CompareFileNames(c.b, c.a), -c.sign) << c.b.toStdString() << " vs " << c.a.toStdString();
    }
}

TEST(ListDirectory, SortsByNameAndUnsortedListsTheSameSet)
{
    TTestDir dir;
    const QStringList names{"file10", "file2", "File1", "b", "A", "a", "x007", "x7", "_under", ".dot", "10", "9"};
    for (const QString& n : names) dir.WriteFile(n, "");

    const TDirListing sorted = ListDirectory(dir.Path());
    EXPECT_FALSE(sorted.Failed);
    EXPECT_EQ(NamesOf(sorted), (QStringList{".dot", "9", "10", "_under", "A", "a", "b", "File1", "file2", "file10",
                                            "x007", "x7"}));

    const TDirListing unsorted = ListDirectory(dir.Path(), TDirOrder::doUnsorted);
    QStringList unsortedNames = NamesOf(unsorted);
    std::sort(unsortedNames.begin(), unsortedNames.end(),
              [](const QString& a, const QString& b) { return CompareFileNames(a, b) < 0; });
    EXPECT_EQ(unsortedNames, NamesOf(sorted));
}

TEST(ListDirectory, SortedOrderAgreesWithTheNameComparison)
{
    // Random names rich in shared prefixes, case variants, leading zeros and long
    // digit runs, against a plain sort with the comparison as the reference.
    TTestDir dir;
    std::mt19937 random(7);
    const QString pieces[] = {"IMG_", "img_", "0", "00", "7", "10", "999999999", "1234567890", "a", "B", "_", " ",
                              ".", "x", QString::fromUtf8("Ä"), QString::fromUtf8("ä"), "Holiday Photo "};
    QSet<QString> names;
    while (names.size() < 1500) {
        QString name;
        const int count = 1 + int(random() % 6);
        for (int k = 0; k < count; ++k) name += pieces[random() % std::size(pieces)];
        if (name != "." && name != "..") names.insert(name);
    }
    for (const QString& name : names) dir.WriteFile(name, "");
    QStringList expected = names.values();
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) { return CompareFileNames(a, b) < 0; });
    EXPECT_EQ(NamesOf(ListDirectory(dir.Path())), expected);
}

TEST(ListDirectory, SetsAttributesPerKindOfEntry)
{
    TTestDir dir;
    dir.WriteFile("plain.txt", "hello");
    dir.WriteFile(".dot", "");
    dir.WriteFile("listed", "");
    dir.WriteFile("ro.txt", "");
    ::chmod(EncodeFileName(dir.Sub("ro.txt")).constData(), 0444);
    dir.WriteFile(".hidden", "listed\nnot-there\n");
    dir.MakeDir("sub");
    MakeLink("sub", dir.Sub("linkdir"));
    MakeLink("plain.txt", dir.Sub("linkfile"));
    MakeLink("nowhere", dir.Sub("broken"));
    MakeLink("loopb", dir.Sub("loopa"));
    MakeLink("loopa", dir.Sub("loopb"));
    ASSERT_EQ(::mkfifo(EncodeFileName(dir.Sub("pipe")).constData(), 0644), 0);

    const TDirListing listing = ListDirectory(dir.Path());
    ASSERT_FALSE(listing.Failed);
    // Root may write anything, so the read-only bit shows only for other users.
    const std::uint32_t readOnly = ::geteuid() == 0 ? 0u : std::uint32_t(faReadOnly);
    const struct {
        const char* name;
        std::uint32_t attributes;
    } cases[] = {
        {"plain.txt", 0},
        {".dot", faHidden},
        {"listed", faHidden},
        {"ro.txt", readOnly},
        {"sub", faDirectory},
        {"linkdir", faDirectory | faSymLink},
        {"linkfile", faSymLink},
        {"broken", faSymLink},
        {"loopa", faSymLink},
        {"pipe", faSystem},
    };
    for (const auto& c : cases) {
        const TDirEntry* e = Find(listing, c.name);
        ASSERT_NE(e, nullptr) << c.name;
        EXPECT_EQ(e->Attributes, c.attributes) << c.name;
    }
    EXPECT_EQ(Find(listing, "plain.txt")->Size, 5);
    EXPECT_EQ(Find(listing, "linkfile")->Size, 5); // the target's size
}

TEST(ListDirectory, KeepsTimesInMilliseconds)
{
    TTestDir dir;
    const QString file = dir.WriteFile("t.txt", "x");
    const timespec times[2] = {{1600000000, 250000000}, {1700000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, EncodeFileName(file).constData(), times, 0), 0);

    const TDirListing listing = ListDirectory(dir.Path());
    ASSERT_EQ(listing.Entries.size(), 1u);
    const TDirEntry& e = listing.Entries[0];
    EXPECT_EQ(e.AccessTime, 1600000000250LL);
    EXPECT_EQ(e.WriteTime, 1700000000123LL);
    EXPECT_GT(e.CreationTime, 0);

    const TFsResult<TDirEntry> single = ReadDirEntry(file);
    ASSERT_TRUE(single);
    EXPECT_EQ(single.Value().Name, "t.txt");
    EXPECT_EQ(single.Value().WriteTime, e.WriteTime);
    EXPECT_EQ(single.Value().Size, 1);
    EXPECT_EQ(ReadDirEntry(dir.Sub("missing")).Code(), ENOENT);
    const TFsResult<TDirEntry> root = ReadDirEntry("/");
    ASSERT_TRUE(root);
    EXPECT_TRUE(root.Value().Is(faDirectory));
}

TEST(ListDirectory, ListsNamesThatAreNotPlainText)
{
    TTestDir dir;
    const QByteArray folder = EncodeFileName(dir.Path());
    const QByteArray names[] = {QByteArray("bad\xff\xfe name"), QByteArray("line\nbreak"), QByteArray(255, 'n'),
                                QByteArray("back\\slash")};
    for (const QByteArray& n : names) {
        const int fd = ::open((folder + '/' + n).constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0) << n.size();
        ::close(fd);
    }
    const TDirListing listing = ListDirectory(dir.Path());
    ASSERT_FALSE(listing.Failed);
    std::set<QByteArray> listed;
    for (const TDirEntry& e : listing.Entries) {
        listed.insert(EncodeFileName(e.Name));
        // The decoded name reaches the same file again.
        EXPECT_TRUE(ReadDirEntry(dir.Path() + '/' + e.Name)) << e.Name.toStdString();
    }
    EXPECT_EQ(listed, std::set<QByteArray>(std::begin(names), std::end(names)));
    for (const QByteArray& n : names) ::unlink((folder + '/' + n).constData()); // beyond QDir's reach
}

TEST(ListDirectory, FailsQuietlyOnWhatIsNoFolder)
{
    TTestDir dir;
    const QString file = dir.WriteFile("f", "");
    const std::pair<QString, int> cases[] = {{dir.Sub("missing"), ENOENT}, {file, ENOTDIR}, {QString(), ENOENT}};
    for (const auto& [path, code] : cases) {
        const TDirListing listing = ListDirectory(path);
        EXPECT_TRUE(listing.Failed) << path.toStdString();
        EXPECT_EQ(listing.Error.Code, code) << path.toStdString();
        EXPECT_TRUE(listing.Entries.empty());
    }
    EXPECT_FALSE(FolderHasAnyEntry(dir.Sub("missing")));
    EXPECT_FALSE(FolderHasAnyEntry(dir.MakeDir("empty")));
    EXPECT_TRUE(FolderHasAnyEntry(dir.Path()));
}

TEST(ListDirectory, StopsWhenCancelled)
{
    TTestDir dir;
    for (int i = 0; i < 20; ++i) dir.WriteFile(QString("f%1").arg(i), "");
    int polls = 0;
    const TDirListing listing = ListDirectory(dir.Path(), TDirOrder::doByName, [&] { return ++polls > 3; });
    EXPECT_TRUE(listing.Cancelled);
    EXPECT_LE(listing.Entries.size(), 3u);
}

TEST(ListDirectory, EndsCleanlyWhenTheFolderIsDeletedMidway)
{
    TTestDir dir;
    const QString folder = dir.MakeDir("doomed");
    for (int i = 0; i < 50; ++i) dir.WriteFile(QString("doomed/f%1").arg(i), "");
    int polls = 0;
    // After the first entry has been read, every file and the folder itself go.
    const TDirListing listing = ListDirectory(folder, TDirOrder::doByName, [&] {
        if (++polls == 2) QDir(folder).removeRecursively();
        return false;
    });
    EXPECT_FALSE(listing.Cancelled);
    EXPECT_LE(listing.Entries.size(), 1u); // vanished entries are left out
}

TEST(ListDirectory, NamesTheEntriesOfAFolderThatCannotBeEntered)
{
    TTestDir dir;
    dir.WriteFile("locked/a.txt", "12345");
    dir.WriteFile("locked/.dot", "");
    dir.MakeDir("locked/sub");
    MakeLink("a.txt", dir.Sub("locked/link"));
    const QByteArray locked = EncodeFileName(dir.Sub("locked"));
    ASSERT_EQ(::chmod(EncodeFileName(dir.Path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(locked.constData(), 0444), 0); // r--: may be read, not entered

    const bool named = RunUnprivileged([&] {
        const TDirListing listing = ListDirectory(dir.Sub("locked"));
        const struct {
            const char* name;
            std::uint32_t attributes;
        } cases[] = {
            {".dot", faNoStatus | faHidden},
            {"a.txt", faNoStatus},
            {"link", faNoStatus | faSymLink},
            {"sub", faNoStatus | faDirectory},
        };
        bool ok = !listing.Failed && listing.Entries.size() == std::size(cases);
        for (const auto& c : cases) {
            const TDirEntry* e = Find(listing, c.name);
            if (!e || e->Attributes != c.attributes || e->Size != 0 || e->WriteTime != 0) {
                std::fprintf(stderr, "%s: listed %d, attributes %u\n", c.name, e != nullptr, e ? e->Attributes : 0u);
                ok = false;
            }
        }
        // A single look-up does not claim to know an entry it could not read.
        return ok && !ReadDirEntry(dir.Sub("locked/a.txt"));
    });
    ::chmod(locked.constData(), 0755);
    EXPECT_TRUE(named);
}
