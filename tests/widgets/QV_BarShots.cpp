// Not a test: renders the window with its tab strip and bars at a few sizes,
// for looking at. QV_SHOTS names the output folder.
#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_SearchHolder.h"
#include "view/QV_Application.h"
#include "view/QV_MainUnit.h"
#include "view/QV_QorView.h"
#include "widgets/QV_ItemBars.h"
#include "widgets/QV_SearchBar.h"
#include "widgets/QV_SmartTab.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

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
    QDir().mkpath(files + "/Holiday pictures");
    QDir().mkpath(files + "/A folder with a rather long name to see the ellipsis");
    for (int i = 0; i < 40; ++i) {
        QFile f(files + QString("/photo_%1.jpg").arg(i, 3, 10, QChar('0')));
        if (!f.open(QIODevice::WriteOnly)) return 1;
    }
    for (QSize size : {QSize(400, 400), QSize(900, 665), QSize(1920, 1080)}) {
        const QString tag = QString("%1x%2").arg(size.width()).arg(size.height());
        TQV_MainForm form;
        form.resize(size);
        form.show();
        TQorView* view = form.QorView();
        view->AddFileTab(files + "/Holiday pictures", false);
        view->AddFileTab(files + "/A folder with a rather long name to see the ellipsis", false);
        view->AddFileTab(files, true);
        Serve(2500);
        view->repaint();
        view->grab().save(out + "/bars_" + tag + ".png");
        for (int i = 0; i < 12; ++i) view->AddFileTab(files, false);
        Serve(800);
        view->repaint();
        view->grab().save(out + "/manytabs_" + tag + ".png");

        // A search tab that has found its results, with the name typed.
        auto* search = dynamic_cast<TSearchHolder*>(view->AddSearchTab(files, true));
        auto* bar = dynamic_cast<TSearchBar*>(view->CtrlManager()->GetControlData("SearchBarTop"));
        if (!search || !bar) return 1;
        for (QChar c : QString("photo_01")) bar->SB_NAME_EDIT->On_KeyPress(c);
        view->ToggleSearch();
        QElapsedTimer waited;
        waited.start();
        while (search->Searching() && waited.elapsed() < 10000) Serve(50);
        Serve(800);
        view->repaint();
        view->grab().save(out + "/search_" + tag + ".png");

        // And one under way over a large tree, with the stop button and the progress.
        search->SH_SEARCH_DATA->AddPath("/usr", true);
        view->CtrlManager()->Control_Update();
        for (QChar c : QString("x")) bar->SB_NAME_EDIT->On_KeyPress(c);
        view->ToggleSearch();
        Serve(400);
        view->repaint();
        view->grab().save(out + "/searching_" + tag + ".png");
        view->ToggleSearch();
        while (search->Searching()) Serve(20);
    }
    return 0;
}
