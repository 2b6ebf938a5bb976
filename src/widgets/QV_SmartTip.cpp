#include "widgets/QV_SmartTip.h"

#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Settings.h"
#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"
#include "widgets/QV_WidgetTheme.h"

namespace {

const char* const TipFont = "Name(Calibri), Color($FFFFFF), Size(11), Bold(1)";

int ViewWidth()
{
    const TCtrlManager* manager = CtrlManager();
    return manager ? manager->CM_PARENT_W : 0;
}

}  // namespace

QPoint TipPlace(QSize Size, int X, int Y, int W, TPopUpDirection Direction, int Distance, int ViewWidth)
{
    QPoint p(X, Y);
    switch (Direction) {
    case podBott:
        p = QPoint(X + (W - Size.width()) / 2, Y + Distance);
        break;
    case podTop:
        p = QPoint(X + (W - Size.width()) / 2, Y - Size.height() - Distance);
        break;
    case podLeft: p.setX(X - Size.width() - Distance); break;
    case podRight: p.setX(X + Distance); break;
    case podTopLeft: p.setY(Y - Size.height() - Distance); break;
    }
    if (p.x() <= 5) p.setX(5);
    if (p.x() + Size.width() > ViewWidth - 5) p.setX(ViewWidth - Size.width() - 5);
    return p;
}

TSmartTip* SmartTip()
{
    TCtrlManager* manager = CtrlManager();
    return manager ? dynamic_cast<TSmartTip*>(manager->GetControlData(QStringLiteral("SmartTip"))) : nullptr;
}

TSmartTip::TSmartTip() : skin_(std::make_unique<TSkinBuffer>())
{
    SC_ALIGN = asNone;
    SC_VISIBLE = false;
    SC_SKIN = skin_.get();
    LoadTheme();
    TBitmap32 probe;
    probe.Font = WidgetFont(SC_SKIN, QStringLiteral("Text.Normal"), TipFont);
    SC_HEIGHT = probe.TextHeight(QStringLiteral("Text")) + SC_OFFSET_TOP + SC_OFFSET_BOTTOM;
    UpdateRects();
}

TSmartTip::~TSmartTip() { SC_SKIN = nullptr; }

void TSmartTip::LoadTheme()
{
    LoadWidgetImages(*skin_, {{"ControlBack", "SmartTip", "Background", "SmartTip\\ControlBack.png", ""}});
    LoadWidgetFont(*skin_, "SmartTip", "Text.Normal", TipFont);
    ApplyWorkArea(*this, "SmartTip");
}

void TSmartTip::PopUp(const QString& Text, int X, int Y, int W, TPopUpDirection Direction)
{
    ST_TEXT = Text.isEmpty() ? QStringLiteral(":)") : Text;
    TBitmap32 probe;
    probe.Font = WidgetFont(SC_SKIN, QStringLiteral("Text.Normal"), TipFont);
    const QSize size(probe.TextWidth(Text) + SC_OFFSET_LEFT + SC_OFFSET_RIGHT,
                     probe.TextHeight(Text) + SC_OFFSET_TOP + SC_OFFSET_BOTTOM);
    SC_WIDTH = size.width();
    SC_HEIGHT = size.height();
    const int distance = Settings().General.TipDistance;
    SetPosition(TipPlace(size, X, Y, W, Direction, distance, ViewWidth()));
    ST_SHOWING = true;
    SetVisible(true);
}

void TSmartTip::PopUp(TSmartCtrl* Sender, int X, int Y, const QString& Text)
{
    if (!Sender) return;
    const TSmartCtrl* bar = Sender->SC_PARENT ? Sender->SC_PARENT : Sender;
    switch (bar->SC_ALIGN) {
    case asBot: PopUp(Text, X, Sender->SC_POS.y(), Sender->SC_WIDTH, podTop); break;
    case asLeft: PopUp(Text, Sender->SC_POS.x() + Sender->SC_WIDTH, Y, 0, podRight); break;
    case asRight: PopUp(Text, Sender->SC_POS.x(), Y, 0, podLeft); break;
    default: PopUp(Text, X, Sender->SC_POS.y() + Sender->SC_HEIGHT, Sender->SC_WIDTH, podBott); break;
    }
}

void TSmartTip::PopUp(TSmartCtrl* Sender, const QString& Text)
{
    if (Sender) PopUp(Sender, Sender->SC_POS.x(), Sender->SC_POS.y(), Text);
}

void TSmartTip::PopUp(TSmartCtrl* Sender, int X, const QString& Text, TPopUpDirection Direction)
{
    if (Sender) PopUp(Text, X, Sender->SC_POS.y(), Sender->SC_WIDTH, Direction);
}

void TSmartTip::PopDown()
{
    if (!ST_SHOWING) return;
    ST_SHOWING = false;
    SC_WIDTH = 20;
    ST_TEXT = QStringLiteral(":)");
    SetVisible(false);
}

void TSmartTip::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE || !ST_SHOWING) return;
    SC_SKIN->DrawImage(QStringLiteral("ControlBack"), SC_CANVAS, SC_POS.x(), SC_POS.y(), SC_WIDTH, SC_HEIGHT);
    SC_CANVAS.Font = WidgetFont(SC_SKIN, QStringLiteral("Text.Normal"), TipFont);
    SC_CANVAS.DrawText(SC_RECT.Rect(), ST_TEXT, tfCenter | tfNoPrefix);
    for (TControlList* list : SC_LIST) list->Force_On_Paint(SC_CANVAS);
}
