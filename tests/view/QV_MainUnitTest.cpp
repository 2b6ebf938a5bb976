#include "view/QV_MainUnit.h"

#include "controls/QV_CtrlManager.h"
#include "controls/QV_Repaint.h"
#include "foundation/QV_Settings.h"
#include "icons/QV_IconManager.h"
#include "locale/QV_LocaleManager.h"
#include "view/QV_QorView.h"
#include "view/QV_ViewFixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

TEST(MainForm, EmptySettingsGiveACentredClientOf900By665)
{
    TProgramFolder folder;
    TQV_MainForm form;
    EXPECT_EQ(form.windowTitle(), "Qorvel");
    EXPECT_EQ(form.size(), QSize(900, 665));
    EXPECT_EQ(form.minimumSize(), QSize(400, 400));
    EXPECT_EQ(form.QorView()->parentWidget(), &form);
    const QRect desk = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.x(), desk.x() + std::max(0, (desk.width() - 900) / 2));
    EXPECT_EQ(form.y(), desk.y() + std::max(0, (desk.height() - 665) / 2));

    // The process-wide references live as long as the view.
    EXPECT_EQ(QorView(), form.QorView());
    EXPECT_EQ(CtrlManager(), form.QorView()->CtrlManager());
    EXPECT_NE(LocaleManager(), nullptr);
    EXPECT_EQ(IconManager(), form.QorView()->IconManager());
    EXPECT_NE(IconManager(), nullptr);

    // The session timer fires once, 200 ms after start.
    EXPECT_EQ(form.SessionTimer->interval(), 200);
    EXPECT_TRUE(form.SessionTimer->isActive());
    EXPECT_TRUE(WaitUntil([&] { return !form.SessionTimer->isActive(); }));
}

TEST(MainForm, SettingsPlaceTheWindowAndItsStateIsSavedAtTheEnd)
{
    TProgramFolder folder("StartUp=RestorePosition(1), RestoreWH(1)\n"
                          "Window=PosX(40), PosY(30), Width(700), Height(500), Maximized(0)\n");
    {
        TQV_MainForm form;
        EXPECT_EQ(form.pos(), QPoint(40, 30));
        EXPECT_EQ(form.size(), QSize(700, 500));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.resize(640, 480);
        form.move(50, 60);
    }
    EXPECT_EQ(QorView(), nullptr);
    EXPECT_EQ(CtrlManager(), nullptr);
    EXPECT_EQ(IconManager(), nullptr);
    LoadSettings();
    EXPECT_EQ(int(Settings().Window.Width), 640);
    EXPECT_EQ(int(Settings().Window.Height), 480);
    EXPECT_EQ(int(Settings().Window.PosX), 50);
    EXPECT_EQ(int(Settings().Window.PosY), 60);
    EXPECT_FALSE(bool(Settings().Window.Maximized));
}

// Work left for after the first frame runs once that frame, with the bars
// loaded, has been painted; asked for later, it runs at once. The bars'
// pictures are such work.
TEST(MainForm, WorkAfterTheFirstFrameWaitsForACompleteFrame)
{
    TProgramFolder folder;
    TQV_MainForm form;
    TQorView* view = form.QorView();
    int paintsWhenRun = -1;
    bool barsWhenRun = false;
    AfterFirstFrame([&] {
        paintsWhenRun = view->PaintCount();
        barsWhenRun = view->BarsLoaded();
    });
    EXPECT_EQ(paintsWhenRun, -1);
    form.show();
    ASSERT_TRUE(WaitUntil([&] { return paintsWhenRun >= 0; }));
    EXPECT_GE(paintsWhenRun, 1);
    EXPECT_TRUE(barsWhenRun);
    bool later = false;
    AfterFirstFrame([&] { later = true; });
    EXPECT_TRUE(later);
}

TEST(MainForm, MaximizedSettingMaximizes)
{
    TProgramFolder folder("Window=Maximized(1)\n");
    TQV_MainForm form;
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
}

TEST(MainForm, F1AndF12ReachTheDialogEntryPointsAndTheView)
{
    TProgramFolder folder;
    TQV_MainForm form;
    QStringList log;
    TRecordingHolder holder(&log);
    form.QorView()->SetHolderSource([&] { return &holder; });
    QStringList opened;
    QTest::keyClick(form.QorView(), Qt::Key_F1);  // no dialogs yet: only the view hears it
    form.ShowAboutDialog = [&] { opened << "about"; };
    form.ShowSettingsDialog = [&] { opened << "settings"; };
    QTest::keyClick(form.QorView(), Qt::Key_F1);
    QTest::keyClick(form.QorView(), Qt::Key_F12);
    EXPECT_EQ(opened, (QStringList{"about", "settings"}));
    EXPECT_EQ(holder.Keys, (QList<int>{VK_F1, VK_F1, VK_F1, VK_F1, VK_F12, VK_F12}));
}
