#include "commands/QV_PlaceButtons.h"

#include "QV_CommandTestSupport.h"
#include "commands/QV_ButtonManager.h"
#include "data/QV_DataCore.h"
#include "foundation/QV_Context.h"
#include "tasks/QV_SmartTask.h"
#include "theme/QV_SkinBuffer.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// A folder tab showing a temporary folder, driven by the recording view.
class PlaceButtons : public TAppFolderTest {
protected:
    void SetUp() override
    {
        TAppFolderTest::SetUp();
        start_ = dir_.MakeDir("start");
        context_.emplace(TQvServices{.DataCore = &core_, .HolderHost = &view_});
        // The sound setting is what is watched; nothing needs to be heard.
        Settings().Media.NavSound = dir_.Sub("silence.wav");
        holder_ = core_.Holder_Add_File();
        core_.Holder_Activate(holder_);
        holder_->Path_GoTo(start_);
        view_.Holder = holder_;
        view_.Calls.clear();
        Settings().Media.PlayNavSound = true;
    }
    void TearDown() override
    {
        core_.Clear();
        context_.reset();
        TAppFolderTest::TearDown();
    }
    std::unique_ptr<TActionButton> Make(const QString& params)
    {
        TSmartCtrl* sender = &bar_;
        std::unique_ptr<TActionButton> button(registry_.CreateButton(sender, TParamString{params}));
        if (button) button->SetParams(TParamString{params});
        return button;
    }
    QString Shown() const { return FilePlace(holder_); }

    QString start_;
    TSmartCtrl bar_;
    TDataCore core_;
    TFileHolder* holder_ = nullptr;
    TButtonManager registry_;
    TRecordingView view_;
    std::optional<TQvContextScope> context_;
};

TEST_F(PlaceButtons, ComputerPreviewsAndReturnsSilently)
{
    const auto button = Make("CMD(Places.Computer)");
    button->On_Enter(1, 1);
    EXPECT_EQ(Shown(), QDrivePath);
    EXPECT_EQ(static_cast<TBGoToMyPc*>(button.get())->Preview.DefaultPath, start_);
    button->On_Enter(1, 1);  // already showing it: no second preview
    button->On_Leave(50, 50);
    EXPECT_EQ(Shown(), start_);
    EXPECT_EQ(view_.Calls, (QStringList{"GoToPath(QDrive:\\)", "GoBack"}));
    EXPECT_EQ(view_.Sounds, (QStringList{"off", "off"}));
    EXPECT_TRUE(Settings().Media.PlayNavSound);
}

TEST_F(PlaceButtons, SoundSwitchedOffStaysOff)
{
    Settings().Media.PlayNavSound = false;
    const auto button = Make("CMD(Places.Computer)");
    button->On_Enter(1, 1);
    button->On_Leave(50, 50);
    EXPECT_FALSE(Settings().Media.PlayNavSound);
}

TEST_F(PlaceButtons, ClickKeepsThePreviewedPlace)
{
    for (const TMouseButton mouse : {mbLeft, mbMiddle}) {
        holder_->Path_GoTo(start_);
        const auto button = Make("CMD(Places.Computer)");
        button->On_Enter(1, 1);
        button->On_MouseUp(mouse, 0, 1, 1);
        button->On_Leave(50, 50);
        EXPECT_EQ(Shown(), QDrivePath) << mouse;
        EXPECT_FALSE(view_.Calls.contains("GoBack")) << mouse;
        view_.Calls.clear();
    }
}

TEST_F(PlaceButtons, FolderButtonPreviewsAndOpensItsFolder)
{
    const QString target = dir_.MakeDir("target");
    const auto button = Make("CMD(" + target + ")");
    ASSERT_EQ(button->ClassName(), "TExecButton");
    EXPECT_EQ(button->AB_CAPTION, "target");
    button->On_Enter(1, 1);
    EXPECT_EQ(Shown(), target);
    button->On_Leave(50, 50);
    EXPECT_EQ(Shown(), start_);
    view_.Calls.clear();
    button->On_MouseUp(mbLeft, 0, 1, 1);
    button->On_MouseUp(mbMiddle, 0, 1, 1);
    EXPECT_EQ(view_.Calls, (QStringList{"GoToPath(" + target + ")", "AddFileTab(" + target + ",1)"}));
}

TEST_F(PlaceButtons, ProgramOpensTheSelectionOrStartsWithItsCommandLine)
{
    const QString marker = dir_.Sub("ran.txt");
    const QString program = dir_.WriteFile("bin/tool", "#!/bin/sh\necho \"$@\" > '" + marker.toUtf8() + "'\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto button = Make("CMD(" + program + "), P1(open), P2(--fast \"two words\")");
    EXPECT_EQ(button->AB_CAPTION, "tool");

    view_.OpenSelectedAnswer = true;
    button->On_MouseUp(mbLeft, 0, 1, 1);
    EXPECT_EQ(view_.Calls, QStringList{"OpenSelected(" + program + ",open)"});
    EXPECT_FALSE(QFile::exists(marker));

    view_.OpenSelectedAnswer = false;  // nothing selected: the program itself starts
    button->On_MouseUp(mbLeft, 0, 1, 1);
    ASSERT_TRUE(WaitUntil([&] { return dir_.ReadFile("ran.txt") == "--fast two words\n"; }));
}

TEST_F(PlaceButtons, PicturePreviewsItselfAndFileGetsItsFolderTab)
{
    const QString picture = dir_.WriteFile("pics/photo.png", ShippedIcon("Item.Copy.png"));
    const auto button = Make("CMD(" + picture + "), Style(Icon)");
    ASSERT_TRUE(WaitUntil([&] { return button->AB_ImageLoaded; }));
    TImageDataPtr icon;
    ASSERT_TRUE(button->AB_SKIN->GetImageData("ButtonIcon", icon));
    EXPECT_EQ(icon->State().IMD_PARAMS.ResizeType, rmStretchProp);
    view_.Calls.clear();
    button->On_Enter(1, 1);  // a file is never previewed
    EXPECT_EQ(view_.Calls, QStringList{});
    EXPECT_EQ(Shown(), start_);
}

TEST_F(PlaceButtons, DriveRootIsCaptionedByItsKind)
{
    const auto button = Make("CMD(/)");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->AB_CAPTION.endsWith(" (/)")) << button->AB_CAPTION.toStdString();
    EXPECT_EQ(button->AB_CAPTION, DriveCaption("/", "/"));
}

TEST_F(PlaceButtons, DocumentsTargetIsItsP1WhenThatExists)
{
    const QString other = dir_.MakeDir("other");
    const auto withP1 = Make("CMD(Places.MyDocuments), P1(" + other + ")");
    view_.Calls.clear();
    withP1->On_MouseUp(mbMiddle, 0, 1, 1);
    EXPECT_EQ(view_.Calls, QStringList{"AddFileTab(" + other + ",1)"});
    EXPECT_EQ(withP1->AB_CAPTION, "My Documents");
}

}  // namespace
