#include "controls/QV_CtrlManager.h"

#include "controls/QV_ControlProbe.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_System.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

// One control of a layout case: its alignment, visibility, centring and size
// before, and its place and size after the layout.
struct TSlot {
    TAlignSide align;
    bool visible;
    bool center;
    int w, h;
    QRect expected;
};

struct TLayoutCase {
    const char* name;
    int W, H;
    std::vector<TSlot> places;
};

struct TManagerFixture {
    QStringList log;
    TCtrlManager manager;

    TProbe* Add(const QString& name, QRect bounds, TAlignSide align = asNone)
    {
        auto* probe = new TProbe(&log, name, bounds);
        probe->SC_ALIGN = align;
        return static_cast<TProbe*>(manager.AddControl(name, probe));
    }
};

}  // namespace

TEST(CtrlManager, ArrangesTopBottomStacksAndTheBandBetween)
{
    const TLayoutCase cases[] = {
        {"three tops stack, the band starts under the last",
         900, 600,
         {{asTop, true, false, 10, 28, {0, 0, 900, 28}},
          {asTop, true, false, 10, 60, {0, 28, 900, 60}},
          {asTop, true, false, 10, 68, {0, 88, 900, 68}},
          {asLeft, true, false, 40, 10, {0, 156, 40, 444}}}},
        {"a hidden top is skipped and is no predecessor",
         900, 600,
         {{asTop, true, false, 10, 28, {0, 0, 900, 28}},
          {asTop, false, false, 10, 60, {5, 5, 10, 60}},
          {asTop, true, false, 10, 68, {0, 28, 900, 68}},
          {asRight, true, false, 30, 10, {870, 96, 30, 504}}}},
        {"bottoms stack upward; lefts and rights get the band's height",
         900, 600,
         {{asBot, true, false, 10, 24, {0, 576, 900, 24}},
          {asBot, true, false, 10, 40, {0, 536, 900, 40}},
          {asLeft, true, false, 40, 10, {0, 0, 40, 536}},
          {asLeft, true, false, 20, 10, {40, 0, 20, 536}},
          {asRight, true, false, 30, 10, {870, 0, 30, 536}},
          {asRight, true, false, 15, 10, {855, 0, 15, 536}}}},
        {"a centred left keeps its height and sits in the middle of the band",
         900, 561,
         {{asTop, true, false, 10, 80, {0, 0, 900, 80}},
          {asBot, true, false, 10, 80, {0, 481, 900, 80}},
          {asLeft, true, true, 40, 100, {0, 230, 40, 100}}}},
        {"a hidden left is placed but the next left ignores it",
         900, 600,
         {{asLeft, false, false, 40, 10, {0, 0, 40, 600}},
          {asLeft, true, false, 20, 10, {0, 0, 20, 600}}}},
        {"none and centred alignments stay where they are",
         900, 600,
         {{asNone, true, false, 40, 10, {5, 5, 40, 10}},
          {asLeftCenter, true, false, 40, 10, {5, 5, 40, 10}}}},
        {"a centred control taller than the band truncates toward zero",
         100, 101,
         {{asRight, true, true, 10, 104, {90, -1, 10, 104}}}},
    };
    for (const TLayoutCase& c : cases) {
        TCtrlManager manager;
        std::vector<TSmartCtrl*> controls;
        for (size_t i = 0; i < c.places.size(); ++i) {
            const TSlot& s = c.places[i];
            auto* probe = new TProbe(nullptr, "", QRect(5, 5, s.w, s.h));
            probe->SC_ALIGN = s.align;
            probe->SC_VISIBLE = s.visible;
            probe->SC_CENTER = s.center;
            controls.push_back(manager.AddControl(QString::number(i), probe));
        }
        manager.On_Resize(c.W, c.H);
        for (size_t i = 0; i < controls.size(); ++i) {
            const TSmartCtrl* k = controls[i];
            EXPECT_EQ(QRect(k->SC_POS.x(), k->SC_POS.y(), k->SC_WIDTH, k->SC_HEIGHT), c.places[i].expected)
                << c.name << ", control " << i;
        }
    }
}

TEST(CtrlManager, ResizeArrangesThenResizesVisibleControlsWithTheViewSize)
{
    TManagerFixture f;
    TProbe* top = f.Add("Top", QRect(0, 0, 10, 30), asTop);
    f.Add("Hidden", QRect(0, 0, 10, 30), asTop)->SC_VISIBLE = false;
    f.log.clear();
    f.manager.On_Resize(800, 500);
    EXPECT_EQ(f.manager.CM_PARENT_W, 800);
    EXPECT_EQ(f.manager.CM_PARENT_H, 500);
    // Arrange from the Position property, then the resize of the visible one.
    EXPECT_EQ(f.log, (QStringList{"Top.Arrange", "Top.Resize", "Top.Arrange"}));
    EXPECT_EQ(top->SC_RECT_MAIN.Width(), 800);

    top->SC_HEIGHT = 50;
    f.manager.On_Resize();  // the stored size again
    EXPECT_EQ(top->SC_RECT_MAIN, (TSmartRect{0, 0, 800, 50, 800, 50}));
}

TEST(CtrlManager, HitTestPrefersTheLaterControlAndSkipsHiddenAndDisabled)
{
    TManagerFixture f;
    TProbe* under = f.Add("Under", QRect(0, 0, 100, 100));
    TProbe* over = f.Add("Over", QRect(100, 100, 50, 50));  // touches under's corner
    EXPECT_EQ(f.manager.ControlAtXY(100, 100), over);
    EXPECT_EQ(f.manager.ControlAtXY(99, 100), under);
    EXPECT_EQ(f.manager.ControlAtXY(150, 150), over);
    EXPECT_EQ(f.manager.ControlAtXY(151, 150), nullptr);

    over->SC_ENABLED = false;
    EXPECT_EQ(f.manager.ControlAtXY(100, 100), under);
    under->SC_VISIBLE = false;
    EXPECT_EQ(f.manager.ControlAtXY(100, 100), nullptr);
}

TEST(CtrlManager, NotifyOrdersLeaveEnterAndFocusUnFocus)
{
    TManagerFixture f;
    TProbe* a = f.Add("A", QRect(0, 0, 10, 10));
    TProbe* b = f.Add("B", QRect(20, 0, 10, 10));

    EXPECT_EQ(f.manager.On_MouseDown(mbLeft, 0, 5, 5), a);
    EXPECT_EQ(f.log, (QStringList{"A.Enter", "A.Focus", "A.MouseDown"}));
    EXPECT_EQ(f.manager.FocusedControl(), a);

    f.log.clear();
    EXPECT_EQ(f.manager.On_MouseMove(0, 25, 5), b);
    EXPECT_EQ(f.log, (QStringList{"A.Leave", "B.Enter", "B.MouseMove"}));

    f.log.clear();
    f.manager.ControlNotify(25, 5, true);
    EXPECT_EQ(f.log, (QStringList{"B.Focus", "A.UnFocus"}));

    // Pressing over the folder contents unfocuses and leaves nothing focused.
    f.log.clear();
    EXPECT_EQ(f.manager.On_MouseDown(mbLeft, 0, 500, 500), nullptr);
    EXPECT_EQ(f.log, (QStringList{"B.Leave", "B.UnFocus"}));
    EXPECT_EQ(f.manager.FocusedControl(), nullptr);
    EXPECT_FALSE(b->SC_FOCUSED);

    f.log.clear();
    EXPECT_EQ(a->Focus(mbLeft, 0), nullptr);  // no process-wide manager yet
    {
        TQvContextScope context({.CtrlManager = &f.manager});
        EXPECT_EQ(a->Focus(mbLeft, 0), a);
    }
    EXPECT_EQ(f.log, (QStringList{"A.Enter", "A.Focus"}));
    EXPECT_EQ(f.manager.CM_ACTIVE, a);
    EXPECT_EQ(f.manager.FocusedControl(), a);
}

TEST(CtrlManager, KeysAndWheelGoToTheFocusedAndTheHotControl)
{
    TManagerFixture f;
    TProbe* a = f.Add("A", QRect(0, 0, 10, 10));
    f.Add("B", QRect(20, 0, 10, 10));
    TWMMouseWheel wheel{0, -120, 5, 5};
    EXPECT_EQ(f.manager.On_MouseWheel(wheel), nullptr);
    QChar key('q');
    TKeyCode code = VK_DOWN;
    f.manager.On_KeyPress(key);
    EXPECT_EQ(f.log, (QStringList{"A.Update", "B.Update"}));

    f.manager.On_MouseDown(mbLeft, 0, 5, 5);
    f.manager.On_MouseMove(0, 25, 5);
    f.log.clear();
    EXPECT_EQ(f.manager.On_MouseWheel(wheel)->SC_ID, "B");
    f.manager.On_KeyDown(code, 0);
    EXPECT_EQ(f.log, (QStringList{"B.Wheel", "A.KeyDown", "A.Update", "B.Update"}));
    EXPECT_EQ(f.manager.FocusedControl(), a);
}

TEST(CtrlManager, EventsReachHiddenTopLevelControlsButNotHiddenChildren)
{
    TManagerFixture f;
    TProbe* hiddenTop = f.Add("Top", QRect());
    hiddenTop->SC_VISIBLE = false;
    TControlList* items = hiddenTop->AddList("Items");
    items->AddControl(new TProbe(&f.log, "Shown", QRect()));
    items->AddControl(new TProbe(&f.log, "Hidden", QRect()))->SC_VISIBLE = false;

    f.manager.EventNotify("FolderChanged");
    EXPECT_EQ(f.log, (QStringList{"Top.Event", "Shown.Event"}));
    f.log.clear();
    f.manager.Control_Update();
    TBitmap32 canvas(10, 10);
    f.manager.PaintControls(canvas);
    EXPECT_TRUE(f.log.isEmpty());
}

TEST(CtrlManager, RegistrationRefusesTakenIdentifiersAndLookupsMiss)
{
    TManagerFixture f;
    bool gone = false;
    TProbe* first = f.Add("SmartTab", QRect());
    EXPECT_EQ(f.manager.AddControl("SmartTab", new TProbe(nullptr, "x", QRect(), &gone)), nullptr);
    EXPECT_TRUE(gone);
    EXPECT_EQ(f.manager.AddControl("X", nullptr), nullptr);
    EXPECT_EQ(f.manager.ControlCount(), 1);

    EXPECT_EQ(f.manager.GetControlData("SmartTab"), first);
    EXPECT_EQ(f.manager.GetControlData("smarttab"), nullptr);
    EXPECT_EQ(f.manager.GetControlIDX("QuickBar"), -1);
    TSmartCtrl* out = first;
    EXPECT_EQ(f.manager.GetControlData(1, out), nullptr);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(f.manager.GetControlData(-1), nullptr);
    EXPECT_EQ(f.manager.GetControlData(0), first);
}

TEST(CtrlManager, ShowAndHideByIdentifier)
{
    TManagerFixture f;
    TProbe* edit = f.Add("RenameEdit", QRect());
    EXPECT_TRUE(f.manager.Control_Hide("RenameEdit"));
    EXPECT_FALSE(edit->SC_VISIBLE);
    EXPECT_TRUE(f.log.isEmpty());  // On_Hide is bypassed

    EXPECT_TRUE(f.manager.Control_Show("RenameEdit"));
    EXPECT_EQ(f.log, (QStringList{"RenameEdit.Show"}));

    f.log.clear();
    edit->SC_VISIBLE = false;
    TSmartCtrl* shown = nullptr;
    EXPECT_TRUE(f.manager.Control_Show("RenameEdit", shown));
    EXPECT_EQ(shown, edit);
    EXPECT_EQ(f.log, (QStringList{"RenameEdit.Show", "RenameEdit.Resize", "RenameEdit.Arrange"}));

    EXPECT_FALSE(f.manager.Control_Hide("Nope"));
    EXPECT_FALSE(f.manager.Control_Show("Nope"));
    EXPECT_FALSE(f.manager.Control_Show("Nope", shown));
    EXPECT_EQ(shown, nullptr);

    f.log.clear();
    f.manager.ControlNotify(0, 0, true);
    f.manager.Control_UnFocusAll();
    EXPECT_EQ(f.manager.FocusedControl(), edit);  // stays as it was
    EXPECT_EQ(f.log.last(), "RenameEdit.UnFocus");
}

TEST(CtrlManager, CreateControlDispatchesByCommandAndRefusesKnownIdentities)
{
    TCtrlManager manager;
    TProbe bar(nullptr, "Bar", QRect());
    TControlList* items = bar.AddList("Items");
    QStringList made;
    auto factory = [&made](const char* kind) {
        return [&made, kind](TSmartCtrl*, const TParamString&) -> TSmartCtrl* {
            made << kind;
            return new TProbe(nullptr, kind, QRect());
        };
    };

    // Until the editors and the command registry are installed, nothing is made.
    EXPECT_EQ(manager.CreateControl(&bar, TParamString{"a=CMD(QuickFilter)"}, items), nullptr);
    EXPECT_EQ(manager.CreateControl(&bar, TParamString{"a=CMD(Item.Copy)"}), nullptr);

    manager.RegisterFactory("QuickFilter", factory("filter"));
    manager.RegisterFactory("PathEdit", factory("path"));
    manager.SetDefaultFactory(factory("button"));
    TSmartCtrl* filter = manager.CreateControl(&bar, TParamString{"a=CMD(QuickFilter), Align(Right)"}, items);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->SC_PARENT, &bar);
    EXPECT_EQ(filter->SC_ID, "QuickFilter");
    EXPECT_EQ(filter->SC_ALIGN, asRight);
    manager.CreateControl(&bar, TParamString{"b=CMD(PathEdit)"}, items);
    manager.CreateControl(&bar, TParamString{"c=CMD(Item.Copy), Param1(x)"}, items);
    EXPECT_EQ(made, (QStringList{"filter", "path", "button"}));
    EXPECT_EQ(items->Count(), 3);

    // The same CMD + Param1 + Param2 again: nothing is made, the list unchanged.
    EXPECT_EQ(manager.CreateControl(&bar, TParamString{"d=CMD(Item.Copy), Param1(x), Caption(Other)"}, items), nullptr);
    EXPECT_EQ(made.size(), 3);
    EXPECT_EQ(items->Count(), 3);
    EXPECT_EQ(manager.CreateControl(&bar, TParamString{"e=CMD(Item.Copy)"}, nullptr), nullptr);
}

TEST(CtrlManager, LoadControlsReadsTheSettingsSectionInFileOrder)
{
    TTestDir dir;
    dir.WriteFile("Data/Settings.QVS",
                  "[Qorvel]\nClickDelay=250\n"
                  "[QuickBar.Items]\n"
                  "Back = CMD(Nav.Back), Caption(Back)\n"
                  "Copy=CMD(Item.Copy), Align(Right)\n"
                  "Copy_1=CMD(Item.Copy), P1(x)\n"
                  "Filter=CMD(QuickFilter), Width(120)\n"
                  "[PathBar.Items]\nPath=CMD(PathEdit)\n");
    std::optional<TAliasScope> aliases(std::in_place, dir.Path());

    TCtrlManager manager;
    QStringList lines;
    manager.SetDefaultFactory([&](TSmartCtrl*, const TParamString& p) -> TSmartCtrl* {
        lines << p.PS_STRING;
        return new TProbe(nullptr, "b", QRect());
    });
    manager.RegisterFactory("QuickFilter", [&](TSmartCtrl*, const TParamString& p) -> TSmartCtrl* {
        lines << p.PS_STRING;
        return new TProbe(nullptr, "f", QRect());
    });
    TProbe bar(nullptr, "QuickBar", QRect());
    TControlList* items = bar.AddList("Items");
    manager.LoadControls(&bar, "ignored", "QuickBar.Items", items);
    manager.LoadControls(&bar, "ignored", "Missing.Items", items);
    aliases.reset();

    EXPECT_EQ(lines, (QStringList{"Back=CMD(Nav.Back), Caption(Back)", "Copy=CMD(Item.Copy), Align(Right)",
                                  "Filter=CMD(QuickFilter), Width(120)"}));
    ASSERT_EQ(items->Count(), 3);
    EXPECT_EQ(items->Control(1)->SC_ALIGN, asRight);
    EXPECT_EQ(items->Control(2)->SC_WIDTH, 120);
}
