#include "widgets/QV_SmartScroll.h"

#include "data/QV_DataCore.h"
#include "foundation/QV_Settings.h"
#include "theme/QV_SkinBuffer.h"
#include "widgets/QV_SmartTip.h"
#include "widgets/QV_WidgetTheme.h"

#include <algorithm>
#include <cstdlib>

namespace {

TDataHolder* ActiveHolder()
{
    const TDataCore* core = DataCore();
    return core ? core->DC_HOLDER : nullptr;
}

// Numerator / Denominator to the nearest integer, ties to even; Denominator > 0.
qint64 RoundedQuotient(qint64 Numerator, qint64 Denominator)
{
    const bool negative = Numerator < 0;
    const qint64 n = negative ? -Numerator : Numerator;
    qint64 q = n / Denominator;
    const qint64 twice = 2 * (n % Denominator);
    if (twice > Denominator || (twice == Denominator && (q & 1))) ++q;
    return negative ? -q : q;
}

void PopDownTip()
{
    if (TSmartTip* tip = SmartTip()) tip->PopDown();
}

}  // namespace

TSmartScroll::TSmartScroll() : skin_(std::make_unique<TSkinBuffer>())
{
    SC_ID = QStringLiteral("SmartScroll");
    SC_ALIGN = asRight;
    SC_WIDTH = 40;
    SC_HEIGHT = 500;
    // Nothing to scroll until a holder says otherwise; until then the bar is
    // not hit, so it does not swallow clicks at the window's edge.
    SC_ENABLED = false;
    SC_SKIN = skin_.get();
    LoadTheme();
    LoadLocale();
    UpdateRects();
}

TSmartScroll::~TSmartScroll() { SC_SKIN = nullptr; }

void TSmartScroll::LoadTheme()
{
    LoadWidgetImages(*skin_, {
                                 {"ControlBack", "SmartScroll", "Background", "SmartScroll\\ControlBack.png", ""},
                                 {"ScrollButton", "SmartScroll", "ScrollButton", "SmartScroll\\ScrollButton.png",
                                  "DrawMode(stretch), Width(22), Height(22)"},
                             });
    ApplyWorkArea(*this, "SmartScroll");
    // A pan of no size could not be touched; such a theme value means the default.
    const int width = ReadThemeImageInt("SmartScroll", "ScrollButton", "Width", 22);
    const int height = ReadThemeImageInt("SmartScroll", "ScrollButton", "Height", 22);
    SS_PAN.SP_WIDTH = width > 0 ? width : 22;
    SS_PAN.SP_HEIGHT = height > 0 ? height : 22;
}

void TSmartScroll::LoadLocale() { label_ = WidgetText("SmartScroll", "Scroll.Percent", "Percent:"); }

int TSmartScroll::PosToPixels(int CurrPos, int ValueMax, int HeightMax)
{
    if (ValueMax <= 0) return CurrPos;
    return int(RoundedQuotient(qint64(HeightMax) * std::abs(qint64(CurrPos)), ValueMax));
}

int TSmartScroll::PixelsToPos(const QRect& Borders, int CurrPos, int MaxValue)
{
    // The track's length in pixels: top and bottom are the centre's extremes.
    const int length = Borders.bottom() - Borders.top();
    const qint64 offset = qint64(CurrPos) - Borders.top();
    const int percent = length > 0 ? int(offset * 100 / length) : 0;
    SS_TIP = label_ + QLatin1Char(' ') + QString::number(percent);
    if (length <= 0) return 0;
    return int(RoundedQuotient(qint64(MaxValue) * offset, length));
}

void TSmartScroll::SetPos(int Value)
{
    Value = std::clamp(Value, SS_SCROLL_RECT.top(), std::max(SS_SCROLL_RECT.top(), SS_SCROLL_RECT.bottom()));
    SS_PAN.SP_POS = QPoint(SS_SCROLL_RECT.left(), Value - SS_PAN.SP_HEIGHT / 2);
    const int pos = PixelsToPos(SS_SCROLL_RECT, Value, SS_MAX);
    if (TDataHolder* holder = ActiveHolder()) holder->ScrollBy(pos - holder->DH_SCROLL_POS);
    if (TSmartTip* tip = SmartTip()) {
        tip->PopUp(this, SS_SCROLL_RECT.left(), Value - tip->SC_HEIGHT / 2, SS_TIP);
        // The tip's height is known only now that it holds the text.
        tip->SetPosition(QPoint(tip->SC_POS.x(), Value - tip->SC_HEIGHT / 2));
    }
    ReDraw();
}

bool TSmartScroll::IsPan(int X, int Y) const
{
    if (!SS_DRAW_BTN) return false;
    const QPoint& p = SS_PAN.SP_POS;
    return X >= p.x() && X <= p.x() + SS_PAN.SP_WIDTH && Y >= p.y() && Y <= p.y() + SS_PAN.SP_HEIGHT;
}

void TSmartScroll::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    if (SS_DRAW_BACK)
        SC_SKIN->DrawImage(QStringLiteral("ControlBack"), SC_CANVAS, SC_POS.x(), SC_POS.y(), SC_WIDTH, SC_HEIGHT);
    if (SS_DRAW_BTN)
        SC_SKIN->DrawImage(QStringLiteral("ScrollButton"), SC_CANVAS, SS_PAN.SP_POS.x(), SS_PAN.SP_POS.y(),
                           SS_PAN.SP_WIDTH, SS_PAN.SP_HEIGHT);
    for (TControlList* list : SC_LIST) list->Force_On_Paint(SC_CANVAS);
}

void TSmartScroll::On_Enter(int X, int Y)
{
    TSmartCtrl::On_Enter(X, Y);
    SS_DRAW_BACK = SS_CAN_DRAW;
    SS_SCROLLING = false;
    ReDraw();
}

void TSmartScroll::On_Leave(int X, int Y)
{
    TSmartCtrl::On_Leave(X, Y);
    SS_DRAW_BACK = false;
    SS_SCROLLING = false;
    PopDownTip();
    ReDraw();
}

void TSmartScroll::On_Resize(int W, int H)
{
    TSmartCtrl::On_Resize(W, H);
    const int half = SS_PAN.SP_HEIGHT / 2;
    SS_SCROLL_RECT = QRect(QPoint(SC_RECT.Left(), SC_RECT.Top() + half), QPoint(SC_RECT.Right(), SC_RECT.Bottom() - half));
    On_Update();
}

void TSmartScroll::On_Update()
{
    TSmartCtrl::On_Update();
    const TDataHolder* holder = ActiveHolder();
    if (!holder) return;
    SS_CAN_DRAW = false;
    SS_DRAW_BTN = false;
    SC_ENABLED = false;
    SS_MAX = holder->DH_SCROLL_MAX;
    if (SS_MAX <= 0) {
        SS_DRAW_BACK = false;
        return;
    }
    SS_CAN_DRAW = true;
    SS_DRAW_BTN = true;
    SC_ENABLED = true;
    const int track = SC_RECT.Height() - SS_PAN.SP_HEIGHT;
    const int y = SC_RECT.Top() + PosToPixels(holder->DH_SCROLL_POS, SS_MAX, track);
    SS_PAN.SP_POS = QPoint(SC_RECT.Left(), std::min(y, SC_RECT.Bottom() - SS_PAN.SP_HEIGHT));
}

TSmartCtrl* TSmartScroll::On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseDown(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (Button == mbLeft) {
        if (IsPan(X, Y)) {
            SS_SCROLLING = !SS_SCROLLING;
        } else if (SS_DRAW_BTN) {
            const int half = SS_PAN.SP_HEIGHT / 2;
            const int centre = SS_PAN.SP_POS.y() + half;
            const int step = Settings().Mouse.ClickScroll;
            // Upward clicks move half as far as downward ones.
            if (Y > centre + half) SetPos(centre + step);
            else if (Y < centre) SetPos(centre - step / 2);
        }
    } else if (Button == mbMiddle && SS_DRAW_BTN) {
        SetPos(Y);
    }
    return taken;
}

TSmartCtrl* TSmartScroll::On_MouseMove(TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseMove(Shift, X, Y);
    if (!taken) return nullptr;
    if (Settings().Mouse.StickyScroll && !SS_SCROLLING && IsPan(X, Y)) SS_SCROLLING = true;
    if (SS_SCROLLING && ActiveHolder()) SetPos(Y);
    return taken;
}

TSmartCtrl* TSmartScroll::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
    SS_SCROLLING = false;
    PopDownTip();
    return taken;
}
