// The tab strip with 50 tabs open in a 1920 x 1080 window: adding a tab,
// switching between two tabs (each up to the next painted frame) and painting
// the strip alone, against a repaint of the whole window without a change.

#include "QV_BenchSupport.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "platform/ini/QV_IniFile.h"
#include "view/QV_MainUnit.h"
#include "view/QV_QorView.h"
#include "widgets/QV_SmartTab.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <vector>

namespace {

constexpr int TabCount = 50;

bool MakeFolder(const QString& folder, int files)
{
    if (!QDir().mkpath(folder)) return false;
    for (int i = 0; i < files; ++i) {
        QFile file(folder + QStringLiteral("/file%1.txt").arg(i));
        if (!file.open(QIODevice::WriteOnly)) return false;
    }
    return true;
}

template <typename Fn>
bool WaitFor(Fn&& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
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
    // The shipped data (theme, strip buttons) in a program folder of its own:
    // the strip as users see it, and no real settings touched.
    QTemporaryDir folder;
    if (!folder.isValid() ||
        QProcess::execute("cp", {"-r", QStringLiteral(QV_BUILD_DIR "/Data"), folder.path()}) != 0)
        return 1;
    const QString settings = folder.path() + "/Data/Settings.QVS";
    if (!IniWriteString(settings, "Qorvel", "StartUp", "RestoreLastSession(0), RestorePosition(0), RestoreWH(0)") ||
        !IniWriteString(settings, "Qorvel", "Media", "PlayNavSound(0)") || !QDir::setCurrent(folder.path()))
        return 1;

    TQV_MainForm form;
    form.resize(1920, 1080);
    form.show();
    TQorView* view = form.QorView();
    auto* strip = dynamic_cast<TSmartTab*>(view->CtrlManager()->GetControlData(QStringLiteral("SmartTab")));
    if (!strip) return 1;

    std::vector<TFileHolder*> holders;
    for (int i = 0; i < TabCount - 1; ++i) {
        const QString path = folder.path() + QStringLiteral("/folder%1").arg(i);
        if (!MakeFolder(path, 20)) return 1;
        TFileHolder* holder = view->AddFileTab(path, true);
        if (!holder) return 1;
        holders.push_back(holder);
    }
    const QString extra = folder.path() + "/extra";
    if (!MakeFolder(extra, 20)) return 1;
    if (!WaitFor([&] {
            for (TFileHolder* holder : holders)
                if (holder->Listing()) return false;
            return strip->ItemLoads() >= 1 && view->DataCore()->Count() == TabCount;
        }))
        return 1;
    QApplication::processEvents();

    // Adding: the new tab comes forward and the frame is painted; the tab is
    // closed again outside the clock, so every run starts from 50 tabs.
    std::vector<double> adds;
    for (int i = 0; i < 100; ++i) {
        const auto start = std::chrono::steady_clock::now();
        TFileHolder* added = view->AddFileTab(extra, true);
        view->repaint();
        adds.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        if (!added) return 1;
        view->RemHolder(added->DH_ID);
        QApplication::processEvents();
    }
    const double adding = MedianOf(adds);

    bool toFirst = true;
    const double switching = MedianMicros(200, [&] {
        view->ActivateHolder((toFirst ? holders.front() : holders.back())->DH_ID);
        view->repaint();
        toFirst = !toFirst;
    });

    TBitmap32 canvas;
    canvas.SetSize(view->width(), view->height());
    const double painting = MedianMicros(500, [&] { strip->On_Paint(canvas); });
    const double frame = MedianMicros(200, [&] { view->repaint(); });

    PrintLimit("tab_strip_50_add_to_frame", adding / 1000, frame / 1000, "ms", 16);
    PrintLimit("tab_strip_50_switch_to_frame", switching / 1000, frame / 1000, "ms", 16);
    PrintLimit("tab_strip_50_paint", painting / 1000, frame / 1000, "ms", 16);
    return 0;
}
