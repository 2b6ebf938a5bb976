#include "data/QV_FileHolder.h"

#include "data/QV_FolderMonitor.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "platform/fs/QV_FileSystem.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records the messages; every other request is out of this test's reach.
class TRecordingHost : public THolderHost {
public:
    TSkinBuffer* ItemSkin() override { return nullptr; }
    TDataHolder* AddFileTab(const QString&, bool) override { return nullptr; }
    TDataHolder* AddSearchTab(const QString&, bool) override { return nullptr; }
    bool RemHolder(const QString&) override { return false; }
    void ShowPropDialog() override {}
    void FilesDelete(bool) override {}
    void SwitchMode(const QString& Mode) override { Modes << Mode; }
    void ShowMessage(const QString& Text) override { Messages << Text; }
    void PopUpMenu(int, int, const TStringArray&) override {}
    void PopUpTypeMenu(int, int, const TStringArray&) override {}
    QStringList Messages;
    QStringList Modes;
};

class FileHolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        context_.emplace(TQvServices{.HolderHost = &host_});
        Settings().Media.PlayNavSound = false;
        holder_ = std::make_unique<TFileHolder>();
        holder_->OnListed = [this](TFileHolder*) { ++listed_; };
        holder_->On_Resize(1000, 600);
    }
    void TearDown() override
    {
        holder_.reset();
        context_.reset();
    }

    // Navigates and waits for the listing that follows.
    void Show(const QString& path)
    {
        const int before = listed_;
        holder_->Path_GoTo(path);
        ASSERT_TRUE(WaitUntil([&] { return listed_ > before; })) << path.toStdString();
    }
    void Refresh()
    {
        const int before = listed_;
        holder_->Path_GoTo();
        ASSERT_TRUE(WaitUntil([&] { return listed_ > before; }));
    }
    QStringList Names(bool visibleOnly = false) const
    {
        QStringList names;
        for (const auto& item : holder_->Items())
            if (!visibleOnly || item->ID_VISIBLE) names << item->ID_FILE_DATA.FD_NAME;
        return names;
    }
    QStringList History() const
    {
        QStringList paths;
        for (const auto& entry : holder_->DH_PATHS) paths << entry->PD_PATH;
        return paths;
    }
    QString CurrentPath() const { return holder_->Path_Curr() ? holder_->Path_Curr()->PD_PATH : QString(); }

    std::optional<TQvContextScope> context_;
    TRecordingHost host_;
    TTestDir dir_;
    std::unique_ptr<TFileHolder> holder_;
    int listed_ = 0;
};

struct THistoryCase {
    const char* Name;
    QStringList Steps;    // a place, "<" back, ">" forward, "^" up, "=" refresh
    QStringList History;  // places
    const char* Current;
};

// Places: P, Q, R, S are folders of the test folder, P/ is P with a trailing
// delimiter, X is missing, / the root, D the documents folder, QD the
// quick-drive view (spelt in lower case when navigated to).
TEST_F(FileHolder, NavigationHistory)
{
    for (const char* name : {"P", "Q", "R", "S"}) dir_.WriteFile(QString(name) + "/in" + name, "x");
    const auto place = [&](const QString& step) -> QString {
        if (step == "P/") return dir_.Sub("P/");
        if (step == "/") return "/";
        if (step == "D") return ResolvePath("MyDocuments:\\");
        if (step == "QD") return QDrivePath;
        if (step == "qd") return "qdrive:\\";
        return dir_.Sub(step);
    };
    const THistoryCase cases[] = {
        {"same place twice adds nothing", {"P", "P"}, {"P"}, "P"},
        {"a trailing delimiter is another place", {"P", "P/"}, {"P", "P/"}, "P/"},
        {"new place drops the forward entries", {"P", "Q", "R", "<", "<", "S"}, {"P", "S"}, "S"},
        {"back and forward", {"P", "Q", "R", "<", "<", ">"}, {"P", "Q", "R"}, "Q"},
        {"back at the first and forward at the last stay", {"P", "<", "Q", ">"}, {"P", "Q"}, "Q"},
        {"a missing place is ignored", {"P", "X"}, {"P"}, "P"},
        {"refresh keeps the entry", {"P", "=", "="}, {"P"}, "P"},
        {"up from the root shows the drives", {"/", "^"}, {"/", "QD"}, "QD"},
        {"up from the drives shows the documents", {"qd", "^"}, {"QD", "D"}, "D"},
        {"up from a folder shows its parent", {"P/", "^", "P"}, {"P/", "", "P"}, "P"},
    };
    for (const THistoryCase& c : cases) {
        SCOPED_TRACE(c.Name);
        holder_ = std::make_unique<TFileHolder>();
        for (const QString& step : c.Steps) {
            if (step == "<") holder_->Path_GoBack();
            else if (step == ">") holder_->Path_GoForward();
            else if (step == "^") holder_->Path_GoUp();
            else if (step == "=") holder_->Path_GoTo();
            else holder_->Path_GoTo(place(step));
        }
        QStringList expected;
        for (const QString& step : c.History) expected << (step.isEmpty() ? dir_.Path() : place(step));
        EXPECT_EQ(History(), expected);
        EXPECT_EQ(CurrentPath(), c.Current == QString("QD") ? QDrivePath : place(c.Current));
        const TPathType type = CurrentPath() == QDrivePath ? ptQDrive : CurrentPath() == "/" ? ptRoot : ptFolder;
        EXPECT_EQ(holder_->Path_Curr()->PD_TYPE, type);
        // Only the last place's listing ends up shown.
        holder_->OnListed = [this](TFileHolder*) { ++listed_; };
        Refresh();
        const QString current = c.Current;
        if (current.size() == 1 && QString("PQRS").contains(current)) {
            EXPECT_EQ(Names(), QStringList{"in" + current});
        }
    }
    EXPECT_TRUE(host_.Messages.isEmpty());
}

TEST_F(FileHolder, KeysNavigate)
{
    dir_.MakeDir("A/B");
    Show(dir_.Sub("A/B"));
    TKeyCode key = VK_BACK;
    holder_->On_KeyUp(key, 0);
    EXPECT_EQ(CurrentPath(), dir_.Sub("A"));
    key = VK_LEFT;
    holder_->On_KeyUp(key, ssAlt);
    EXPECT_EQ(CurrentPath(), dir_.Sub("A/B"));
    key = VK_RIGHT;
    holder_->On_KeyUp(key, ssAlt);
    EXPECT_EQ(CurrentPath(), dir_.Sub("A"));
    key = VK_LEFT;
    holder_->On_KeyUp(key, 0);  // without Alt nothing moves
    EXPECT_EQ(CurrentPath(), dir_.Sub("A"));
}

TEST_F(FileHolder, DoubleClickedFolderIsShownAndActivationSwitchesMode)
{
    dir_.MakeDir("A/B");
    Show(dir_.Sub("A"));
    ASSERT_EQ(holder_->ItemCount(), 1);
    holder_->Item_Get(0)->On_MouseDouble(holder_.get(), mbLeft, 0, 0, 0);
    EXPECT_EQ(CurrentPath(), dir_.Sub("A/B"));
    EXPECT_EQ(History().size(), 2);
    holder_->On_Activate();
    EXPECT_EQ(host_.Modes, QStringList{"Explore"});
}

TEST_F(FileHolder, FoldersFirstKeepsTheNameOrderOfEachKind)
{
    for (const char* file : {"b.txt", "a", "file10", "file2"}) dir_.WriteFile(file, "x");
    for (const char* folder : {"z", "c"}) dir_.MakeDir(folder);
    const struct {
        bool FoldersFirst;
        QStringList Expected;
    } cases[] = {
        {true, {"c", "z", "a", "b.txt", "file2", "file10"}},
        {false, {"a", "b.txt", "c", "file2", "file10", "z"}},
    };
    for (const auto& c : cases) {
        Settings().Browsing.ShowFoldersFirst = c.FoldersFirst;
        Show(dir_.Path());
        EXPECT_EQ(Names(), c.Expected) << c.FoldersFirst;
        EXPECT_TRUE(holder_->DH_CANDRAW.load());
    }
}

TEST_F(FileHolder, HiddenAndSystemEntriesAreListedButInvisiblePerSetting)
{
    dir_.WriteFile(".dot", "x");
    dir_.WriteFile("listed", "x");
    dir_.WriteFile(".hidden", "listed\n");
    dir_.WriteFile("plain", "x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir_.Sub("pipe")).constData(), 0600), 0);
    const struct {
        bool HideHidden, HideSystem;
        QStringList Visible;
    } cases[] = {
        {true, true, {"plain"}},
        {false, true, {".dot", ".hidden", "listed", "plain"}},
        {true, false, {"pipe", "plain"}},
        {false, false, {".dot", ".hidden", "listed", "pipe", "plain"}},
    };
    Show(dir_.Path());
    for (const auto& c : cases) {
        Settings().Browsing.HideHidden = c.HideHidden;
        Settings().Browsing.HideSystem = c.HideSystem;
        Refresh();
        EXPECT_EQ(holder_->ItemCount(), 5);
        EXPECT_EQ(Names(true), c.Visible) << c.HideHidden << c.HideSystem;
    }
}

TEST_F(FileHolder, UnlistableVanishedOrMissingFoldersShowNothingSilently)
{
    dir_.WriteFile("gone/f", "x");
    Show(dir_.Sub("gone"));
    EXPECT_EQ(holder_->ItemCount(), 1);
    QDir(dir_.Sub("gone")).removeRecursively();
    Refresh();
    EXPECT_EQ(holder_->ItemCount(), 0);
    EXPECT_TRUE(holder_->DH_CANDRAW.load());

    holder_->Path_GoTo(dir_.Sub("never"));
    EXPECT_EQ(CurrentPath(), dir_.Sub("gone"));

    if (::geteuid() != 0) {  // root reads whatever the mode says
        dir_.WriteFile("locked/f", "x");
        ASSERT_EQ(::chmod(QFile::encodeName(dir_.Sub("locked")).constData(), 0), 0);
        Show(dir_.Sub("locked"));
        EXPECT_EQ(holder_->ItemCount(), 0);
        ::chmod(QFile::encodeName(dir_.Sub("locked")).constData(), 0700);
    }
    EXPECT_TRUE(host_.Messages.isEmpty());
}

TEST_F(FileHolder, FolderDeletedWhileListedAndListingSupersededMidway)
{
    for (int i = 0; i < 3000; ++i) dir_.WriteFile(QString("big/f%1").arg(i), "");
    dir_.WriteFile("small/only", "x");

    holder_->Path_GoTo(dir_.Sub("big"));
    QDir(dir_.Sub("big")).removeRecursively();
    ASSERT_TRUE(WaitUntil([&] { return listed_ == 1; }));
    EXPECT_LE(holder_->ItemCount(), 3000);

    for (int i = 0; i < 3000; ++i) dir_.WriteFile(QString("big/f%1").arg(i), "");
    holder_->Path_GoTo(dir_.Sub("big"));
    Show(dir_.Sub("small"));
    ServeFor(50);
    EXPECT_EQ(Names(), QStringList{"only"});
    EXPECT_TRUE(host_.Messages.isEmpty());
}

TEST_F(FileHolder, ChangesOfTheShownFolderRefreshIt)
{
    dir_.WriteFile("first", "x");
    Show(dir_.Path());
    EXPECT_TRUE(holder_->DH_MONITOR->Active());
    dir_.WriteFile("second", "x");
    ASSERT_TRUE(WaitUntil([&] { return Names() == QStringList{"first", "second"}; }));
    EXPECT_EQ(History().size(), 1);

    // The quick-drive view watches nothing.
    Show(QDrivePath);
    EXPECT_FALSE(holder_->DH_MONITOR->Active());
}

TEST_F(FileHolder, QuickDriveListsTheVisibleDrives)
{
    Show("QDRIVE:\\");
    ASSERT_EQ(CurrentPath(), QDrivePath);
    const TItemData* root = nullptr;
    for (const auto& item : holder_->Items())
        if (item->ID_FILE_DATA.FD_PATH == "/") root = item.get();
    ASSERT_NE(root, nullptr);
    EXPECT_NE(dynamic_cast<const TDeviceItem*>(root), nullptr);
    EXPECT_EQ(root->ID_FILE_DATA.FD_NAME, "/");
    EXPECT_EQ(root->ID_FILE_DATA.FD_DIR, "/");
    EXPECT_TRUE(root->ID_CAPTION.endsWith(" (/)")) << root->ID_CAPTION.toStdString();
    EXPECT_TRUE(root->ID_MENU.startsWith("DRIVE_"));
    EXPECT_GT(root->ID_FILE_DATA.FD_SIZE, 0);
    EXPECT_EQ(holder_->CreateFolder(), QString());  // nothing is made in the drive view

    // Shown once grouped by kind, each kind under its own visible header.
    EXPECT_TRUE(holder_->DH_CANDRAW.load());
    ASSERT_TRUE(holder_->Item_Get(0)->IsGroup());
    QStringList headers;
    for (const auto& item : holder_->Items()) {
        if (item->IsGroup()) {
            EXPECT_TRUE(item->ID_VISIBLE);
            headers << item->ID_CAPTION;
        } else {
            EXPECT_EQ(item->ID_GROUP, headers.last());
            EXPECT_EQ(item->ID_GROUP, item->ID_FILE_DATA.FD_EXT.toUpper());
        }
    }
    EXPECT_EQ(headers.removeDuplicates(), 0);
}

TEST_F(FileHolder, CreateFolderNumbersFreeNamesAndGroupsTheSelection)
{
    dir_.MakeDir("New Folder");
    dir_.MakeDir("New Folder (1)");
    dir_.WriteFile("New Group", "a file takes the name");
    dir_.WriteFile("one.txt", "1");
    dir_.WriteFile("two.txt", "2");
    Show(dir_.Path());

    EXPECT_EQ(holder_->CreateFolder(), dir_.Sub("New Folder (2)"));
    EXPECT_EQ(PathKindOf(dir_.Sub("New Folder (2)")), TPathKind::pkFolder);

    for (const auto& item : holder_->Items())
        if (item->ID_FILE_DATA.FD_EXT == ".txt") item->Select();
    EXPECT_EQ(holder_->CreateFolder(), dir_.Sub("New Group (1)"));
    EXPECT_EQ(dir_.ReadFile("New Group (1)/one.txt"), "1");
    EXPECT_EQ(dir_.ReadFile("New Group (1)/two.txt"), "2");
    EXPECT_EQ(PathKindOf(dir_.Sub("one.txt")), TPathKind::pkNone);
    EXPECT_EQ(dir_.ReadFile("New Group"), "a file takes the name");

    Settings().General.FolderGroup = false;
    Refresh();
    holder_->Item_Get(0)->Select();
    EXPECT_EQ(holder_->CreateFolder(), dir_.Sub("New Folder (3)"));
    EXPECT_TRUE(FolderHasEntries(dir_.Sub("New Group (1)")));
    EXPECT_FALSE(FolderHasEntries(dir_.Sub("New Folder (3)")));
}

}  // namespace
