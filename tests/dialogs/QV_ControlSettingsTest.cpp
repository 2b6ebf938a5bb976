#include "dialogs/QV_ControlSettings.h"

#include "QV_DialogFixture.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_HolderHost.h"
#include "support/QV_TestSupport.h"
#include "widgets/QV_ItemBars.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace {

using TEntries = QList<QPair<QString, QString>>;

class ControlItemsEditor : public TDialogTest {
protected:
    QByteArray SettingsLines() const override
    {
        return "Media=PlayNavSound(0)\n"
               "[QuickBar.Items]\n"
               "; the usual buttons\n"
               "Back=CMD(Navigate.Back), Width(30), Menu(History)\n"
               "Copy=CMD(Item.Copy)\n"
               "Trash=CMD(Places.RecycleBin), Align(Bottom)\n"
               "[Other]\nKeep=me\n";
    }
    void SetUp() override
    {
        TDialogTest::SetUp();
        bar = dynamic_cast<TItemBar*>(view->CtrlManager()->GetControlData("QuickBar"));
        ASSERT_NE(bar, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return bar->ItemLoads() >= 1; }));
        view->ShowControlItems("QuickBar");
        editor = view->ControlSettingsForm();
        ASSERT_TRUE(editor->isVisible());
    }
    TEntries Section() const { return IniSectionEntries(SettingsFile(), "QuickBar.Items"); }

    TItemBar* bar = nullptr;
    TQV_ControlSettingsFrm* editor = nullptr;
};

} // namespace

TEST_F(ControlItemsEditor, RoundTripKeepsWhatTheEditorDoesNotShow)
{
    ASSERT_EQ(editor->List->count(), 3);
    editor->SelectRow(0);
    EXPECT_EQ(editor->CMD->currentText(), "Navigate.Back");
    editor->Caption->setText("Go back");
    const int loads = bar->ItemLoads();
    ASSERT_TRUE(editor->SaveItems());
    EXPECT_EQ(Section(), (TEntries{{"Back", "CMD(Navigate.Back), Width(30), Menu(History), Caption(Go back), Align(Left)"},
                                   {"Copy", "CMD(Item.Copy)"},
                                   {"Trash", "CMD(Places.RecycleBin), Align(Bottom)"}}));
    EXPECT_EQ(IniReadString(SettingsFile(), "Other", "Keep", ""), "me");
    // The window's bar shows the saved list at once.
    EXPECT_TRUE(WaitUntil([&] { return bar->ItemLoads() > loads; }));
}

TEST_F(ControlItemsEditor, TheBottomAlignmentIsWrittenAsTheControlsReadIt)
{
    editor->SelectRow(2);
    EXPECT_EQ(editor->Align->currentData().toString(), "Bot");  // an older file's "Bottom"
    ASSERT_TRUE(editor->SaveItems());
    EXPECT_EQ(Section()[2].second, "CMD(Places.RecycleBin), Align(Bot)");
}

TEST_F(ControlItemsEditor, NewKeysAreMadeUniqueAndRowsMoveAndGo)
{
    editor->NewItem();
    EXPECT_EQ(editor->ID->text(), "New Item");
    editor->CommandChosen("Item.Copy");
    EXPECT_EQ(editor->ID->text(), "Item.Copy");
    editor->ID->setText("copy");  // taken by "Copy", in any letter case
    ASSERT_TRUE(editor->SaveItems());
    EXPECT_EQ(Section().last().first, "copy_1");
    editor->NewItem();
    editor->CommandChosen("Item.Copy");
    EXPECT_EQ(editor->ID->text(), "Item.Copy");
    ASSERT_TRUE(editor->SaveItems());
    editor->NewItem();
    editor->CommandChosen("Item.Copy");
    EXPECT_EQ(editor->ID->text(), "Item.Copy_1");
    editor->Param1->setText("x");
    ASSERT_TRUE(editor->SaveItems());
    EXPECT_EQ(Section().last(), (QPair<QString, QString>{"Item.Copy_1", "CMD(Item.Copy), P1(x), Align(Left)"}));

    editor->SelectRow(0);
    editor->MoveItem(-1);  // no effect at the top
    editor->MoveItem(1);
    editor->SelectRow(2);
    editor->RemoveItem();
    ASSERT_TRUE(editor->SaveItems());
    QStringList keys;
    for (const auto& [key, value] : Section()) keys << key;
    EXPECT_EQ(keys, (QStringList{"Copy", "Back", "copy_1", "Item.Copy", "Item.Copy_1"}));
}

TEST(ControlItems, UniqueKeysAndUsableNames)
{
    TControlItems items;
    items.Items = {{"A", ""}, {"a_1", ""}, {"B", ""}};
    EXPECT_EQ(items.UniqueKey("A"), "A_2");
    EXPECT_EQ(items.UniqueKey("A", 0), "A");  // the row itself does not count
    EXPECT_EQ(items.UniqueKey("X=CMD(Y)"), "XCMDY");
    EXPECT_EQ(items.UniqueKey("[;"), "Item");
    EXPECT_FALSE(items.Move(0, -1));
    EXPECT_TRUE(items.Move(0, 2));
    EXPECT_EQ(items.Items[2].Key, "A");
}
