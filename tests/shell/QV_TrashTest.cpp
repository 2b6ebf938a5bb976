#include "platform/fs/QV_Trash.h"

#include "platform/fs/QV_FileCopy.h"
#include "QV_ShellTestSupport.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// A home whose trash lives in the test's own folder.
class TrashTest : public ::testing::Test {
protected:
    TTestDir dir_;
    TEnvScope data_{"XDG_DATA_HOME", B(dir_.Sub("data"))};
    void SetUp() override { dir_.MakeDir("data"); }

    std::vector<TTrashEntry> Mine() const
    {
        std::vector<TTrashEntry> mine;
        for (const TTrashEntry& entry : ListTrash())
            if (entry.TrashFolder.startsWith(dir_.Path()) || entry.OriginalPath.startsWith(dir_.Path()))
                mine.push_back(entry);
        return mine;
    }
};

QString Tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

}  // namespace

TEST_F(TrashTest, TrashListRestoreRoundTripWithOddNames)
{
    const QString odd = DecodeFileName(B(dir_.Path()) + "/we\xffird %41 name\n.txt");
    ASSERT_TRUE(WriteBytes(B(odd), "odd"));
    dir_.WriteFile("folder/inside", "in");
    ASSERT_TRUE(MoveToTrash(odd));
    ASSERT_TRUE(MoveToTrash(dir_.Sub("folder")));
    EXPECT_FALSE(Exists(B(odd)));

    std::vector<TTrashEntry> entries = Mine();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(TrashCount(), 2);
    EXPECT_EQ(TrashSize(), 5);
    for (const TTrashEntry& entry : entries) {
        EXPECT_GT(entry.DeletedMs, 0);
        EXPECT_TRUE(entry.OriginalPath == odd || entry.OriginalPath == dir_.Sub("folder"));
    }
    // A new entry in the way: restore refuses, then keeps both under another name.
    dir_.WriteFile("folder/other", "new");
    const TTrashEntry folder = entries[0].Folder ? entries[0] : entries[1];
    EXPECT_EQ(RestoreFromTrash(folder).Code(), EEXIST);
    EXPECT_EQ(dir_.ReadFile("folder/other"), "new");
    ASSERT_TRUE(RestoreFromTrash(folder, dir_.Sub("folder (1)")));
    EXPECT_EQ(dir_.ReadFile("folder (1)/inside"), "in");

    const TTrashEntry file = entries[0].Folder ? entries[1] : entries[0];
    ASSERT_TRUE(RestoreFromTrash(file));
    EXPECT_EQ(ReadBytes(B(odd)).value_or("?"), "odd");
    EXPECT_TRUE(Mine().empty());
    EXPECT_TRUE(FolderNames(dir_.Sub("data/Trash/info")).Value().isEmpty());
    EXPECT_TRUE(RemoveTree(odd));
}

TEST_F(TrashTest, GarbageInformationCanOnlyBeDeleted)
{
    ASSERT_TRUE(MoveToTrash(dir_.WriteFile("a", "a")));
    ASSERT_TRUE(MoveToTrash(dir_.WriteFile("b", "b")));
    ASSERT_TRUE(MoveToTrash(dir_.WriteFile("c", "c")));
    dir_.WriteFile("data/Trash/info/a.trashinfo", QByteArray("\x00\xff garbage", 10));
    dir_.WriteFile("data/Trash/info/b.trashinfo", "[Trash Info]\nPath=relative/not/allowed/here\n");
    dir_.WriteFile("data/Trash/info/c.trashinfo", "[Trash Info]\nPath=/x/%zz\n");
    const std::vector<TTrashEntry> entries = ListTrash();
    ASSERT_EQ(entries.size(), 3u);
    for (const TTrashEntry& entry : entries) {
        EXPECT_TRUE(entry.OriginalPath.isEmpty()) << entry.Name.toStdString();
        EXPECT_EQ(RestoreFromTrash(entry).Code(), EINVAL);
        EXPECT_TRUE(DeleteFromTrash(entry));
    }
    EXPECT_EQ(TrashCount(), 0);
}

TEST_F(TrashTest, VolumeTrashStaysOnItsVolume)
{
    TSmallTmpfs volume("4m");
    if (!volume.Ok()) GTEST_SKIP() << volume.Why().toStdString();
    const QString file = volume.Path() + QStringLiteral("/sub/f");
    ::mkdir(B(volume.Path() + "/sub").constData(), 0755);
    ASSERT_TRUE(WriteBytes(B(file), "v"));
    const TFsResult<QString> trashed = MoveToTrash(file);
    ASSERT_TRUE(trashed) << trashed.Error().Message().toStdString();
    const QString trash = volume.Path() + QStringLiteral("/.Trash-%1").arg(::getuid());
    EXPECT_EQ(ReadBytes(B(trash + "/files/f")).value_or("?"), "v");
    EXPECT_EQ(ReadBytes(B(trash + "/info/f.trashinfo"))->split('\n')[1], "Path=sub/f");

    // An information file that climbs out of its volume is refused.
    ASSERT_TRUE(WriteBytes(B(trash + "/info/f.trashinfo"), "[Trash Info]\nPath=../../etc/passwd\n"));
    std::vector<TTrashEntry> entries;
    for (const TTrashEntry& entry : ListTrash())
        if (entry.TrashFolder == trash) entries.push_back(entry);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].OriginalPath.isEmpty());
    ASSERT_TRUE(WriteBytes(B(trash + "/info/f.trashinfo"), "[Trash Info]\nPath=sub/f\n"));
    entries[0].OriginalPath = file;
    ASSERT_TRUE(RestoreFromTrash(entries[0]));
    EXPECT_EQ(ReadBytes(B(file)).value_or("?"), "v");
}

// A folder on the way back that has become a link out of the volume, or a
// target that is no clean absolute path, gets nothing restored through it.
TEST_F(TrashTest, RestoreNeverLeavesItsVolume)
{
    TSmallTmpfs volume("4m");
    if (!volume.Ok()) GTEST_SKIP() << volume.Why().toStdString();
    const QString outside = dir_.MakeDir("outside");
    ::mkdir(B(volume.Path() + "/sub").constData(), 0755);
    const QString file = volume.Path() + QStringLiteral("/sub/f");
    ASSERT_TRUE(WriteBytes(B(file), "v"));
    ASSERT_TRUE(MoveToTrash(file));
    const QString trash = volume.Path() + QStringLiteral("/.Trash-%1").arg(::getuid());
    TTrashEntry entry;
    ASSERT_TRUE(FindTrashEntry(trash + "/files/f", entry));
    EXPECT_EQ(entry.OriginalPath, file);
    EXPECT_FALSE(FindTrashEntry(volume.Path() + "/sub", entry));
    EXPECT_FALSE(FindTrashEntry(dir_.Sub("data/Trash/files/missing"), entry));
    EXPECT_EQ(entry.OriginalPath, file) << "a failed look-up leaves the entry alone";

    ASSERT_TRUE(RemoveTree(volume.Path() + "/sub"));
    ASSERT_EQ(::symlink(B(outside).constData(), B(volume.Path() + "/sub").constData()), 0);
    EXPECT_EQ(RestoreFromTrash(entry).Code(), EXDEV);
    EXPECT_EQ(RestoreFromTrash(entry, volume.Path() + "/sub/../f").Code(), EINVAL);
    EXPECT_EQ(RestoreFromTrash(entry, dir_.Sub("f")).Code(), EXDEV);
    EXPECT_TRUE(FolderNames(outside).Value().isEmpty());
    ASSERT_TRUE(RestoreFromTrash(entry, volume.Path() + "/elsewhere/f"));  // its folder made anew
    EXPECT_EQ(ReadBytes(B(volume.Path() + "/elsewhere/f")).value_or("?"), "v");
}

// What trash-cli writes we read, and what we write it lists and restores.
TEST_F(TrashTest, AgreesWithTrashCli)
{
    if (Tool("trash-put").isEmpty() || Tool("trash-list").isEmpty() || Tool("trash-restore").isEmpty())
        GTEST_SKIP() << "trash-cli is not installed (scripts/install-deps installs it)";
    const QString theirs = dir_.WriteFile("theirs file", "t");
    ASSERT_EQ(QProcess::execute(Tool("trash-put"), {theirs}), 0);
    std::vector<TTrashEntry> entries = Mine();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].OriginalPath, theirs);
    ASSERT_TRUE(RestoreFromTrash(entries[0]));

    const QString ours = dir_.WriteFile("our%file", "o");
    ASSERT_TRUE(MoveToTrash(ours));
    QProcess list;
    list.start(Tool("trash-list"), {});
    ASSERT_TRUE(list.waitForFinished(30000));
    EXPECT_TRUE(list.readAllStandardOutput().contains(B(ours)));
    QProcess restore;
    restore.setWorkingDirectory(dir_.Path());
    restore.start(Tool("trash-restore"), {ours});
    restore.write("0\n");
    restore.closeWriteChannel();
    ASSERT_TRUE(restore.waitForFinished(30000));
    EXPECT_EQ(dir_.ReadFile("our%file"), "o");
}

TEST(TrashPaths, EncodeDecodeAndParse)
{
    QByteArray every;
    for (int b = 1; b < 256; ++b) every.append(char(b));
    QByteArray back;
    ASSERT_TRUE(DecodeTrashPath(EncodeTrashPath(every), back));
    EXPECT_EQ(back, every);
    EXPECT_FALSE(DecodeTrashPath("%4", back));
    QByteArray path, date;
    EXPECT_TRUE(ParseTrashInfo("[Trash Info]\r\nPath=/a\r\nDeletionDate=2024-01-02T03:04:05\r\n", path, date));
    EXPECT_EQ(path, "/a");
    EXPECT_EQ(date, "2024-01-02T03:04:05");
    EXPECT_FALSE(ParseTrashInfo("[Other]\nPath=/a\n", path, date));
}
