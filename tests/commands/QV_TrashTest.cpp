#include "platform/fs/QV_Trash.h"
#include "platform/fs/QV_TrashUsage.h"

#include "QV_CommandTestSupport.h"
#include "commands/QV_ButtonManager.h"
#include "commands/QV_TrashButton.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_PaintUtils.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A home trash below a temporary XDG_DATA_HOME: three trashed entries, one a
// folder, with their info files; a link counts as itself, not its target.
class Trash : public TAppFolderTest {
protected:
    void SetUp() override
    {
        TAppFolderTest::SetUp();
        saved_ = qgetenv("XDG_DATA_HOME");
        had_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir_.Sub("share").toUtf8());
        trash_ = dir_.MakeDir("share/Trash");
        dir_.WriteFile("share/Trash/files/a.txt", QByteArray(1000, 'a'));
        dir_.WriteFile("share/Trash/files/folder/b.bin", QByteArray(2000, 'b'));
        dir_.WriteFile("share/Trash/files/folder/deep/c.bin", QByteArray(48, 'c'));
        const QString big = dir_.WriteFile("big.bin", QByteArray(100000, 'x'));
        QFile::link(big, dir_.Sub("share/Trash/files/link"));
        for (const char* name : {"a.txt", "folder", "link"})
            dir_.WriteFile(QStringLiteral("share/Trash/info/%1.trashinfo").arg(name), "[Trash Info]\n");
        linkSize_ = QFile::symLinkTarget(dir_.Sub("share/Trash/files/link")).toUtf8().size();
    }
    void TearDown() override
    {
        if (had_) qputenv("XDG_DATA_HOME", saved_);
        else qunsetenv("XDG_DATA_HOME");
        TAppFolderTest::TearDown();
    }

    QByteArray saved_;
    bool had_ = false;
    QString trash_;
    qint64 linkSize_ = 0;
};

TEST_F(Trash, CountsEntriesAndBytesOfTheHomeTrash)
{
    ASSERT_FALSE(TrashFolders().empty());
    EXPECT_EQ(TrashFolders().front(), trash_);
    const TFsResult<TTrashUsage> usage = MeasureTrash({trash_});
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage.Value().Count, 3);
    EXPECT_EQ(usage.Value().Size, 1000 + 2000 + 48 + linkSize_);

    const TFsResult<TTrashUsage> none = MeasureTrash({dir_.Sub("no-trash")});
    ASSERT_TRUE(none);
    EXPECT_EQ(none.Value().Count, 0);
}

TEST_F(Trash, StoppedWalkAnswersAtOnce)
{
    int polls = 0;
    const TFsResult<TTrashUsage> usage = MeasureTrash({trash_}, [&] { return ++polls < 2; });
    ASSERT_TRUE(usage);
    EXPECT_LT(usage.Value().Count, 3);
}

TEST_F(Trash, ButtonShowsTheCountTheSizeAndTheFullPicture)
{
    const QString theme = "Data/Themes/Buttons/Default/Places.RecycleBin/";
    for (const char* name : {"RecycleBin.Full.png", "RecycleBin.Empty.png", "TipBack.png", "Theme.qvs"}) {
        QFile shipped(SourceDir() + "/data/" + theme + name);
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << name;
        dir_.WriteFile(theme + name, shipped.readAll());
    }
    TRecordingView view;
    TQvContextScope scope({.HolderHost = &view});
    const TFsResult<TTrashUsage> all = QueryTrashUsage();
    ASSERT_TRUE(all);

    TButtonManager registry;
    std::unique_ptr<TActionButton> made(
        registry.CreateButton(nullptr, TParamString{"CMD(Places.RecycleBin), Style(Icon), Caption(Trash)"}));
    auto* button = static_cast<TBGoToRecycleBin*>(made.get());
    button->SetPosition(QPoint(0, 0));
    button->SetWidth(40);
    button->SetHeight(40);
    button->On_Resize(100, 100);
    ASSERT_TRUE(WaitUntil([&] { return button->AB_ImageLoaded && !button->Counting(); }));
    EXPECT_EQ(button->RB_COUNT, all.Value().Count);
    EXPECT_EQ(button->RB_SIZE, all.Value().Size);
    const QString expected = "Trash (" + SizeText(all.Value().Size) + ")";
    EXPECT_EQ(button->AB_CAPTION, expected);

    // Counting again never adds a second suffix; an emptied trash drops it.
    button->EventNotify("FolderChanged");
    ASSERT_TRUE(WaitUntil([&] { return !button->Counting(); }));
    EXPECT_EQ(button->AB_CAPTION, expected);

    TBitmap32 full(40, 40);
    button->On_Paint(full);
    QDir(trash_ + "/files").removeRecursively();
    button->EventNotify("FolderChanged");
    ASSERT_TRUE(WaitUntil([&] { return !button->Counting() && button->RB_COUNT == all.Value().Count - 3; }));
    if (button->RB_COUNT == 0) {
        EXPECT_EQ(button->AB_CAPTION, "Trash");
        TBitmap32 empty(40, 40);
        button->On_Paint(empty);
        EXPECT_NE(full.Image(), empty.Image()) << "the full picture and the badge are gone";
    }
}

}  // namespace
