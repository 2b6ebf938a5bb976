#include "widgets/QV_SelectTip.h"

#include "controls/QV_CtrlManager.h"
#include "foundation/QV_PaintUtils.h"
#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"
#include "widgets/QV_WidgetTheme.h"

#include <algorithm>

namespace {

const char* const SelectFont = "Name(Calibri), Color($FFFFFF), Size(11), Bold(1)";

}  // namespace

TSelectTip::TSelectTip() : skin_(std::make_unique<TSkinBuffer>())
{
    SC_ALIGN = asNone;
    SC_VISIBLE = false;
    SC_POS = QPoint(100, 100);
    SC_WIDTH = 150;
    SC_HEIGHT = 100;
    SC_SKIN = skin_.get();
    LoadTheme();
    ST_SELECT.VS_PARAM.SetText(WidgetText("SelectTip", "Files.Count", "Selected:"));
    ST_SIZE.VS_PARAM.SetText(WidgetText("SelectTip", "Files.Size", "Size:"));
    UpdateRects();
}

TSelectTip::~TSelectTip() { SC_SKIN = nullptr; }

void TSelectTip::LoadTheme()
{
    LoadWidgetImages(*skin_, {{"ControlBack", "SelectTip", "Background", "SelectTip\\ControlBack.png", ""}});
    LoadWidgetFont(*skin_, "SelectTip", "Text.Normal", SelectFont);
    ApplyWorkArea(*this, "SelectTip");
}

void TSelectTip::PopUp(int Selected, qint64 Size, int X, int Y)
{
    ST_SELECT.SetInt(Selected);
    if (Size > 0) ST_SIZE.SetText(SizeText(Size));
    else ST_SIZE.SetInt64(Size);
    const TFont font = WidgetFont(SC_SKIN, QStringLiteral("Text.Normal"), SelectFont);
    const int labelW = std::max(ST_SELECT.VS_PARAM.TextWidth(&font), ST_SIZE.VS_PARAM.TextWidth(&font));
    const int valueW = std::max(ST_SELECT.VS_VALUE.TextWidth(&font), ST_SIZE.VS_VALUE.TextWidth(&font));
    ST_VALUE_POS = labelW + ST_SPACING_H;
    SC_WIDTH = valueW + labelW + ST_SPACING_H + SC_OFFSET_LEFT + SC_OFFSET_RIGHT;
    ST_LINE_H = MeasureTextHeight(font, QStringLiteral("Text"));
    SC_HEIGHT = 2 * ST_LINE_H + ST_SPACING_V + SC_OFFSET_TOP + SC_OFFSET_BOTTOM;

    const TCtrlManager* manager = CtrlManager();
    const int viewW = manager ? manager->CM_PARENT_W : 0;
    const int viewH = manager ? manager->CM_PARENT_H : 0;
    X = std::max(X, 5);
    if (X + SC_WIDTH >= viewW - 5) X = viewW - SC_WIDTH - 5;
    Y = std::max(Y, 5);
    if (Y + SC_HEIGHT >= viewH - SC_OFFSET_BOTTOM - 5) Y = viewH - SC_HEIGHT - SC_OFFSET_BOTTOM - 5;
    SetPosition(QPoint(X, Y));
    ST_SHOWING = true;
    SetVisible(true);
}

void TSelectTip::PopDown()
{
    if (!ST_SHOWING) return;
    ST_SHOWING = false;
    SC_WIDTH = 20;
    SetVisible(false);
}

void TSelectTip::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE || !ST_SHOWING) return;
    SC_SKIN->DrawImage(QStringLiteral("ControlBack"), SC_CANVAS, SC_POS.x(), SC_POS.y(), SC_WIDTH, SC_HEIGHT);
    SC_CANVAS.Font = WidgetFont(SC_SKIN, QStringLiteral("Text.Normal"), SelectFont);
    const int left = SC_RECT.Left();
    const int top = SC_RECT.Top();
    const int second = top + ST_LINE_H + ST_SPACING_V;
    SC_CANVAS.TextOut(left, top, ST_SELECT.VS_PARAM.Text());
    SC_CANVAS.TextOut(left + ST_VALUE_POS, top, ST_SELECT.VS_VALUE.Text());
    SC_CANVAS.TextOut(left, second, ST_SIZE.VS_PARAM.Text());
    SC_CANVAS.TextOut(left + ST_VALUE_POS, second, ST_SIZE.VS_VALUE.Text());
    for (TControlList* list : SC_LIST) list->Force_On_Paint(SC_CANVAS);
}
