#pragma once
// The vertical scroll bar at the right edge, "SmartScroll": a pan whose place
// mirrors the active holder's scroll position. Moving the pan scrolls the
// holder and shows the position as a percentage in the smart tip. The pan
// follows the mouse once pressed, or as soon as it is touched with the
// "StickyScroll" setting; a click above or below moves it by "ClickScroll"
// pixels. With nothing to scroll the bar is disabled and draws nothing.
//
// Scroll positions map to pan places in proportion, not in whole percents, so
// every place of a long folder can be reached by the bar.

#include "controls/QV_SmartCtrl.h"
#include "platform/image/QV_Bitmap32.h"

#include <QPoint>
#include <QRect>

#include <memory>

struct TScrollPan {
    QPoint SP_POS;
    int SP_WIDTH = 22;
    int SP_HEIGHT = 22;
    TBitmap32 SP_IMAGE;  // not drawn
};

class TSmartScroll : public TSmartCtrl {
    QV_SMART_CLASS(TSmartScroll, TSmartCtrl)
public:
    TSmartScroll();
    ~TSmartScroll() override;

    bool SS_DRAW_BACK = false;
    bool SS_DRAW_BTN = false;
    bool SS_SCROLLING = false;
    QString SS_TIP;
    TScrollPan SS_PAN;
    bool SS_CAN_DRAW = false;
    QRect SS_SCROLL_RECT;  // the track of the pan's centre
    int SS_MAX = 100;

    void LoadTheme();
    void LoadLocale();
    // The pan's offset in a track of HeightMax pixels for a scroll position.
    static int PosToPixels(int CurrPos, int ValueMax, int HeightMax);
    // The scroll position for a pan centre at CurrPos in Borders; sets SS_TIP.
    int PixelsToPos(const QRect& Borders, int CurrPos, int MaxValue);
    // Moves the pan's centre to Value (clamped to the track) and scrolls.
    void SetPos(int Value);
    bool IsPan(int X, int Y) const;

    void On_Paint(TBitmap32& SC_CANVAS) override;
    void On_Enter(int X, int Y) override;
    void On_Leave(int X, int Y) override;
    void On_Resize(int W, int H) override;
    void On_Update() override;
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_MouseMove(TShiftState Shift, int X, int Y) override;

private:
    QString label_;
    std::unique_ptr<TSkinBuffer> skin_;
};
