// The trash shown as a place of a file tab, with the shell's restore and
// delete, against what trash-cli writes and reads.

#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "data/QV_TrashItem.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "platform/fs/QV_FileCopy.h"
#include "platform/fs/QV_Trash.h"
#include "shell/QV_Shell.h"
#include "QV_ShellTestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

class TQuietHost : public THolderHost {
public:
    TSkinBuffer* ItemSkin() override { return nullptr; }
    TDataHolder* AddFileTab(const QString& Path, bool) override { Calls << "AddFileTab " + Path; return nullptr; }
    TDataHolder* AddSearchTab(const QString&, bool) override { return nullptr; }
    bool RemHolder(const QString&) override { return false; }
    void ShowPropDialog() override {}
    void FilesDelete(bool) override {}
    void SwitchMode(const QString&) override {}
    void ShowMessage(const QString& Text) override { Calls << "ShowMessage " + Text; }
    void AskRun(const QString& Path, std::function<void(TRunAnswer)> Answer) override
    {
        Calls << "AskRun " + Path;
        Answer(TRunAnswer());
    }
    void PopUpMenu(int, int, const TStringArray&) override {}
    void PopUpTypeMenu(int, int, const TStringArray&) override {}
    QStringList Calls;
};

// Answers as a person would have, and records what was asked.
class TAnsweringUi : public TShellUi {
public:
    TConflictAnswer Conflict{TConflictChoice::ccKeepBoth, false};
    bool ConfirmAnswer = true;
    QStringList Questions;
    QStringList Messages;
    std::vector<TConflictInfo> Conflicts;
    int Ended = 0;

    TConflictAnswer AskConflict(const TConflictInfo& Info) override
    {
        Conflicts.push_back(Info);
        return Conflict;
    }
    bool Confirm(const QString& Text, const QString&) override
    {
        Questions.append(Text);
        return ConfirmAnswer;
    }
    void ShowMessage(const QString& Text) override { Messages.append(Text); }
    void JobStarted(TFileJob&) override {}
    void JobEnded(TFileJob&) override { ++Ended; }
    TShellMenuEntry ChooseFromMenu(const std::vector<TShellMenuEntry>&, QPoint) override { return {}; }
    void ShowProperties(const QStringList&) override {}
    void ShowOpenWith(const QString&) override {}
};

QString Tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

// Runs a tool to its end with a plain fork, which ThreadSanitizer follows;
// QProcess starts its child in a way it cannot see, which loses track of the
// holder's worker threads. Answers the exit code (-1 when it did not start)
// and collects the standard output.
int RunTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString& argument : arguments) words.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        if (output) output->append(buffer, n);
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class TrashPlace : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Tool("trash-put").isEmpty() || Tool("trash-list").isEmpty())
            GTEST_SKIP() << "trash-cli is not installed (scripts/install-deps installs it)";
        dir_.MakeDir("data");
        dir_.MakeDir("home");
        context_.emplace(TQvServices{.HolderHost = &host_});
        Settings().Media.PlayNavSound = false;
        SetShellBridge(&shell_);
        holder_ = std::make_unique<TFileHolder>();
        holder_->OnListed = [this](TFileHolder*) { ++listed_; };
        holder_->On_Resize(1000, 600);
    }
    void TearDown() override
    {
        holder_.reset();
        SetShellBridge(nullptr);
        context_.reset();
    }

    void TrashPut(const QString& path) { ASSERT_EQ(RunTool(Tool("trash-put"), {path}), 0) << path.toStdString(); }
    QByteArray TrashList()
    {
        QByteArray listed;
        EXPECT_EQ(RunTool(Tool("trash-list"), {}, &listed), 0);
        return listed;
    }
    void ShowTrash(const QString& spelling = TrashPath)
    {
        const int before = listed_;
        holder_->Path_GoTo(spelling);
        ASSERT_TRUE(WaitUntil([&] { return listed_ > before; }));
    }
    std::vector<const TTrashItem*> Shown() const
    {
        std::vector<const TTrashItem*> items;
        // Only this test's trash: other volumes' trashes may hold anything.
        for (const auto& item : holder_->Items())
            if (const auto* trashed = dynamic_cast<const TTrashItem*>(item.get());
                trashed && trashed->ID_FILE_DATA.FD_PATH.startsWith(dir_.Path()))
                items.push_back(trashed);
        return items;
    }
    // Waits until the place shows count entries again (its watchers refresh it).
    bool ShowsCount(size_t count)
    {
        return WaitUntil([&] { return Shown().size() == count && !holder_->Listing(); });
    }
    void SelectOnly(const QString& caption)
    {
        holder_->DeselectAll();
        for (const auto& item : holder_->Items())
            if (item->ID_CAPTION == caption) item->Select();
    }
    QString Home(const QString& relative) const { return dir_.Sub("home/" + relative); }

    TTestDir dir_;
    TEnvScope data_{"XDG_DATA_HOME", B(dir_.Sub("data"))};
    std::optional<TQvContextScope> context_;
    TQuietHost host_;
    TAnsweringUi ui_;
    TShell shell_{&ui_};
    std::unique_ptr<TFileHolder> holder_;
    int listed_ = 0;
};

}  // namespace

TEST_F(TrashPlace, ListsWhatTrashPutMadeWithPlaceAndDateNewestFirst)
{
    const QString older = dir_.WriteFile("home/docs/older.txt", "o");
    const QString newer = dir_.WriteFile("home/newer.txt", "n");
    TrashPut(older);
    TrashPut(newer);
    // A day between them, as trash-cli dates to the second.
    dir_.WriteFile("data/Trash/info/older.txt.trashinfo",
                   "[Trash Info]\nPath=" + EncodeTrashPath(B(older)) + "\nDeletionDate=2024-05-06T07:08:09\n");

    ShowTrash(QStringLiteral("trash:///"));
    EXPECT_EQ(holder_->Path_Curr()->PD_PATH, TrashPath);
    EXPECT_EQ(holder_->Path_Curr()->PD_TYPE, ptRecycle);
    EXPECT_EQ(TabCaption(holder_->Path_Curr()->PD_PATH), "Trash");
    EXPECT_TRUE(holder_->CurrentFolder().isEmpty());  // nothing is pasted or created here

    const auto items = Shown();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->ID_CAPTION, "newer.txt");
    EXPECT_EQ(items[0]->TI_ORIGINAL, newer);
    EXPECT_GT(items[0]->TI_DELETED, QDateTime::currentMSecsSinceEpoch() - 3600 * 1000);
    EXPECT_EQ(items[1]->ID_CAPTION, "older.txt");
    EXPECT_EQ(items[1]->TI_DELETED, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)).toMSecsSinceEpoch());
    EXPECT_EQ(items[1]->PlaceText(), dir_.Sub("home/docs"));
    EXPECT_FALSE(items[1]->DeletedText().isEmpty());
    EXPECT_EQ(items[0]->ID_FILE_DATA.FD_EXT, ".txt");

    // Neither Enter nor a double click opens a trashed file, and it is not renamed.
    SelectOnly("newer.txt");
    TKeyCode enter = VK_RETURN;
    holder_->On_KeyDown(enter, 0);
    const QRect rect = items[0]->ItemRect(holder_.get());
    holder_->On_DblClick(mbLeft, 0, rect.center().x(), rect.center().y());
    EXPECT_FALSE(holder_->RenameSelected());
    EXPECT_TRUE(host_.Calls.isEmpty()) << host_.Calls.join('\n').toStdString();
    EXPECT_EQ(holder_->Path_Curr()->PD_PATH, TrashPath);

    // Another program trashes a file: the place follows.
    TrashPut(dir_.WriteFile("home/third", "3"));
    EXPECT_TRUE(ShowsCount(3));
}

TEST_F(TrashPlace, RestorePutsBackAndTrashCliForgetsIt)
{
    const QString file = dir_.WriteFile("home/gone/deep/report.txt", "r");
    TrashPut(file);
    ASSERT_TRUE(RemoveTree(Home("gone")));  // its folders are recreated
    ShowTrash();
    ASSERT_EQ(Shown().size(), 1u);
    SelectOnly("report.txt");
    holder_->RestoreSelected();
    EXPECT_EQ(dir_.ReadFile("home/gone/deep/report.txt"), "r");
    EXPECT_FALSE(TrashList().contains(B(file)));
    EXPECT_TRUE(ShowsCount(0));
    EXPECT_TRUE(ui_.Messages.isEmpty()) << ui_.Messages.join('\n').toStdString();
}

TEST_F(TrashPlace, RestoreNeverReplacesSkipsOrKeepsBoth)
{
    const QString file = dir_.WriteFile("home/a.txt", "trashed");
    TrashPut(file);
    dir_.WriteFile("home/a.txt", "new");
    ShowTrash();
    SelectOnly("a.txt");

    ui_.Conflict = {TConflictChoice::ccSkip, false};
    holder_->RestoreSelected();
    ASSERT_EQ(ui_.Conflicts.size(), 1u);
    EXPECT_FALSE(ui_.Conflicts[0].CanReplace);
    EXPECT_EQ(ui_.Conflicts[0].Target, file);
    EXPECT_EQ(dir_.ReadFile("home/a.txt"), "new");
    ASSERT_EQ(Shown().size(), 1u);

    // Replace is no choice here: a UI that answers it anyway replaces nothing.
    ui_.Conflict = {TConflictChoice::ccReplace, false};
    holder_->RestoreSelected();
    EXPECT_EQ(dir_.ReadFile("home/a.txt"), "new");

    ui_.Conflict = {TConflictChoice::ccKeepBoth, false};
    holder_->RestoreSelected();
    EXPECT_EQ(dir_.ReadFile("home/a.txt"), "new");
    EXPECT_EQ(dir_.ReadFile("home/a (1).txt"), "trashed");
    EXPECT_TRUE(ShowsCount(0));
    EXPECT_FALSE(TrashList().contains(B(file)));
}

TEST_F(TrashPlace, SeveralAtOnceWithApplyToAll)
{
    for (const char* name : {"x", "y", "z"}) {
        TrashPut(dir_.WriteFile(QStringLiteral("home/") + name, "old"));
        dir_.WriteFile(QStringLiteral("home/") + name, "new");
    }
    ShowTrash();
    holder_->SelectAll();
    ui_.Conflict = {TConflictChoice::ccKeepBoth, true};
    holder_->RestoreSelected();
    EXPECT_EQ(ui_.Conflicts.size(), 1u);  // asked once for all three
    for (const char* name : {"x", "y", "z"}) {
        EXPECT_EQ(dir_.ReadFile(QStringLiteral("home/") + name), "new");
        EXPECT_EQ(dir_.ReadFile(QStringLiteral("home/%1 (1)").arg(name)), "old");
    }
}

TEST_F(TrashPlace, DeletePermanentlyAsksThenRemovesFileAndInformation)
{
    dir_.WriteFile("home/folder/inner", "i");
    TrashPut(Home("folder"));
    ShowTrash();
    SelectOnly("folder");
    ui_.ConfirmAnswer = false;
    holder_->DeleteSelFiles(false);  // the Delete key
    ASSERT_EQ(ui_.Questions.size(), 1);
    EXPECT_TRUE(ui_.Questions[0].contains(QLatin1String("cannot be undone"))) << ui_.Questions[0].toStdString();
    EXPECT_TRUE(Exists(B(dir_.Sub("data/Trash/files/folder/inner"))));

    ui_.ConfirmAnswer = true;
    holder_->DeleteSelFiles(false);
    ASSERT_TRUE(WaitUntil([&] { return ui_.Ended == 1; }));
    EXPECT_FALSE(Exists(B(dir_.Sub("data/Trash/files/folder"))));
    EXPECT_FALSE(Exists(B(dir_.Sub("data/Trash/info/folder.trashinfo"))));
    EXPECT_FALSE(Exists(B(Home("folder"))));
    EXPECT_TRUE(ShowsCount(0));
    EXPECT_TRUE(ui_.Messages.isEmpty()) << ui_.Messages.join('\n').toStdString();
}

// Information files that are garbage, climb out, or lost their entry: listed
// as unknown or left out, never restored anywhere.
TEST_F(TrashPlace, BadInformationIsListedButNeverRestored)
{
    TrashPut(dir_.WriteFile("home/garbage", "g"));
    TrashPut(dir_.WriteFile("home/relative", "r"));
    dir_.WriteFile("data/Trash/info/garbage.trashinfo", QByteArray("\x01\xfe not an ini\n[Trash", 19));
    dir_.WriteFile("data/Trash/info/relative.trashinfo", "[Trash Info]\nPath=../../etc/escaped\nDeletionDate=x\n");
    dir_.WriteFile("data/Trash/info/orphan.trashinfo", "[Trash Info]\nPath=/tmp/orphan\n");
    ShowTrash();
    const auto items = Shown();
    ASSERT_EQ(items.size(), 2u);
    for (const TTrashItem* item : items) {
        EXPECT_TRUE(item->TI_ORIGINAL.isEmpty());
        EXPECT_EQ(item->PlaceText(), "Original location unknown");
    }
    holder_->SelectAll();
    holder_->RestoreSelected();
    ASSERT_EQ(ui_.Messages.size(), 1);
    EXPECT_TRUE(ui_.Messages[0].contains(QLatin1String("unknown")));
    EXPECT_EQ(dir_.ReadFile("data/Trash/files/garbage"), "g");
    EXPECT_FALSE(Exists("/etc/escaped"));

    holder_->DeleteSelFiles(true);
    ASSERT_TRUE(WaitUntil([&] { return ui_.Ended == 1; }));
    EXPECT_TRUE(ShowsCount(0));
}

TEST_F(TrashPlace, ContextMenuOffersRestoreAndDeleteOnly)
{
    TShellMenuSubject subject;
    subject.Count = 2;
    subject.Trashed = true;
    const auto menu = BuildShellMenu(subject);
    ASSERT_TRUE(FindShellEntry(menu, TShellCommand::scRestore));
    EXPECT_TRUE(FindShellEntry(menu, TShellCommand::scRestore)->Default);
    EXPECT_TRUE(FindShellEntry(menu, TShellCommand::scDelete));
    for (TShellCommand absent : {TShellCommand::scOpen, TShellCommand::scCut, TShellCommand::scRename,
                                 TShellCommand::scTrash, TShellCommand::scPaste})
        EXPECT_FALSE(FindShellEntry(menu, absent)) << int(absent);
}

// Only the files/ folder of a real trash holds trash entries: a user's folder
// of that name is moved to the trash as usual.
TEST_F(TrashPlace, AFolderCalledFilesIsNoTrash)
{
    const QString file = dir_.WriteFile("home/files/keep.txt", "k");
    ASSERT_TRUE(shell_.DeleteItems({file}, false));
    ASSERT_EQ(ui_.Questions.size(), 1);
    EXPECT_TRUE(ui_.Questions[0].contains(QLatin1String("to the trash"))) << ui_.Questions[0].toStdString();
    ASSERT_TRUE(WaitUntil([&] { return ui_.Ended == 1; }));
    EXPECT_EQ(dir_.ReadFile("data/Trash/files/keep.txt"), "k");
}
