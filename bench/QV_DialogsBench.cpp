// Opening the settings dialog, from nothing to the first shown frame, with the
// installed themes, languages and file types to list, against opening a plain
// dialog of the toolkit. A second figure shows the dialog shown again, which
// reloads every control, list and caption but builds nothing.

#include "QV_BenchSupport.h"

#include "dialogs/QV_SettingsFrm.h"
#include "foundation/QV_Settings.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>

namespace {

template <class TDialog>
void OpenAndClose(TDialog& dialog)
{
    dialog.show();
    QApplication::processEvents();
    dialog.hide();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid() || !UseOwnProgramFolder(folder.path().toStdString())) return 1;
    // The shipped data, as an installation lists it.
    for (const char* part : {"Themes", "Language", "Types.QVS"})
        QFile::link(QStringLiteral(QV_BUILD_DIR "/Data/") + part, folder.path() + "/Data/" + part);
    LoadSettings();

    const double plain = MedianMicros(30, [] {
        QDialog dialog;
        OpenAndClose(dialog);
    }) / 1000.0;
    const double first = MedianMicros(30, [] {
        TQV_SettingsForm dialog;
        OpenAndClose(dialog);
    }) / 1000.0;
    TQV_SettingsForm kept;
    const double again = MedianMicros(30, [&] { OpenAndClose(kept); }) / 1000.0;
    PrintLimit("settings_dialog_open", first, plain, "ms", 150);
    PrintLimit("settings_dialog_reopen", again, plain, "ms", 150);
    return 0;
}
