#include "view/QV_QorView.h"

#include "controls/QV_ControlProbe.h"
#include "controls/QV_CtrlManager.h"
#include "controls/QV_Repaint.h"
#include "data/QV_FileHolder.h"
#include "platform/QV_Report.h"
#include "theme/QV_SkinBuffer.h"
#include "view/QV_Application.h"
#include "view/QV_MainUnit.h"
#include "view/QV_ViewFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// The window shown with the default click delay, a probe control at
// (0, 0, 100, 50) and a recording holder behind everything else.
class ViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TQV_MainForm>();
        view = form->QorView();
        probe = static_cast<TProbe*>(
            view->CtrlManager()->AddControl("Probe", new TProbe(&log, "Probe", QRect(0, 0, 100, 50))));
        view->SetHolderSource([this] { return &holder; });
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_TRUE(WaitUntil([&] { return view->PaintCount() > 0; }));
        // The window's own file holder tells the controls when its first
        // listing is arranged, and the session comes back after start; neither
        // is part of any test here.
        ASSERT_TRUE(WaitUntil([&] { return !form->SessionTimer->isActive() && !view->FileHolder()->Listing(); }));
        log.clear();
    }
    void TearDown() override { form.reset(); }

    void Press(QPoint at, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(view, Qt::LeftButton, modifiers, at);
    }
    void WaitForClickWindowToClose()
    {
        ASSERT_TRUE(WaitUntil([&] { return !view->QV_TIMER_CLICK->isActive(); }));
    }
    // Everything posted so far (repaint requests included) has been served.
    void Drain()
    {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    TProgramFolder folder{"Mouse=ClickDelay(250)\n"};
    QStringList log;
    TRecordingHolder holder{&log};
    std::unique_ptr<TQV_MainForm> form;
    TQorView* view = nullptr;
    TProbe* probe = nullptr;
};

}  // namespace

TEST_F(ViewTest, DownsInsideTheClickWindowAreDoubleClicksAndDoNotRestartIt)
{
    const QPoint free(300, 300);
    Press(free);
    EXPECT_TRUE(view->QV_TIMER_CLICK->isActive());
    // The click timer can only expire through the event loop, which does not
    // run while the test sleeps: the downs below fall inside the window.
    QThread::msleep(100);
    Press(free);
    QThread::msleep(100);
    Press(free);
    EXPECT_EQ(TRecordingHolder::Events(log), (QStringList{"Holder.MouseDown", "Holder.DblClick", "Holder.DblClick"}));
    // Still the window the first down opened: at least 200 of its 250 ms are gone.
    EXPECT_LE(view->QV_TIMER_CLICK->remainingTime(), 50);

    WaitForClickWindowToClose();
    log.clear();
    Press(QPoint(10, 10));
    Press(QPoint(10, 10));
    EXPECT_EQ(TRecordingHolder::Events(log), (QStringList{"Probe.Enter", "Probe.Focus", "Probe.MouseDown", "Probe.MouseDouble"}));
}

TEST_F(ViewTest, MouseGoesToTheControlUnderThePointerElseToTheHolder)
{
    QTest::mouseMove(view, QPoint(10, 10));
    QTest::mouseMove(view, QPoint(300, 300));
    EXPECT_EQ(TRecordingHolder::Events(log), (QStringList{"Probe.Enter", "Probe.MouseMove", "Probe.Leave", "Holder.MouseMove"}));

    // A press over the folder view leaves no control focused.
    log.clear();
    Press(QPoint(10, 10));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(10, 10));
    WaitForClickWindowToClose();
    Press(QPoint(300, 300));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_EQ(TRecordingHolder::Events(log), (QStringList{"Probe.Enter", "Probe.Focus", "Probe.MouseDown", "Probe.MouseUp", "Probe.Leave",
                                "Probe.UnFocus", "Holder.MouseDown", "Holder.MouseUp"}));
    EXPECT_EQ(view->CtrlManager()->FocusedControl(), nullptr);

    // While the holder drags a rubber band it keeps the mouse, control or not.
    log.clear();
    holder.selecting_ = true;
    QTest::mouseMove(view, QPoint(20, 20));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(TRecordingHolder::Events(log), (QStringList{"Probe.Enter", "Holder.MouseMove", "Holder.MouseUp"}));
}

TEST_F(ViewTest, WheelReachesTheHotControlTwiceAndTheHolderOnce)
{
    auto wheel = [&](QPoint at) {
        QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view, &event);
    };
    wheel(QPoint(300, 300));
    EXPECT_EQ(TRecordingHolder::Events(log), (QStringList{"Holder.Wheel"}));
    EXPECT_EQ(holder.LastWheelDelta, -120);

    QTest::mouseMove(view, QPoint(10, 10));
    log.clear();
    wheel(QPoint(10, 10));
    EXPECT_EQ(TRecordingHolder::Events(log), (QStringList{"Probe.Wheel", "Probe.Wheel"}));
}

TEST_F(ViewTest, KeysGoToTheFocusedControlElseToTheHolder)
{
    QTest::keyClick(view, Qt::Key_Left);
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_X);
    QTest::keyClick(view, Qt::Key_Tab);
    // Ctrl is a key of its own, pressed around the A.
    EXPECT_EQ(holder.Keys, (QList<int>{VK_LEFT, VK_LEFT, VK_CONTROL, 'A', 'A', VK_CONTROL, 'X', 'X', VK_TAB, VK_TAB}));
    EXPECT_EQ(holder.Typed, QString(QChar(1)) + "x" + QChar(9));

    Press(QPoint(10, 10));  // focuses the probe
    log.clear();
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Q);
    EXPECT_EQ(TRecordingHolder::Events(log), (QStringList{"Probe.KeyDown", "Probe.KeyUp", "Probe.KeyDown", "Probe.KeyPress", "Probe.KeyUp"}));
}

TEST_F(ViewTest, AReleaseActsWithTheModifiersHeldAtItsPress)
{
    const auto send = [&](QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(type, key, modifiers);
        QCoreApplication::sendEvent(view, &event);
    };
    // As the window system sends them: a modifier key's own event carries the
    // state before it, and the toolkit turns its bit over.
    // Alt is let go before Left; the release still reads as Alt+Left.
    send(QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier);
    send(QEvent::KeyPress, Qt::Key_Left, Qt::AltModifier);
    send(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    send(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier);
    // Ctrl pressed after C does not make a Ctrl+C.
    send(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier);
    send(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    send(QEvent::KeyRelease, Qt::Key_C, Qt::ControlModifier);
    send(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(holder.UpShifts, (QList<TShiftState>{ssAlt, ssAlt, 0, ssCtrl}));
}

TEST_F(ViewTest, PaintFillsWhiteThenTheHolderThenTheControls)
{
    TSkinBuffer skin;
    TBitmap32 red(2, 2);
    red.Clear(0xFFFF0000);
    TResizeParams stretch;
    stretch.ResizeType = rmStretch;
    skin.LoadImage("ControlBack", red, stretch);
    probe->SetSkin(&skin);
    holder.PaintRect = QRect(50, 0, 200, 100);  // half under the probe

    const int before = view->PaintCount();
    view->InvalidateGL();
    ASSERT_TRUE(WaitUntil([&] { return view->PaintCount() > before; }));
    const TBitmap32& canvas = view->QV_CANVAS;
    EXPECT_EQ(canvas.Width(), view->width());
    EXPECT_EQ(canvas.Pixel(400, 400), 0xFFFFFFFFu);
    EXPECT_EQ(canvas.Pixel(20, 20), 0xFFFF0000u);   // control alone
    EXPECT_EQ(canvas.Pixel(60, 20), 0xFFFF0000u);   // control over the holder
    EXPECT_EQ(canvas.Pixel(200, 20), 0xFF0000FFu);  // holder alone
    EXPECT_EQ(view->grab().toImage().pixel(60, 20), 0xFFFF0000u);
    probe->SetSkin(nullptr);
}

TEST_F(ViewTest, RepaintRequestsFromManyThreadsBecomeOnePaint)
{
    Drain();
    const int before = view->PaintCount();
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) RequestRepaint();
        });
    for (int i = 0; i < 1000; ++i) view->InvalidateGL();
    for (std::thread& worker : workers) worker.join();

    ASSERT_TRUE(WaitUntil([&] { return view->PaintCount() > before; }));
    Drain();
    EXPECT_EQ(view->PaintCount(), before + 1);
}

TEST_F(ViewTest, MessageStartAnswersOneAndRepaints)
{
    Drain();
    const int before = view->PaintCount();
    EXPECT_EQ(view->MessageStart(QV_MSG_START), 1);
    EXPECT_EQ(view->MessageStart(QV_MSG_START + 1), 0);
    EXPECT_TRUE(WaitUntil([&] { return view->PaintCount() > before; }));
}

TEST_F(ViewTest, ResizeReachesTheManagerAndTheHolder)
{
    probe->SC_ALIGN = asTop;
    form->resize(640, 480);
    ASSERT_TRUE(WaitUntil([&] { return view->QV_VISIBLE_W == 640; }));
    EXPECT_EQ(view->QV_VISIBLE_H, 480);
    EXPECT_EQ(holder.Size, QSize(640, 480));
    EXPECT_EQ(view->CtrlManager()->CM_PARENT_W, 640);
    EXPECT_EQ(probe->SC_WIDTH, 640);  // a top control spans the view
}

TEST_F(ViewTest, AnExceptionFromAHandlerIsShownAndTheProgramGoesOn)
{
    auto* app = qobject_cast<TQvApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    QStringList shown;
    app->SetExceptionSink([&](const QString& text) { shown << text; });
    holder.ThrowOnMouseDown = true;
    Press(QPoint(300, 300));
    holder.ThrowOnMouseDown = false;
    WaitForClickWindowToClose();
    Press(QPoint(300, 300));
    app->SetExceptionSink(nullptr);

    EXPECT_EQ(shown, (QStringList{"Can not rename: /x"}));
    EXPECT_EQ(TRecordingHolder::Events(log), (QStringList{"Holder.MouseDown"}));
}

TEST(ViewHolders, TheWindowStartsOnTheDrivesAndServesItsFileHolder)
{
    TProgramFolder folder{"Media=PlayNavSound(0)\n"};
    folder.Dir.WriteFile("inside.txt", "x");
    TQV_MainForm form;
    TQorView* view = form.QorView();
    TFileHolder* holder = view->FileHolder();
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(view->ActiveHolder(), holder);
    EXPECT_EQ(HolderHost(), view);
    EXPECT_EQ(holder->Path_Curr()->PD_PATH, QDrivePath);
    ASSERT_TRUE(WaitUntil([&] { return !holder->Listing() && holder->ItemCount() > 0; }));

    TFileHolder* second = view->AddFileTab(folder.Dir.Path(), true);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(view->FileHolder(), second);
    ASSERT_TRUE(WaitUntil([&] { return !second->Listing() && second->ItemCount() > 0; }));
    QStringList names;
    for (const auto& item : second->Items()) names << item->ID_FILE_DATA.FD_NAME;
    EXPECT_TRUE(names.contains("inside.txt")) << names.join(", ").toStdString();
}

TEST(ViewFailures, UserFailuresFromAnyThreadShowAMessageWithoutBlocking)
{
    TProgramFolder folder{"Media=PlayNavSound(0)\n"};
    TQV_MainForm form;
    std::thread([] { ReportFailure("Group into a new folder", "rename /a to /b: Permission denied", flUser); }).join();
    ReportFailure("Listing", "quiet: no message");
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<QMessageBox*>(widget); found && found->isVisible()) box = found;
        return box != nullptr;
    }));
    EXPECT_EQ(box->text(), "rename /a to /b: Permission denied");
    box->close();
}

TEST(ViewHover, LeavingTheWindowClearsTheHotItemAndControl)
{
    TProgramFolder folder{"Media=PlayNavSound(0)\n"};
    TTestDir dir;
    dir.WriteFile("a.txt", "x");
    TQV_MainForm form;
    TQorView* view = form.QorView();
    TFileHolder* holder = view->AddFileTab(dir.Path(), true);
    ASSERT_NE(holder, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !holder->Listing() && holder->ItemCount() == 1; }));
    auto* probe = new TProbe(nullptr, "P", QRect(0, 600, 100, 40));
    view->CtrlManager()->AddControl("Probe", probe);

    const TItemData* item = holder->Item_Get(0);
    const QPoint inside = item->ID_POS + QPoint(5, 5 - holder->DH_SCROLL_POS);
    holder->On_MouseMove(0, inside.x(), inside.y());
    ASSERT_EQ(holder->DH_ITEM_ACTIVE, item);
    view->CtrlManager()->ControlNotify(10, 610, false);
    ASSERT_EQ(view->CtrlManager()->CM_ACTIVE, probe);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(view, &leave);
    EXPECT_EQ(holder->DH_ITEM_ACTIVE, nullptr);
    EXPECT_FALSE(item->ID_STATE == isHot || item->ID_STATE == isHotSel);
    EXPECT_EQ(view->CtrlManager()->CM_ACTIVE, nullptr);
    EXPECT_EQ(probe->SC_STATE, csNormal);
}

TEST(ViewQuestions, TheRunQuestionAnswersOnceWithTheChosenButton)
{
    TProgramFolder folder{"Media=PlayNavSound(0)\n"};
    TQV_MainForm form;
    const struct {
        const char* Button;  // none: the box is closed
        bool Tick;
        TRunChoice Choice;
    } cases[] = {
        {"Run", false, TRunChoice::rcRun},
        {"Open", true, TRunChoice::rcOpen},
        {"Cancel", true, TRunChoice::rcCancel},
        {nullptr, false, TRunChoice::rcCancel},
    };
    for (const auto& c : cases) {
        std::vector<TRunAnswer> answers;
        form.QorView()->AskRun("/some/folder/tool.sh", [&](TRunAnswer answer) { answers.push_back(answer); });
        QMessageBox* box = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* found = qobject_cast<QMessageBox*>(widget); found && found->isVisible()) box = found;
            return box != nullptr;
        }));
        EXPECT_TRUE(box->text().contains(QString::fromUtf8("\u201Ctool.sh\u201D"))) << box->text().toStdString();
        EXPECT_TRUE(answers.empty()) << "the question does not block and answers only when answered";
        box->checkBox()->setChecked(c.Tick);
        if (c.Button) {
            for (QAbstractButton* button : box->buttons())
                if (button->text() == c.Button) button->click();
        } else {
            box->close();
        }
        ASSERT_TRUE(WaitUntil([&] { return !answers.empty(); })) << (c.Button ? c.Button : "closed");
        ServeFor(0);
        EXPECT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0].Choice, c.Choice) << (c.Button ? c.Button : "closed");
        EXPECT_EQ(answers[0].Remember, c.Tick);
    }
}

TEST(ViewInput, MouseBackAndForwardButtonsWalkTheHistory)
{
    TProgramFolder folder{"Media=PlayNavSound(0)\n"};
    TTestDir dir;
    dir.MakeDir("inner");
    TQV_MainForm form;
    TQorView* view = form.QorView();
    TFileHolder* holder = view->AddFileTab(dir.Path(), true);
    ASSERT_NE(holder, nullptr);
    holder->Path_GoTo(dir.Sub("inner"));
    QTest::mousePress(view, Qt::BackButton, {}, QPoint(300, 300));
    EXPECT_EQ(holder->Path_Curr()->PD_PATH, dir.Path());
    QTest::mousePress(view, Qt::ForwardButton, {}, QPoint(300, 300));
    EXPECT_EQ(holder->Path_Curr()->PD_PATH, dir.Sub("inner"));
}

TEST(ViewInput, TheSelectionReportNamesTheSelectedItemsWithTheirPlaces)
{
    TProgramFolder folder{"Media=PlayNavSound(0)\n"};
    TTestDir dir;
    for (const char* name : {"a.txt", "b c.txt", "d%.txt"}) dir.WriteFile(name, "x");
    TQV_MainForm form;
    TQorView* view = form.QorView();
    TFileHolder* holder = view->AddFileTab(dir.Path(), true);
    ASSERT_NE(holder, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !holder->Listing() && holder->ItemCount() == 3; }));
    EXPECT_EQ(view->SelectionReport(), QByteArray());
    QByteArray expected;
    for (int i : {1, 2}) {
        TItemData* item = holder->Item_Get(i);
        item->Select();
        const QRect r = item->ItemRect(holder);
        expected += QByteArray::number(r.x()) + ' ' + QByteArray::number(r.y()) + ' ' + QByteArray::number(r.width()) +
                    ' ' + QByteArray::number(r.height()) + ' ';
        expected += i == 1 ? "b%20c.txt\n" : "d%25.txt\n";
    }
    EXPECT_EQ(view->SelectionReport(), expected);
}
