#include "shell/QV_FileOperation.h"

#include "platform/fs/QV_FileCopy.h"
#include "platform/fs/QV_Trash.h"
#include "QV_ShellTestSupport.h"

#include <gtest/gtest.h>

#include <sys/time.h>

namespace {

// Answers every conflict the same way and counts the questions.
struct TAnswering {
    TConflictAnswer Answer;
    int Asked = 0;
    TFileOpHooks Hooks()
    {
        TFileOpHooks hooks;
        hooks.AskConflict = [this](const TConflictInfo&) { ++Asked; return Answer; };
        return hooks;
    }
};

TFileOpResult Op(TFileOpKind kind, const QStringList& sources, const QString& target, const TFileOpHooks& hooks = {})
{
    return RunFileOperation(kind, sources, target, hooks);
}

// Files left behind under a folder whose names mark an unfinished copy.
bool HasPartialFiles(const QString& folder)
{
    const TFsResult<QStringList> names = FolderNames(folder);
    if (!names) return false;
    for (const QString& name : names.Value())
        if (name.contains(QLatin1String(".qv-part-"))) return true;
    return false;
}

}  // namespace

// Every kind of entry copies as itself and moves without loss.
TEST(FileOperation, CopiesAndMovesEachKindOfEntry)
{
    struct TCase {
        const char* What;
        std::function<void(const QByteArray& at)> Make;
        std::function<void(const QByteArray& at)> Check;
    };
    const QByteArray oddName = "caf\xe9 %20\n\x01name";
    const std::vector<TCase> cases = {
        {"file", [](const QByteArray& at) { ASSERT_TRUE(WriteBytes(at, "data", 0640)); },
         [](const QByteArray& at) {
             EXPECT_EQ(ReadBytes(at).value_or("?"), "data");
             struct stat st {};
             ::lstat(at.constData(), &st);
             EXPECT_EQ(st.st_mode & 07777, 0640u);
         }},
        {"tree",
         [](const QByteArray& at) {
             ::mkdir(at.constData(), 0750);
             ::mkdir(at + "/sub", 0755);
             WriteBytes(at + "/sub/f", "deep");
             ::symlink("sub/f", (at + "/link").constData());
         },
         [](const QByteArray& at) {
             EXPECT_EQ(ReadBytes(at + "/sub/f").value_or("?"), "deep");
             EXPECT_EQ(KindOf(at + "/link"), mode_t(S_IFLNK));
             struct stat st {};
             ::lstat(at.constData(), &st);
             EXPECT_EQ(st.st_mode & 07777, 0750u);
         }},
        {"symlink", [](const QByteArray& at) { ::symlink("/etc/hostname", at.constData()); },
         [](const QByteArray& at) {
             char text[64] = {};
             EXPECT_EQ(KindOf(at), mode_t(S_IFLNK));
             EXPECT_GT(::readlink(at.constData(), text, sizeof text), 0);
             EXPECT_STREQ(text, "/etc/hostname");
         }},
        {"dangling symlink", [](const QByteArray& at) { ::symlink("nowhere/at/all", at.constData()); },
         [](const QByteArray& at) { EXPECT_EQ(KindOf(at), mode_t(S_IFLNK)); }},
        {"fifo", [](const QByteArray& at) { ::mkfifo(at.constData(), 0600); },
         [](const QByteArray& at) { EXPECT_EQ(KindOf(at), mode_t(S_IFIFO)); }},
        {"undecodable name", [](const QByteArray& at) { WriteBytes(at, "odd"); },
         [](const QByteArray& at) { EXPECT_EQ(ReadBytes(at).value_or("?"), "odd"); }},
    };
    for (const TFileOpKind kind : {TFileOpKind::foCopy, TFileOpKind::foMove}) {
        for (const TCase& c : cases) {
            SCOPED_TRACE(std::string(c.What) + (kind == TFileOpKind::foCopy ? " copy" : " move"));
            TTestDir dir;
            dir.MakeDir("from");
            dir.MakeDir("to");
            const QByteArray name = std::string(c.What) == "undecodable name" ? oddName : QByteArray("entry");
            const QByteArray source = B(dir.Sub("from")) + '/' + name;
            c.Make(source);
            const TFileOpResult result = Op(kind, {DecodeFileName(source)}, dir.Sub("to"));
            EXPECT_TRUE(result.Failures.isEmpty()) << result.Failures.join('\n').toStdString();
            c.Check(B(dir.Sub("to")) + '/' + name);
            EXPECT_EQ(Exists(source), kind == TFileOpKind::foCopy);
            // The temporary folder's own cleanup cannot name undecodable entries.
            EXPECT_TRUE(RemoveTree(dir.Sub("from")) && RemoveTree(dir.Sub("to")));
        }
    }
}

TEST(FileOperation, ConflictChoices)
{
    struct TCase {
        TConflictChoice Choice;
        QByteArray Target;       // the old target afterwards
        bool KeptBoth;           // "a (1).txt" holds the new contents
        bool Cancelled;
    };
    const TCase cases[] = {
        {TConflictChoice::ccReplace, "new", false, false},
        {TConflictChoice::ccSkip, "old", false, false},
        {TConflictChoice::ccKeepBoth, "old", true, false},
        {TConflictChoice::ccCancel, "old", false, true},
    };
    for (const TFileOpKind kind : {TFileOpKind::foCopy, TFileOpKind::foMove}) {
        for (const TCase& c : cases) {
            SCOPED_TRACE(int(c.Choice));
            TTestDir dir;
            dir.WriteFile("from/a.txt", "new");
            dir.WriteFile("to/a.txt", "old");
            TAnswering answering{{c.Choice, false}};
            const TFileOpResult result = Op(kind, {dir.Sub("from/a.txt")}, dir.Sub("to"), answering.Hooks());
            EXPECT_EQ(answering.Asked, 1);
            EXPECT_EQ(dir.ReadFile("to/a.txt"), c.Target);
            EXPECT_EQ(Exists(B(dir.Sub("to/a (1).txt"))), c.KeptBoth);
            if (c.KeptBoth) {
                EXPECT_EQ(dir.ReadFile("to/a (1).txt"), "new");
            }
            EXPECT_EQ(result.Cancelled, c.Cancelled);
            const bool carriedOut = c.Choice == TConflictChoice::ccReplace || c.KeptBoth;
            // A source stays unless it was really moved.
            EXPECT_EQ(Exists(B(dir.Sub("from/a.txt"))), kind == TFileOpKind::foCopy || !carriedOut);
            EXPECT_FALSE(HasPartialFiles(dir.Sub("to")));
        }
    }
}

TEST(FileOperation, ApplyToAllAsksOnceAndFoldersMerge)
{
    TTestDir dir;
    dir.WriteFile("from/d/a", "new a");
    dir.WriteFile("from/d/b", "new b");
    dir.WriteFile("from/d/c", "new c");
    dir.WriteFile("to/d/a", "old a");
    dir.WriteFile("to/d/b", "old b");
    dir.WriteFile("to/d/keep", "untouched");
    TAnswering answering{{TConflictChoice::ccReplace, true}};
    const TFileOpResult result = Op(TFileOpKind::foMove, {dir.Sub("from/d")}, dir.Sub("to"), answering.Hooks());
    EXPECT_TRUE(result.Failures.isEmpty());
    EXPECT_EQ(answering.Asked, 1);  // the folder; its files follow the answer for all
    EXPECT_EQ(dir.ReadFile("to/d/a"), "new a");
    EXPECT_EQ(dir.ReadFile("to/d/b"), "new b");
    EXPECT_EQ(dir.ReadFile("to/d/c"), "new c");
    EXPECT_EQ(dir.ReadFile("to/d/keep"), "untouched");
    EXPECT_FALSE(Exists(B(dir.Sub("from/d"))));
}

TEST(FileOperation, RefusesIntoItselfAndNamesCopiesInTheSameFolder)
{
    TTestDir dir;
    dir.WriteFile("d/inner/f", "x");
    for (const TFileOpKind kind : {TFileOpKind::foCopy, TFileOpKind::foMove}) {
        for (const QString& into : {dir.Sub("d"), dir.Sub("d/inner")}) {
            const TFileOpResult result = Op(kind, {dir.Sub("d")}, into);
            ASSERT_EQ(result.Failures.size(), 1);
            EXPECT_TRUE(result.Failures[0].contains(QLatin1String("into itself")));
        }
    }
    EXPECT_EQ(FolderNames(dir.Sub("d")).Value(), QStringList{"inner"});

    dir.WriteFile("photo.jpg", "p");
    Op(TFileOpKind::foCopy, {dir.Sub("photo.jpg"), dir.Sub("d")}, dir.Path());
    Op(TFileOpKind::foCopy, {dir.Sub("photo.jpg")}, dir.Path());
    EXPECT_EQ(dir.ReadFile("photo (copy).jpg"), "p");
    EXPECT_EQ(dir.ReadFile("photo (copy 2).jpg"), "p");
    EXPECT_EQ(dir.ReadFile("d (copy)/inner/f"), "x");
    // Moving into the folder it is in already does nothing.
    EXPECT_TRUE(Op(TFileOpKind::foMove, {dir.Sub("photo.jpg")}, dir.Path()).Failures.isEmpty());
    EXPECT_EQ(dir.ReadFile("photo.jpg"), "p");
}

TEST(FileOperation, MoveAcrossFileSystemsKeepsModeTimesAndDropsSetId)
{
    TSmallTmpfs other("16m");
    if (!other.Ok()) GTEST_SKIP() << other.Why().toStdString();
    TTestDir dir;
    dir.WriteFile("tree/f", QByteArray(300000, 'z'));
    // A write failing half-way keeps the whole source and leaves nothing over there.
    InjectFsFault(TFsFault::ffWriteTarget, 1, EIO);
    EXPECT_EQ(Op(TFileOpKind::foMove, {dir.Sub("tree")}, other.Path()).Failures.size(), 1);
    InjectFsFault(TFsFault::ffWriteTarget, 0, 0);
    EXPECT_TRUE(FolderNames(other.Path()).Value().isEmpty());
    EXPECT_EQ(dir.ReadFile("tree/f").size(), 300000);
    dir.WriteFile("tree/s", "set-id");
    ::chmod(B(dir.Sub("tree/s")).constData(), 04755);
    const struct timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimes(B(dir.Sub("tree/f")).constData(), old);
    const TFileOpResult result = Op(TFileOpKind::foMove, {dir.Sub("tree")}, other.Path());
    ASSERT_TRUE(result.Failures.isEmpty()) << result.Failures.join('\n').toStdString();
    EXPECT_FALSE(Exists(B(dir.Sub("tree"))));
    EXPECT_EQ(ReadBytes(B(other.Path()) + "/tree/f")->size(), 300000);
    struct stat st {};
    ::lstat(B(other.Path() + "/tree/f").constData(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    ::lstat(B(other.Path() + "/tree/s").constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
}

// A full disk, an unreadable source and a failing write leave the source as it
// was and nothing half-written behind, also when replacing and when moving.
TEST(FileOperation, FailuresLeaveSourceIntactAndNoPartialTarget)
{
    TSmallTmpfs small("1m");
    if (!small.Ok()) GTEST_SKIP() << small.Why().toStdString();
    TTestDir dir;
    const QByteArray big(2 << 20, 'b');
    dir.WriteFile("big", big);
    dir.WriteFile("tree/a", "a");
    dir.WriteFile("tree/big", big);
    for (const TFileOpKind kind : {TFileOpKind::foCopy, TFileOpKind::foMove}) {
        const TFileOpResult full = Op(kind, {dir.Sub("big"), dir.Sub("tree")}, small.Path());
        ASSERT_EQ(full.Failures.size(), 1) << full.Failures.join('\n').toStdString();
        EXPECT_TRUE(full.Failures[0].contains(QString::fromLocal8Bit(strerror(ENOSPC))));
        EXPECT_TRUE(FolderNames(small.Path()).Value().isEmpty());
        EXPECT_EQ(dir.ReadFile("big"), big);
        EXPECT_EQ(dir.ReadFile("tree/a"), "a");
    }

    struct TFault {
        TFsFault Kind;
        int Error;
    };
    for (const TFault fault : {TFault{TFsFault::ffOpenSource, EACCES}, TFault{TFsFault::ffReadSource, EIO},
                               TFault{TFsFault::ffWriteTarget, EIO}}) {
        for (const bool replacing : {false, true}) {
            SCOPED_TRACE(int(fault.Kind) * 10 + replacing);
            TTestDir to;
            if (replacing) to.WriteFile("big", "the old one");
            TAnswering replace{{TConflictChoice::ccReplace, false}};
            InjectFsFault(fault.Kind, fault.Kind == TFsFault::ffOpenSource ? 1 : 2, fault.Error);
            const TFileOpResult failed = Op(TFileOpKind::foCopy, {dir.Sub("big")}, to.Path(), replace.Hooks());
            InjectFsFault(fault.Kind, 0, 0);
            ASSERT_EQ(failed.Failures.size(), 1);
            EXPECT_TRUE(failed.Failures[0].contains(QString::fromLocal8Bit(strerror(fault.Error))));
            EXPECT_EQ(dir.ReadFile("big"), big);
            EXPECT_EQ(FolderNames(to.Path()).Value(), replacing ? QStringList{"big"} : QStringList{});
            if (replacing) {
                EXPECT_EQ(to.ReadFile("big"), "the old one");
            }
        }
    }
}

TEST(FileOperation, CancelMidCopyRemovesThePartialTarget)
{
    TTestDir dir;
    dir.WriteFile("from/big", QByteArray(12 << 20, 'c'));
    dir.WriteFile("from/small", "s");
    dir.MakeDir("to");
    TFileOpHooks hooks;
    qint64 seen = 0;
    hooks.Progress = [&](const TFileOpProgress& p) { seen = p.BytesDone; return p.BytesDone == 0; };
    const TFileOpResult result = Op(TFileOpKind::foMove, {dir.Sub("from")}, dir.Sub("to") , hooks);
    // The move is a rename on one file system: nothing to cancel in between.
    EXPECT_TRUE(result.Failures.isEmpty());
    const TFileOpResult copy = Op(TFileOpKind::foCopy, {dir.Sub("to/from")}, dir.Path(), hooks);
    EXPECT_TRUE(copy.Cancelled);
    EXPECT_GT(seen, 0);
    EXPECT_EQ(FolderNames(dir.Path()).Value(), QStringList{"to"});
    EXPECT_EQ(dir.ReadFile("to/from/big").size(), 12 << 20);
}

TEST(FileOperation, TrashAndDeleteNeverFollowLinks)
{
    TTestDir dir;
    TEnvScope data("XDG_DATA_HOME", B(dir.Sub("data")));
    dir.MakeDir("data");
    dir.WriteFile("elsewhere/precious", "keep me");
    dir.MakeDir("doomed");
    ::symlink(B(dir.Sub("elsewhere")).constData(), B(dir.Sub("doomed/link")).constData());
    dir.WriteFile("trashed", "t");
    const TFileOpResult deleted = Op(TFileOpKind::foDelete, {dir.Sub("doomed")}, QString());
    EXPECT_TRUE(deleted.Failures.isEmpty());
    EXPECT_FALSE(Exists(B(dir.Sub("doomed"))));
    EXPECT_EQ(dir.ReadFile("elsewhere/precious"), "keep me");
    const TFileOpResult trashed = Op(TFileOpKind::foTrash, {dir.Sub("trashed")}, QString());
    EXPECT_EQ(trashed.Done, 1);
    EXPECT_EQ(dir.ReadFile("data/Trash/files/trashed"), "t");
}

// Many entries go to the trash in flushed batches: every one arrives with its
// information file, a name already taken in files/ (its information lost) is
// passed over, and a cancel leaves the entries not yet moved in place with no
// information file behind.
TEST(FileOperation, TrashesManyEntriesAndCancelsCleanly)
{
    TTestDir dir;
    TEnvScope data("XDG_DATA_HOME", B(dir.Sub("data")));
    dir.MakeDir("data/Trash/files/f3");  // an entry whose information file is lost
    dir.MakeDir("data/Trash/info");
    QStringList sources;
    for (int i = 0; i < 1200; ++i) sources.append(dir.WriteFile(QStringLiteral("many/f%1").arg(i), "x"));
    const TFileOpResult trashed = Op(TFileOpKind::foTrash, sources, QString());
    EXPECT_TRUE(trashed.Failures.isEmpty()) << trashed.Failures.join('\n').toStdString();
    EXPECT_EQ(trashed.Done, 1200);
    EXPECT_TRUE(FolderNames(dir.Sub("many")).Value().isEmpty());
    EXPECT_EQ(FolderNames(dir.Sub("data/Trash/info")).Value().size(), 1200);
    EXPECT_EQ(dir.ReadFile("data/Trash/files/f3.2"), "x");
    QByteArray path, date;
    ASSERT_TRUE(ParseTrashInfo(dir.ReadFile("data/Trash/info/f3.2.trashinfo"), path, date));
    EXPECT_EQ(path, EncodeTrashPath(B(dir.Sub("many/f3"))));

    QStringList kept;
    for (int i = 0; i < 10; ++i) kept.append(dir.WriteFile(QStringLiteral("kept/k%1").arg(i), "k"));
    int calls = 0;
    TFileOpHooks hooks;
    hooks.Progress = [&](const TFileOpProgress&) { return ++calls < 5; };
    const TFileOpResult cancelled = Op(TFileOpKind::foTrash, kept, QString(), hooks);
    EXPECT_TRUE(cancelled.Cancelled);
    EXPECT_EQ(cancelled.Done, 0);
    EXPECT_EQ(FolderNames(dir.Sub("kept")).Value().size(), 10);
    EXPECT_EQ(FolderNames(dir.Sub("data/Trash/info")).Value().size(), 1200);
}

TEST(FileOperation, Names)
{
    EXPECT_EQ(CopyName("a.txt", false, 1), "a (copy).txt");
    EXPECT_EQ(CopyName("a.txt", false, 3), "a (copy 3).txt");
    EXPECT_EQ(CopyName("dir.d", true, 1), "dir.d (copy)");
    EXPECT_EQ(KeepBothName(".bashrc", false, 2), ".bashrc (2)");
    EXPECT_EQ(KeepBothName("a.tar", false, 1), "a (1).tar");
}
