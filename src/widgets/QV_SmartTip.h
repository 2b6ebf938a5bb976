#pragma once
// The program's one tooltip, "SmartTip": a button's caption, the scroll
// percentage, an edit field's selected text. It places itself beside the
// control that asks, on the side away from that control's bar, and stays
// inside the view horizontally. Whoever pops it up last owns it; any PopDown
// hides it.

#include "controls/QV_SmartCtrl.h"

#include <QPoint>
#include <QSize>

#include <memory>

enum TPopUpDirection { podTop, podBott, podLeft, podRight, podTopLeft };

// Where a tip of Size goes for the reference point (X, Y), the asking
// control's width W, the direction, the distance and the view's width.
QPoint TipPlace(QSize Size, int X, int Y, int W, TPopUpDirection Direction, int Distance, int ViewWidth);

class TSmartTip : public TSmartCtrl {
    QV_SMART_CLASS(TSmartTip, TSmartCtrl)
public:
    TSmartTip();
    ~TSmartTip() override;

    bool ST_SHOWING = false;
    QString ST_TEXT = QStringLiteral(":)");

    void LoadTheme();
    void PopUp(const QString& Text, int X, int Y, int W, TPopUpDirection Direction);
    // The direction from the alignment of the sender's parent (or the sender's).
    void PopUp(TSmartCtrl* Sender, int X, int Y, const QString& Text);
    void PopUp(TSmartCtrl* Sender, const QString& Text);
    void PopUp(TSmartCtrl* Sender, int X, const QString& Text, TPopUpDirection Direction);
    void PopDown();

    void On_Paint(TBitmap32& SC_CANVAS) override;

private:
    std::unique_ptr<TSkinBuffer> skin_;
};

// The registered "SmartTip", if any.
TSmartTip* SmartTip();
