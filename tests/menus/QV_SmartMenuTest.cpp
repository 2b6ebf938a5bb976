#include "QV_MenuProbe.h"
#include "foundation/QV_Settings.h"
#include "menus/QV_MenuManager.h"
#include "platform/ini/QV_IniFile.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

const QByteArray MenuFile = R"(
[M1]
Params=Caption(First)
Open=CMD(Open)
Sub=CMD(Sub), Menu(M2)
Close=CMD(Close)
[M2]
Params=Caption(Second)
Alpha=CMD(Alpha), Caption(Alpha)
Beta=CMD(Beta), Caption(Beta), Menu(M3)
Bravo=CMD(Bravo), Caption(Bravo)
[M3]
Params=Caption(Third)
Deep=CMD(Deep)
[Empty]
Params=Caption(Nothing here)
Gone=CMD(Nothing)
)";

class SmartMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        world_.Menu->OpenMenu = [this](TSmartCtrl* sender, const QString& id) {
            menus_.PopUpMenu(sender, world_.Menu, {id});
        };
    }
    TMenuHolder* Holder(const QString& ids, TSmartCtrl* sender = nullptr)
    {
        return menus_.GetMenu(sender, ids.split(QLatin1Char('+')));
    }
    TSmartMenu& Menu() { return *world_.Menu; }
    TSmartCtrl* Item(const QString& id) const
    {
        const TMenuHolder* holder = world_.Menu->SM_HOLDER;
        for (int i = 0; holder && i < holder->MH_LIST->Count(); ++i)
            if (holder->MH_LIST->Control(i)->SC_ID == id) return holder->MH_LIST->Control(i);
        return nullptr;
    }
    void Click(const QString& id, TMouseButton button)
    {
        TSmartCtrl* item = Item(id);
        ASSERT_NE(item, nullptr) << id.toStdString();
        const QPoint at = item->SC_POS + QPoint(3, 3);
        Menu().On_MouseUp(button, 0, at.x(), at.y());
    }
    void Key(TKeyCode code)
    {
        Menu().On_KeyDown(code, 0);
    }
    QString Caption() const { return world_.Menu->SM_HOLDER ? world_.Menu->SM_HOLDER->MH_CAPTION : QString(); }

    TMenuWorld world_;
    TMenuManager menus_{TMemIniFile::FromBytes(MenuFile)};
};

TEST_F(SmartMenu, OpensNextToTheSenderByItsBarsSide)
{
    // Room on every side, so the view's edges do not move the menu.
    struct Case {
        TAlignSide BarSide;
        int Offset;
    } cases[] = {{asTop, 0}, {asNone, 0}, {asBot, 0}, {asLeft, 0}, {asRight, 0}, {asTop, 6}, {asBot, 6}, {asLeft, 6}};
    for (const Case& c : cases) {
        Settings().SmartMenu.PopUpOffset = c.Offset;
        TSmartCtrl bar;
        bar.SC_ALIGN = c.BarSide;
        TSmartCtrl button;
        button.SC_PARENT = &bar;
        button.SC_POS = QPoint(400, 300);
        button.SC_WIDTH = 40;
        button.SC_HEIGHT = 30;
        Menu().PopUp(&button, Holder("M1", &button));
        const int h = Menu().SC_HEIGHT;
        const QPoint expected = c.BarSide == asBot    ? QPoint(400, 300 - h - c.Offset)
                                : c.BarSide == asLeft  ? QPoint(440 + c.Offset, 300)
                                : c.BarSide == asRight ? QPoint(400 - 250 - c.Offset, 300)
                                                       : QPoint(400, 330 + c.Offset);
        EXPECT_EQ(Menu().SC_POS, expected) << "bar side " << c.BarSide << " offset " << c.Offset;
        EXPECT_TRUE(Menu().SM_SHOWING);
        Menu().PopDown();
    }
    // A button without a bar goes by its own side.
    TSmartCtrl button;
    button.SC_ALIGN = asLeft;
    button.SC_POS = QPoint(10, 300);
    button.SC_WIDTH = 40;
    button.SC_HEIGHT = 30;
    Settings().SmartMenu.PopUpOffset = 0;
    Menu().PopUp(&button, Holder("M1", &button));
    EXPECT_EQ(Menu().SC_POS, QPoint(50, 300));
}

TEST_F(SmartMenu, SenderNearTheLeftEdgeMovesTheMenuToFivePixels)
{
    Settings().SmartMenu.PopUpOffset = 0;
    TSmartCtrl button;
    button.SC_ALIGN = asTop;
    button.SC_POS = QPoint(3, 40);
    button.SC_WIDTH = 30;
    button.SC_HEIGHT = 20;
    Menu().PopUp(&button, Holder("M1", &button));
    EXPECT_EQ(Menu().SC_POS, QPoint(5, 60));
}

TEST_F(SmartMenu, HeightCountsVisibleItemsWithTheirSpacing)
{
    Settings().SmartMenu.ItemSize = 23;
    Settings().SmartMenu.ItemSpacing = 5;
    Menu().SC_OFFSET_TOP = 40;
    Menu().SC_OFFSET_BOTTOM = 10;
    TMenuHolder* holder = Holder("M2");
    auto* hidden = new TMenuItemProbe(nullptr);
    hidden->SC_ID = QStringLiteral("Hidden");
    hidden->SC_VISIBLE = false;
    holder->MH_LIST->AddControl(hidden);
    Menu().PopUp(10, 10, holder);
    EXPECT_EQ(Menu().SC_HEIGHT, 134);
    EXPECT_EQ(Menu().SC_WIDTH, 250);
    const TSmartCtrl* alpha = Item("Alpha");
    EXPECT_EQ(alpha->SC_POS, QPoint(Menu().SC_POS.x() + Menu().SC_OFFSET_LEFT, Menu().SC_POS.y() + 40));
    EXPECT_EQ(alpha->SC_HEIGHT, 23);
    EXPECT_EQ(alpha->SC_WIDTH, 250 - Menu().SC_OFFSET_LEFT - Menu().SC_OFFSET_RIGHT);
    EXPECT_EQ(static_cast<const TMenuItemProbe*>(alpha)->Look, mlTile);
    EXPECT_EQ(alpha->SC_SKIN, Menu().MenuSkin());
}

TEST_F(SmartMenu, ShowsNothingForEmptyOrMissingHoldersAndDestroysThem)
{
    Menu().PopUp(10, 10, nullptr);
    EXPECT_FALSE(Menu().SM_SHOWING);
    bool destroyed = false;
    struct TWatched : TMenuHolder {
        bool* Flag;
        explicit TWatched(bool* flag) : Flag(flag) {}
        ~TWatched() override { *Flag = true; }
    };
    Menu().PopUp(10, 10, new TWatched(&destroyed));
    EXPECT_TRUE(destroyed);
    Menu().PopUp(10, 10, Holder("Empty"));  // its only command makes nothing
    Menu().PopUp(10, 10, Holder("Undefined"));
    EXPECT_FALSE(Menu().SM_SHOWING);
    EXPECT_FALSE(Menu().SC_VISIBLE);
    EXPECT_EQ(Menu().SM_HOLDER_IDX, -1);
}

TEST_F(SmartMenu, OpeningTheMenuOnViewAgainChangesNothing)
{
    Menu().PopUp(10, 10, Holder("M1"));
    const TMenuHolder* first = Menu().SM_HOLDER;
    bool destroyed = false;
    struct TWatched : TMenuHolder {
        bool* Flag;
        explicit TWatched(bool* flag) : Flag(flag) { SC_ID = QStringLiteral("M1"); }
        ~TWatched() override { *Flag = true; }
    };
    auto* again = new TWatched(&destroyed);
    again->MH_LIST->AddControl(new TMenuItemProbe(nullptr));
    Menu().PopUp(300, 300, again);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(Menu().SM_HOLDER, first);
    EXPECT_EQ(Menu().SM_HOLDER_IDX, 0);
    EXPECT_EQ(Menu().SC_POS, QPoint(10, 10));
}

TEST_F(SmartMenu, BackLevelsFollowThePathOfOpenedMenus)
{
    Menu().PopUp(20, 20, Holder("M1"));
    Menu().OpenMenu(Item("Sub"), QStringLiteral("M2"));
    EXPECT_EQ(Caption(), "Second");
    EXPECT_EQ(Menu().SM_HOLDER_IDX, 1);
    Menu().PrevMenu();
    EXPECT_EQ(Caption(), "First");
    Menu().OpenMenu(Item("Sub"), QStringLiteral("M2"));
    Menu().OpenMenu(Item("Beta"), QStringLiteral("M3"));
    EXPECT_EQ(Caption(), "Third");
    EXPECT_EQ(Menu().SM_HOLDER_IDX, 2);
    EXPECT_EQ(Menu().SC_POS, QPoint(20, 20)) << "a further menu opens in place";
    // A release on the back button goes back one level.
    const QPoint back = Menu().SM_RECT_BACK.center();
    Menu().On_MouseUp(mbLeft, 0, back.x(), back.y());
    EXPECT_EQ(Caption(), "Second");
    EXPECT_EQ(Menu().SM_HOLDER_IDX, 1);
    EXPECT_EQ(Menu().SM_LIST->Count(), 2);
    EXPECT_TRUE(Menu().SM_HOLDER->SC_VISIBLE);
    EXPECT_FALSE(static_cast<TMenuHolder*>(Menu().SM_LIST->Control(0))->SC_VISIBLE);

    Menu().PrevMenu();
    Menu().PrevMenu();  // at the first level nothing happens
    EXPECT_EQ(Caption(), "First");
    EXPECT_EQ(Menu().SM_HOLDER_IDX, 0);
    EXPECT_TRUE(Menu().SM_SHOWING);
}

TEST_F(SmartMenu, DrawsTheDepthOnlyBelowTheFirstLevel)
{
    TBitmap32 canvas;
    canvas.SetSize(800, 600);
    auto depthArea = [&] {
        canvas.Clear(0xFFFFFFFF);
        Menu().On_Paint(canvas);
        const QRect back = Menu().SM_RECT_BACK;
        return canvas.Image().copy(back.right() + 5, back.top(), 8, back.height());
    };
    Menu().PopUp(20, 20, Holder("M1"));
    const QImage first = depthArea();
    Menu().OpenMenu(Item("Sub"), QStringLiteral("M2"));
    const QImage second = depthArea();
    Menu().PrevMenu();
    EXPECT_NE(first, second) << "the depth 1 was not drawn";
    EXPECT_EQ(depthArea(), first);
    // Nothing but the background there at level 0.
    const QRgb corner = first.pixel(0, 0);
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) ASSERT_EQ(first.pixel(x, y), corner) << x << "," << y;
}

TEST_F(SmartMenu, LeftClickChoosesAndClosesRightClickKeepsItOpen)
{
    Menu().PopUp(20, 20, Holder("M1"));
    Click("Open", mbRight);
    EXPECT_TRUE(Menu().SM_SHOWING);
    Click("Open", mbLeft);
    EXPECT_EQ(world_.Log, (QStringList{"Open.Right", "Open.Left"}));
    EXPECT_FALSE(Menu().SM_SHOWING);
    EXPECT_FALSE(Menu().SC_VISIBLE);
    EXPECT_EQ(Menu().SM_LIST->Count(), 0);
    EXPECT_EQ(Menu().SM_HOLDER_IDX, -1);
}

TEST_F(SmartMenu, AMouseDownOutsideCloses)
{
    Menu().PopUp(20, 20, Holder("M1"));
    Menu().TryPopDown(30, 30);
    EXPECT_TRUE(Menu().SM_SHOWING);
    Menu().TryPopDown(Menu().SC_POS.x() + Menu().SC_WIDTH, Menu().SC_POS.y() + Menu().SC_HEIGHT);  // the edge is inside
    EXPECT_TRUE(Menu().SM_SHOWING);
    Menu().TryPopDown(700, 500);
    EXPECT_FALSE(Menu().SM_SHOWING);
}

TEST_F(SmartMenu, AnItemMayCloseOrReplaceTheMenuFromItsOwnClick)
{
    // Closing from inside the item's handler: the item outlives its handler.
    world_.MakeItem = [this](TMenuItemProbe* item) {
        item->OnClick = [this](TMenuItemProbe* self) {
            if (self->SC_ID == QLatin1String("Close")) world_.Menu->PopDown();
            if (self->SC_ID == QLatin1String("Open")) world_.Menu->OpenMenu(self, QStringLiteral("M3"));
            self->Caption = QStringLiteral("still here");
        };
    };
    Menu().PopUp(20, 20, Holder("M1"));
    Click("Close", mbLeft);
    EXPECT_FALSE(Menu().SM_SHOWING);

    // An item that opens a further menu on a left click leaves it open.
    Menu().PopUp(20, 20, Holder("M1"));
    Click("Open", mbLeft);
    EXPECT_TRUE(Menu().SM_SHOWING);
    EXPECT_EQ(Caption(), "Third");
}

TEST_F(SmartMenu, KeyboardWalksATwoLevelMenu)
{
    Menu().PopUp(20, 20, Holder("M1"));
    EXPECT_EQ(Menu().HotItem(), nullptr);
    Key(VK_DOWN);
    EXPECT_EQ(Menu().HotItem(), Item("Open"));
    Key(VK_UP);
    EXPECT_EQ(Menu().HotItem(), Item("Close")) << "Up wraps to the last item";
    Key(VK_UP);
    EXPECT_EQ(Menu().HotItem(), Item("Sub"));
    EXPECT_EQ(Menu().HotItem()->SC_STATE, csHot);

    Key(VK_RIGHT);
    EXPECT_EQ(Caption(), "Second");
    EXPECT_EQ(Menu().HotItem(), Item("Alpha")) << "the sub-menu opens with its first item hot";
    Key(VK_RIGHT);  // Alpha has no menu of its own
    EXPECT_EQ(Caption(), "Second");

    QChar b(QLatin1Char('b'));
    Menu().On_KeyPress(b);
    EXPECT_EQ(Menu().HotItem(), Item("Beta"));
    Menu().On_KeyPress(b);
    EXPECT_EQ(Menu().HotItem(), Item("Bravo")) << "the same letter again moves on";
    Menu().On_KeyPress(b);
    EXPECT_EQ(Menu().HotItem(), Item("Beta")) << "and wraps around";
    QChar none(QLatin1Char('z'));
    Menu().On_KeyPress(none);
    EXPECT_EQ(Menu().HotItem(), Item("Beta"));

    Key(VK_BACK);
    EXPECT_EQ(Caption(), "First");
    Key(VK_RIGHT);
    EXPECT_EQ(Caption(), "Second");
    Key(VK_LEFT);
    EXPECT_EQ(Caption(), "First");
    Key(VK_RIGHT);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(world_.Log.last(), "Beta.Left");
    EXPECT_FALSE(Menu().SM_SHOWING);

    Menu().PopUp(20, 20, Holder("M1"));
    Key(VK_DOWN);
    Key(VK_SPACE);
    EXPECT_EQ(world_.Log.last(), "Open.Left");
    EXPECT_FALSE(Menu().SM_SHOWING);

    Menu().PopUp(20, 20, Holder("M1"));
    Key(VK_ESCAPE);
    EXPECT_FALSE(Menu().SM_SHOWING);
}

TEST_F(SmartMenu, BackButtonComesFromTheControlManager)
{
    Menu().PopUp(20, 20, Holder("M1"));
    ASSERT_NE(Menu().SM_BACK, nullptr);
    EXPECT_EQ(Menu().SM_BACK->SC_ID, "SmartMenu.Back");
    EXPECT_EQ(Menu().SM_BACK->SC_PARENT, &Menu());
    EXPECT_EQ(static_cast<TMenuItemProbe*>(Menu().SM_BACK.get())->Look, mlIcon);
    EXPECT_EQ(Menu().SM_BACK->SC_POS, Menu().SM_RECT_BACK.topLeft());
    EXPECT_EQ(Menu().SM_BACK->SC_WIDTH, 22);
}

}  // namespace
