#pragma once
// The program's application object. An exception that escapes an event
// handler of the window, the view or a control does not end the program: its
// text is shown in a message box and the next event is served.

#include <QApplication>

#include <functional>

class TQvApplication : public QApplication {
    Q_OBJECT
public:
    TQvApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The window icon, from the bundled pictures. Decoding them and handing
    // them to the window system is left until the window shows.
    void SetBundledWindowIcon();

    // Where the text of an escaped exception goes; by default a message box.
    // Tests replace it to see the text without a modal box.
    void SetExceptionSink(std::function<void(const QString&)> sink);
    void ReportException(const QString& text);

private:
    std::function<void(const QString&)> exceptionSink_;
};
