// Not a test: renders the view with the widgets in use, for looking at.
#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_HolderHost.h"
#include "view/QV_Application.h"
#include "view/QV_MainUnit.h"
#include "view/QV_QorView.h"
#include "widgets/QV_SmartEdit.h"
#include "widgets/QV_SmartScroll.h"
#include "widgets/QV_SmartTip.h"
#include "widgets/QV_WidgetControls.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>

static void Serve(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int main(int argc, char** argv)
{
    TQvApplication app(argc, argv);
    const QString out = qEnvironmentVariable("QV_SHOTS", "/tmp/qvshots");
    const QString files = out + "/files";
    QDir().mkpath(files);
    for (int i = 0; i < 240; ++i) {
        QFile f(files + QString("/photo_%1.jpg").arg(i, 3, 10, QChar('0')));
        f.open(QIODevice::WriteOnly);
    }
    QDir().mkpath(files + "/Holiday pictures");
    for (QSize size : {QSize(900, 665), QSize(1280, 800)}) {
        const QString tag = QString("%1x%2").arg(size.width()).arg(size.height());
        TQV_MainForm form;
        form.resize(size);
        form.show();
        TQorView* view = form.QorView();
        TFileHolder* holder = view->AddFileTab(files, true);
        Serve(1500);
        TCtrlManager& m = *view->CtrlManager();
        auto* filter = static_cast<TFilterEdit*>(m.AddControl("ShotFilter", new TFilterEdit()));
        filter->SE_TEXT_NA = "Filter";
        filter->SetPosition(QPoint(60, 12));
        filter->SetWidth(200);
        auto* path = static_cast<TPathEdit*>(m.AddControl("ShotPath", new TPathEdit()));
        path->SetPosition(QPoint(280, 12));
        path->SetWidth(size.width() - 400);
        m.Control_Update();
        view->repaint();
        view->grab().save(out + "/idle_" + tag + ".png");

        FocusControl(m, filter);
        for (QChar c : QString("photo_1")) filter->On_KeyPress(c);
        TKeyCode left = VK_LEFT;
        filter->On_KeyDown(left, ssShift);
        filter->On_KeyDown(left, ssShift);
        view->repaint();
        view->grab().save(out + "/filter_" + tag + ".png");
        TKeyCode esc = VK_ESCAPE;
        filter->On_KeyDown(esc, 0);

        m.ControlNotify(300, 20, true);
        path->On_MouseDouble(mbLeft, 0, 300, 20);
        view->repaint();
        view->grab().save(out + "/path_edit_" + tag + ".png");
        TKeyCode home = VK_HOME, right = VK_RIGHT;
        path->On_KeyDown(home, 0);
        for (int i = 0; i < 5; ++i) path->On_KeyDown(right, ssShift | ssCtrl);
        view->repaint();
        view->grab().save(out + "/path_select_" + tag + ".png");
        m.ControlNotify(size.width() / 2, size.height() / 2, true);
        view->repaint();
        view->grab().save(out + "/path_bread_" + tag + ".png");

        holder->Item_Get(5)->Select();
        TKeyCode f2 = VK_F2;
        holder->On_KeyDown(f2, 0);
        for (QChar c : QString("beach")) m.FocusedControl()->On_KeyPress(c);
        view->repaint();
        view->grab().save(out + "/rename_" + tag + ".png");
        m.FocusedControl()->On_KeyDown(esc, 0);

        auto* bar = static_cast<TSmartScroll*>(m.GetControlData("SmartScroll"));
        const int bx = bar->SS_PAN.SP_POS.x() + 2;
        m.ControlNotify(bx, bar->SS_PAN.SP_POS.y() + 2, false);
        bar->On_MouseDown(mbLeft, 0, bx, bar->SS_PAN.SP_POS.y() + 2);
        bar->On_MouseMove(ssLeft, bx, bar->SS_SCROLL_RECT.top() + bar->SS_SCROLL_RECT.height() / 3);
        view->repaint();
        view->grab().save(out + "/scroll_" + tag + ".png");
        bar->On_MouseUp(mbLeft, 0, bx, 300);
        m.ControlNotify(size.width() / 2, size.height() / 2, false);

        for (int i = 10; i < 17; ++i) holder->Item_Get(i)->Select();
        if (TSelectTipApi* tip = SelectTip()) tip->PopUp(7, 7 * 1536000, 400, 300);
        view->repaint();
        view->grab().save(out + "/selecttip_" + tag + ".png");
    }
    return 0;
}
