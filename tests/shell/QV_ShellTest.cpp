#include "shell/QV_Shell.h"

#include "platform/desktop/QV_Clipboard.h"
#include "shell/QV_ClipboardFormats.h"
#include "QV_ShellTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Answers as a person would have, and records what was asked.
class TAnsweringUi : public TShellUi {
public:
    TConflictAnswer Conflict{TConflictChoice::ccKeepBoth, false};
    bool ConfirmAnswer = true;
    QStringList Questions;
    QStringList Messages;
    int Ended = 0;

    TConflictAnswer AskConflict(const TConflictInfo&) override { return Conflict; }
    bool Confirm(const QString& Text, const QString&) override { Questions.append(Text); return ConfirmAnswer; }
    void ShowMessage(const QString& Text) override { Messages.append(Text); }
    void JobStarted(TFileJob&) override {}
    void JobEnded(TFileJob&) override { ++Ended; }
    TShellMenuEntry ChooseFromMenu(const std::vector<TShellMenuEntry>&, QPoint) override { return {}; }
    void ShowProperties(const QStringList&) override {}
    void ShowOpenWith(const QString&) override {}
};

}  // namespace

// Cut, paste into another folder with a conflict asked on the interface
// thread, then the clipboard is empty.
TEST(Shell, CutPasteMovesAsksConflictsAndClearsTheClipboard)
{
    TTestDir dir;
    dir.WriteFile("a/one.txt", "1");
    dir.WriteFile("b/one.txt", "old");
    TAnsweringUi ui;
    TShell shell(&ui);
    ASSERT_TRUE(shell.CutItems({dir.Sub("a/one.txt")}));
    ASSERT_TRUE(shell.CanPaste());
    EXPECT_TRUE(DecodeClipFiles(ClipboardFormats(FileClipFormatNames())).Cut);
    ASSERT_TRUE(shell.Paste(dir.Sub("b")));
    ASSERT_TRUE(WaitUntil([&] { return ui.Ended == 1; }));
    EXPECT_EQ(dir.ReadFile("b/one.txt"), "old");
    EXPECT_EQ(dir.ReadFile("b/one (1).txt"), "1");
    EXPECT_FALSE(Exists(B(dir.Sub("a/one.txt"))));
    EXPECT_FALSE(shell.CanPaste());
}

TEST(Shell, DeleteAsksFirstAndShiftDeleteSaysItIsPermanent)
{
    TTestDir dir;
    TEnvScope data("XDG_DATA_HOME", B(dir.Sub("data")));
    dir.MakeDir("data");
    const QString file = dir.WriteFile("f", "f");
    TAnsweringUi ui;
    TShell shell(&ui);
    ui.ConfirmAnswer = false;
    EXPECT_FALSE(shell.DeleteItems({file}, false));
    EXPECT_FALSE(shell.DeleteItems({file}, true));
    ASSERT_EQ(ui.Questions.size(), 2);
    EXPECT_TRUE(ui.Questions[1].contains(QLatin1String("permanently")));
    EXPECT_EQ(dir.ReadFile("f"), "f");

    ui.ConfirmAnswer = true;
    ASSERT_TRUE(shell.DeleteItems({file}, false));
    ASSERT_TRUE(WaitUntil([&] { return ui.Ended == 1; }));
    EXPECT_EQ(dir.ReadFile("data/Trash/files/f"), "f");
    shell.EmptyTrash(true);
    ASSERT_TRUE(WaitUntil([&] { return ui.Ended == 2; }));
    EXPECT_FALSE(Exists(B(dir.Sub("data/Trash/files/f"))));
    EXPECT_TRUE(ui.Messages.isEmpty()) << ui.Messages.join('\n').toStdString();
}

TEST(ShellMenu, ItemsAndDrivesGetTheirCommands)
{
    TShellMenuSubject files;
    files.Count = 2;
    files.Apps = {{"a.desktop", "Editor & Co"}};
    const auto fileMenu = BuildShellMenu(files);
    EXPECT_TRUE(FindShellEntry(fileMenu, TShellCommand::scTrash));
    EXPECT_FALSE(FindShellEntry(fileMenu, TShellCommand::scPaste));  // only into one folder
    EXPECT_FALSE(FindShellEntry(fileMenu, TShellCommand::scRename)->Enabled);
    EXPECT_EQ(FindShellEntry(fileMenu, TShellCommand::scOpenWithApp)->Text, "Editor && Co");
    TShellMenuSubject drive;
    drive.Count = 1;
    drive.Drives = true;
    drive.CanUnmount = true;
    const auto driveMenu = BuildShellMenu(drive);
    EXPECT_TRUE(FindShellEntry(driveMenu, TShellCommand::scUnmount)->Enabled);
    EXPECT_FALSE(FindShellEntry(driveMenu, TShellCommand::scEject)->Enabled);
    EXPECT_FALSE(FindShellEntry(driveMenu, TShellCommand::scTrash));
}
