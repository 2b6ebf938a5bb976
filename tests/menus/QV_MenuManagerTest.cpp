#include "QV_MenuProbe.h"
#include "commands/QV_ActionButton.h"
#include "commands/QV_ButtonManager.h"
#include "menus/QV_ExtManager.h"
#include "menus/QV_MenuManager.h"
#include "platform/ini/QV_IniFile.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QSet>

#include <memory>

namespace {

const QByteArray Menus = R"(
[MainMenu]
Params=Caption(Qorvel)
NewTab=CMD(Tabs.AddFile)
Close=CMD(Tabs.Close)
[TabMenu]
Params=Caption(Tab)
Close=CMD(Tabs.Close)
Clone=CMD(Tabs.Clone)
[FileTab]
Params=Caption(Folder Tab)
NewTab=CMD(Tabs.AddFile)
Clone=CMD(Tabs.Clone)
Other=CMD(Tabs.Clone), Param1(other)
[Plain]
Item=CMD(Item.Copy)
Again=CMD(Item.Paste)
again=CMD(Item.Cut)
)";

TEST(MenuManager, BuildsHoldersFromNamedMenus)
{
    TMenuWorld world;
    const TMenuManager manager(TMemIniFile::FromBytes(Menus));
    struct Case {
        QStringList Names;
        QString Id;
        QString Caption;
        QStringList Items;
    } cases[] = {
        {{"MainMenu"}, "MainMenu", "Qorvel", {"Tabs.AddFile", "Tabs.Close"}},
        {{"mainmenu"}, "mainmenu", "Qorvel", {"Tabs.AddFile", "Tabs.Close"}},  // any letter case
        // Combined: each item once, at its first place, under the last title found.
        {{"TabMenu", "FileTab"}, "TabMenuFileTab", "Folder Tab",
         {"Tabs.Close", "Tabs.Clone", "Tabs.AddFile", "Tabs.Cloneother"}},
        {{"TabMenu", "Missing"}, "TabMenuMissing", "Tab", {"Tabs.Close", "Tabs.Clone"}},
        {{"Missing"}, "Missing", "Menu Holder", {}},
        // No caption, no language entry: "Menu". A repeated key names one item.
        {{"Plain"}, "Plain", "Menu", {"Item.Copy", "Item.Paste"}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TMenuHolder> holder(manager.GetMenu(nullptr, c.Names));
        EXPECT_EQ(holder->SC_ID, c.Id);
        EXPECT_EQ(holder->MH_CAPTION, c.Caption) << c.Id.toStdString();
        EXPECT_EQ(ItemIds(holder.get()), c.Items) << c.Id.toStdString();
    }
}

TEST(MenuManager, ItemsActForTheSenderAndShowInTheViewsMenu)
{
    TMenuWorld world;
    const TMenuManager manager(TMemIniFile::FromBytes(Menus));
    TSmartCtrl tab;
    tab.SC_POS = QPoint(300, 0);
    tab.SC_HEIGHT = 28;
    manager.PopUpMenu(&tab, ViewSmartMenu(), {"TabMenu", "FileTab"});
    ASSERT_TRUE(world.Menu->SM_SHOWING);
    EXPECT_EQ(world.Menu->SM_HOLDER->MH_LIST->Control(0)->SC_PARENT, &tab);
    EXPECT_EQ(world.Menu->SC_POS, QPoint(300, 28));
    world.Menu->PopDown();

    manager.PopUpMenu(40, 50, {"MainMenu"});
    EXPECT_EQ(world.Menu->SC_POS, QPoint(40, 50));
    EXPECT_EQ(world.Menu->SM_HOLDER->MH_LIST->Control(0)->SC_PARENT, nullptr);
    manager.PopUpMenu(nullptr, 40, 50, {"TabMenu"});  // no smart menu: nothing, no crash
    EXPECT_EQ(world.Menu->SM_HOLDER->SC_ID, "MainMenu");
}

// The names the program and the shipped bars ask for are all defined with
// items, and so are the types the holders ask for.
TEST(MenuManager, ShippedMenusAndTypesServeEveryName)
{
    TMenuWorld world;
    const QString data = SourceDir() + QStringLiteral("/data/Data/");
    const TMenuManager menus(TMemIniFile(data + QStringLiteral("Menus.QVS")));
    const TExtManager types(TMemIniFile(data + QStringLiteral("Types.QVS")));
    QStringList names = {"MainMenu",   "RecycleBin",      "Recent.Tabs.Menu", "ItemGroup",   "FileHolderMenu",
                         "SearchHolderMenu", "TabMenu",   "FileTab",          "SearchTab",   "NewTabMenu",
                         "QuickBar",   "ActionBar",       "PathBar",          "SmartTabs",   "EditMenu",
                         "QFilterMenu", "ItemRenameMenu", "PathEditMenu"};
    const TMemIniFile settings(data + QStringLiteral("Settings.QVS"));
    for (const QString& section : settings.Sections())
        for (const auto& [key, value] : settings.SectionEntries(section)) {
            const QString menu = TParamString{key + QLatin1Char('=') + value}.GetValue(QStringLiteral("Menu"), {});
            if (!menu.isEmpty()) names.append(menu);
        }
    for (const auto& menu : menus.MM_LIST)
        for (const TMenuItemData& item : menu->MD_MENU_ITEMS) {
            const QString name = item.MI_PARAMS.GetValue(QStringLiteral("Menu"), {});
            if (!name.isEmpty()) names.append(name);
        }
    for (const QString& name : names) {
        std::unique_ptr<TMenuHolder> holder(menus.GetMenu(nullptr, {name}));
        EXPECT_GT(holder->MH_LIST->Count(), 0) << name.toStdString();
    }
    for (const char* type : {"FILE", "FOLDER", "DRIVE_FIXED", "DRIVE_REMOVABLE", "DRIVE_CDROM", "DRIVE_RAMDISK",
                                "DRIVE_REMOTE", ".txt", ".png", ".unknown"}) {
        const QString name = QString::fromLatin1(type);
        EXPECT_NE(types.GetExtData(name == QLatin1String(".unknown") ? QStringLiteral("FILE") : name), nullptr) << type;
        std::unique_ptr<TMenuHolder> holder(types.GetMenu(nullptr, {name}));
        EXPECT_GT(holder->MH_LIST->Count(), 1) << type;
    }
}

// Files edited by hand: whatever is sound shows, nothing hangs or crashes.
TEST(MenuManager, HostileFilesShowWhatIsSound)
{
    TMenuWorld world;
    QByteArray big = "[Big]\n";
    for (int i = 0; i < 10000; ++i) big += "Item" + QByteArray::number(i) + "=CMD(c" + QByteArray::number(i) + ")\n";
    QByteArray chain;
    for (int i = 0; i < 10000; ++i)
        chain += "[T" + QByteArray::number(i) + "]\nParams=Type(T" + QByteArray::number(i + 1) + ")\nx" +
                 QByteArray::number(i) + "=CMD(t" + QByteArray::number(i) + ")\n";
    const QByteArray huge = "[Huge]\nParams=Caption(" + QByteArray(1 << 20, 'w') + ")\nOne=CMD(one), Caption(" +
                            QByteArray(1 << 20, 'c') + ")\n";
    struct Case {
        const char* Name;
        QByteArray File;
        QString Menu;
        int MenuItems;
        int TypeItems;
    } cases[] = {
        {"10,000 items", big, "Big", MenuItemLimit, MenuItemLimit},
        {"a chain of 10,000 types", chain, "T0", 1, MenuItemLimit},
        {"a 1 MB value", huge, "Huge", 1, 1},
        {"invalid UTF-8", "[Bad\xff\xfe]\nOne\xc3=CMD(one\xe2\x28)\n[Ok]\nTwo=CMD(two)\n", "Ok", 1, 1},
        {"a menu that opens itself", "[Self]\nAgain=CMD(again), Menu(Self)\n", "Self", 1, 1},
        {"no sections", "One=CMD(one)\n", "One", 0, 0},
        {"duplicate sections", "[D]\na=CMD(a)\n[d]\nb=CMD(b)\n", "D", 1, 1},
    };
    for (const Case& c : cases) {
        const TMemIniFile file = TMemIniFile::FromBytes(c.File);
        const TMenuManager menus(file);
        const TExtManager types(file);
        std::unique_ptr<TMenuHolder> menu(menus.GetMenu(nullptr, {c.Menu}));
        std::unique_ptr<TMenuHolder> type(types.GetMenu(nullptr, {c.Menu}));
        EXPECT_EQ(menu->MH_LIST->Count(), c.MenuItems) << c.Name;
        EXPECT_EQ(type->MH_LIST->Count(), c.TypeItems) << c.Name;
        world.Menu->OpenMenu = [&](TSmartCtrl* sender, const QString& id) {
            menus.PopUpMenu(sender, world.Menu, {id});
        };
        world.Menu->PopUp(10, 10, menu.release());
        if (world.Menu->SM_HOLDER) {
            TBitmap32 canvas;
            canvas.SetSize(800, 600);
            world.Menu->On_Paint(canvas);
            TKeyCode down = VK_DOWN, right = VK_RIGHT;
            world.Menu->On_KeyDown(down, 0);
            world.Menu->On_KeyDown(right, 0);  // the self-opening menu stays one level
            EXPECT_EQ(world.Menu->SM_HOLDER_IDX, 0) << c.Name;
        }
        world.Menu->PopDown();
    }
}

}  // namespace

// The program's own buttons, with the traits a menu starts with: every row is
// a tile with its caption drawn in it.
TEST(MenuManager, CommandButtonsShowAsRowsWithTheirCaptions)
{
    TAliasScope aliases{BuildDir()};
    TCtrlManager controls;
    const TButtonManager registry;
    RegisterCommandControls(controls, registry);
    controls.On_Resize(800, 600);
    auto* menu = static_cast<TSmartMenu*>(controls.AddControl(QStringLiteral("SmartMenu"), new TSmartMenu));
    TQvContextScope scope({.CtrlManager = &controls});
    const TMenuManager manager(TMemIniFile::FromBytes(Menus));
    manager.PopUpMenu(menu, 40, 50, {"MainMenu"});
    ASSERT_TRUE(menu->SM_SHOWING);
    ASSERT_EQ(menu->SM_HOLDER->MH_LIST->Count(), 2);

    TBitmap32 canvas(800, 600);
    canvas.Clear(0);
    menu->On_Paint(canvas);
    for (int i = 0; i < 2; ++i) {
        const auto* row = dynamic_cast<TActionButton*>(menu->SM_HOLDER->MH_LIST->Control(i));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->AB_STYLE, dsTile);
        // The caption's box moved with the row.
        EXPECT_TRUE(row->SC_RECT.Rect().contains(row->AB_RECT_TEXT.Rect())) << i;
        const QRect text = row->AB_RECT_TEXT.Rect();
        QSet<TColor32> colours;
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.left(); x <= text.right(); ++x) colours.insert(canvas.Pixel(x, y));
        EXPECT_GT(colours.size(), 3) << "no caption drawn in row " << i;
        EXPECT_FALSE(menu->ItemTraits.Caption(row).isEmpty()) << i;
    }
    TSmartCtrl plain;
    EXPECT_FALSE(menu->ItemTraits.IsButton(&plain));
}
