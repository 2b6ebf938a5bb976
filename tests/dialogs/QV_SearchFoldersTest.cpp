#include "dialogs/QV_SearchFolders.h"

#include "QV_DialogFixture.h"

#include "commands/QV_ActionButton.h"
#include "controls/QV_CtrlManager.h"
#include "data/QV_SearchHolder.h"
#include "widgets/QV_SearchBar.h"
#include "widgets/QV_WidgetControls.h"

#include <QKeySequence>
#include <QPushButton>
#include <QTreeWidget>

#include <deque>

namespace {

// A search tab on two folders in the real window.
class SearchTab : public TDialogTest {
protected:
    void SetUp() override
    {
        TDialogTest::SetUp();
        one = tree.MakeDir("one");
        two = tree.MakeDir("two");
        search = dynamic_cast<TSearchHolder*>(view->AddSearchTab(one, true));
        ASSERT_NE(search, nullptr);
        search->SH_SEARCH_DATA->AddPath(two, false);
        view->CtrlManager()->Control_Update();
        top = dynamic_cast<TSearchBar*>(view->CtrlManager()->GetControlData("SearchBarTop"));
        bottom = dynamic_cast<TSearchBarBottom*>(view->CtrlManager()->GetControlData("SearchBarBottom"));
        ASSERT_TRUE(top && bottom);
    }
    QStringList Shown() const
    {
        QStringList shown;
        for (const char* bar : {"QuickBar", "ActionBar", "PathBar", "SearchBarTop", "SearchBarBottom"})
            if (view->CtrlManager()->GetControlData(bar)->SC_VISIBLE) shown << bar;
        return shown;
    }
    // The dialog as the bar's button opens it, choosing from the queue.
    TQV_SearchFoldersFrm* OpenDialog()
    {
        view->DialogSearchFolder();
        TQV_SearchFoldersFrm* dialog = view->SearchFoldersForm();
        dialog->ChooseFolder = [this](QWidget*, const QString&) {
            if (chosen.empty()) return QString();
            const QString next = chosen.front();
            chosen.pop_front();
            return next;
        };
        return dialog;
    }
    static void SelectRows(TQV_SearchFoldersFrm* dialog, std::initializer_list<int> rows)
    {
        dialog->PathList->clearSelection();
        for (int row : rows) dialog->PathList->topLevelItem(row)->setSelected(true);
    }
    static QStringList Numbers(const TQV_SearchFoldersFrm* dialog)
    {
        QStringList numbers;
        for (int i = 0; i < dialog->PathList->topLevelItemCount(); ++i)
            numbers << dialog->PathList->topLevelItem(i)->text(0);
        return numbers;
    }

    TTestDir tree;
    QString one, two;
    std::deque<QString> chosen;
    TSearchHolder* search = nullptr;
    TSearchBar* top = nullptr;
    TSearchBarBottom* bottom = nullptr;
};

TEST_F(SearchTab, ShowsTheSearchBarsOnlyWhileASearchTabIsActive)
{
    EXPECT_EQ(Shown(), (QStringList{"SearchBarTop", "SearchBarBottom"}));
    EXPECT_EQ(bottom->SBB_PATH_EDIT->SE_TEXT, one + "; " + two);
    const QString searchId = search->DH_ID;
    view->AddFileTab(tree.Path(), true);
    EXPECT_EQ(Shown(), (QStringList{"QuickBar", "ActionBar", "PathBar"}));
    // The keys go to the folder again, not to the hidden name field.
    const TSmartCtrl* focused = view->CtrlManager()->FocusedControl();
    EXPECT_TRUE(!focused || focused->SC_VISIBLE);
    view->ActivateHolder(searchId);
    EXPECT_EQ(Shown(), (QStringList{"SearchBarTop", "SearchBarBottom"}));
}

TEST_F(SearchTab, TypingANameAndEnterStartsTheSearchAndTheCountFollows)
{
    tree.WriteFile("one/Notes.txt", "");
    tree.WriteFile("two/more notes", "");
    // A new search tab takes the keyboard in its name field.
    ASSERT_EQ(FocusedEdit(*view->CtrlManager()), top->SB_NAME_EDIT);
    QTest::keyClicks(view, "notes");
    EXPECT_EQ(search->SH_SEARCH_DATA->SD_NAME, "notes");
    int searched = 0;
    search->OnSearched = [&](TSearchHolder*) { ++searched; };
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return searched == 1; }, 20000));
    EXPECT_EQ(search->SH_STATUS_FOUND, "2");
    const int paints = view->PaintCount();
    ASSERT_TRUE(WaitUntil([&] { return view->PaintCount() > paints; }));
    EXPECT_EQ(top->FoundText(), "Found:  2");
    EXPECT_EQ(top->SB_START->AB_CAPTION, "Start Search");
}

TEST_F(SearchTab, TheDialogAddsAndRemovesFoldersAndOkChangesTheSearch)
{
    TQV_SearchFoldersFrm* dialog = OpenDialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->Paths(), (QStringList{one, two}));
    EXPECT_FALSE(dialog->BTN_REMOVE->isEnabled()) << "nothing selected yet";

    const QString three = tree.MakeDir("three");
    chosen = {three, one + "/", QString()};  // a new one, one already listed, then Cancel in the chooser
    dialog->BTN_ADD->click();
    dialog->BTN_ADD->click();
    dialog->BTN_ADD->click();
    EXPECT_EQ(dialog->Paths(), (QStringList{one, two, three}));
    SelectRows(dialog, {0, 2});
    dialog->BTN_REMOVE->click();
    EXPECT_EQ(dialog->Paths(), QStringList{two});
    EXPECT_EQ(Numbers(dialog), QStringList{"1"});
    dialog->BTN_DRIVES->click();
    EXPECT_EQ(Numbers(dialog), (QStringList{"1", "2"}));
    // Nothing reaches the search before OK.
    EXPECT_EQ(search->SH_SEARCH_DATA->SD_PATHS, (QStringList{one, two}));

    dialog->BTN_OK->click();
    EXPECT_FALSE(dialog->isVisible());
    TSearchData drives;
    drives.AddPath(QDrivePath, true);
    QStringList expected{two};
    for (const QString& root : drives.SD_PATHS)
        if (!expected.contains(root)) expected << root;
    EXPECT_EQ(search->SH_SEARCH_DATA->SD_PATHS, expected);
    EXPECT_EQ(bottom->SBB_PATH_EDIT->SE_TEXT, SearchFoldersText(expected));
}

TEST_F(SearchTab, CancelEscapeAndAClosedTabLeaveTheFoldersAlone)
{
    TQV_SearchFoldersFrm* dialog = OpenDialog();
    dialog->BTN_REMOVE_ALL->click();
    EXPECT_TRUE(dialog->Paths().isEmpty());
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(search->SH_SEARCH_DATA->SD_PATHS, (QStringList{one, two}));

    // Enter is OK: an empty list leaves the search without folders, and
    // starting it then finds nothing and runs nothing.
    dialog = OpenDialog();
    EXPECT_EQ(dialog->Paths(), (QStringList{one, two}));
    dialog->BTN_REMOVE_ALL->click();
    QTest::keyClick(dialog->PathList, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(search->SH_SEARCH_DATA->SD_PATHS.isEmpty());
    view->ToggleSearch();
    EXPECT_FALSE(search->Searching());

    // The tab goes while its dialog is open: OK changes nothing and breaks nothing.
    search->SH_SEARCH_DATA->SD_PATHS = {one};
    dialog = OpenDialog();
    view->RemHolder(search->DH_ID);
    search = nullptr;
    dialog->BTN_REMOVE_ALL->click();
    EXPECT_FALSE(dialog->Save());
    dialog->BTN_OK->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SearchTab, EveryDialogButtonHasItsOwnMnemonic)
{
    TQV_SearchFoldersFrm* dialog = OpenDialog();
    QStringList keys;
    for (const QPushButton* button : {dialog->BTN_ADD, dialog->BTN_DRIVES, dialog->BTN_REMOVE, dialog->BTN_REMOVE_ALL}) {
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        EXPECT_FALSE(key.isEmpty()) << button->text().toStdString();
        keys << key.toString();
    }
    keys.removeDuplicates();
    EXPECT_EQ(keys.size(), 4);
    dialog->reject();
}

}  // namespace
