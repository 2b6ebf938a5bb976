// Switching the control and button themes as the settings dialog does (the
// setting written, then applied), until the whole window is painted again,
// against painting the unchanged window once.

#include "QV_BenchSupport.h"

#include "dialogs/QV_DialogSupport.h"
#include "dialogs/QV_SettingsData.h"
#include "foundation/QV_Settings.h"
#include "view/QV_MainUnit.h"
#include "view/QV_QorView.h"

#include <QApplication>
#include <QTemporaryDir>

#include <filesystem>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid() || !UseOwnProgramFolder(folder.path().toStdString(),
                                                  "Media=PlayNavSound(0)\nStartUp=RestoreLastSession(0)\n"))
        return 1;
    namespace fs = std::filesystem;
    const fs::path data = fs::path(folder.path().toStdString()) / "Data";
    std::error_code error;
    for (const char* part : {"Themes", "Language", "Menus.QVS", "Types.QVS"})
        fs::copy(fs::path(QV_BUILD_DIR "/Data") / part, data / part, fs::copy_options::recursive, error);
    // A second family of each kind to switch to: the same pictures under another name.
    for (const char* kind : {"Controls", "Buttons"})
        fs::copy(data / "Themes" / kind / "Default", data / "Themes" / kind / "Other", fs::copy_options::recursive, error);
    if (error) return 1;
    LoadSettings();

    TQV_MainForm form;
    form.resize(900, 665);
    form.show();
    QApplication::processEvents();
    TQorView* view = form.QorView();
    view->repaint();

    const double paint = MedianMicros(30, [&] { view->repaint(); }) / 1000.0;
    int round = 0;
    const double switched = MedianMicros(20, [&] {
        const QString theme = ++round % 2 ? QStringLiteral("Other") : QStringLiteral("Default");
        WriteSettingParam(QStringLiteral("Theming"), QStringLiteral("ControlTheme"), theme);
        WriteSettingParam(QStringLiteral("Theming"), QStringLiteral("ButtonTheme"), theme);
        ApplySettings();
        view->repaint();
    }) / 1000.0;
    if (QString(Settings().Theming.ControlTheme) != QLatin1String("Default")) return 1;
    PrintLimit("theme_switch_to_painted_window", switched, paint, "ms", 200);
    return 0;
}
