#pragma once
// The main window: the product name as caption, at least 400 x 400, a client
// area of 900 x 665 centred on the desktop unless the settings place it, and
// the view over the whole client area, opened on the quick-drive view. It
// sees keys before the view (F1 and F12 open the about and settings dialogs)
// and restores the last session once, 200 ms after start, from its session
// timer.

#include <QWidget>

#include <functional>

class QTimer;
class TQorView;

class TQV_MainForm : public QWidget {
    Q_OBJECT
public:
    TQV_MainForm();
    // Saves the session, then frees the view (which saves the window state)
    // while the window is whole.
    ~TQV_MainForm() override;

    TQorView* QorView() const { return FQorView; }
    QTimer* SessionTimer;

    // The dialog entry points of F1 and F12. The dialogs are hosted elsewhere
    // and fill these in; until then the keys only reach the view.
    std::function<void()> ShowAboutDialog;
    std::function<void()> ShowSettingsDialog;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Every holder's background work stops, so the program ends promptly even
    // in the middle of a large listing.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void SessionTimerTimer();

    TQorView* FQorView = nullptr;
};
