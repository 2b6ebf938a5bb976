#include "QV_WidgetFixture.h"

#include "commands/QV_ActionButton.h"
#include "commands/QV_ButtonManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "data/QV_SearchHolder.h"
#include "foundation/QV_Settings.h"
#include "platform/image/QV_Bitmap32.h"
#include "support/QV_HostTestSupport.h"
#include "widgets/QV_SearchBar.h"
#include "widgets/QV_SmartProgress.h"
#include "widgets/QV_WidgetControls.h"

#include <optional>

namespace {

TEST(SearchBarLayout, TheNameFieldLeavesRoomForTheCountAndTheProgressRunsToTheEdge)
{
    const struct {
        const char* Name;
        QRect Work;
        int Found;
        int NameWidth;
    } rows[] = {
        // 8 + 48 + 10 = 66; right edge 892 - 10 = 882: 816 free, at most 420 for the name
        {"wide", QRect(8, 6, 884, 66), 100, 420},
        // 384 wide: 8 + 384 - 10 = 382; 382 - 66 - 8 - 100 = 208
        {"narrow", QRect(8, 6, 384, 66), 100, 208},
        // Never narrower than a usable field, even if the count is cut off.
        {"tiny", QRect(8, 6, 150, 66), 100, 80},
    };
    for (const auto& row : rows) {
        const TSearchBarPlaces places = PlaceSearchBar(row.Work, 48, 22, 18, row.Found);
        EXPECT_EQ(places.Button, QRect(8, 6, 48, 48)) << row.Name;
        EXPECT_EQ(places.Name, QRect(66, 11, row.NameWidth, 22)) << row.Name;
        EXPECT_EQ(places.Found, QPoint(66 + row.NameWidth + 8, 11)) << row.Name;
        EXPECT_EQ(places.Progress.topLeft(), QPoint(66, 38)) << row.Name;
        EXPECT_EQ(places.Progress.right() + 1, row.Work.right() + 1 - 10) << row.Name;
        EXPECT_EQ(places.Progress.height(), 18) << row.Name;
    }
}

TEST(SearchFoldersText, ListsEveryFolderInOrder)
{
    EXPECT_EQ(SearchFoldersText({}), "");
    EXPECT_EQ(SearchFoldersText({"/home/u", "/mnt/data"}), "/home/u; /mnt/data");
    // A line break inside a folder name does not break the field's line.
    EXPECT_FALSE(SearchFoldersText({"/tmp/a\nb"}).contains('\n'));
}

// What the bars ask of the view, as the view answers: the start button and
// Enter go to the upper bar's search.
class TSearchHost : public TQuietHost {
public:
    void ToggleSearch() override
    {
        if (Bar) Bar->Toggle();
    }
    void DialogSearchFolder() override { ++Dialogs; }
    TSearchBar* Bar = nullptr;
    int Dialogs = 0;
};

class SearchBars : public WidgetFixture {
protected:
    SearchBars()
    {
        RegisterCommandControls(Manager, Registry);
        RegisterWidgetControls(Manager);
        Context2.emplace(TQvServices{.CtrlManager = &Manager, .DataCore = &Core, .HolderHost = &Host});
        Top = static_cast<TSearchBar*>(Manager.AddControl("SearchBarTop", new TSearchBar()));
        Bottom = static_cast<TSearchBarBottom*>(Manager.AddControl("SearchBarBottom", new TSearchBarBottom()));
        Host.Bar = Top;
        Manager.On_Resize(900, 600);
    }
    ~SearchBars() override
    {
        Core.StopThreads();
        Core.Clear();
    }

    // A search tab on folders with the name, made active.
    TSearchHolder* AddSearch(const QString& name, const QStringList& folders)
    {
        auto* search = static_cast<TSearchHolder*>(Core.Holder_Add_Search());
        search->AddSearchName(name);
        search->SH_SEARCH_DATA->SD_PATHS = folders;
        search->OnSearched = [this](TSearchHolder*) { ++Searched; };
        search->On_Resize(900, 400);
        Activate(search);
        return search;
    }
    void Activate(TDataHolder* holder)
    {
        Core.Holder_Activate(holder);
        Manager.Control_Update();
    }
    // One paint of the bars, as the window paints them.
    void Paint()
    {
        TBitmap32 canvas(900, 600);
        Manager.PaintControls(canvas);
    }
    // Left click on a control, as the manager passes it on.
    void Click(TSmartCtrl* control)
    {
        const int x = control->SC_POS.x() + control->SC_WIDTH / 2, y = MidY(control);
        Manager.On_MouseDown(mbLeft, 0, x, y);
        Manager.On_MouseUp(mbLeft, 0, x, y);
    }
    // count folders of one matching file each.
    QString ManyFolders(int count)
    {
        for (int i = 0; i < count; ++i) Dir.WriteFile(QStringLiteral("many/f%1/match_%1").arg(i), "");
        return Dir.Sub("many");
    }

    TTestDir Dir;
    TButtonManager Registry;
    TDataCore Core;
    TSearchHost Host;
    std::optional<TQvContextScope> Context2;
    TSearchBar* Top = nullptr;
    TSearchBarBottom* Bottom = nullptr;
    int Searched = 0;
};

TEST_F(SearchBars, BuildTheirPartsAndKeepTheirHeights)
{
    ASSERT_NE(Top->SB_START, nullptr);
    EXPECT_EQ(Top->SB_START->AB_CMD, "Search.Toggle");
    EXPECT_EQ(Top->SB_START->AB_STYLE, dsIcon);
    EXPECT_EQ(Top->SB_START->SC_WIDTH, 48);
    ASSERT_NE(Bottom->SBB_BROWSE, nullptr);
    EXPECT_EQ(Bottom->SBB_BROWSE->AB_CMD, "Dialog.SearchBrowse");
    EXPECT_EQ(Bottom->SBB_BROWSE->AB_STYLE, dsTileAuto);

    Top->SetHeight(30);
    Bottom->SetHeight(200);
    Manager.On_Resize(900, 600);
    EXPECT_EQ(Top->SC_HEIGHT, 78);
    EXPECT_EQ(Bottom->SC_HEIGHT, 25 + Bottom->SC_OFFSET_TOP + Bottom->SC_OFFSET_BOTTOM);
    // Top and bottom of the window, each part inside its bar.
    EXPECT_EQ(Top->SC_POS.y(), 0);
    EXPECT_EQ(Bottom->SC_POS.y() + Bottom->SC_HEIGHT, 600);
    for (TSmartCtrl* bar : {static_cast<TSmartCtrl*>(Top), static_cast<TSmartCtrl*>(Bottom)})
        for (int i = 0; i < bar->SC_LIST[0]->Count(); ++i) {
            const TSmartCtrl* part = bar->SC_LIST[0]->Control(i);
            EXPECT_TRUE(bar->SC_RECT_MAIN.Rect().contains(part->SC_RECT_MAIN.Rect())) << part->SC_ID.toStdString();
        }
    // The lower row: the button by its caption, the filter at the right, the
    // folders field between them.
    const int spacing = int(Settings().PathBar.ItemSpacing);
    EXPECT_GT(Bottom->SBB_BROWSE->SC_WIDTH, Bottom->SC_RECT.Height());
    EXPECT_EQ(Bottom->SBB_FILTER_EDIT->SC_POS.x() + Bottom->SBB_FILTER_EDIT->SC_WIDTH, Bottom->SC_RECT.Right());
    EXPECT_EQ(Bottom->SBB_PATH_EDIT->SC_POS.x(), Bottom->SBB_BROWSE->SC_POS.x() + Bottom->SBB_BROWSE->SC_WIDTH + spacing);
    EXPECT_EQ(Bottom->SBB_PATH_EDIT->SC_POS.x() + Bottom->SBB_PATH_EDIT->SC_WIDTH + spacing,
              Bottom->SBB_FILTER_EDIT->SC_POS.x());
    // In a narrow window the filter narrows and the folders field keeps clear of it.
    Manager.On_Resize(400, 400);
    EXPECT_LT(Bottom->SBB_FILTER_EDIT->SC_WIDTH, 200);
    EXPECT_GE(Bottom->SBB_PATH_EDIT->SC_WIDTH, 100);
    EXPECT_EQ(Bottom->SBB_PATH_EDIT->SC_POS.x() + Bottom->SBB_PATH_EDIT->SC_WIDTH + spacing,
              Bottom->SBB_FILTER_EDIT->SC_POS.x());
}

TEST_F(SearchBars, EnterInTheNameFieldSearchesForTheTypedNameAndTheBarFollows)
{
    Dir.WriteFile("tree/Report.txt", "");
    Dir.WriteFile("tree/sub/old_report", "");
    Dir.WriteFile("tree/sub/other", "");
    TSearchHolder* search = AddSearch("", {Dir.Sub("tree")});
    EXPECT_EQ(Top->FoundText(), "Found:  ");

    FocusControl(Manager, Top->SB_NAME_EDIT);
    Type(Top, "report");
    EXPECT_EQ(search->SH_SEARCH_DATA->SD_NAME, "report");
    Key(Top, VK_RETURN);
    EXPECT_TRUE(search->SH_SEARCHING);
    ASSERT_TRUE(WaitUntil([&] { return Searched == 1; }, 20000));
    Paint();
    EXPECT_EQ(Top->FoundText(), "Found:  2");
    EXPECT_EQ(Top->SB_PROGRESS->SP_DONE, search->SH_SEARCH_POS);
    EXPECT_EQ(Top->SB_PROGRESS->SP_DONE, 100);
    EXPECT_EQ(Top->SB_PROGRESS->SP_TEXT, "Done");
    EXPECT_EQ(Top->SB_START->AB_CAPTION, "Start Search");
}

TEST_F(SearchBars, TheButtonStartsAndStopsTheSearchAndSaysWhichItWillDo)
{
    TSearchHolder* search = AddSearch("match", {ManyFolders(1500)});
    Paint();
    EXPECT_EQ(Top->SB_START->AB_CAPTION, "Start Search");
    Click(Top->SB_START);
    EXPECT_TRUE(search->Searching());
    EXPECT_EQ(Top->SB_START->AB_CAPTION, "Stop Search");
    EXPECT_EQ(Top->SB_START->AB_IMAGE, "Search.Stop.png");
    // The count and the progress follow the search while it runs.
    ASSERT_TRUE(WaitUntil([&] { return search->ItemCount() > 0; }, 20000));
    Paint();
    EXPECT_EQ(Top->FoundText(), "Found:  " + search->SH_STATUS_FOUND);
    EXPECT_EQ(Top->SB_PROGRESS->SP_DONE, search->SH_SEARCH_POS);

    // A name typed meanwhile does not turn the stop into a new search.
    FocusControl(Manager, Top->SB_NAME_EDIT);
    Type(Top, "_1");
    Click(Top->SB_START);
    ASSERT_TRUE(WaitUntil([&] { return Searched == 1; }, 20000));
    EXPECT_FALSE(search->Searching());
    Paint();
    EXPECT_EQ(Top->SB_PROGRESS->SP_DONE, 100);
    EXPECT_EQ(Top->SB_START->AB_CAPTION, "Start Search");
    EXPECT_TRUE(Top->SB_START->AB_IMAGE.isEmpty());
    EXPECT_LT(search->ItemCount(), 1500);
}

TEST_F(SearchBars, TheFieldsShowTheActiveSearchAndAFolderTabChangesNothing)
{
    TSearchHolder* first = AddSearch("alpha", {"/one", "/two"});
    TSearchHolder* second = AddSearch("beta", {"/three"});
    EXPECT_EQ(Top->SB_NAME_EDIT->SE_TEXT, "beta");
    EXPECT_EQ(Bottom->SBB_PATH_EDIT->SE_TEXT, "/three");
    Activate(first);
    EXPECT_EQ(Top->SB_NAME_EDIT->SE_TEXT, "alpha");
    EXPECT_EQ(Bottom->SBB_PATH_EDIT->SE_TEXT, "/one; /two");

    // Typing reaches only the active search.
    FocusControl(Manager, Top->SB_NAME_EDIT);
    Type(Top, "2");
    EXPECT_EQ(first->SH_SEARCH_DATA->SD_NAME, "alpha2");
    EXPECT_EQ(second->SH_SEARCH_DATA->SD_NAME, "beta");

    TFileHolder* files = Core.Holder_Add_File();
    Activate(files);
    Type(Top, "x");
    Key(Top, VK_RETURN);
    EXPECT_EQ(first->SH_SEARCH_DATA->SD_NAME, "alpha2");
    EXPECT_FALSE(first->Searching());
    EXPECT_FALSE(second->Searching());
    EXPECT_EQ(Top->FoundText(), "");
}

TEST_F(SearchBars, TheFoldersFieldIsReadOnlyAndOpensTheDialog)
{
    TSearchHolder* search = AddSearch("x", {"/srv"});
    TSearchFoldersEdit* field = Bottom->SBB_PATH_EDIT;
    FocusControl(Manager, field);
    Type(Bottom, "abc");
    Key(Bottom, VK_BACK);
    Key(Bottom, VK_DELETE);
    Key(Bottom, 'V', ssCtrl);
    Key(Bottom, 'X', ssCtrl);
    EXPECT_EQ(field->SE_TEXT, "/srv");
    EXPECT_EQ(search->SH_SEARCH_DATA->SD_PATHS, QStringList{"/srv"});
    // Moving and selecting still work, for copying the folders.
    Key(Bottom, VK_HOME);
    Key(Bottom, VK_END, ssShift);
    EXPECT_EQ(field->SE_SEL_TEXT, "/srv");

    Key(Bottom, VK_RETURN);
    EXPECT_EQ(Host.Dialogs, 1);
    Manager.On_MouseDown(mbLeft, 0, field->SC_POS.x() + 5, MidY(field));
    Manager.On_MouseUp(mbLeft, 0, field->SC_POS.x() + 5, MidY(field));
    field->On_MouseDouble(mbLeft, 0, field->SC_POS.x() + 5, MidY(field));
    EXPECT_EQ(Host.Dialogs, 2);
    Click(Bottom->SBB_BROWSE);
    EXPECT_EQ(Host.Dialogs, 3);
}

}  // namespace
