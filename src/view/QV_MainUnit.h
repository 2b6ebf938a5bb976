#pragma once
// The main window: the product name as caption, at least 400 x 400, a client
// area of 900 x 665 centred on the desktop unless the settings place it, and
// the view over the whole client area, opened on the quick-drive view. It
// sees keys before the view (F1 and F12 open the about and settings dialogs)
// and restores the last session once, 200 ms after start, from its session
// timer.

#include "view/QV_OpenRequests.h"

#include <QWidget>

#include <functional>
#include <vector>

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

    // Shows what another program asked for: at once, or after the last
    // session when that has not been restored yet; the window comes forward.
    // Properties: the properties of the revealed items are shown once selected.
    enum class TOpenPurpose { opShow, opProperties };
    void Open(const std::vector<TOpenRequest>& Requests, TOpenPurpose Purpose = TOpenPurpose::opShow);

    // What F1 and F12 open: the view's About box and settings dialog. The keys
    // still reach the view afterwards.
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
    bool sessionRestored_ = false;
    std::vector<std::pair<std::vector<TOpenRequest>, TOpenPurpose>> pendingRequests_;
};
