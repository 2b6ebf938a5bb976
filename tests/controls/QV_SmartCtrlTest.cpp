#include "controls/QV_SmartCtrl.h"

#include "controls/QV_ControlProbe.h"
#include "controls/QV_Repaint.h"
#include "foundation/QV_Context.h"
#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"

#include <gtest/gtest.h>

namespace {

// A parent with one child list of probes at the given rectangles.
struct TFamily {
    QStringList log;
    TProbe parent{nullptr, "P", QRect(0, 0, 300, 100)};  // only the children log
    TControlList* items = parent.AddList("Items");

    TProbe* Add(const QString& name, QRect bounds)
    {
        return static_cast<TProbe*>(items->AddControl(new TProbe(&log, name, bounds)));
    }
};

}  // namespace

TEST(SmartRect, EdgeAndSizeSettersKeepTheirPairsTogether)
{
    TSmartRect r;
    r.SetBounds(10, 20, 30, 40);
    EXPECT_EQ(r, (TSmartRect{10, 20, 40, 60, 30, 40}));
    r.SetLeft(0);  // the edge alone
    EXPECT_EQ(r, (TSmartRect{0, 20, 40, 60, 30, 40}));
    r.SetRight(50);
    EXPECT_EQ(r.Width(), 50);
    r.SetHeight(5);
    EXPECT_EQ(r.Bottom(), 25);
    EXPECT_EQ(r.Rect(), QRect(0, 20, 50, 5));

    r.SetRect(30, 40, 10, 0, true);
    EXPECT_EQ(r, (TSmartRect{10, 0, 30, 40, 20, 40}));
    r.SetRect(30, 40, 10, 0, false);
    EXPECT_EQ(r, (TSmartRect{30, 40, 10, 0, -20, -40}));
    EXPECT_FALSE(r.IntersectsWith(QRect(0, 0, 100, 100)));  // inverted: empty
    r.SetBounds(10, 10, 10, 10);
    EXPECT_TRUE(r.IntersectsWith(QRect(19, 19, 5, 5)));
    EXPECT_FALSE(r.IntersectsWith(QRect(20, 10, 5, 5)));  // touching is not sharing
}

TEST(SmartCtrl, RectanglesFollowPositionSizeAndInsets)
{
    TProbe control(nullptr, "C", QRect(0, 0, 50, 50));
    control.SC_OFFSET_LEFT = 4;
    control.SC_OFFSET_TOP = 3;
    control.SC_OFFSET_RIGHT = 2;
    control.SC_OFFSET_BOTTOM = 1;
    control.SetPosition(QPoint(10, 20));
    control.SetWidth(100);
    EXPECT_EQ(control.SC_RECT_MAIN, (TSmartRect{10, 20, 110, 70, 100, 50}));
    EXPECT_EQ(control.SC_RECT, (TSmartRect{14, 23, 108, 69, 94, 46}));

    // Insets wider than the control still give a normalised rectangle.
    control.SetWidth(3);
    EXPECT_EQ(control.SC_RECT.Left(), 11);
    EXPECT_EQ(control.SC_RECT.Right(), 14);
    EXPECT_GE(control.SC_RECT.Width(), 0);
}

TEST(SmartCtrl, HitAreaIncludesRightAndBottomEdgesAndEarlierChildWins)
{
    TFamily f;
    TProbe* a = f.Add("A", QRect(0, 0, 10, 10));
    TProbe* b = f.Add("B", QRect(10, 0, 10, 10));  // shares a's right edge

    EXPECT_EQ(f.parent.ItemAtXY(f.items, 10, 10), a);
    EXPECT_EQ(f.parent.ItemAtXY(f.items, 11, 0), b);
    EXPECT_EQ(f.parent.ItemAtXY(f.items, 20, 10), b);
    EXPECT_EQ(f.parent.ItemAtXY(f.items, 21, 0), nullptr);
    EXPECT_EQ(f.parent.ItemAtXY(nullptr, 0, 0), nullptr);

    // Across lists, the earlier list wins.
    TControlList* second = f.parent.AddList("Second");
    second->AddControl(new TProbe(&f.log, "C", QRect(0, 0, 10, 10)));
    EXPECT_EQ(f.parent.ItemNotify(5, 5, false), a);
}

TEST(SmartCtrl, LeaveComesBeforeEnterAndFocusBeforeUnFocus)
{
    TFamily f;
    TProbe* a = f.Add("A", QRect(0, 0, 10, 10));
    TProbe* b = f.Add("B", QRect(20, 0, 10, 10));

    f.parent.On_MouseDown(mbLeft, 0, 5, 5);
    EXPECT_EQ(f.log, (QStringList{"A.Enter", "A.Focus", "A.MouseDown"}));
    EXPECT_EQ(f.parent.SC_FOCUSE, a);
    EXPECT_TRUE(a->SC_FOCUSED);

    f.log.clear();
    f.parent.On_MouseMove(0, 25, 5);
    EXPECT_EQ(f.log, (QStringList{"A.Leave", "B.Enter", "B.MouseMove"}));
    EXPECT_EQ(f.parent.SC_ACTIVE, b);

    f.log.clear();
    f.parent.On_MouseDown(mbLeft, 0, 25, 5);
    EXPECT_EQ(f.log, (QStringList{"B.Focus", "A.UnFocus", "B.MouseDown"}));
    EXPECT_FALSE(a->SC_FOCUSED);
    EXPECT_TRUE(b->SC_FOCUSED);

    // Empty space inside the parent unfocuses the focused child.
    f.log.clear();
    EXPECT_EQ(f.parent.On_MouseDown(mbLeft, 0, 100, 50), &f.parent);
    EXPECT_EQ(f.log, (QStringList{"B.Leave", "B.UnFocus"}));
    EXPECT_EQ(f.parent.SC_FOCUSE, nullptr);
    EXPECT_EQ(f.parent.SC_FOCUSE_TRY, nullptr);
    EXPECT_FALSE(b->SC_FOCUSED);
}

TEST(SmartCtrl, MouseHandlersAnswerTheTakerSelfOrNilWhenHidden)
{
    TFamily f;
    TProbe* a = f.Add("A", QRect(0, 0, 10, 10));
    TProbe lonely(nullptr, "L", QRect(0, 0, 10, 10));

    EXPECT_EQ(f.parent.On_MouseMove(0, 5, 5), a);
    EXPECT_EQ(f.parent.On_MouseUp(mbLeft, 0, 5, 5), a);
    EXPECT_EQ(f.parent.On_MouseDouble(mbLeft, 0, 5, 5), a);
    EXPECT_EQ(f.parent.On_MouseMove(0, 50, 50), &f.parent);
    EXPECT_EQ(lonely.On_MouseDown(mbLeft, 0, 5, 5), &lonely);

    TWMMouseWheel wheel{0, 120, 5, 5};
    f.parent.On_MouseMove(0, 5, 5);
    EXPECT_EQ(f.parent.On_MouseWheel(wheel), a);

    f.parent.SC_VISIBLE = false;
    EXPECT_EQ(f.parent.On_MouseDown(mbLeft, 0, 5, 5), nullptr);
    EXPECT_EQ(f.parent.On_MouseMove(0, 5, 5), nullptr);
    EXPECT_EQ(f.parent.On_MouseDouble(mbLeft, 0, 5, 5), nullptr);
    EXPECT_EQ(f.parent.On_MouseWheel(wheel), nullptr);
}

TEST(SmartCtrl, KeysGoToTheFocusedChild)
{
    TFamily f;
    f.Add("A", QRect(0, 0, 10, 10));
    QChar key('x');
    TKeyCode code = VK_RETURN;
    f.parent.On_KeyPress(key);
    f.parent.On_KeyDown(code, 0);
    EXPECT_TRUE(f.log.isEmpty());

    f.parent.On_MouseDown(mbLeft, 0, 5, 5);
    f.log.clear();
    f.parent.On_KeyPress(key);
    f.parent.On_KeyDown(code, ssCtrl);
    EXPECT_EQ(f.log, (QStringList{"A.KeyPress", "A.KeyDown"}));
}

TEST(SmartCtrl, HiddenChildIsNeitherPaintedHitNorToldOfAnything)
{
    TFamily f;
    f.Add("A", QRect(0, 0, 10, 10));
    TProbe* hidden = f.Add("H", QRect(0, 0, 10, 10));
    f.Add("B", QRect(20, 0, 10, 10));
    hidden->SC_VISIBLE = false;
    hidden->SetPosition(QPoint(40, 0));  // alone under the pointer at (45, 5)
    f.log.clear();

    TBitmap32 canvas(300, 100);
    f.parent.On_Paint(canvas);
    f.parent.On_Update();
    f.parent.On_Resize(900, 600);
    f.parent.EventNotify("FolderChanged");
    f.parent.On_Leave(0, 0);
    f.parent.On_UnFocus(mbLeft, 0, 0, 0);
    EXPECT_EQ(f.parent.ItemAtXY(f.items, 45, 5), nullptr);
    for (const QString& line : f.log) EXPECT_FALSE(line.startsWith("H.")) << line.toStdString();
    EXPECT_TRUE(f.log.contains("A.Paint"));
    EXPECT_TRUE(f.log.contains("B.Event"));
}

TEST(SmartCtrl, EnterHitTestsChildrenAndLeaveClearsTheHotChild)
{
    TFamily f;
    TProbe* a = f.Add("A", QRect(0, 0, 10, 10));
    f.parent.On_Enter(5, 5);
    EXPECT_EQ(f.parent.SC_STATE, csHot);
    EXPECT_EQ(f.parent.SC_ACTIVE, a);
    EXPECT_EQ(f.log, (QStringList{"A.Enter"}));

    f.log.clear();
    f.parent.On_Leave(400, 400);
    EXPECT_EQ(f.parent.SC_STATE, csNormal);
    EXPECT_EQ(f.parent.SC_ACTIVE, nullptr);
    EXPECT_EQ(f.log, (QStringList{"A.Leave"}));
}

TEST(SmartCtrl, RepaintRequestsReachTheInstalledHandler)
{
    int requests = 0;
    TProbe control(nullptr, "C", QRect(0, 0, 10, 10));
    {
        TQvContextScope context({.Repaint = [&] { ++requests; }});
        control.SetVisible(false);
        control.SetVisible(true);
        control.ReDraw();
    }
    control.ReDraw();
    EXPECT_EQ(requests, 3);
    EXPECT_TRUE(control.SC_VISIBLE);
}

TEST(SmartCtrl, PaintDrawsControlBackOverTheControlAndChildrenOnTop)
{
    TSkinBuffer skin;
    TBitmap32 red(4, 4), blue(4, 4);
    red.Clear(0xFFFF0000);
    blue.Clear(0xFF0000FF);
    TResizeParams stretch;
    stretch.ResizeType = rmStretch;
    skin.LoadImage("ControlBack", red, stretch);
    TSkinBuffer childSkin;
    childSkin.LoadImage("ControlBack", blue, stretch);

    TFamily f;
    f.parent.SetSkin(&skin);
    f.parent.SetPosition(QPoint(10, 10));
    f.parent.SetWidth(20);
    f.parent.SetHeight(20);
    TProbe* child = f.Add("A", QRect(15, 15, 5, 5));
    child->SetSkin(&childSkin);

    TBitmap32 canvas(40, 40);
    canvas.Clear(0xFFFFFFFF);
    f.parent.On_Paint(canvas);
    EXPECT_EQ(canvas.Pixel(9, 9), 0xFFFFFFFFu);
    EXPECT_EQ(canvas.Pixel(10, 10), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(29, 29), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(30, 30), 0xFFFFFFFFu);
    EXPECT_EQ(canvas.Pixel(17, 17), 0xFF0000FFu);
}

struct TParamsCase {
    const char* params;
    const char* id;
    TAlignSide align;
    TFitMode fit;
    int width;
    const char* menu;
};

TEST(SmartCtrl, SetParamsReadsIdentitySizeMenuFitAndAlign)
{
    const TParamsCase cases[] = {
        {"Copy=CMD(Item.Copy), Caption(Copy)", "Item.Copy", asLeft, fmHeight, 50, ""},
        {"X=CMD(Path.GoTo), Param1(/tmp), Param2(a), Align(Right), Fit(Width), Width(70), Menu(M)",
         "Path.GoTo/tmpa", asRight, fmWidth, 70, "M"},
        {"X=CMD(A), Align(Top), Fit(Both)", "A", asTop, fmBoth, 50, ""},
        {"X=CMD(A), Align(Bot), Fit(Height)", "A", asBot, fmHeight, 50, ""},
        {"X=CMD(A), Align(None), Fit(None)", "A", asNone, fmNone, 50, ""},
        // Files written by earlier item editors say "Bottom".
        {"X=CMD(A), Align(Bottom), Fit(None)", "A", asBot, fmNone, 50, ""},
        // Unknown and wrongly cased words leave the control as it was.
        {"X=CMD(A), Align(Centre), Fit(both)", "A", asRight, fmHeight, 50, ""},
        // A malformed number keeps the size instead of failing the whole line.
        {"X=CMD(A), Width(wide)", "A", asLeft, fmHeight, 50, ""},
    };
    for (const TParamsCase& c : cases) {
        TProbe control(nullptr, "C", QRect(0, 0, 50, 50));
        control.SC_ALIGN = asRight;
        control.SC_FIT_MODE = fmHeight;
        control.SetParams(TParamString{c.params});
        EXPECT_EQ(control.SC_ID, c.id) << c.params;
        EXPECT_EQ(control.SC_ALIGN, c.align) << c.params;
        EXPECT_EQ(control.SC_FIT_MODE, c.fit) << c.params;
        EXPECT_EQ(control.SC_WIDTH, c.width) << c.params;
        EXPECT_EQ(control.SC_HEIGHT, 50) << c.params;
        EXPECT_EQ(control.SC_MENU, c.menu) << c.params;
    }

    TProbe untouched(nullptr, "C", QRect(0, 0, 50, 50));
    untouched.SetParams(TParamString{});
    EXPECT_EQ(untouched.SC_ID, "C");
    EXPECT_EQ(untouched.SC_ALIGN, asNone);
}

TEST(ControlList, RefusedDuplicateIsDestroyedAndNilReturned)
{
    TControlList list;
    list.SetAddDuplicates(false);
    bool firstGone = false, secondGone = false;
    ASSERT_NE(list.AddControl(new TProbe(nullptr, "Same", QRect(), &firstGone)), nullptr);
    EXPECT_EQ(list.AddControl(new TProbe(nullptr, "Same", QRect(), &secondGone)), nullptr);
    EXPECT_TRUE(secondGone);
    EXPECT_FALSE(firstGone);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.AddControl(nullptr), nullptr);

    list.SetAddDuplicates(true);
    EXPECT_NE(list.AddControl(new TProbe(nullptr, "Same", QRect())), nullptr);
    EXPECT_EQ(list.Count(), 2);
    list.Delete(0);
    EXPECT_TRUE(firstGone);
    list.Delete(5);  // outside: nothing
    EXPECT_EQ(list.Count(), 1);
}

TEST(ControlList, LastVisibleScansDownwardForTheSameAlignment)
{
    TControlList list;
    auto add = [&](const char* name, TAlignSide align, bool visible) {
        TSmartCtrl* c = list.AddControl(new TProbe(nullptr, name, QRect()));
        c->SC_ALIGN = align;
        c->SC_VISIBLE = visible;
    };
    add("L0", asLeft, true);
    add("T1", asTop, true);
    add("L2", asLeft, false);
    add("L3", asLeft, true);

    TSmartCtrl* found = reinterpret_cast<TSmartCtrl*>(1);
    EXPECT_FALSE(list.LastVisible(found, 0, asLeft));
    EXPECT_EQ(found, nullptr);
    EXPECT_TRUE(list.LastVisible(found, 3, asLeft));  // skips hidden L2 and top T1
    EXPECT_EQ(found->SC_ID, "L0");
    EXPECT_TRUE(list.LastVisible(found, 4, asLeft));
    EXPECT_EQ(found->SC_ID, "L3");
    EXPECT_FALSE(list.LastVisible(found, 1, asTop));
    EXPECT_FALSE(TControlList().LastVisible(found, 3, asTop));

    EXPECT_TRUE(list.ControlExists("L2"));
    EXPECT_FALSE(list.ControlExists("l2"));
    EXPECT_EQ(list.ControlAtXY(0, 0)->SC_ID, "L0");  // visible or not, first wins
}

TEST(SmartCtrl, DestroyingFreesAutoFreeListsOnly)
{
    bool ownedGone = false, keptGone = false;
    TControlList* kept = nullptr;
    {
        TProbe parent(nullptr, "P", QRect());
        parent.AddList("Owned")->AddControl(new TProbe(nullptr, "A", QRect(), &ownedGone));
        kept = parent.AddList("Kept");
        kept->SetAutoFree(false);
        kept->AddControl(new TProbe(nullptr, "B", QRect(), &keptGone));
    }
    EXPECT_TRUE(ownedGone);
    EXPECT_FALSE(keptGone);
    delete kept;
    EXPECT_TRUE(keptGone);
}

TEST(SmartCtrl, RemoveChildForgetsHotAndFocusedChildren)
{
    TFamily f;
    bool gone = false;
    f.items->AddControl(new TProbe(&f.log, "A", QRect(0, 0, 10, 10), &gone));
    f.parent.On_MouseDown(mbLeft, 0, 5, 5);
    ASSERT_NE(f.parent.SC_FOCUSE, nullptr);
    f.parent.RemoveChild(f.items, 0);
    EXPECT_TRUE(gone);
    EXPECT_EQ(f.parent.SC_ACTIVE, nullptr);
    EXPECT_EQ(f.parent.SC_FOCUSE, nullptr);
    EXPECT_EQ(f.parent.SC_ACTIVE_TRY, nullptr);
    EXPECT_EQ(f.parent.SC_FOCUSE_TRY, nullptr);
}

TEST(SmartCtrl, SetParentAddsToTheNumberedListOrLeavesDetached)
{
    TProbe parent(nullptr, "P", QRect());
    parent.AddList("First");
    TControlList* second = parent.AddList("Second");
    auto* child = new TProbe(nullptr, "C", QRect());
    EXPECT_TRUE(child->SetParent(&parent, 1));
    EXPECT_EQ(child->SC_PARENT, &parent);
    EXPECT_EQ(second->Control(0), child);

    TProbe orphan(nullptr, "O", QRect());
    EXPECT_FALSE(orphan.SetParent(&parent, 2));
    EXPECT_EQ(orphan.SC_PARENT, nullptr);
}

class TDerived : public TProbe {
    QV_SMART_CLASS(TDerived, TProbe)
public:
    using TProbe::TProbe;
};
class TGrandChild : public TDerived {
    QV_SMART_CLASS(TGrandChild, TDerived)
public:
    using TDerived::TDerived;
};

TEST(SmartCtrl, ClassIsLooksOneLevelUp)
{
    TGrandChild control(nullptr, "G", QRect());
    EXPECT_TRUE(control.ClassIs<TGrandChild>());
    EXPECT_TRUE(control.ClassIs<TDerived>());
    EXPECT_FALSE(control.ClassIs<TProbe>());
    EXPECT_FALSE(control.ClassIs<TSmartCtrl>());
    EXPECT_EQ(control.ClassName(), "TGrandChild");
    EXPECT_TRUE(TSmartCtrl().SC_ID.startsWith("TSmartCtrl"));
}
