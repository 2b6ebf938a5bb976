#include "QV_WidgetFixture.h"

#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "foundation/QV_Settings.h"
#include "platform/fs/QV_DirList.h"
#include "widgets/QV_SmartScroll.h"
#include "widgets/QV_SmartTip.h"

namespace {

// A bar over the right edge of a 900 x 560 view, with a work area from 0 to
// 522 and a 22-pixel pan, as the bar's arithmetic is usually stated; and the
// smart tip it shows the percentage in.
class SmartScroll : public WidgetFixture {
protected:
    SmartScroll()
    {
        Context2.emplace(TQvServices{.CtrlManager = &Manager, .DataCore = &Core});
        Bar = static_cast<TSmartScroll*>(Manager.AddControl("SmartScroll", new TSmartScroll()));
        Tip = static_cast<TSmartTip*>(Manager.AddControl("SmartTip", new TSmartTip()));
        Bar->SC_OFFSET_TOP = Bar->SC_OFFSET_BOTTOM = 0;
        Bar->SS_PAN.SP_HEIGHT = 22;
        Bar->SetPosition(QPoint(860, 0));
        Bar->SetHeight(522);
    }
    ~SmartScroll() override
    {
        Core.StopThreads();
        Core.Clear();
    }

    // A holder whose largest scroll position is Max (none for 0).
    TDataHolder* Holder(int Max, int Pos)
    {
        TFileHolder* holder = Core.Holder_Add_File();
        Core.Holder_Activate(holder);
        holder->DH_SCROLL_MAX = Max;
        holder->DH_SCROLL_POS = Pos;
        Bar->On_Resize(900, 560);
        return holder;
    }
    int PanTop() const { return Bar->SS_PAN.SP_POS.y(); }

    TDataCore Core;
    std::optional<TQvContextScope> Context2;
    TSmartScroll* Bar = nullptr;
    TSmartTip* Tip = nullptr;
};

}  // namespace

TEST_F(SmartScroll, PanCentreAtTheMiddleOfTheTrackScrollsToHalfAndShowsFiftyPercent)
{
    TDataHolder* holder = Holder(1000, 0);
    EXPECT_EQ(Bar->SS_SCROLL_RECT.top(), 11);
    EXPECT_EQ(Bar->SS_SCROLL_RECT.bottom(), 511);
    Bar->SetPos(261);
    EXPECT_EQ(holder->DH_SCROLL_POS, 500);
    EXPECT_EQ(Bar->SS_TIP, "Percent: 50");
    EXPECT_TRUE(Tip->ST_SHOWING);
    EXPECT_LT(Tip->SC_POS.x() + Tip->SC_WIDTH, Bar->SC_POS.x()) << "the tip opens to the bar's left";

    Bar->SetPos(-40);
    EXPECT_EQ(holder->DH_SCROLL_POS, 0);
    EXPECT_EQ(Bar->SS_TIP, "Percent: 0");
    Bar->On_MouseUp(mbLeft, 0, 880, 20);
    EXPECT_FALSE(Tip->ST_SHOWING);
}

// The pan mirrors the holder in proportion for a short and a long folder, and
// taking the pan back gives the position within one pixel's worth.
TEST_F(SmartScroll, PanMirrorsTheHolderForAnyLength)
{
    for (int max : {1000, 45000, 4500000}) {
        TDataHolder* holder = Holder(max, 0);
        EXPECT_TRUE(Bar->SC_ENABLED);
        EXPECT_EQ(PanTop(), 0);
        holder->DH_SCROLL_POS = max;
        Bar->On_Update();
        EXPECT_EQ(PanTop(), 500) << max;
        holder->DH_SCROLL_POS = max / 3;
        Bar->On_Update();
        EXPECT_NEAR(PanTop(), 500.0 / 3, 1) << max;
        for (int y : {11, 97, 260, 511}) {
            Bar->SetPos(y);
            const int step = (max + 499) / 500;
            EXPECT_NEAR(holder->DH_SCROLL_POS, qint64(max) * (y - 11) / 500, step) << max << " at " << y;
            EXPECT_NEAR(PanTop(), y - 11, 1) << max << " at " << y;
        }
    }
}

TEST_F(SmartScroll, NothingToScrollLeavesTheBarDisabledAndBlank)
{
    Holder(0, 0);  // one item fits the window
    EXPECT_FALSE(Bar->SC_ENABLED);
    EXPECT_FALSE(Bar->SS_DRAW_BTN);
    EXPECT_EQ(Manager.ControlAtXY(880, 100), nullptr);
    Bar->On_Enter(880, 100);
    EXPECT_FALSE(Bar->SS_DRAW_BACK);
}

TEST_F(SmartScroll, ClicksBesideThePanStepByTheClickScrollSetting)
{
    TDataHolder* holder = Holder(1000, 500);
    const int centre = PanTop() + 11;
    Bar->On_MouseDown(mbLeft, 0, 880, centre + 40);
    EXPECT_EQ(PanTop() + 11, centre + 10);
    Bar->On_MouseDown(mbLeft, 0, 880, 20);
    EXPECT_EQ(PanTop() + 11, centre + 5) << "upward clicks move half as far";
    EXPECT_EQ(holder->DH_SCROLL_POS, (centre + 5 - 11) * 2);
}

TEST_F(SmartScroll, StickyScrollDecidesWhetherTouchingThePanDragsIt)
{
    TDataHolder* holder = Holder(1000, 0);
    Settings().Mouse.StickyScroll = false;
    Bar->On_MouseMove(0, 880, 5);
    Bar->On_MouseMove(0, 880, 200);
    EXPECT_EQ(holder->DH_SCROLL_POS, 0);
    Bar->On_MouseDown(mbLeft, 0, 880, 5);
    Bar->On_MouseMove(ssLeft, 880, 261);
    EXPECT_EQ(holder->DH_SCROLL_POS, 500);
    Bar->On_MouseUp(mbLeft, 0, 880, 261);

    Settings().Mouse.StickyScroll = true;
    Bar->On_MouseMove(0, 880, PanTop() + 5);
    Bar->On_MouseMove(0, 880, 511);
    EXPECT_EQ(holder->DH_SCROLL_POS, 1000);
    Bar->On_Leave(700, 300);
    Bar->On_MouseMove(0, 880, 100);
    EXPECT_EQ(holder->DH_SCROLL_POS, 1000) << "leaving the bar ends the drag";
}

TEST_F(SmartScroll, KeysScrollTheFolderView)
{
    TDataHolder* holder = Holder(5000, 0);
    holder->DH_HEIGHT = 600;
    // A page is what the bars leave of the window; a line is one item row.
    const int page = 600 - TDataHolder::Margins().Top - TDataHolder::Margins().BottomReserve;
    const int line = Settings().Browsing.ItemHeight;
    const struct {
        TKeyCode Key;
        int Pos;
    } rows[] = {{VK_END, 5000},         {VK_PRIOR, 5000 - page}, {VK_HOME, 0},
                {VK_NEXT, page},        {VK_DOWN, page + line},  {VK_UP, page}};
    for (const auto& row : rows) {
        TKeyCode key = row.Key;
        holder->On_KeyDown(key, 0);
        EXPECT_EQ(holder->DH_SCROLL_POS, row.Pos) << row.Key;
    }
    EXPECT_NEAR(PanTop(), 500.0 * page / 5000, 1) << "the bar follows";
}
