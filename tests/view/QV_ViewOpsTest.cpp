#include "view/QV_QorView.h"

#include "controls/QV_ControlProbe.h"
#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "data/QV_SearchHolder.h"
#include "foundation/QV_Settings.h"
#include "platform/ini/QV_IniFile.h"
#include "view/QV_MainUnit.h"
#include "view/QV_ViewFixture.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {

class ViewTabs : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_.emplace("Media=PlayNavSound(0)\n" + extraSettings_);
        a_ = folder_->Dir.MakeDir("a");
        b_ = folder_->Dir.MakeDir("b (x86)");
        form_ = std::make_unique<TQV_MainForm>();
        view_ = form_->QorView();
        core_ = view_->DataCore();
        core_->MakeSearchHolder = [] { return std::make_unique<TDataHolder>(); };
        ASSERT_TRUE(WaitUntil([&] { return !form_->SessionTimer->isActive(); }));
    }
    void TearDown() override
    {
        form_.reset();
        folder_.reset();
    }
    // One word per tab in list order: "Q" for the drives, "S" for a search, else
    // the folder's last name; the active one in brackets.
    QStringList Tabs() const
    {
        QStringList tabs;
        for (const auto& holder : core_->DC_LIST) {
            QString word = "S";
            if (const auto* file = dynamic_cast<const TFileHolder*>(holder.get())) {
                const QString path = file->Path_Curr()->PD_PATH;
                word = path == QDrivePath ? "Q" : path == TrashPath ? "T" : LastFolderName(path);
            }
            tabs << (holder.get() == core_->DC_HOLDER ? "[" + word + "]" : word);
        }
        return tabs;
    }
    QString SettingsPath() const { return folder_->Dir.Sub("Data/Settings.QVS"); }

    QByteArray extraSettings_;
    std::optional<TProgramFolder> folder_;
    QString a_, b_;
    std::unique_ptr<TQV_MainForm> form_;
    TQorView* view_ = nullptr;
    TDataCore* core_ = nullptr;
};

TEST_F(ViewTabs, ASearchTabStartsWhereTheUserIs)
{
    core_->MakeSearchHolder = nullptr;
    view_->AddFileTab(a_, true);
    const auto startsOf = [](TDataHolder* holder) {
        const auto* search = dynamic_cast<const TSearchHolder*>(holder);
        return search ? search->SH_SEARCH_DATA->SD_PATHS : QStringList{"not a search"};
    };
    // Without a folder: the active tab's folder, then the active search's first one.
    EXPECT_EQ(startsOf(view_->AddSearchTab(QString(), true)), QStringList{a_});
    EXPECT_EQ(startsOf(view_->AddSearchTab(QString(), true)), QStringList{a_});
    EXPECT_EQ(startsOf(view_->AddSearchTab(b_, false)), QStringList{b_});
    EXPECT_EQ(Tabs(), (QStringList{"Q", "a", "S", "[S]", "S"}));
}

TEST_F(ViewTabs, AddingAndClosingTabsKeepsAFileTabAndActivatesTheLeftNeighbour)
{
    EXPECT_EQ(Tabs(), QStringList{"[Q]"});
    EXPECT_EQ(view_->AddFileTab(folder_->Dir.Sub("missing"), true), nullptr);
    view_->AddFileTab(a_, true);
    view_->AddFileTab(b_, false);
    view_->AddSearchTab(QString(), true);
    EXPECT_EQ(Tabs(), (QStringList{"Q", "a", "b (x86)", "[S]"}));

    struct TStep {
        std::function<void()> Act;
        QStringList Tabs;
    };
    const TStep steps[] = {
        {[&] { view_->RemHolder(3); }, {"Q", "a", "[b (x86)]"}},
        {[&] { view_->RemHolder(0); }, {"[a]", "b (x86)"}},
        // An unknown identifier closes the active tab.
        {[&] { view_->RemHolder(QStringLiteral("nobody")); }, {"[b (x86)]"}},
        {[&] { view_->AddSearchTab(QString(), false); }, {"[b (x86)]", "S"}},
        // The last file tab closes while a search remains: a drives tab comes.
        {[&] { view_->RemHolder(0); }, {"S", "[Q]"}},
        {[&] { view_->RemoveTabs(); }, {"[Q]"}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        steps[i].Act();
        EXPECT_EQ(Tabs(), steps[i].Tabs) << "step " << i;
    }
}

TEST_F(ViewTabs, TheTrashOpensInOneTabOfItsOwnAndIsAPlaceToGoTo)
{
    view_->RecycleBinOpen();
    EXPECT_EQ(Tabs(), (QStringList{"Q", "[T]"}));
    view_->AddFileTab(a_, true);
    view_->RecycleBinOpen();
    EXPECT_EQ(Tabs(), (QStringList{"Q", "[T]", "a"}));
    view_->ActivateHolder(core_->Holder_Get(2)->DH_ID);
    view_->GoToPath(QStringLiteral("trash:///"));
    EXPECT_EQ(Tabs(), (QStringList{"Q", "T", "[T]"}));
    view_->GoBack();
    EXPECT_EQ(Tabs(), (QStringList{"Q", "T", "[a]"}));
}

TEST_F(ViewTabs, KeysOpenAndCloseTabsAndDuplicatesFollowTheActiveFolder)
{
    view_->AddFileTab(a_, true);
    TShiftState ctrl = ssCtrl;
    TKeyCode one = '1', three = '3';
    core_->DC_HOLDER->On_KeyUp(one, ctrl);
    EXPECT_EQ(Tabs(), (QStringList{"Q", "a", "[Q]"}));
    core_->DC_HOLDER->On_KeyUp(three, ctrl);
    EXPECT_EQ(Tabs(), (QStringList{"Q", "[a]"}));
    view_->DuplicateHolder();
    EXPECT_EQ(Tabs(), (QStringList{"Q", "a", "[a]"}));
    view_->DuplicateHolder(core_->Holder_Get(0)->DH_ID);
    EXPECT_EQ(Tabs(), (QStringList{"Q", "a", "a", "[Q]"}));
}

TEST_F(ViewTabs, ModesShowEitherTheBrowsingOrTheSearchBars)
{
    QStringList log;
    const QStringList bars{"QuickBar", "ActionBar", "PathBar", "SearchBarTop", "SearchBarBottom"};
    for (const QString& bar : bars) view_->CtrlManager()->AddControl(bar, new TProbe(&log, bar, QRect(0, 0, 10, 10)));
    const auto shown = [&] {
        QStringList visible;
        for (const QString& bar : bars)
            if (view_->CtrlManager()->GetControlData(bar)->Visible()) visible << bar;
        return visible;
    };
    view_->SwitchMode("Search");
    EXPECT_EQ(shown(), (QStringList{"SearchBarTop", "SearchBarBottom"}));
    view_->SwitchMode("search");
    EXPECT_EQ(shown(), (QStringList{"SearchBarTop", "SearchBarBottom"}));
    // Activating a folder tab browses again.
    view_->AddFileTab(a_, true);
    EXPECT_EQ(shown(), (QStringList{"QuickBar", "ActionBar", "PathBar"}));
}

TEST_F(ViewTabs, OpenInNewTabOpensEverySelectedFolder)
{
    folder_->Dir.WriteFile("file.txt", "x");
    TFileHolder* holder = view_->AddFileTab(folder_->Dir.Path(), true);
    ASSERT_TRUE(WaitUntil([&] { return !holder->Listing() && holder->ItemCount() == 4; }));
    for (const auto& item : holder->Items())
        if (item->ID_FILE_DATA.FD_NAME != "Data") item->Select();
    view_->OpenInNewTab();
    EXPECT_EQ(Tabs().mid(2), (QStringList{"a", "[b (x86)]"}));
}

TEST_F(ViewTabs, GroupingActsOnTheActiveTab)
{
    folder_->Dir.WriteFile("a/x.txt", "x");
    folder_->Dir.WriteFile("a/y.doc", "x");
    TFileHolder* other = view_->AddFileTab(a_, false);
    TFileHolder* shown = view_->AddFileTab(a_, true);
    ASSERT_TRUE(WaitUntil([&] { return !other->Listing() && !shown->Listing() && shown->ItemCount() == 2; }));
    bool grouped = false;
    shown->OnGrouped = [&](TDataHolder*) { grouped = true; };
    view_->GroupItems("Ext");
    ASSERT_TRUE(WaitUntil([&] { return grouped; }));
    QStringList captions;
    for (const auto& item : shown->Items()) captions << item->ID_CAPTION;
    EXPECT_EQ(captions, (QStringList{".TXT", "x.txt", ".DOC", "y.doc"}));
    EXPECT_EQ(other->ItemCount(), 2);
}

TEST_F(ViewTabs, SessionSavesFolderTabsUnderTheirIndexAndRestoresThem)
{
    view_->AddFileTab(a_, true);
    view_->AddSearchTab(QString(), true);
    view_->AddFileTab(b_, false);
    view_->SaveSession();
    EXPECT_EQ(IniSectionEntries(SettingsPath(), "LastSession"),
              (QList<QPair<QString, QString>>{{"Tab(1)", "Path(" + a_ + ")"}, {"Tab(3)", "Path(" + b_ + ")"}}));

    // A restore adds the saved folders that still exist, the last one active,
    // behind the tabs already open.
    IniWriteString(SettingsPath(), "LastSession", "Tab(5)", "Path(" + folder_->Dir.Sub("gone") + ")");
    view_->RemoveTabs();
    view_->RestoreSession();
    EXPECT_EQ(Tabs(), (QStringList{"Q", "a", "[b (x86)]"}));
    EXPECT_FALSE(view_->QV_RESTORING);
    EXPECT_FALSE(TFileHolder::Restoring());
}

TEST_F(ViewTabs, AFolderOfAnyNameIsRestoredWhole)
{
    // "un" exists too: a name cut at its ")" would open it instead.
    folder_->Dir.MakeDir("un");
    const QStringList names{"un)balanced", "open(", "line\nbreak", "com,ma", "two,,commas", "a=b", "%lead", "b (x86)"};
    for (const QString& name : names) ASSERT_NE(view_->AddFileTab(folder_->Dir.MakeDir(name), true), nullptr);
    view_->SaveSession();
    view_->RemoveTabs();
    view_->RestoreSession();
    QStringList expected = QStringList{"Q"} + names;
    expected.last() = "[" + expected.last() + "]";
    EXPECT_EQ(Tabs(), expected);
}

class ViewSessionOff : public ViewTabs {
protected:
    void SetUp() override
    {
        extraSettings_ = "StartUp=RestoreLastSession(0)\n[LastSession]\nTab(1)=Path(/)\n";
        ViewTabs::SetUp();
    }
};

TEST_F(ViewSessionOff, NothingIsSavedOrRestored)
{
    view_->RestoreSession();
    EXPECT_EQ(Tabs(), QStringList{"[Q]"});
    view_->AddFileTab(a_, true);
    view_->SaveSession();
    EXPECT_EQ(IniSectionEntries(SettingsPath(), "LastSession"),
              (QList<QPair<QString, QString>>{{"Tab(1)", "Path(/)"}}));
}

TEST(ViewSession, TheWindowRestoresTheLastSessionAfterStartAndSavesItAtTheEnd)
{
    TTestDir places;
    const QString kept = places.MakeDir("kept (1)");
    TProgramFolder folder("Media=PlayNavSound(0)\n[LastSession]\nTab(2)=Path(" + kept.toUtf8() + ")\n");
    {
        TQV_MainForm form;
        ASSERT_TRUE(WaitUntil([&] { return form.QorView()->DataCore()->Count() == 2; }));
        EXPECT_EQ(form.QorView()->FileHolder()->Path_Curr()->PD_PATH, kept);
    }
    EXPECT_EQ(IniSectionEntries(folder.Dir.Sub("Data/Settings.QVS"), "LastSession"),
              (QList<QPair<QString, QString>>{{"Tab(1)", "Path(" + kept + ")"}}));
}

TEST(ViewSession, AWindowClosedBeforeItRestoredTheSessionLeavesTheSavedOneAlone)
{
    TTestDir places;
    const QString kept = places.MakeDir("kept");
    TProgramFolder folder("Media=PlayNavSound(0)\n[LastSession]\nTab(2)=Path(" + kept.toUtf8() + ")\n");
    {
        TQV_MainForm form;
        ASSERT_TRUE(form.SessionTimer->isActive());
        form.close();
    }
    EXPECT_EQ(IniSectionEntries(folder.Dir.Sub("Data/Settings.QVS"), "LastSession"),
              (QList<QPair<QString, QString>>{{"Tab(2)", "Path(" + kept + ")"}}));
}

TEST(ViewSession, ClosingTheWindowEndsPromptlyWhileALargeFolderIsListed)
{
    TTestDir big;
    for (int i = 0; i < 20000; ++i) big.WriteFile(QString("f%1").arg(i), {});
    TProgramFolder folder("Media=PlayNavSound(0)\n");
    auto form = std::make_unique<TQV_MainForm>();
    TFileHolder* holder = form->QorView()->AddFileTab(big.Path(), true);
    ASSERT_NE(holder, nullptr);
    EXPECT_TRUE(holder->Listing());
    form->close();
    EXPECT_FALSE(holder->Listing());
    form.reset();
    EXPECT_EQ(QorView(), nullptr);
}

}  // namespace
