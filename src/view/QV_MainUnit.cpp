#include "view/QV_MainUnit.h"

#include "foundation/QV_Settings.h"
#include "foundation/QV_System.h"
#include "data/QV_DataCore.h"
#include "view/QV_QorView.h"

#include <QGuiApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

TQV_MainForm::TQV_MainForm()
{
    setWindowTitle(QStringLiteral("Qorvel"));
    setMinimumSize(400, 400);
    SessionTimer = new QTimer(this);
    SessionTimer->setInterval(200);
    connect(SessionTimer, &QTimer::timeout, this, &TQV_MainForm::SessionTimerTimer);
    FormCreate();
    SessionTimer->start();
}

TQV_MainForm::~TQV_MainForm()
{
    if (FQorView) FQorView->SaveSession();
    delete FQorView;
    FQorView = nullptr;
}

void TQV_MainForm::FormCreate()
{
    resize(900, 665);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FQorView = new TQorView(this);
    layout->addWidget(FQorView);
    FQorView->installEventFilter(this);
    FQorView->setFocus();
    FQorView->AddFileTab(QDrivePath, true);
    ShowAboutDialog = [this] { FQorView->ShowAboutDialog(); };
    ShowSettingsDialog = [this] { FQorView->ShowSettings(); };

    // The designed position: centred on the desktop, unless the settings placed
    // the window.
    if (!Settings().StartUp.RestorePosition && !(windowState() & Qt::WindowMaximized)) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect desk = screen->availableGeometry();
            move(desk.x() + std::max(0, (desk.width() - width()) / 2),
                 desk.y() + std::max(0, (desk.height() - height()) / 2));
        }
    }
}

bool TQV_MainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FQorView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F1 && ShowAboutDialog) ShowAboutDialog();
        else if (key == Qt::Key_F12 && ShowSettingsDialog) ShowSettingsDialog();
    }
    return false;  // the view still gets the key
}

void TQV_MainForm::closeEvent(QCloseEvent* event)
{
    if (FQorView) FQorView->DataCore()->StopThreads();
    QWidget::closeEvent(event);
}

// Once only: the last session is restored behind the first tab.
void TQV_MainForm::SessionTimerTimer()
{
    SessionTimer->stop();
    FQorView->RestoreSession();
    sessionRestored_ = true;
    for (const auto& [requests, purpose] : std::exchange(pendingRequests_, {})) Open(requests, purpose);
}

void TQV_MainForm::Open(const std::vector<TOpenRequest>& Requests, TOpenPurpose Purpose)
{
    if (!sessionRestored_) {
        pendingRequests_.emplace_back(Requests, Purpose);
        return;
    }
    TQorView* view = FQorView;
    FQorView->OpenRequests(Requests, Purpose == TOpenPurpose::opProperties
                                         ? std::function<void()>([view] { view->ShowPropDialog(); })
                                         : std::function<void()>());
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}
