#include "view/QV_Application.h"

#include "platform/QV_Report.h"

#include <QMessageBox>

#include <exception>

TQvApplication::TQvApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Qorvel"));
    setApplicationDisplayName(QStringLiteral("Qorvel"));
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
