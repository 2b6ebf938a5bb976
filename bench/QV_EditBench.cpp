// The two interactions of the edit fields and the scroll bar on a folder of
// 100,000 items, each up to its painted frame: typing one character into the
// quick filter (90th percentile, as a typed run narrows and Backspace widens
// again), and each move of the scroll bar's pan while it is dragged. The
// reference is a repaint of the same view without a change.

#include "QV_BenchSupport.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "view/QV_MainUnit.h"
#include "view/QV_QorView.h"
#include "widgets/QV_SmartEdit.h"
#include "widgets/QV_SmartScroll.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool MakeFiles(const QString& folder, int count)
{
    if (!QDir().mkpath(folder)) return false;
    for (int i = 0; i < count; ++i) {
        const QByteArray name = (folder + QStringLiteral("/file%1.txt").arg(i)).toLocal8Bit();
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        ::close(fd);
    }
    return true;
}

bool WaitListed(TFileHolder* holder)
{
    QElapsedTimer timer;
    timer.start();
    while (holder->Listing() || holder->ItemCount() == 0) {
        if (timer.elapsed() > 120000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

double MillisOf(const std::function<void()>& fn)
{
    QElapsedTimer timer;
    timer.start();
    fn();
    return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid() ||
        !UseOwnProgramFolder(folder.path().toStdString(), "Media=PlayNavSound(0)\nStartUp=RestoreLastSession(0)\n"))
        return 1;
    const int count = 100000;
    if (!MakeFiles(folder.path() + "/many", count)) return 1;

    TQV_MainForm form;
    form.show();
    TQorView* view = form.QorView();
    TFileHolder* holder = view->AddFileTab(folder.path() + "/many", true);
    if (!holder || !WaitListed(holder)) return 1;
    QApplication::processEvents();

    // The quick filter as a bar would hold it.
    TCtrlManager& manager = *view->CtrlManager();
    auto* filter = static_cast<TFilterEdit*>(manager.AddControl(QStringLiteral("BenchFilter"), new TFilterEdit()));
    filter->SetPosition(QPoint(300, 5));
    manager.ControlFocus(filter);

    std::vector<double> typing;
    const QString run = QStringLiteral("file12");
    for (int round = 0; round < 15; ++round) {
        for (QChar c : run) {
            typing.push_back(MillisOf([&] {
                filter->On_KeyPress(c);
                view->repaint();
            }));
        }
        for (int i = 0; i < run.size(); ++i) {
            TKeyCode back = VK_BACK;
            filter->On_KeyDown(back, 0);
            view->repaint();
        }
    }
    const double repaint = MedianMicros(100, [&] { view->repaint(); }) / 1000;
    PrintLimit("quick_filter_type_100k_to_frame_p90", Percentile(typing, 0.9), repaint, "ms", 16);

    auto* bar = static_cast<TSmartScroll*>(manager.GetControlData(QStringLiteral("SmartScroll")));
    if (!bar || !bar->SS_DRAW_BTN) return 1;
    std::vector<double> dragging;
    const QRect track = bar->SS_SCROLL_RECT;
    const int x = bar->SS_PAN.SP_POS.x() + 1;
    bar->On_MouseDown(mbLeft, 0, x, bar->SS_PAN.SP_POS.y() + 1);
    for (int round = 0; round < 4; ++round)
        for (int y = track.top(); y <= track.bottom(); y += 3)
            dragging.push_back(MillisOf([&] {
                bar->On_MouseMove(ssLeft, x, round % 2 ? track.bottom() - (y - track.top()) : y);
                view->repaint();
            }));
    bar->On_MouseUp(mbLeft, 0, x, track.top());
    PrintLimit("scroll_pan_drag_100k_to_frame_p90", Percentile(dragging, 0.9), repaint, "ms", 16);
    PrintLimit("scroll_pan_drag_100k_to_frame_median", MedianOf(dragging), repaint, "ms", 16);
    return 0;
}
