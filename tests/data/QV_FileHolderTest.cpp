#include "data/QV_FileHolder.h"

#include "data/QV_FolderMonitor.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "locale/QV_LocaleManager.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/image/QV_Bitmap32.h"
#include "platform/image/QV_BmpCodec.h"
#include "support/QV_HostTestSupport.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include <QDir>
#include <QMap>
#include <QFile>

#include <mutex>

#include <sys/stat.h>

namespace {

// Records the messages and the modes.
using TRecordingHost = TQuietHost;

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

TEST_F(FileHolder, NavigationKeysActOnThePress)
{
    dir_.MakeDir("A/B/C");
    Show(dir_.Sub("A/B/C"));
    struct {
        TKeyCode Key;
        TShiftState Shift;
        const char* Then;
    } steps[] = {
        {VK_BACK, 0, "A/B"},
        {VK_UP, ssAlt, "A"},
        {VK_LEFT, ssAlt, "A/B"},
        {VK_RIGHT, ssAlt, "A"},
        {VK_LEFT, 0, "A"},  // without Alt the focus moves, not the place
        {VK_BACK, ssCtrl, "A"},
    };
    for (const auto& step : steps) {
        TKeyCode key = step.Key;
        holder_->On_KeyDown(key, step.Shift);
        EXPECT_EQ(CurrentPath(), dir_.Sub(step.Then)) << step.Key << " " << step.Shift;
    }
    // The release does not go a second time.
    TKeyCode key = VK_LEFT;
    holder_->On_KeyUp(key, ssAlt);
    key = VK_BACK;
    holder_->On_KeyUp(key, 0);
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

TEST_F(FileHolder, FilesCreatedWhileTheFolderIsListedAppear)
{
    // Large enough that the listing is still running when the files come.
    for (int i = 0; i < 20000; ++i) ::close(::open(dir_.Sub(QStringLiteral("f%1").arg(i)).toUtf8().constData(), O_CREAT | O_WRONLY, 0644));
    Show(dir_.Path());
    for (int round = 0; round < 2; ++round) {
        holder_->Path_GoTo(); // a refresh: the folder is listed again
        for (int i = 0; i < 4; ++i) dir_.WriteFile(QStringLiteral("late%1-%2").arg(round).arg(i), "x");
        ServeFor(50);
    }
    EXPECT_TRUE(WaitUntil(
        [&] {
            int late = 0;
            for (const auto& item : holder_->Items()) late += item->ID_FILE_DATA.FD_NAME.startsWith("late") ? 1 : 0;
            return !holder_->Listing() && late == 8;
        },
        20000));
}

TEST_F(FileHolder, AFailedRenameNamesThePathAsShown)
{
    const QByteArray raw = EncodeFileName(dir_.Path()) + "/caf\xe9.txt";
    ::close(::open(raw.constData(), O_CREAT | O_WRONLY, 0644));
    dir_.WriteFile("taken.txt", "x");
    Show(dir_.Path());
    TItemData* odd = nullptr;
    for (const auto& item : holder_->Items())
        if (EncodeFileName(item->ID_FILE_DATA.FD_PATH) == raw) odd = item.get();
    ASSERT_NE(odd, nullptr);
    odd->Rename("taken.txt");
    ASSERT_EQ(host_.Messages.size(), 1);
    EXPECT_TRUE(host_.Messages[0].endsWith(QStringLiteral("caf\uFFFD.txt"))) << host_.Messages[0].toStdString();
}

TEST_F(FileHolder, AFolderThatKeepsChangingIsStillRefreshed)
{
    dir_.WriteFile("first", "x");
    Show(dir_.Path());
    const int before = listed_;
    // A change every 100 ms: never a quiet period of 300 ms.
    int written = 0;
    while (listed_ == before && written < 100) {
        dir_.WriteFile(QStringLiteral("d%1").arg(written++), "x");
        ServeFor(100);
    }
    EXPECT_GT(listed_, before);
    EXPECT_LT(written, 100) << "no refresh while the folder kept changing";
}

// A change made while the folder is listed, after it was read: the listing
// missed it, the watcher saw it, and the refresh it leads to must not be
// dropped when the listing ends. Once during a refresh, once during the first
// listing of a folder.
TEST_F(FileHolder, FileCreatedWhileTheFolderIsListedAppears)
{
    dir_.MakeDir("other");
    std::mutex mutex;
    QString pending;
    TFileHolder::ListingProbe() = [&](const QString& folder) {
        std::lock_guard lock(mutex);
        if (!pending.isEmpty()) QFile(folder + pending).open(QIODevice::WriteOnly);
        pending.clear();
    };
    Show(dir_.Path());
    for (const QString& place : {dir_.Path(), dir_.Sub("other")}) {
        SCOPED_TRACE(place.toStdString());
        {
            std::lock_guard lock(mutex);
            pending = "new";
        }
        holder_->Path_GoTo(place);
        EXPECT_TRUE(WaitUntil([&] { return !holder_->Listing() && Names().contains("new"); }));
    }
    ASSERT_TRUE(WaitUntil([&] { return !holder_->Listing(); }));
    TFileHolder::ListingProbe() = nullptr;
}

TEST_F(FileHolder, RefreshKeepsSelectionHotItemAndScroll)
{
    for (int i = 0; i < 400; ++i) dir_.WriteFile(QString("f%1").arg(i, 3, 10, QChar('0')), "");
    Show(dir_.Path());
    ASSERT_GT(holder_->DH_SCROLL_MAX, 100);
    holder_->DH_SCROLL_POS = 100;
    const QStringList chosen{"f007", "f150", "f399"};
    for (const auto& item : holder_->Items())
        if (chosen.contains(item->ID_FILE_DATA.FD_NAME)) item->Select();
    const TItemData* under = nullptr;
    for (const auto& item : holder_->Items())
        if (item->ID_FILE_DATA.FD_NAME == "f150") under = item.get();
    ASSERT_NE(under, nullptr);
    holder_->On_MouseMove(0, under->ID_POS.x() + 2, under->ID_POS.y() - holder_->DH_SCROLL_POS + 2);
    ASSERT_EQ(holder_->DH_ITEM_ACTIVE, under);

    // A change of the folder refreshes it; so does a refresh asked for.
    dir_.WriteFile("new", "x");
    ASSERT_TRUE(WaitUntil([&] { return Names().contains("new") && !holder_->Listing(); }));
    for (int refresh = 0; refresh < 2; ++refresh) {
        SCOPED_TRACE(refresh ? "asked for" : "by the monitor");
        QStringList selected;
        for (const auto& item : holder_->Items())
            if (item->Selected()) selected << item->ID_FILE_DATA.FD_NAME;
        EXPECT_EQ(selected, chosen);
        ASSERT_NE(holder_->DH_ITEM_ACTIVE, nullptr);
        EXPECT_EQ(holder_->DH_ITEM_ACTIVE->ID_FILE_DATA.FD_NAME, "f150");
        EXPECT_EQ(holder_->DH_ITEM_ACTIVE->ID_STATE, isHotSel);
        EXPECT_EQ(holder_->DH_SCROLL_POS, 100);
        Refresh();
    }

    // Another folder starts without them.
    Show(dir_.MakeDir("sub"));
    Show(dir_.Path());
    EXPECT_EQ(holder_->SelCount(), 0);
    EXPECT_EQ(holder_->DH_ITEM_ACTIVE, nullptr);
}

// A folder's own theme is read on a worker: entering the folder returns before
// it is read, and its fonts and picture show once they are.
TEST_F(FileHolder, FolderThemeArrivesAfterEnteringTheFolder)
{
    dir_.WriteFile("ThemeData.QVS", "[FileHolder]\nFont(Item.Normal)=Name(Mine)\n");
    TBitmap32 picture(40, 30);
    picture.Clear(0xFF336699);
    const QString picturePath = dir_.WriteFile("Folder.QVB", EncodeBmp(picture));
    holder_->Path_GoTo(dir_.Path());
    // Nothing was served yet, so no worker could have handed anything over.
    EXPECT_NE(holder_->DH_FOLDER_THEME->FT_FONT_NORMAL.Name, "Mine");
    EXPECT_NE(holder_->DH_FOLDER_THEME->FT_PATH, picturePath);
    ASSERT_TRUE(WaitUntil([&] { return holder_->DH_FOLDER_THEME->FT_PATH == picturePath; }));
    EXPECT_EQ(holder_->DH_FOLDER_THEME->FT_FONT_NORMAL.Name, "Mine");
    TBitmap32 canvas(holder_->DH_POS.x() + 10, holder_->DH_POS.y() + 10);
    holder_->On_Paint(canvas);
    EXPECT_EQ(canvas.Pixel(holder_->DH_POS.x(), holder_->DH_POS.y()), 0xFF336699u);
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

TEST_F(FileHolder, GoingUpSelectsTheFolderOneCameFrom)
{
    for (const char* name : {"A/a1", "A/B/b1", "A/C/c1", "A/D/d1"}) dir_.WriteFile(name, "x");
    Show(dir_.Sub("A/C"));
    const int before = listed_;
    holder_->Path_GoUp();
    ASSERT_TRUE(WaitUntil([&] { return listed_ > before; }));
    ASSERT_EQ(CurrentPath(), dir_.Sub("A"));
    QStringList selected;
    for (const auto& item : holder_->Items())
        if (item->Selected()) selected << item->ID_FILE_DATA.FD_NAME;
    EXPECT_EQ(selected, QStringList{"C"});
}

TEST_F(FileHolder, AnEmptyOrVanishedFolderSaysSoInTheMiddle)
{
    const QString folder = dir_.MakeDir("E");
    // Ink in the middle of the view, where no item of a short folder lies.
    const auto inkInTheMiddle = [&] {
        TBitmap32 canvas(1000, 600);
        holder_->On_Paint(canvas);
        const TColor32 back = canvas.Pixel(999, 599);
        for (int y = 250; y < 400; ++y)
            for (int x = 300; x < 700; ++x)
                if (canvas.Pixel(x, y) != back) return true;
        return false;
    };
    Show(folder);
    EXPECT_EQ(holder_->EmptyText(), "This folder is empty");
    EXPECT_TRUE(inkInTheMiddle());

    dir_.WriteFile("E/one", "x");
    Refresh();
    EXPECT_FALSE(inkInTheMiddle());
    holder_->QuickFilter("nothing matches this");
    EXPECT_FALSE(inkInTheMiddle()) << "a filter that hides everything is no empty folder";

    QDir(folder).removeRecursively();
    Refresh();
    EXPECT_EQ(holder_->EmptyText(), "This folder no longer exists");
    EXPECT_TRUE(inkInTheMiddle());
}

TEST_F(FileHolder, DrivesAndTheirKindsAreNamedInWords)
{
    TAliasScope aliases(dir_.Path());
    aliases.SetLanguage("Test");
    dir_.WriteFile("Data/Language/Test.QVL", "[Devices]\nDriveFixed=Local Drive\nDriveRemote=Network Drive\n"
                                             "[Groups]\n.HARDDRIVE=Hard Drives\n.REMOTE=Network Drives\n");
    TLocaleManager locale;
    TQvContextScope scope({.LocaleManager = &locale, .HolderHost = &host_});
    Show(QDrivePath);
    const QMap<QString, QPair<QString, QString>> words = {
        {".harddrive", {"Local Drive (", "Hard Drives"}},
        {".remote", {"Network Drive (", "Network Drives"}},
    };
    int named = 0;
    for (const auto& item : holder_->Items()) {
        if (item->IsGroup()) continue;
        const QString kind = item->ID_FILE_DATA.FD_EXT;
        const QString group = item->ID_GROUP;
        const auto header = std::find_if(holder_->Items().begin(), holder_->Items().end(),
                                         [&](const auto& h) { return h->IsGroup() && h->ID_GROUP == group; });
        ASSERT_NE(header, holder_->Items().end());
        if (!words.contains(kind)) {
            EXPECT_EQ((*header)->ID_CAPTION, group) << "a kind without words shows its key";
            continue;
        }
        EXPECT_TRUE(item->ID_CAPTION.startsWith(words[kind].first)) << item->ID_CAPTION.toStdString();
        EXPECT_EQ((*header)->ID_CAPTION, words[kind].second);
        ++named;
    }
    EXPECT_GT(named, 0) << "the root is a local drive";
}

}  // namespace
