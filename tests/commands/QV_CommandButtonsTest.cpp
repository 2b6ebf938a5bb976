// Each family of command buttons calls the view operation the command names,
// with the mouse button it names, and nothing else.

#include "commands/QV_ButtonManager.h"

#include "QV_CommandTestSupport.h"
#include "commands/QV_CommandButtons.h"
#include "commands/QV_RecentTabs.h"
#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Context.h"
#include "platform/ini/QV_IniFile.h"

#include <gtest/gtest.h>

namespace {

class CommandButtons : public TAppFolderTest {
protected:
    void SetUp() override
    {
        TAppFolderTest::SetUp();
        context_.emplace(TQvServices{.CtrlManager = &manager_, .HolderHost = &view_});
    }
    void TearDown() override
    {
        context_.reset();
        TAppFolderTest::TearDown();
    }
    // The calls one release over a fresh button makes.
    QStringList Click(const QString& params, TMouseButton button, TSmartCtrl* sender = nullptr)
    {
        std::unique_ptr<TActionButton> made(registry_.CreateButton(sender, TParamString{params}));
        EXPECT_NE(made, nullptr) << params;
        if (!made) return {};
        made->SetPosition(QPoint(0, 0));
        view_.Calls.clear();
        EXPECT_EQ(made->On_MouseUp(button, 0, 7, 9), made.get());
        return view_.Calls;
    }

    TButtonManager registry_;
    TRecordingView view_;
    TCtrlManager manager_;
    std::optional<TQvContextScope> context_;
};

TEST_F(CommandButtons, LeftClickCallsTheViewOperation)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"Item.Properties", {"ShowPropDialog"}},
        {"Item.Copy", {"ClipboardCopy"}},
        {"Item.Cut", {"ClipboardCut"}},
        {"Item.Delete", {"FilesDelete"}},
        {"Item.Paste", {"ClipboardPaste"}},
        {"Item.Rename", {"FilesRename(0)"}},
        {"Item.SysMenu", {"SystemMenu(7,9)"}},
        {"Item.Group", {"GroupItems(Name)"}},
        {"Item.Group), P1(Ext", {"GroupItems(Ext)"}},
        {"Item.Group.Name", {"GroupItems(Name)"}},
        {"Item.Group.Ext", {"GroupItems(Ext)"}},
        {"Item.Group.Path", {"GroupItems(Path)"}},
        {"Item.SelectAll", {"FilesSelectAll"}},
        {"Item.InTab", {"OpenInNewTab"}},
        {"Item.InExplorer", {"OpenInExplorer"}},
        {"Navigate.Back", {"GoBack"}},
        {"Navigate.Forward", {"GoFwrd"}},
        {"Navigate.Up", {"GoUp"}},
        {"Tabs.AddSearch", {"AddSearchTab(,1)"}},
        {"Tabs.AddFile", {"AddFileTab(QDrive:\\,1)"}},
        {"Tabs.CloseAll", {"RemoveTabs"}},
        {"Tabs.Clone", {}},  // only for a tab
        {"Tabs.Close", {}},  // neither a tab nor an active holder
        {"Create.Folder", {"CreateFolder"}},
        {"SmartMenu.Back", {}},
        {"Search.Toggle", {"ToggleSearch"}},
        {"Dialog.SearchBrowse", {"DialogSearchFolder"}},
        {"Dialog.OpenWith", {"DialogOpenWith"}},
        {"Control.Settings", {}},  // no control named
        {"Control.Settings), P1(QuickBar", {"ShowControlItems(QuickBar)"}},
        {"Qorvel.Menu", {"PopUpButtonMenu(MainMenu)"}},
        {"Qorvel.Settings", {"ShowSettings"}},
        {"Qorvel.About", {"ShowAboutDialog"}},
        {"Customize.Folder", {"DialogFolder"}},
        {"Places.RecycleBin", {"RecycleBinOpen"}},
        {"RecycleBin.Empty", {"RecycleBinEmpty"}},
        {"RecycleBin.Restore", {"RecycleBinRestore"}},
        {"RecycleBin.Delete", {"FilesDelete"}},
        {"Text.Copy", {}},  // not in an edit field
    };
    for (const auto& [command, calls] : cases)
        EXPECT_EQ(Click(QStringLiteral("CMD(%1)").arg(command), mbLeft), calls) << command;
}

TEST_F(CommandButtons, OtherMouseButtons)
{
    struct TCase {
        const char* Params;
        TMouseButton Button;
        QStringList Calls;
    };
    const TCase cases[] = {
        {"CMD(Item.Copy)", mbMiddle, {}},
        {"CMD(Item.Copy)", mbRight, {}},
        {"CMD(Item.Copy), Menu(FileMenu)", mbRight, {"PopUpButtonMenu(FileMenu)"}},
        {"CMD(Item.Group)", mbRight, {"PopUpButtonMenu(ItemGroup)"}},
        {"CMD(Item.Rename)", mbMiddle, {"FilesRename(1)", "PopDownMenu"}},
        {"CMD(Qorvel.About), Menu(MainMenu)", mbRight, {"PopUpButtonMenu(MainMenu)", "ShowAboutDialog"}},
        {"CMD(Qorvel.About)", mbMiddle, {"ShowAboutDialog"}},
        {"CMD(Places.RecycleBin)", mbRight, {"PopUpButtonMenu(RecycleBin)"}},
        {"CMD(Recent.Tabs)", mbRight, {"PopUpButtonMenu(Recent.Tabs.Menu)"}},
    };
    for (const TCase& c : cases) EXPECT_EQ(Click(c.Params, c.Button), c.Calls) << c.Params << " " << c.Button;
}

TEST_F(CommandButtons, TabCommandsActOnTheirTab)
{
    TSmartCtrl tab;
    tab.SC_ID = "0TabAbc";
    tab.SC_MENU = "TabMenu";
    EXPECT_EQ(Click("CMD(Tabs.Close)", mbLeft, &tab), QStringList{"RemHolder(0TabAbc)"});
    EXPECT_EQ(Click("CMD(Tabs.Clone)", mbLeft, &tab), QStringList{"DuplicateHolder(0TabAbc)"});
    EXPECT_EQ(Click("CMD(Show.Menu)", mbLeft, &tab), QStringList{"PopUpButtonMenu(TabMenu)"});
    EXPECT_EQ(view_.MenuSender, &tab);
    tab.SC_MENU.clear();
    EXPECT_EQ(Click("CMD(Show.Menu)", mbLeft, &tab), QStringList{});
}

TEST_F(CommandButtons, ControlSettingsNamesItsControl)
{
    const std::unique_ptr<TActionButton> button(
        registry_.CreateButton(nullptr, TParamString{"CMD(Control.Settings), P1(QuickBar)"}));
    button->SetParams(TParamString{"CMD(Control.Settings), P1(QuickBar)"});
    EXPECT_EQ(button->AB_CAPTION, "Control.Settings QuickBar");
}

class TEditProbe : public TSmartCtrl, public TTextEditApi {
public:
    QStringList Log;
    void CopyToClipboard() override { Log << "Copy"; }
    void CutToClipboard() override { Log << "Cut"; }
    void PasteFromClipboard() override { Log << "Paste"; }
    void ClearText() override { Log << "Clear"; }
};

TEST_F(CommandButtons, TextCommandsActOnTheirEditField)
{
    TEditProbe edit;
    for (const char* command : {"Text.Copy", "Text.Cut", "Text.Paste", "Text.Delete"}) {
        Click(QStringLiteral("CMD(%1)").arg(command), mbLeft, &edit);
        Click(QStringLiteral("CMD(%1)").arg(command), mbMiddle, &edit);
    }
    EXPECT_EQ(edit.Log, (QStringList{"Copy", "Cut", "Paste", "Clear"}));
}

TEST_F(CommandButtons, EmptyingTheTrashTellsEveryControl)
{
    QStringList heard;
    struct TListener : TSmartCtrl {
        QStringList* Heard = nullptr;
        void EventNotify(const QString& ID) override { *Heard << ID; }
    };
    auto* listener = new TListener;
    listener->Heard = &heard;
    manager_.AddControl("Listener", listener);
    Click("CMD(RecycleBin.Empty)", mbMiddle);
    EXPECT_EQ(heard, QStringList{"FolderChanged"});
}

TEST_F(CommandButtons, HiddenButtonDoesNothing)
{
    const std::unique_ptr<TActionButton> button(registry_.CreateButton(nullptr, TParamString{"CMD(Item.Copy)"}));
    button->SetVisible(false);
    view_.Calls.clear();
    EXPECT_EQ(button->On_MouseUp(mbLeft, 0, 1, 1), nullptr);
    EXPECT_EQ(view_.Calls, QStringList{});
}

TEST_F(CommandButtons, RecentTabsMenuListsTheClosedTabs)
{
    const QString settings = dir_.WriteFile("Data/Settings.QVS", "[RecentTabs]\r\n"
                                                                 "Tab1=Path(/srv/data (old))\r\n"
                                                                 "Tab2=Path(QDrive:\\)\r\n");
    EXPECT_EQ(Click("CMD(Recent.Tabs)", mbLeft), QStringList{"PopUpMenuItems(RecentTabs,450)"});
    ASSERT_NE(view_.MenuItems, nullptr);
    ASSERT_EQ(view_.MenuItems->Count(), 2);
    auto* first = static_cast<TBRecentTabItem*>(view_.MenuItems->Control(0));
    auto* second = static_cast<TBRecentTabItem*>(view_.MenuItems->Control(1));
    EXPECT_EQ(first->AB_P1, "/srv/data (old)");
    EXPECT_EQ(first->AB_CAPTION, "data (old)");
    EXPECT_EQ(second->AB_CAPTION, "Quick Drive");
    EXPECT_NE(first->SC_ID, second->SC_ID);

    view_.Calls.clear();
    first->On_MouseUp(mbLeft, 0, 1, 1);
    first->On_MouseUp(mbMiddle, 0, 1, 1);
    EXPECT_EQ(view_.Calls, (QStringList{"AddFileTab(/srv/data (old),1)", "GoToPath(/srv/data (old))"}));

    EXPECT_EQ(Click("CMD(Recent.Tabs.Clear)", mbLeft), QStringList{});
    EXPECT_TRUE(IniSectionEntries(settings, "RecentTabs").isEmpty());
    EXPECT_EQ(Click("CMD(Recent.Tabs)", mbLeft), QStringList{});  // an empty menu is not shown
}

TEST(RecentTabItem, RectanglesAndHeight)
{
    TSmartRect work;
    work.SetBounds(10, 20, 300, 40);
    const TRecentItemRects r = RecentItemRects(work, 23);
    EXPECT_EQ(r.Icon.Rect(), QRect(10, 20, 23, 23));
    EXPECT_EQ(r.Name.Rect(), QRect(41, 20, 264, 16));
    EXPECT_EQ(r.Path.Rect(), QRect(49, 36, 264, 16));

    TBRecentTabItem item;
    item.SetHeight(20);
    EXPECT_EQ(item.SC_HEIGHT, 32);
}

}  // namespace
