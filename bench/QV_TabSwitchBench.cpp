// Switching between two tabs of 100,000 items each, up to the next painted
// frame, against a repaint of the same view without a switch.

#include "QV_BenchSupport.h"

#include "data/QV_DataCore.h"
#include "view/QV_MainUnit.h"
#include "view/QV_QorView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

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
    if (!MakeFiles(folder.path() + "/one", count) || !MakeFiles(folder.path() + "/two", count)) return 1;

    TQV_MainForm form;
    form.show();
    TQorView* view = form.QorView();
    TFileHolder* one = view->AddFileTab(folder.path() + "/one", true);
    TFileHolder* two = view->AddFileTab(folder.path() + "/two", true);
    if (!one || !two || !WaitListed(one) || !WaitListed(two)) return 1;
    QApplication::processEvents();

    bool toOne = true;
    const double switching = MedianMicros(200, [&] {
        view->ActivateHolder((toOne ? one : two)->DH_ID);
        view->repaint();
        toOne = !toOne;
    });
    const double repaint = MedianMicros(200, [&] { view->repaint(); });
    PrintLimit("tab_switch_100k_to_frame", switching / 1000, repaint / 1000, "ms", 16);
    return 0;
}
