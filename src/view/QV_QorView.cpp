#include "view/QV_QorView.h"

#include "controls/QV_CtrlManager.h"
#include "controls/QV_Repaint.h"
#include "controls/QV_ViewHolder.h"
#include "data/QV_DataCore.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "icons/QV_IconManager.h"
#include "locale/QV_LocaleManager.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "theme/QV_SkinBuffer.h"
#include "view/QV_KeyMap.h"
#include "view/QV_RepaintServer.h"
#include "widgets/QV_BlinkTimer.h"
#include "widgets/QV_SelectTip.h"
#include "widgets/QV_SmartEdit.h"
#include "widgets/QV_SmartScroll.h"
#include "widgets/QV_SmartTip.h"
#include "widgets/QV_WidgetControls.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <cstdio>
#include <exception>

namespace {

struct TViewThemeImage {
    const char* Section;
    const char* ImageName;
    const char* Id;
    const char* File;
};

const TViewThemeImage ViewThemeImages[] = {
    {"FileHolder", "Item.Normal", "ItemNormalBack", "Items\\ItemNormalBack.png"},
    {"FileHolder", "Item.Hot", "ItemHotBack", "Items\\ItemHotBack.png"},
    {"FileHolder", "Item.Selected", "ItemSelBack", "Items\\ItemSelBack.png"},
    {"FileHolder", "Item.HotSelected", "ItemHotSelBack", "Items\\ItemHotSelBack.png"},
    {"FileHolder", "Group.Normal", "GroupNormalBack", "Items\\GroupNormalBack.png"},
    {"FileHolder", "Group.Hot", "GroupHotBack", "Items\\GroupHotBack.png"},
    {"FileHolder", "Group.Selected", "GroupSelBack", "Items\\GroupSelBack.png"},
    {"FileHolder", "Group.HotSelected", "GroupHotSelBack", "Items\\GroupHotSelBack.png"},
    {"SelectTip", "Background", "SelectTipBack", "SelectTip\\Background.png"},
};

QPoint PointOf(const QMouseEvent* event) { return event->position().toPoint(); }

}  // namespace

TQorView* QorView() { return QvContext().View.load(); }

TQorView::TQorView(QWidget* mainForm) : QWidget(mainForm)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    QV_RESTORING = false;

    LoadSettings();
    ApplyWindowPlacement(mainForm);

    LocaleManager_ = std::make_unique<TLocaleManager>();
    SetLocaleManager(LocaleManager_.get());
    CtrlManager_ = std::make_unique<TCtrlManager>();
    CtrlManager_->CM_PARENT = this;
    SetCtrlManager(CtrlManager_.get());
    IconManager_ = std::make_unique<TIconManager>();
    IconManager_->OpenPlaces = [] { return OpenFilePlaces(); };
    SetIconManager(IconManager_.get());
    QV_SKIN = std::make_unique<TSkinBuffer>();
    DataCore_ = std::make_unique<TDataCore>();
    SetDataCore(DataCore_.get());

    LoadTheme();

    QV_TIMER_CLICK = new QTimer(this);
    QV_TIMER_CLICK->setSingleShot(true);
    QV_TIMER_CLICK->setTimerType(Qt::PreciseTimer);  // the window is short; coarse timers drift by 5%
    QV_TIMER_CLICK->setInterval(int(Settings().Mouse.ClickDelay));

    QV_TIMER_BLINK = new QTimer(this);
    QV_TIMER_BLINK->setInterval(TBlinkTimer::Interval);
    connect(QV_TIMER_BLINK, &QTimer::timeout, this, [] { TickBlinkTimers(); });
    QV_TIMER_BLINK->start();

    QV_CANVAS = TBitmap32();

    RegisterWidgetControls(*CtrlManager_);
    CreateControls();

    QvContext().View.store(this);
    SetHolderHost(this);
    SetRepaintHandler([this] { InvalidateGL(); });
    RepaintServer_ = new TRepaintServer(TRepaintServer::DefaultPath(), [this] { return MessageStart(QV_MSG_START); },
                                        this);

    CtrlManager_->EventNotify(QStringLiteral("FolderChanged"));
}

TQorView::~TQorView()
{
    // The holders' tasks and monitors end before the managers they use go.
    DataCore_->StopThreads();
    DataCore_->Clear();
    if (HolderHost() == this) SetHolderHost(nullptr);
    SetRepaintHandler(nullptr);
    TQorView* self = this;
    QvContext().View.compare_exchange_strong(self, nullptr);

    if (const QWidget* form = window(); form && form != this) {
        TWindowState state;
        state.Maximized = form->isMaximized();
        state.Left = form->x();
        state.Top = form->y();
        state.ClientWidth = form->width();
        state.ClientHeight = form->height();
        SaveWindowState(state);
    }

    SetLocaleManager(nullptr);
    LocaleManager_.reset();
    SetCtrlManager(nullptr);
    CtrlManager_.reset();
    delete QV_TIMER_CLICK;
    delete QV_TIMER_BLINK;
    QV_CANVAS = TBitmap32();
    SetDataCore(nullptr);
    DataCore_.reset();
    SetIconManager(nullptr);
    IconManager_.reset();
    QV_SKIN.reset();
}

void TQorView::CreateControls()
{
    CtrlManager_->AddControl(QStringLiteral("SmartScroll"), new TSmartScroll());
    CtrlManager_->AddControl(QStringLiteral("RenameEdit"), new TRenameEdit());
    CtrlManager_->AddControl(QStringLiteral("SelectTip"), new TSelectTip());
    CtrlManager_->AddControl(QStringLiteral("SmartTip"), new TSmartTip());
}

void TQorView::ApplyWindowPlacement(QWidget* mainForm)
{
    if (!mainForm) return;
    const auto& window = Settings().Window;
    if (window.Maximized) {
        mainForm->setWindowState(mainForm->windowState() | Qt::WindowMaximized);
        return;
    }
    if (Settings().StartUp.RestorePosition) mainForm->move(window.PosX, window.PosY);
    if (Settings().StartUp.RestoreWH) mainForm->resize(window.Width, window.Height);
}

void TQorView::LoadTheme()
{
    QV_SKIN->SB_ID = QStringLiteral("<default>");
    // A damaged entry of the theme costs only that picture, never the start.
    for (const TViewThemeImage& entry : ViewThemeImages) {
        try {
            QV_SKIN->LoadThemeImage(QString::fromLatin1(entry.Id), QString::fromLatin1(entry.Section),
                                    QString::fromLatin1(entry.ImageName), QString::fromLatin1(entry.File));
        } catch (const std::exception&) {
            ReportCurrentException("View theme image");
        }
    }
    try {
        QV_SKIN->LoadThemeFont(QStringLiteral("Tip.Text.Normal"), QStringLiteral("SelectTip"),
                               QStringLiteral("Text.Normal"),
                               QStringLiteral("Name(Calibri), Color($000000), Size(11), Bold(1)"));
    } catch (const std::exception&) {
        ReportCurrentException("View theme font");
    }
}

void TQorView::InvalidateGL()
{
    // The flag stays set until the paint begins, so every request made before
    // that paint folds into it.
    if (QV_INVALIDATING.exchange(true)) return;
    if (IsMainThread()) update();
    else QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

int TQorView::MessageStart(int message)
{
    if (message != QV_MSG_START) return 0;
    InvalidateGL();
    return 1;
}

void TQorView::SetHolderSource(std::function<TViewHolder*()> source) { HolderSource_ = std::move(source); }

TViewHolder* TQorView::ActiveHolder() const
{
    if (HolderSource_) return HolderSource_();
    return DataCore_->DC_HOLDER;
}

TFileHolder* TQorView::FileHolder() const { return dynamic_cast<TFileHolder*>(DataCore_->DC_HOLDER); }

void TQorView::ShowMessage(const QString& Text) { QMessageBox::information(this, QStringLiteral("Qorvel"), Text); }

// --- Painting ---

void TQorView::paintEvent(QPaintEvent*)
{
    // Cleared first: a change made while this frame is drawn asks for the next.
    QV_INVALIDATING = false;
    QV_CANVAS.SetSize(QV_VISIBLE_W, QV_VISIBLE_H);
    QV_CANVAS.Clear(0xFFFFFFFF);
    if (TViewHolder* holder = ActiveHolder()) holder->On_Paint(QV_CANVAS);
    CtrlManager_->PaintControls(QV_CANVAS);
    QPainter painter(this);
    painter.drawImage(0, 0, QV_CANVAS.Image());

    if (PaintCount_++ == 0 && qEnvironmentVariableIsSet("QORVEL_REPORT_FIRST_PAINT")) {
        std::fputs("qorvel: first paint\n", stdout);
        std::fflush(stdout);
    }
}

void TQorView::resizeEvent(QResizeEvent*)
{
    QV_VISIBLE_W = width();
    QV_VISIBLE_H = height();
    CtrlManager_->On_Resize(QV_VISIBLE_W, QV_VISIBLE_H);
    if (TViewHolder* holder = ActiveHolder()) holder->On_Resize(QV_VISIBLE_W, QV_VISIBLE_H);
}

// --- Mouse ---

void TQorView::mousePressEvent(QMouseEvent* event) { MouseDown(event); }

// The click timer decides double clicks, so the toolkit's own double click is
// just another press.
void TQorView::mouseDoubleClickEvent(QMouseEvent* event) { MouseDown(event); }

void TQorView::MouseDown(QMouseEvent* event)
{
    TMouseButton button;
    if (!MouseButtonOf(event->button(), button)) return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    const QPoint p = PointOf(event);

    if (QV_TIMER_CLICK->isActive()) {
        if (TSmartCtrl* control = CtrlManager_->ControlNotify(p.x(), p.y(), false))
            control->On_MouseDouble(button, shift, p.x(), p.y());
        else if (TViewHolder* holder = ActiveHolder())
            holder->On_DblClick(button, shift, p.x(), p.y());
        return;
    }
    QV_TIMER_CLICK->start(int(Settings().Mouse.ClickDelay));
    if (TryPopDown) TryPopDown(p.x(), p.y());
    if (TSmartCtrl* control = CtrlManager_->ControlNotify(p.x(), p.y(), true))
        control->On_MouseDown(button, shift, p.x(), p.y());
    else if (TViewHolder* holder = ActiveHolder())
        holder->On_MouseDown(button, shift, p.x(), p.y());
}

void TQorView::mouseMoveEvent(QMouseEvent* event)
{
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    const QPoint p = PointOf(event);
    TSmartCtrl* control = CtrlManager_->ControlNotify(p.x(), p.y(), false);
    TViewHolder* holder = ActiveHolder();
    if (holder && (holder->Selecting() || !control)) holder->On_MouseMove(shift, p.x(), p.y());
    else if (control) control->On_MouseMove(shift, p.x(), p.y());
}

void TQorView::mouseReleaseEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!MouseButtonOf(event->button(), button)) return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    const QPoint p = PointOf(event);
    TSmartCtrl* control = CtrlManager_->ControlNotify(p.x(), p.y(), false);
    TViewHolder* holder = ActiveHolder();
    if (holder && (holder->Selecting() || !control)) holder->On_MouseUp(button, shift, p.x(), p.y());
    else if (control) control->On_MouseUp(button, shift, p.x(), p.y());
    InvalidateGL();
}

void TQorView::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) return;  // sideways scrolling has no meaning here
    const QPoint p = event->position().toPoint();
    TWMMouseWheel msg{ShiftStateOf(event->modifiers(), event->buttons()), delta, p.x(), p.y()};
    // The hot control hears every wheel step twice: once through the manager
    // and once more from here; stored settings of wheel speed assume it.
    if (TSmartCtrl* control = CtrlManager_->On_MouseWheel(msg)) control->On_MouseWheel(msg);
    else if (TViewHolder* holder = ActiveHolder()) holder->On_MouseWheel(msg);
}

// --- Keys ---

bool TQorView::FocusQuickFilter(const QKeyEvent* event)
{
    const bool ctrlF = event->key() == Qt::Key_F && (event->modifiers() & Qt::ControlModifier) &&
                       !(event->modifiers() & (Qt::AltModifier | Qt::ShiftModifier));
    const bool slash = event->text() == QLatin1String("/") && !(event->modifiers() & Qt::ControlModifier);
    if ((!ctrlF && !slash) || FocusedEdit(*CtrlManager_)) return false;
    TFilterEdit* filter = FindQuickFilter(*CtrlManager_);
    if (!filter) return false;
    FocusControl(*CtrlManager_, filter);
    InvalidateGL();
    return true;
}

void TQorView::keyPressEvent(QKeyEvent* event)
{
    if (FocusQuickFilter(event)) return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), Qt::NoButton);
    if (TKeyCode code = KeyCodeOf(event->key())) {
        if (TSmartCtrl* control = CtrlManager_->FocusedControl()) control->On_KeyDown(code, shift);
        else if (TViewHolder* holder = ActiveHolder()) holder->On_KeyDown(code, shift);
    }
    for (QChar typed : TypedText(event->key(), event->modifiers(), event->text())) {
        if (TSmartCtrl* control = CtrlManager_->FocusedControl()) control->On_KeyPress(typed);
        else if (TViewHolder* holder = ActiveHolder()) holder->On_KeyPress(typed);
    }
}

void TQorView::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats its key-down only, as the handlers expect.
    if (event->isAutoRepeat()) return;
    TKeyCode code = KeyCodeOf(event->key());
    if (!code) return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), Qt::NoButton);
    if (TSmartCtrl* control = CtrlManager_->FocusedControl()) control->On_KeyUp(code, shift);
    else if (TViewHolder* holder = ActiveHolder()) holder->On_KeyUp(code, shift);
}

void TQorView::inputMethodEvent(QInputMethodEvent* event)
{
    // Only the finished text is taken; the text being composed is not drawn.
    if (TSmartEdit* edit = FocusedEdit(*CtrlManager_); edit && !event->commitString().isEmpty()) {
        edit->InsertComposed(event->commitString());
        CtrlManager_->Control_Update();
        InvalidateGL();
    }
    event->accept();
}

QVariant TQorView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    TSmartEdit* edit = FocusedEdit(*CtrlManager_);
    switch (query) {
    // Always on: the method may only learn of a newly focused field at its next key.
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: return edit ? QVariant(edit->CaretRect()) : QVariant(QRect());
    case Qt::ImSurroundingText: return edit ? QVariant(edit->SE_TEXT) : QVariant(QString());
    case Qt::ImCursorPosition: return edit ? QVariant(edit->Model().Caret()) : QVariant(0);
    default: return QWidget::inputMethodQuery(query);
    }
}

void TQorView::enterEvent(QEnterEvent*)
{
    setFocus(Qt::MouseFocusReason);
    InvalidateGL();
}

// Tab is a key for the controls and holders, not a focus move: the view is the
// only widget of its window.
bool TQorView::focusNextPrevChild(bool) { return false; }
