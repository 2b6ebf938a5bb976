#include "widgets/QV_SmartProgress.h"

#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"
#include "widgets/QV_WidgetTheme.h"

#include <algorithm>

namespace {

const char* const ProgressFont = "Name(Calibri), Color($000000), Size(11), Bold(1)";

}  // namespace

TSmartProgress::TSmartProgress() : skin_(std::make_unique<TSkinBuffer>())
{
    SC_ID = QStringLiteral("SmartProgress");
    SC_ALIGN = asTop;
    SC_FIT_MODE = fmWidth;
    SC_WIDTH = 300;
    SC_HEIGHT = 32;
    SC_SKIN = skin_.get();
    LoadTheme();
    UpdateRects();
}

TSmartProgress::~TSmartProgress() { SC_SKIN = nullptr; }

void TSmartProgress::LoadTheme()
{
    LoadWidgetImages(*skin_, {
                                 {"ControlBack", "ProgressBar", "Background", "ProgressBar\\ControlBack.png", ""},
                                 {"ProgressBack", "ProgressBar", "Progress", "ProgressBar\\ProgressBack.png", ""},
                             });
    LoadWidgetFont(*skin_, "SmartProgress", "Text.Normal", ProgressFont);
    ApplyWorkArea(*this, "ProgressBar");
}

int TSmartProgress::PosToWidth() const
{
    if (SP_DONE <= 0) return 0;
    // More than done is drawn as done.
    const qint64 width = qint64(SC_RECT.Width()) * std::min(SP_DONE, 100);
    const qint64 q = width / 100, r = width % 100;
    return int(r * 2 > 100 || (r * 2 == 100 && (q & 1)) ? q + 1 : q);
}

void TSmartProgress::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    SC_SKIN->DrawImage(QStringLiteral("ControlBack"), SC_CANVAS, SC_POS.x(), SC_POS.y(), SC_WIDTH, SC_HEIGHT);
    int done = SP_DONE;
    QString text = SP_TEXT;
    if (ProgressSource && ProgressSource(done, text)) {
        SP_DONE = done;
        SP_TEXT = text;
    }
    if (const int width = PosToWidth(); width > 0)
        SC_SKIN->DrawImage(QStringLiteral("ProgressBack"), SC_CANVAS, SC_RECT.Left(), SC_RECT.Top(), width,
                           SC_RECT.Height());
    if (!SP_TEXT.isEmpty()) {
        SC_CANVAS.Font = WidgetFont(SC_SKIN, QStringLiteral("Text.Normal"), ProgressFont);
        QRect area = SC_RECT.Rect();
        area.setLeft(area.left() + 5);
        SC_CANVAS.DrawText(area, SP_TEXT, tfLeft | tfVCenter | tfSingleLine | tfNoPrefix | tfEndEllipsis);
    }
    for (TControlList* list : SC_LIST) list->Force_On_Paint(SC_CANVAS);
}
