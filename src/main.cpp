// Qorvel: one window, started with the program folder as described in
// QV_ProgramFolder.h; it takes no command-line arguments.

#include "platform/desktop/QV_Font.h"
#include "platform/desktop/QV_Signals.h"
#include "view/QV_Application.h"
#include "view/QV_MainUnit.h"

int main(int argc, char** argv)
{
    TQvApplication app(argc, argv);
    RegisterBundledFonts();
    TQV_MainForm form;
    // A stop request closes the window like the user would, so the window
    // state and the session are saved.
    OnTerminationRequest([&form] { form.close(); });
    form.show();
    const int result = app.exec();
    OnTerminationRequest(nullptr);
    return result;
}
