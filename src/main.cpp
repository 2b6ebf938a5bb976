// Qorvel: one window per user session, started with the program folder as
// described in QV_ProgramFolder.h.
//
//   qorvel [PATH|URI ...]
//
// Each folder opens in a new tab, a file opens its folder with the file
// selected; nothing named is ever run. Without arguments the window starts on
// the drives and the last session. When a window runs already, the arguments
// go to it and this start ends.

#include "controls/QV_Repaint.h"
#include "platform/desktop/QV_Font.h"
#include "platform/desktop/QV_Signals.h"
#include "platform/fs/QV_ProgramFolder.h"
#include "view/QV_Application.h"
#include "view/QV_FileManagerService.h"
#include "view/QV_InstanceLink.h"
#include "view/QV_MainUnit.h"

#include <QDBusConnection>
#include <QTimer>

int main(int argc, char** argv)
{
    TQvApplication app(argc, argv);
    // The toolkit has taken its own options out of argv by now; the rest are
    // the user's, as raw bytes, so any file name reaches us intact.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i) arguments << QByteArray(argv[i]);
    const QString workingFolder = CurrentProgramPlaces().WorkingFolder;

    const QString socketPath = InstanceSocketPath();
    if (HandOverToRunning(socketPath, arguments, workingFolder)) return 0;

    RegisterBundledFonts();
    TQV_MainForm form;
    TInstanceServer instance(socketPath, [&form](const std::vector<TOpenRequest>& requests) { form.Open(requests); });
    TFileManagerService desktop([&form](const std::vector<TOpenRequest>& requests,
                                        TFileManagerService::TPurpose purpose) {
        form.Open(requests, purpose == TFileManagerService::TPurpose::fpProperties
                                ? TQV_MainForm::TOpenPurpose::opProperties
                                : TQV_MainForm::TOpenPurpose::opShow);
    });
    // Taking the bus name costs round trips to the bus: after the first frame.
    QTimer::singleShot(250, &desktop, [&desktop] { desktop.Register(QDBusConnection::sessionBus()); });
    // A stop request closes the window like the user would, so the window
    // state and the session are saved.
    OnTerminationRequest([&form] { form.close(); });
    AfterFirstFrame([&app] { app.SetBundledWindowIcon(); });
    form.show();
    form.Open(OpenRequestsFrom(arguments, workingFolder));
    const int result = app.exec();
    OnTerminationRequest(nullptr);
    return result;
}
