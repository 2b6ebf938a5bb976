#include "commands/QV_ActionButton.h"

#include "controls/QV_CtrlManager.h"
#include "controls/QV_Repaint.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_System.h"
#include "locale/QV_LocaleManager.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/image/QV_ImageFile.h"
#include "tasks/QV_SmartTask.h"
#include "theme/QV_SkinBuffer.h"

#include <algorithm>

namespace {

const QString IconId = QStringLiteral("ButtonIcon");
// DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS
constexpr unsigned CaptionFlags = tfSingleLine | tfVCenter | tfNoPrefix | tfEndEllipsis;

// Only a regular file may be read as a picture: a FIFO or a device named like
// one would block the worker or never end.
bool IsPictureFile(const QString& path) { return PathKindOf(path) == TPathKind::pkFile; }

// The font of the tab strip's normal tabs, which sizes auto-width captions; a
// fresh font without a tab strip.
TFont AutoWidthFont()
{
    if (TCtrlManager* manager = CtrlManager())
        if (TSmartCtrl* tabs = manager->GetControlData(QStringLiteral("SmartTab")); tabs && tabs->SC_SKIN)
            if (const TFont* font = tabs->SC_SKIN->Font(QStringLiteral("Tab.Normal"))) return *font;
    return TFont();
}

}  // namespace

QString ButtonText(const QString& Command, const QString& def)
{
    const TLocaleManager* locale = LocaleManager();
    return locale ? locale->GetLocalized(QStringLiteral("Buttons"), Command, def) : def;
}

TButtonRects ActionButtonRects(const TSmartRect& Work)
{
    TButtonRects r;
    r.Icon.SetRect(Work.Left(), Work.Top(), Work.Left() + Work.Height(), Work.Bottom(), true);
    if (r.Icon.Right() > Work.Right()) r.Icon.SetRight(Work.Right());
    if (r.Icon.Bottom() > Work.Bottom()) r.Icon.SetBottom(Work.Bottom());
    if (r.Icon.Height() > r.Icon.Width()) {
        const int side = r.Icon.Width();
        r.Icon.SetTop(Work.Top() + (Work.Height() - side) / 2);
        r.Icon.SetBottom(r.Icon.Top() + side);
    }
    r.Text.SetRect(r.Icon.Right() + 8, Work.Top(), Work.Right() - 2, Work.Bottom(), true);
    return r;
}

QString ButtonIconFile(const QString& Command, const QString& Image)
{
    QString file = ResolvePath(QStringLiteral("ButtonsTheme:\\") + Command + QStringLiteral(".png"));
    if (!Image.contains(QLatin1String(".png"))) return file;
    // A delimiter makes it a path of its own; data files may write either.
    const bool isPath = Image.contains(QLatin1Char('\\')) || Image.contains(QLatin1Char('/'));
    const QString named = ResolvePath(isPath ? Image : QStringLiteral("ButtonsTheme:\\") + Image);
    return IsPictureFile(named) ? named : file;
}

TActionButton::TActionButton()
    : AB_SKIN(std::make_unique<TSkinBuffer>()), LoadTask(std::make_unique<TSmartTask>())
{
    SC_ID = QStringLiteral("NewBtn") + MakeID();
    SC_POS = QPoint(-1, -1);
    SC_WIDTH = 28;
    SC_HEIGHT = 28;
    SC_ALIGN = asLeft;
    SC_FIT_MODE = fmBoth;
    UpdateRects();
    LayoutRects();
}

TActionButton::~TActionButton() { EndLoading(); }

void TActionButton::EndLoading()
{
    // Destroying the task waits for its worker, serving its synchronized calls.
    LoadTask.reset();
}

// --- Parameters ---

void TActionButton::SetParams(const TParamString& Params)
{
    TSmartCtrl::SetParams(Params);
    // The command held before this call: a button given its parameters once
    // after creation gets an empty default, the second application its own text.
    const QString localized = ButtonText(AB_CMD, AB_CMD);
    AB_CAPTION = Params.GetValue(QStringLiteral("Caption"), localized);
    AB_Dialog = Params.GetValue(QStringLiteral("Dialog"), AB_Dialog);
    AB_P1 = Params.GetValue(QStringLiteral("P1"), QString());
    AB_P2 = Params.GetValue(QStringLiteral("P2"), QString());
    AB_CMD = Params.GetValue(QStringLiteral("CMD"), QString());
    AB_IMAGE = Params.GetValue(QStringLiteral("Image"), QString());
    const QString style = Params.GetValue(QStringLiteral("Style"), QStringLiteral("None"));
    if (style == QLatin1String("None")) AB_STYLE = dsNone;
    else if (style == QLatin1String("Icon")) AB_STYLE = dsIcon;
    else if (style == QLatin1String("Tile")) AB_STYLE = dsTile;
    LoadImage();
}

// --- Layout ---

void TActionButton::LayoutRects()
{
    const TButtonRects rects = ActionButtonRects(SC_RECT);
    AB_RECT_ICON = rects.Icon;
    AB_RECT_TEXT = rects.Text;
}

void TActionButton::On_Arrange()
{
    TSmartCtrl::On_Arrange();
    LayoutRects();
}

void TActionButton::On_SetWidth(int Value)
{
    TSmartCtrl::On_SetWidth(Value);
    if (AB_STYLE != dsTileAuto) return;
    SC_WIDTH = MeasureTextWidth(AutoWidthFont(), AB_CAPTION) + SC_RECT.Height() + 10;
}

// --- Painting ---

const TFont* TActionButton::StateFont() const
{
    if (!SC_SKIN || AB_State == bsPressed) return nullptr;
    // The skin's font wins over the owner's, which stands in where the skin has none.
    const bool hot = AB_State == bsHot;
    if (const TFont* skin = SC_SKIN->Font(hot ? QStringLiteral("FontButtonHot") : QStringLiteral("FontButtonNormal")))
        return skin;
    return hot ? AB_FONT_H : AB_FONT_N;
}

void TActionButton::PaintFace(TBitmap32& Dest, int Dx, int Dy)
{
    if (SC_SKIN && AB_State != bsPressed) {
        if (const TFont* font = StateFont()) Dest.Font = *font;
        SC_SKIN->DrawImage(AB_State == bsHot ? QStringLiteral("ButtonHot") : QStringLiteral("ButtonNormal"), Dest,
                           SC_POS.x() - Dx, SC_POS.y() - Dy, SC_WIDTH, SC_HEIGHT);
    }
    On_DrawImage(Dest, AB_RECT_ICON.Left() - Dx, AB_RECT_ICON.Top() - Dy, AB_RECT_ICON.Width(), AB_RECT_ICON.Height());
    if (AB_STYLE == dsTile || AB_STYLE == dsTileAuto) {
        TSmartRect text;
        text.SetBounds(AB_RECT_TEXT.Left() - Dx, AB_RECT_TEXT.Top() - Dy, AB_RECT_TEXT.Width(), AB_RECT_TEXT.Height());
        On_DrawText(Dest, text, AB_CAPTION);
    }
}

void TActionButton::On_Paint(TBitmap32& SC_CANVAS)
{
    if (AB_STYLE == dsNone) return;
    // A bar repaints every button on every frame: blending one finished picture
    // costs a third of drawing background, icon and caption afresh. Without a
    // skin the caption would take whatever font the canvas holds, so such a
    // button, and one too large to keep, draws directly.
    const QRect bounds = QRect(SC_POS, QSize(SC_WIDTH, SC_HEIGHT)).united(SC_RECT.Rect());
    constexpr qint64 MaxKeptPixels = 512 * 128;
    if (!SC_SKIN || !KeepsPicture() || bounds.isEmpty() || qint64(bounds.width()) * bounds.height() > MaxKeptPixels) {
        PaintFace(SC_CANVAS, 0, 0);
        return;
    }
    const bool text = AB_STYLE == dsTile || AB_STYLE == dsTileAuto;
    const TFont* font = text ? StateFont() : nullptr;  // the canvas's own when none
    const TPictureKey key{bounds.size(),
                          SC_RECT.Rect().translated(-bounds.topLeft()),
                          text ? AB_CAPTION : QString(),
                          AB_STYLE,
                          SC_VISIBLE,
                          AB_ImageLoaded,
                          SC_SKIN,
                          SC_SKIN->ContentGeneration(),
                          AB_SKIN->ContentGeneration(),
                          text ? (font ? *font : SC_CANVAS.Font) : TFont()};
    TPicture& picture = pictures_[AB_State];
    if (!picture.Made || !(picture.Key == key)) {
        picture.Bitmap = TBitmap32(bounds.width(), bounds.height());
        picture.Bitmap.Clear(0);
        picture.Bitmap.Font = SC_CANVAS.Font;
        PaintFace(picture.Bitmap, bounds.left(), bounds.top());
        picture.Key = key;
        picture.Made = true;
    }
    SC_CANVAS.Draw(bounds.left(), bounds.top(), picture.Bitmap);
}

void TActionButton::On_DrawImage(TBitmap32& Dest, int X, int Y, int W, int H)
{
    if (!SC_VISIBLE || !AB_ImageLoaded) return;
    TImageDataPtr icon;
    if (!AB_SKIN->GetImageData(IconId, icon)) return;
    // The icon's entry has no offsets, so its rendition goes straight onto the
    // canvas. A proportionally shrunk picture sits centred in the icon box.
    const TBitmap32 prepared = icon->Resize(W, H);
    if (prepared.Empty()) return;
    if (prepared.Height() != H) Y += (AB_RECT_ICON.Height() - prepared.Height()) / 2;
    Dest.Draw(X, Y, prepared);
}

void TActionButton::On_DrawText(TBitmap32& Dest, const TSmartRect& Rect, const QString& Text)
{
    if (!SC_VISIBLE || AB_RECT_TEXT.Width() < 4) return;
    Dest.DrawText(Rect.Rect(), Text, CaptionFlags);
}

// --- Mouse ---

void TActionButton::On_Enter(int X, int Y)
{
    AB_State = bsHot;
    TSmartCtrl::On_Enter(X, Y);
}

void TActionButton::On_Leave(int X, int Y)
{
    AB_State = bsNormal;
    TSmartCtrl::On_Leave(X, Y);
}

TSmartCtrl* TActionButton::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
    if (Button == mbRight && taken == this && !SC_MENU.isEmpty())
        if (THolderHost* host = HolderHost()) host->PopUpButtonMenu(this, {SC_MENU});
    return taken;
}

// --- Icon loading ---

void TActionButton::On_HandedOver()
{
    TSmartCtrl::On_HandedOver();
    if (imagePending_) LoadImage();
}

void TActionButton::SetLoadParams(TSmartTask& Task)
{
    Task.SetParam(QStringLiteral("CMD"), AB_CMD);
    Task.SetParam(QStringLiteral("Image"), AB_IMAGE);
}

void TActionButton::LoadImage()
{
    imagePending_ = true;
    // A bar filling its list on a worker: tasks start on the interface
    // thread, once the list is handed over. A round trip per button would
    // hold the bar's whole load behind whatever the interface thread does.
    if (!IsMainThread()) return;
    // The bars fill in after the window's first frame rather than hold it up.
    AfterFirstFrame([alive = std::weak_ptr<char>(alive_), this] {
        if (!alive.expired() && imagePending_) StartLoading();
    });
}

void TActionButton::StartLoading()
{
    imagePending_ = false;
    if (!LoadTask) return;
    AB_ImageLoaded = false;
    LoadTask->Stop();
    SetLoadParams(*LoadTask);
    LoadTask->Priority(tpLowest);
    LoadTask->OnExecuteEvent(IconLoader());
    LoadTask->OnTerminatedEvent([this](TTaskThread* sender) { LoadImage_Task_Terminate(sender); });
    LoadTask->Start();
}

std::function<void(TSmartTask*)> TActionButton::IconLoader()
{
    return [this](TSmartTask* task) { TActionButton::LoadImage_Task(task); };
}

void TActionButton::LoadImage_Task(TSmartTask* SmartTask)
{
    try {
        QString command, image;
        SmartTask->GetParam(QStringLiteral("CMD"), command);
        SmartTask->GetParam(QStringLiteral("Image"), image);
        const QString file = ButtonIconFile(command, image);
        if (!IsPictureFile(file)) return;
        TResizeParams params;
        params.ResizeType = rmStretch;
        AB_SKIN->LoadImage(IconId, file, params);
    } catch (const EImageError& error) {
        ReportFailure("Button icon", error.Message);
    } catch (...) {
        ReportCurrentException("Button icon");
    }
}

void TActionButton::LoadImage_Task_Terminate(TTaskThread*)
{
    AB_ImageLoaded = true;
    ReDraw();
}
