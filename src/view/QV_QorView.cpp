#include "view/QV_QorView.h"

#include "commands/QV_ButtonManager.h"
#include "controls/QV_CtrlManager.h"
#include "controls/QV_Repaint.h"
#include "controls/QV_ViewHolder.h"
#include "data/QV_DataCore.h"
#include "dialogs/QV_ShellDialogs.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "icons/QV_IconManager.h"
#include "locale/QV_LocaleManager.h"
#include "menus/QV_ExtManager.h"
#include "menus/QV_MenuManager.h"
#include "menus/QV_SmartMenu.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "platform/fs/QV_FileNames.h"
#include "theme/QV_SkinBuffer.h"
#include "view/QV_KeyMap.h"
#include "view/QV_RepaintServer.h"
#include "widgets/QV_BlinkTimer.h"
#include "widgets/QV_ItemBars.h"
#include "widgets/QV_SearchBar.h"
#include "widgets/QV_SelectTip.h"
#include "widgets/QV_SmartEdit.h"
#include "widgets/QV_SmartScroll.h"
#include "widgets/QV_SmartTab.h"
#include "widgets/QV_SmartTip.h"
#include "widgets/QV_WidgetControls.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QApplication>
#include <QBackingStore>
#include <QCheckBox>
#include <QPushButton>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <cstdio>
#include <exception>
#include <limits>
#include <utility>

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

    localeManager_ = std::make_unique<TLocaleManager>();
    SetLocaleManager(localeManager_.get());
    buttonManager_ = std::make_unique<TButtonManager>();
    extManager_ = std::make_unique<TExtManager>();
    menuManager_ = std::make_unique<TMenuManager>();
    ctrlManager_ = std::make_unique<TCtrlManager>();
    ctrlManager_->CM_PARENT = this;
    RegisterCommandControls(*ctrlManager_, *buttonManager_);
    SetCtrlManager(ctrlManager_.get());
    iconManager_ = std::make_unique<TIconManager>();
    iconManager_->OpenPlaces = [] { return OpenFilePlaces(); };
    SetIconManager(iconManager_.get());
    QV_SKIN = std::make_unique<TSkinBuffer>();
    dataCore_ = std::make_unique<TDataCore>();
    SetDataCore(dataCore_.get());

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

    // What the first frame need not show waits for it, or for three seconds
    // should that frame not come.
    HoldUntilFirstFrame(true);
    QTimer::singleShot(3000, this, [this] { FirstFrameDone(); });
    RegisterWidgetControls(*ctrlManager_);
    CreateControls();

    QvContext().View.store(this);
    SetHolderHost(this);
    shellUi_ = std::make_unique<TDesktopShellUi>(this);
    shell_ = std::make_unique<TShell>(shellUi_.get());
    SetShellBridge(shell_.get());
    SetRepaintHandler([this] { InvalidateGL(); });
    // Failures the user must hear of reach the window's message box on the
    // interface thread, through whichever view is alive when the message runs.
    previousFailureHook_ = SetFailureHook([](TFailureLevel level, const QString& where, const QString& what) {
        DefaultFailureReport(level, where, what);
        if (level != flUser) return;
        QMetaObject::invokeMethod(
            qApp, [what] { if (THolderHost* host = HolderHost()) host->ShowMessage(what); }, Qt::QueuedConnection);
    });
    repaintServer_ = new TRepaintServer(TRepaintServer::DefaultPath(), [this] { return MessageStart(QV_MSG_START); },
                                        this);
    repaintServer_->SetSelectionSource([this] { return SelectionReport(); });
    repaintServer_->SetSource("tabs", [this] { return TabsReport(); });

    smartMenu_ = static_cast<TSmartMenu*>(ctrlManager_->AddControl(QStringLiteral("SmartMenu"), new TSmartMenu));
    if (smartMenu_) {
        smartMenu_->OpenMenu = [this](TSmartCtrl* sender, const QString& id) { PopUpButtonMenu(sender, {id}); };
        TryPopDown = [this](int X, int Y) { smartMenu_->TryPopDown(X, Y); };
    }

    ctrlManager_->EventNotify(QStringLiteral("FolderChanged"));
}

TQorView::~TQorView()
{
    // The holders' tasks and monitors end before the managers they use go.
    dataCore_->StopThreads();
    dataCore_->Clear();
    // Running file operations are cancelled and waited for; their partial output goes.
    if (ShellBridge() == shell_.get()) SetShellBridge(nullptr);
    shell_.reset();
    shellUi_.reset();
    if (HolderHost() == this) SetHolderHost(nullptr);
    SetRepaintHandler(nullptr);
    FirstFrameDone();
    SetFailureHook(std::move(previousFailureHook_));
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
    localeManager_.reset();
    TryPopDown = nullptr;
    smartMenu_ = nullptr;
    SetCtrlManager(nullptr);
    ctrlManager_.reset();
    menuManager_.reset();
    extManager_.reset();
    delete QV_TIMER_CLICK;
    delete QV_TIMER_BLINK;
    QV_CANVAS = TBitmap32();
    SetDataCore(nullptr);
    dataCore_.reset();
    SetIconManager(nullptr);
    iconManager_.reset();
    QV_SKIN.reset();
}

void TQorView::CreateControls()
{
    ctrlManager_->AddControl(QStringLiteral("SmartTab"), new TSmartTab());
    ctrlManager_->AddControl(QStringLiteral("QuickBar"), new TQuickBar());
    ctrlManager_->AddControl(QStringLiteral("PathBar"), new TPathBar());
    ctrlManager_->AddControl(QStringLiteral("ActionBar"), new TActionBar());
    ctrlManager_->AddControl(QStringLiteral("SmartScroll"), new TSmartScroll());
    // The search bars wait hidden until a search tab is shown.
    for (TSmartCtrl* bar : {ctrlManager_->AddControl(QStringLiteral("SearchBarTop"), new TSearchBar()),
                            ctrlManager_->AddControl(QStringLiteral("SearchBarBottom"), new TSearchBarBottom())})
        if (bar) bar->SC_VISIBLE = false;
    ctrlManager_->AddControl(QStringLiteral("RenameEdit"), new TRenameEdit());
    ctrlManager_->AddControl(QStringLiteral("SelectTip"), new TSelectTip());
    ctrlManager_->AddControl(QStringLiteral("SmartTip"), new TSmartTip());
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

QByteArray TQorView::SelectionReport() const
{
    const auto* holder = dynamic_cast<const TDataHolder*>(ActiveHolder());
    if (!holder) return {};
    QByteArray report;
    for (const auto& item : holder->Items()) {
        if (item->IsGroup() || !item->Selected()) continue;
        const QRect r = item->ItemRect(holder);
        report += QStringLiteral("%1 %2 %3 %4 ").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toLatin1() +
                  item->ID_FILE_DATA.FD_NAME.toUtf8().toPercentEncoding() + '\n';
    }
    return report;
}

QByteArray TQorView::TabsReport() const
{
    const auto* strip = dynamic_cast<const TSmartTab*>(ctrlManager_->GetControlData(QStringLiteral("SmartTab")));
    QByteArray report;
    for (const auto& holder : dataCore_->DC_LIST) {
        QRect r;
        if (const TTabData* tab = strip ? strip->GetTabData(strip->GetTabIDX(holder->DH_ID)) : nullptr;
            tab && tab->SC_VISIBLE && strip->SC_VISIBLE)
            r = QRect(tab->SC_POS, QSize(tab->SC_WIDTH, tab->SC_HEIGHT));
        report += QStringLiteral("%1 %2 %3 %4 %5 ")
                      .arg(r.x())
                      .arg(r.y())
                      .arg(r.width())
                      .arg(r.height())
                      .arg(holder.get() == dataCore_->DC_HOLDER ? 1 : 0)
                      .toLatin1() +
                  holder->DH_ID.toUtf8().toPercentEncoding() + '\n';
    }
    return report;
}

void TQorView::SetHolderSource(std::function<TViewHolder*()> source) { holderSource_ = std::move(source); }

TViewHolder* TQorView::ActiveHolder() const
{
    if (holderSource_) return holderSource_();
    return dataCore_->DC_HOLDER;
}

TFileHolder* TQorView::FileHolder() const { return dynamic_cast<TFileHolder*>(dataCore_->DC_HOLDER); }

void TQorView::ShowMessage(const QString& Text)
{
    // Shown without a nested event loop: a message from a background failure
    // must not stall the tasks whose hand-overs the loop serves.
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Qorvel"), Text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TQorView::AskRun(const QString& Path, std::function<void(TRunAnswer)> Answer)
{
    const auto text = [](const char* key, const char* def) {
        return Localized(QStringLiteral("RunQuestion"), QString::fromLatin1(key), QString::fromUtf8(def));
    };
    const QString name = DisplayFileName(Path.mid(Path.lastIndexOf(QLatin1Char('/')) + 1));
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Qorvel"),
                                text("Text", "\u201C%1\u201D is a program. Do you want to run it, or open it as a document?")
                                    .arg(name),
                                QMessageBox::NoButton, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* run = box->addButton(text("Run", "Run"), QMessageBox::AcceptRole);
    QPushButton* open = box->addButton(text("Open", "Open"), QMessageBox::ActionRole);
    QPushButton* cancel = box->addButton(text("Cancel", "Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setCheckBox(new QCheckBox(text("Remember", "Do not ask again"), box));
    // Closing the box any other way is a Cancel; the answer comes exactly once.
    connect(box, &QMessageBox::finished, box, [box, run, open, Answer = std::move(Answer)](int) {
        TRunAnswer answer;
        if (box->clickedButton() == run) answer.Choice = TRunChoice::rcRun;
        else if (box->clickedButton() == open) answer.Choice = TRunChoice::rcOpen;
        answer.Remember = box->checkBox()->isChecked();
        Answer(answer);
    });
    box->open();
}

// --- Menus ---

void TQorView::PopUpMenu(int X, int Y, const TStringArray& MenuIDs)
{
    menuManager_->PopUpMenu(smartMenu_, X, Y, MenuIDs);
}

void TQorView::PopUpTypeMenu(int X, int Y, const TStringArray& TypeKeys)
{
    extManager_->PopUpMenu(smartMenu_, X, Y, TypeKeys);
}

void TQorView::PopUpButtonMenu(TSmartCtrl* Sender, const TStringArray& MenuIDs)
{
    menuManager_->PopUpMenu(Sender, smartMenu_, MenuIDs);
}

void TQorView::PopUpMenuItems(TSmartCtrl* Sender, const QString& Caption, std::unique_ptr<TControlList> Items, int)
{
    if (!smartMenu_ || !Items || Items->Count() == 0) return;
    auto* holder = new TMenuHolder;
    holder->MH_CAPTION = Caption;
    holder->SC_ID = Caption;
    while (Items->Count() > 0) holder->MH_LIST->AddControl(Items->Take(0).release());
    smartMenu_->PopUp(Sender, holder);
}

void TQorView::PopDownMenu()
{
    if (smartMenu_ && smartMenu_->SM_SHOWING) smartMenu_->PopDown();
}

// --- Painting ---

void TQorView::UpdateWindowTitle()
{
    // Every change of place or tab repaints, so the title follows from here.
    QString place;
    const auto* holder = dataCore_ ? dynamic_cast<const TFileHolder*>(dataCore_->DC_HOLDER) : nullptr;
    if (const TPathData* current = holder ? holder->Path_Curr() : nullptr) {
        const QString& path = current->PD_PATH;
        place = DisplayFileName(path == QDrivePath || path == TrashPath ? TabCaption(path) : DisplayName(path));
    }
    const QString title = place.isEmpty() ? QStringLiteral("Qorvel") : place + QStringLiteral(" \u2014 Qorvel");
    if (QWidget* form = window(); form && form != this && form->windowTitle() != title) form->setWindowTitle(title);
}

void TQorView::paintEvent(QPaintEvent*)
{
    // Cleared first: a change made while this frame is drawn asks for the next.
    QV_INVALIDATING = false;
    QV_CANVAS.SetSize(QV_VISIBLE_W, QV_VISIBLE_H);
    // A holder paints every pixel of the canvas, beginning with its back colour.
    if (TViewHolder* holder = ActiveHolder()) holder->On_Paint(QV_CANVAS);
    else QV_CANVAS.Clear(0xFFFFFFFF);
    ctrlManager_->PaintControls(QV_CANVAS);
    UpdateWindowTitle();
    // A new window buffer is mapped in whole before the copy writes it.
    if (QBackingStore* store = backingStore(); store && store->size() != preparedStoreSize_) {
        preparedStoreSize_ = store->size();
        if (auto* target = dynamic_cast<QImage*>(store->paintDevice())) PrefaultPixels(*target);
    }
    QPainter painter(this);
    // The canvas is opaque: copied, not blended, onto the window's buffer.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, QV_CANVAS.Image());

    ++paintCount_;
    // The first frame that shows the window complete: every bar and the tab
    // strip with the items they load in the background.
    if (!firstFrameDone_ && BarsLoaded()) {
        if (!firstPaintReported_ && qEnvironmentVariableIsSet("QORVEL_REPORT_FIRST_PAINT")) {
            firstPaintReported_ = true;
            std::fputs("qorvel: first paint\n", stdout);
            std::fflush(stdout);
        }
        // Queued: the frame reaches the screen before the work starts.
        QTimer::singleShot(0, this, [this] { FirstFrameDone(); });
    }
}

void TQorView::FirstFrameDone()
{
    if (firstFrameDone_) return;
    firstFrameDone_ = true;
    HoldUntilFirstFrame(false);
}

bool TQorView::BarsLoaded() const
{
    for (int i = 0; i < ctrlManager_->ControlCount(); ++i) {
        const TSmartCtrl* control = ctrlManager_->GetControlData(i);
        if (const auto* strip = dynamic_cast<const TSmartTab*>(control); strip && strip->ItemLoads() < 1) return false;
        if (const auto* bar = dynamic_cast<const TItemBar*>(control); bar && bar->ItemLoads() < 1) return false;
    }
    return true;
}

void TQorView::resizeEvent(QResizeEvent*)
{
    QV_VISIBLE_W = width();
    QV_VISIBLE_H = height();
    ctrlManager_->On_Resize(QV_VISIBLE_W, QV_VISIBLE_H);
    if (TViewHolder* holder = ActiveHolder()) holder->On_Resize(QV_VISIBLE_W, QV_VISIBLE_H);
}

// --- Mouse ---

void TQorView::mousePressEvent(QMouseEvent* event) { MouseDown(event); }

// The click timer decides double clicks, so the toolkit's own double click is
// just another press.
void TQorView::mouseDoubleClickEvent(QMouseEvent* event) { MouseDown(event); }

void TQorView::MouseDown(QMouseEvent* event)
{
    // The mouse's own back and forward buttons, as in every browser.
    if (event->button() == Qt::BackButton) return GoBack();
    if (event->button() == Qt::ForwardButton) return GoFwrd();
    TMouseButton button;
    if (!MouseButtonOf(event->button(), button)) return;
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    const QPoint p = PointOf(event);

    if (QV_TIMER_CLICK->isActive()) {
        if (TSmartCtrl* control = ctrlManager_->ControlNotify(p.x(), p.y(), false))
            control->On_MouseDouble(button, shift, p.x(), p.y());
        else if (TViewHolder* holder = ActiveHolder())
            holder->On_DblClick(button, shift, p.x(), p.y());
        return;
    }
    QV_TIMER_CLICK->start(int(Settings().Mouse.ClickDelay));
    if (TryPopDown) TryPopDown(p.x(), p.y());
    if (TSmartCtrl* control = ctrlManager_->ControlNotify(p.x(), p.y(), true))
        control->On_MouseDown(button, shift, p.x(), p.y());
    else if (TViewHolder* holder = ActiveHolder())
        holder->On_MouseDown(button, shift, p.x(), p.y());
}

void TQorView::mouseMoveEvent(QMouseEvent* event)
{
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    const QPoint p = PointOf(event);
    TSmartCtrl* control = ctrlManager_->ControlNotify(p.x(), p.y(), false);
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
    TSmartCtrl* control = ctrlManager_->ControlNotify(p.x(), p.y(), false);
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
    if (TSmartCtrl* control = ctrlManager_->On_MouseWheel(msg)) control->On_MouseWheel(msg);
    else if (TViewHolder* holder = ActiveHolder()) holder->On_MouseWheel(msg);
}

// --- Keys ---

bool TQorView::FocusQuickFilter(const QKeyEvent* event)
{
    const bool ctrlF = event->key() == Qt::Key_F && (event->modifiers() & Qt::ControlModifier) &&
                       !(event->modifiers() & (Qt::AltModifier | Qt::ShiftModifier));
    const bool slash = event->text() == QLatin1String("/") && !(event->modifiers() & Qt::ControlModifier);
    if ((!ctrlF && !slash) || FocusedEdit(*ctrlManager_)) return false;
    TFilterEdit* filter = FindQuickFilter(*ctrlManager_);
    if (!filter) return false;
    FocusControl(*ctrlManager_, filter);
    InvalidateGL();
    return true;
}

void TQorView::keyPressEvent(QKeyEvent* event)
{
    const TShiftState shift = ShiftStateOf(event->modifiers(), Qt::NoButton);
    if (!event->isAutoRepeat()) pressedShift_.insert(event->key(), shift);
    // An open menu takes the keys, whoever has the focus.
    if (smartMenu_ && smartMenu_->SM_SHOWING) {
        menuKeys_.insert(event->key());
        if (TKeyCode code = KeyCodeOf(event->key())) smartMenu_->On_KeyDown(code, shift);
        for (QChar typed : TypedText(event->key(), event->modifiers(), event->text())) smartMenu_->On_KeyPress(typed);
        InvalidateGL();
        return;
    }
    if (FocusQuickFilter(event)) return;
    if (TKeyCode code = KeyCodeOf(event->key())) {
        if (TSmartCtrl* control = ctrlManager_->FocusedControl()) control->On_KeyDown(code, shift);
        else if (TViewHolder* holder = ActiveHolder()) holder->On_KeyDown(code, shift);
    }
    for (QChar typed : TypedText(event->key(), event->modifiers(), event->text())) {
        if (TSmartCtrl* control = ctrlManager_->FocusedControl()) control->On_KeyPress(typed);
        else if (TViewHolder* holder = ActiveHolder()) holder->On_KeyPress(typed);
    }
}

void TQorView::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats its key-down only, as the handlers expect.
    if (event->isAutoRepeat()) return;
    const auto pressed = pressedShift_.constFind(event->key());
    const TShiftState shift =
        pressed != pressedShift_.cend() ? *pressed : ShiftStateOf(event->modifiers(), Qt::NoButton);
    pressedShift_.remove(event->key());
    // The release of a key the menu took is the menu's too: a Delete pressed
    // in a menu must not delete the selection.
    if (menuKeys_.remove(event->key())) return;
    TKeyCode code = KeyCodeOf(event->key());
    if (!code) return;
    if (TSmartCtrl* control = ctrlManager_->FocusedControl()) control->On_KeyUp(code, shift);
    else if (TViewHolder* holder = ActiveHolder()) holder->On_KeyUp(code, shift);
}

void TQorView::inputMethodEvent(QInputMethodEvent* event)
{
    // Only the finished text is taken; the text being composed is not drawn.
    if (TSmartEdit* edit = FocusedEdit(*ctrlManager_); edit && !event->commitString().isEmpty()) {
        edit->InsertComposed(event->commitString());
        ctrlManager_->Control_Update();
        InvalidateGL();
    }
    event->accept();
}

QVariant TQorView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    TSmartEdit* edit = FocusedEdit(*ctrlManager_);
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

void TQorView::leaveEvent(QEvent*)
{
    // A drag keeps its hold until the button is released, inside or out.
    TViewHolder* holder = ActiveHolder();
    if (holder && holder->Selecting()) return;
    if (holder) holder->PointerLeft();
    ctrlManager_->ControlNotify(std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::min() / 2, false);
    InvalidateGL();
}

// Tab is a key for the controls and holders, not a focus move: the view is the
// only widget of its window.
bool TQorView::focusNextPrevChild(bool) { return false; }
