#include "view/QV_Application.h"

#include "platform/QV_Report.h"

#include <QIcon>
#include <QMessageBox>

#include <exception>

TQvApplication::TQvApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Qorvel"));
    setApplicationDisplayName(QStringLiteral("Qorvel"));
    // Docks and task bars match the window to qorvel.desktop and its icon.
    setDesktopFileName(QStringLiteral("qorvel"));
}

void TQvApplication::SetBundledWindowIcon()
{
    // The bundled pictures rather than the icon theme's: looking the same
    // picture up in the theme costs a tenth of the start.
    QIcon bundled;
    for (const int size : {16, 32, 48, 64, 128, 256})
        bundled.addFile(QStringLiteral(":/qorvel/qorvel-%1.png").arg(size), QSize(size, size));
    setWindowIcon(bundled);
}

bool TQvApplication::notify(QObject* receiver, QEvent* event)
{
    // The toolkit's event loop is not exception-safe, so nothing may leave here.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportException(QString::fromUtf8(error.what()));
    } catch (...) {
        ReportException(QStringLiteral("Unknown error"));
    }
    return false;
}

void TQvApplication::SetExceptionSink(std::function<void(const QString&)> sink) { exceptionSink_ = std::move(sink); }

void TQvApplication::ReportException(const QString& text)
{
    ReportFailure("Event loop", text);
    if (exceptionSink_) exceptionSink_(text);
    else QMessageBox::critical(activeWindow(), applicationDisplayName(), text);
}
