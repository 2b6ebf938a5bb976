#include "platform/fs/QV_FileOps.h"

#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileNames.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

TEST(FileOps, RenameRefusesExistingTargetAndTouchesNothing)
{
    TTestDir dir;
    dir.WriteFile("a.txt", "first");
    dir.WriteFile("b.txt", "second");
    const TFsStatus refused = RenamePath(dir.Sub("a.txt"), dir.Sub("b.txt"));
    EXPECT_EQ(refused.Code(), EEXIST);
    EXPECT_TRUE(refused.Error().Message().contains("b.txt")) << refused.Error().Message().toStdString();
    EXPECT_EQ(dir.ReadFile("a.txt"), "first");
    EXPECT_EQ(dir.ReadFile("b.txt"), "second");
}

TEST(FileOps, RenameMovesCaseOnlyChangesAndUndecodableNames)
{
    TTestDir dir;
    dir.WriteFile("Notes.txt", "n");
    ASSERT_TRUE(RenamePath(dir.Sub("Notes.txt"), dir.Sub("notes.txt")));
    EXPECT_EQ(dir.ReadFile("notes.txt"), "n");

    const QString odd = dir.Path() + '/' + DecodeFileName(QByteArray("caf\xe9\nx"));
    ASSERT_TRUE(RenamePath(dir.Sub("notes.txt"), odd));
    struct stat st {};
    EXPECT_EQ(::stat((dir.Path().toUtf8() + "/caf\xe9\nx").constData(), &st), 0);
    EXPECT_EQ(RenamePath(dir.Sub("missing"), dir.Sub("other")).Code(), ENOENT);
}

TEST(FileOps, HideInFolderAddsEachNameOnceAndKeepsOtherLines)
{
    TTestDir dir;
    dir.WriteFile(".hidden", "keep");  // no final line break
    dir.WriteFile("a.bin", "x");
    ASSERT_TRUE(HideInFolder(dir.Sub("a.bin")));
    ASSERT_TRUE(HideInFolder(dir.Sub("a.bin")));
    EXPECT_EQ(dir.ReadFile(".hidden"), "keep\na.bin\n");
    TDirEntry entry;
    ASSERT_TRUE(ListDirectory(dir.Path()).Entries.size() == 2);
    for (const TDirEntry& e : ListDirectory(dir.Path()).Entries)
        if (e.Name == "a.bin") entry = e;
    EXPECT_TRUE(entry.Is(faHidden));
}

TEST(FileOps, HideInFolderLeavesAForeignHiddenEntryAlone)
{
    TTestDir dir;
    dir.MakeDir(".hidden");
    dir.WriteFile("a.bin", "x");
    EXPECT_FALSE(HideInFolder(dir.Sub("a.bin")));
    TTestDir fifo;
    ASSERT_EQ(::mkfifo((fifo.Path() + "/.hidden").toUtf8().constData(), 0600), 0);
    fifo.WriteFile("a.bin", "x");
    EXPECT_FALSE(HideInFolder(fifo.Sub("a.bin")));  // returns instead of blocking on the FIFO
}

TEST(FileOps, WriteFileAtomicReplacesOrFailsCleanly)
{
    TTestDir dir;
    dir.WriteFile("f", "old");
    ASSERT_TRUE(WriteFileAtomic(dir.Sub("f"), "new"));
    EXPECT_EQ(dir.ReadFile("f"), "new");
    EXPECT_EQ(WriteFileAtomic(dir.Sub("missing/f"), "x").Code(), ENOENT);
    EXPECT_TRUE(DeleteFilePath(dir.Sub("f")));
    EXPECT_EQ(ListDirectory(dir.Path()).Entries.size(), 0u);
}

TEST(FileOps, WriteFileAtomicKeepsRightsAndNeverReplacesAReadOnlyFile)
{
    TTestDir dir;
    const QByteArray path = QFile::encodeName(dir.WriteFile("f", "old"));
    struct stat st {};
    ASSERT_EQ(::chmod(path.constData(), 0600), 0);
    ASSERT_TRUE(WriteFileAtomic(dir.Sub("f"), "new"));
    ASSERT_EQ(::stat(path.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // Root saving someone else's file leaves it theirs.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.constData(), 65534, 65534), 0);
        ASSERT_TRUE(WriteFileAtomic(dir.Sub("f"), "new"));
        ASSERT_EQ(::stat(path.constData(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
    }

    // Refused by the mode bits, so also when root runs the test.
    ASSERT_EQ(::chmod(path.constData(), 0444), 0);
    EXPECT_FALSE(WriteFileAtomic(dir.Sub("f"), "newer"));
    EXPECT_EQ(dir.ReadFile("f"), "new");
    EXPECT_EQ(ListDirectory(dir.Path()).Entries.size(), 1u);
}

TEST(FileOps, StagedFileReplacesOnlyWhenCommitted)
{
    TTestDir dir;
    dir.WriteFile("f", "old");
    {
        TFsResult<TStagedFile> dropped = TStagedFile::Stage(dir.Sub("f"), "dropped");
        ASSERT_TRUE(dropped);
        EXPECT_EQ(QFile(dropped.Value().TempPath()).size(), 7);
        EXPECT_EQ(dir.ReadFile("f"), "old");
    }
    EXPECT_EQ(ListDirectory(dir.Path()).Entries.size(), 1u);  // the temporary file went with it

    TFsResult<TStagedFile> kept = TStagedFile::Stage(dir.Sub("f"), "new");
    ASSERT_TRUE(kept);
    ASSERT_TRUE(kept.Value().Commit());
    EXPECT_TRUE(kept.Value().TempPath().isEmpty());
    EXPECT_EQ(dir.ReadFile("f"), "new");
    EXPECT_EQ(ListDirectory(dir.Path()).Entries.size(), 1u);

    // The target turned into a folder meanwhile: the rename fails, the temporary file goes.
    TFsResult<TStagedFile> late = TStagedFile::Stage(dir.Sub("g"), "late");
    ASSERT_TRUE(late);
    dir.WriteFile("g/inside", "x");
    EXPECT_FALSE(late.Value().Commit());
    EXPECT_EQ(ListDirectory(dir.Path()).Entries.size(), 2u);
}

TEST(FileOps, FolderWithoutWriteBitsIsReadOnlyEvenForRoot)
{
    TTestDir dir;
    const QString folder = dir.MakeDir("locked");
    EXPECT_TRUE(CheckFolderWritable(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const TFsStatus refused = CheckFolderWritable(folder);
    EXPECT_EQ(refused.Code(), EACCES);
    EXPECT_TRUE(refused.Error().Message().contains(folder));
    EXPECT_EQ(CheckFolderWritable(dir.Sub("missing")).Code(), ENOENT);
    EXPECT_EQ(CheckFolderWritable(dir.WriteFile("file", "x")).Code(), ENOTDIR);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}
