#include "widgets/QV_SmartEdit.h"

#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Settings.h"
#include "platform/desktop/QV_Clipboard.h"
#include "platform/desktop/QV_Sound.h"
#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"
#include "widgets/QV_SmartTip.h"
#include "widgets/QV_WidgetTheme.h"

#include <algorithm>

namespace {

const char* const EditFont = "Name(Calibri), Color($FFFFFF), Size(11), Bold(1)";
constexpr unsigned TextFlags = tfVCenter | tfSingleLine | tfNoPrefix;
constexpr int CaretWidth = 5;
// How far the pointer must move right of the press before a drag selects.
constexpr int DragThreshold = 3;

void PopUpEditMenu(const TSmartCtrl& edit, int X, int Y)
{
    if (edit.SC_MENU.isEmpty()) return;
    if (THolderHost* host = HolderHost()) host->PopUpMenu(X, Y, {edit.SC_MENU});
}

void PopDownTip()
{
    if (TSmartTip* tip = SmartTip()) tip->PopDown();
}

}  // namespace

std::function<void()>& EditBeepHook()
{
    static std::function<void()> hook = [] { PlayAlertSound(); };
    return hook;
}

TSmartEdit::TSmartEdit() : SE_TIMER([this] { BlinkCurret(); }), ownSkin_(std::make_unique<TSkinBuffer>())
{
    SC_WIDTH = 200;
    SC_HEIGHT = 22;
    SC_ALIGN = asLeft;
    SC_FIT_MODE = fmNone;
    SC_SKIN = ownSkin_.get();
    TSmartEdit::LoadTheme();
    UpdateRects();
    SE_CURRPOS = SC_POS;
    SE_SEL_POS_START = SC_POS;
}

TSmartEdit::~TSmartEdit()
{
    SE_TIMER.SetEnabled(false);
    SC_SKIN = nullptr;
}

void TSmartEdit::LoadTheme()
{
    LoadWidgetImages(*ownSkin_, {
                                    {"ControlBack", "SmartEdit", "Background", "SmartEdit\\ControlBack.png", ""},
                                    {"Cursor", "SmartEdit", "Cursor", "SmartEdit\\Cursor.png", "DrawMode(stretch)"},
                                    {"Select", "SmartEdit", "Select", "SmartEdit\\Select.png", "DrawMode(stretch)"},
                                });
    LoadWidgetFont(*ownSkin_, "SmartEdit", "Text.Normal", EditFont);
    LoadWidgetFont(*ownSkin_, "SmartEdit", "Text.Focused", EditFont);
    ApplyWorkArea(*this, "SmartEdit");
    placesValid_ = false;
}

void TSmartEdit::Beep()
{
    if (EditBeepHook()) EditBeepHook()();
}

// --- Measuring ---

const std::vector<int>& TSmartEdit::Places()
{
    if (!placesValid_ || placesText_ != model_.Text()) {
        placesText_ = model_.Text();
        places_ = MeasureCaretPlaces(WidgetFont(SC_SKIN, fontFocused_, EditFont), placesText_);
        placesValid_ = true;
    }
    return places_;
}

int TSmartEdit::TextWidthOf(const QString& Text)
{
    return MeasureTextWidth(WidgetFont(SC_SKIN, fontFocused_, EditFont), Text);
}

int TSmartEdit::PlaceX(int Place)
{
    const std::vector<int>& places = Places();
    const int last = int(places.size()) - 1;
    const int off = std::clamp(SE_OFFSET_IDX - 1, 0, last);
    return places[size_t(std::clamp(Place, 0, last))] - places[size_t(off)];
}

void TSmartEdit::ScrollToCaret()
{
    const std::vector<int>& places = Places();
    const int length = model_.Length();
    const int room = std::max(SC_RECT.Width() - 2, 0);
    int off = std::clamp(SE_OFFSET_IDX - 1, 0, length);
    if (places[size_t(length)] <= room) {
        off = 0;
    } else {
        const int caret = model_.Caret();
        off = std::min(off, caret);
        // The first place from which the caret fits.
        const auto first = std::lower_bound(places.begin(), places.begin() + caret + 1, places[size_t(caret)] - room);
        off = std::max(off, int(first - places.begin()));
        // No empty room after the text's end while something is scrolled away.
        const auto fill = std::lower_bound(places.begin(), places.end(), places[size_t(length)] - room);
        off = std::min(off, int(fill - places.begin()));
    }
    SE_OFFSET_IDX = off + 1;
}

QPoint TSmartEdit::CharToPos(int IDX)
{
    const int x = SC_RECT.Left() + PlaceX(IDX) - 2;
    return QPoint(std::clamp(x, SC_RECT.Left(), std::max(SC_RECT.Left(), SC_RECT.Right() - 2)), SC_RECT.Top());
}

int TSmartEdit::GetCharIDX(int X, int Y)
{
    (void)Y;
    const int length = model_.Length();
    int place = 0;
    if (length == 0) {
        place = 0;
    } else if (X <= SC_RECT.Left()) {
        place = std::clamp(SE_OFFSET_IDX - 1, 0, length);
    } else if (X >= SC_RECT.Right()) {
        place = length;
    } else {
        // The nearest place: the right half of a character puts the caret after it.
        const std::vector<int>& places = Places();
        const int off = std::clamp(SE_OFFSET_IDX - 1, 0, length);
        const int target = X - SC_RECT.Left() + places[size_t(off)];
        const auto at = std::lower_bound(places.begin() + off, places.end(), target);
        place = int(at - places.begin());
        if (place > off && (place > length || target - places[size_t(place - 1)] < places[size_t(place)] - target))
            --place;
        place = std::min(place, length);
    }
    SE_CURRPOS = CharToPos(place);
    return place;
}

QString TSmartEdit::GetText()
{
    const std::vector<int>& places = Places();
    const int length = model_.Length();
    const int off = std::clamp(SE_OFFSET_IDX - 1, 0, length);
    const int room = SC_RECT.Width();
    const auto end = std::upper_bound(places.begin() + off, places.end(), places[size_t(off)] + room);
    const int last = std::max(off, int(end - places.begin()) - 1);
    return model_.Text().mid(off, last - off);
}

QRect TSmartEdit::CaretRect() { return QRect(SE_CURRPOS.x() + 2, SC_RECT.Top(), 1, SC_RECT.Height()); }

// --- State ---

void TSmartEdit::Sync()
{
    SE_TEXT = model_.Text();
    SE_SEL_CNT = model_.SelEnd() - model_.SelStart();
    SE_SEL_TEXT = model_.SelectedText();
    SE_CURRET_ALIGN = caAfter;
    if (SE_SEL_CNT > 0) {
        SE_SELIDX_FIRST = model_.SelStart() + 1;
        SE_SELIDX_LAST = model_.SelEnd();
    } else {
        SE_SELIDX_FIRST = SE_SELIDX_LAST = model_.Caret();
    }
    ScrollToCaret();
    SE_CURRPOS = CharToPos(model_.Caret());
    SE_DRAW_SEL_RECT = SE_SEL_CNT > 0;
    if (SE_DRAW_SEL_RECT) {
        const int left = std::max(SC_RECT.Left(), SC_RECT.Left() + PlaceX(model_.SelStart()));
        const int right = std::min(SC_RECT.Right(), SC_RECT.Left() + PlaceX(model_.SelEnd()));
        SE_SEL_RECT.SetRect(left, SC_RECT.Top(), std::max(left, right), SC_RECT.Bottom(), true);
    }
    ReDraw();
}

void TSmartEdit::AdoptOutsideText()
{
    if (SE_TEXT == model_.Text()) return;
    model_.SetText(SE_TEXT);
    Sync();
}

void TSmartEdit::SetText(const QString& Text)
{
    SE_TEXT = Text;
    AdoptOutsideText();
}

void TSmartEdit::UpdateCursor()
{
    SE_CURRPOS = CharToPos(model_.Caret());
    ReDraw();
}

void TSmartEdit::TextChanged()
{
    if (On_TextChangedEvent) On_TextChangedEvent();
}

void TSmartEdit::BlinkCurret()
{
    UpdateCursor();
    SE_SHOW_CURRET = !SE_SHOW_CURRET;
    ReDraw();
}

void TSmartEdit::SelectText(int FirstChar, int LastChar, int X, int Y)
{
    (void)Y;
    SE_DRAW_SEL_RECT = false;
    ReDraw();
    if (model_.Length() == 0 || LastChar < FirstChar) return;
    model_.Select(FirstChar - 1, LastChar);
    Sync();
    if (Settings().SmartEdit.PreviewSelected && SE_SEL_CNT > 0)
        if (TSmartTip* tip = SmartTip()) tip->PopUp(this, X, SE_SEL_TEXT, podTopLeft);
}

void TSmartEdit::DeSelectText()
{
    model_.Deselect();
    SE_SEL_POS_START = SC_RECT.Rect().topLeft();
    Sync();
}

// --- Changing the text ---

void TSmartEdit::TypeText(QChar Key) { TypeText(QString(Key)); }

void TSmartEdit::TypeText(const QString& Text)
{
    AdoptOutsideText();
    model_.Insert(Text);
    if (model_.Truncated()) Beep();
    Sync();
}

void TSmartEdit::InsertComposed(const QString& Text)
{
    if (!SC_VISIBLE || Text.isEmpty()) return;
    TypeText(Text);
    TextChanged();
    TextEdited();
}

bool TSmartEdit::DeleteSelected()
{
    AdoptOutsideText();
    if (!model_.DeleteSelection()) return false;
    Sync();
    TextChanged();
    TextEdited();
    return true;
}

bool TSmartEdit::ClearText()
{
    if (DeleteSelected()) return true;
    model_.SelectAll();
    model_.DeleteSelection();
    Sync();
    TextChanged();
    TextEdited();
    return true;
}

void TSmartEdit::CopyToClipboard()
{
    const QString text = SE_SEL_CNT > 0 ? SE_SEL_TEXT : SE_TEXT;
    if (!text.isEmpty()) SetClipboardText(text);
}

void TSmartEdit::PasteFromClipboard()
{
    const QString text = ClipboardText();
    if (!text.isEmpty()) TypeText(text);
    TextChanged();
    On_Resize(0, 0);
    TextEdited();
}

void TSmartEdit::CutToClipboard()
{
    CopyToClipboard();
    ClearText();
    On_Resize(0, 0);
}

// --- Keys ---

bool TSmartEdit::EditKey(TKeyCode Key, TShiftState Shift)
{
    const bool ctrl = Shift & ssCtrl;
    const bool shift = Shift & ssShift;
    auto edited = [this, &Key, Shift](bool changed) {
        if (!changed) return;
        Sync();
        if (On_KeyDownEvent) On_KeyDownEvent(Key, Shift);
        TextChanged();
        TextEdited();
    };
    switch (Key) {
    case VK_LEFT: model_.MoveLeft(ctrl, shift); Sync(); return true;
    case VK_RIGHT: model_.MoveRight(ctrl, shift); Sync(); return true;
    case VK_HOME: model_.MoveHome(shift); Sync(); return true;
    case VK_END: model_.MoveEnd(shift); Sync(); return true;
    case VK_BACK: edited(model_.Backspace(ctrl)); return true;
    case VK_DELETE:
        if (shift && !ctrl) CutToClipboard();
        else edited(model_.Delete(ctrl));
        return true;
    case VK_INSERT:
        if (ctrl) CopyToClipboard();
        else if (shift) PasteFromClipboard();
        return true;
    case VK_RETURN:
        if (ctrl) return false;
        UpdateCursor();
        if (On_TextApplyEvent) On_TextApplyEvent();
        TextChanged();
        return true;
    default: break;
    }
    if (!ctrl) return false;
    switch (Key) {
    case 'C': CopyToClipboard(); return true;
    case 'V':
        Beep();
        PasteFromClipboard();
        return true;
    case 'X':
        Beep();
        CutToClipboard();
        return true;
    case 'A':
        Beep();
        SelectText(1, model_.Length(), SC_POS.x(), SC_POS.y());
        return true;
    case 'Z':
        if (model_.Undo()) {
            Sync();
            TextChanged();
            TextEdited();
        }
        return true;
    default: return false;
    }
}

void TSmartEdit::On_KeyPress(QChar& Key)
{
    TSmartCtrl::On_KeyPress(Key);
    if (!SC_VISIBLE || !SC_FOCUSED) return;
    AdoptOutsideText();
    // A character beyond the first plane arrives as its two halves.
    static thread_local QChar pendingHigh;
    if (Key.isHighSurrogate()) {
        pendingHigh = Key;
        return;
    }
    QString typed(Key);
    if (Key.isLowSurrogate()) {
        if (pendingHigh.isNull()) return;
        typed = QString(pendingHigh) + Key;
    }
    pendingHigh = QChar();
    // Control characters (Backspace, Enter, Ctrl+letter) are keys, handled on key down.
    if (Key.unicode() < 32 || Key.unicode() == 127) return;
    TypeText(typed);
    ReDraw();
    if (On_KeyPressEvent) On_KeyPressEvent(Key);
    TextChanged();
    TextEdited();
}

void TSmartEdit::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    TSmartCtrl::On_KeyDown(Key, Shift);
    if (!SC_VISIBLE || !SC_FOCUSED) return;
    AdoptOutsideText();
    if (EditKey(Key, Shift)) ReDraw();
}

// --- Mouse ---

TSmartCtrl* TSmartEdit::On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseDown(Button, Shift, X, Y);
    if (!taken) return nullptr;
    AdoptOutsideText();
    SE_LEFTDOWN = true;
    if (Button == mbLeft && !(Shift & ssCtrl)) {
        SE_TIMER.SetEnabled(false);
        SE_SHOW_CURRET = false;
        const int place = GetCharIDX(X, Y);
        // Shift+click extends the selection to the click, as everywhere.
        model_.MoveTo(place, Shift & ssShift);
        SE_SEL_POS_START = QPoint(X, Y);
        Sync();
    }
    ReDraw();
    return taken;
}

TSmartCtrl* TSmartEdit::On_MouseMove(TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseMove(Shift, X, Y);
    if (!taken) return nullptr;
    SE_SELECTING = SE_LEFTDOWN && model_.Length() > 0 && X > SE_SEL_POS_START.x() + DragThreshold;
    if (SE_SELECTING) {
        SE_TIMER.SetEnabled(false);
        SE_SHOW_CURRET = false;
        const int anchor = model_.Anchor();
        const int place = GetCharIDX(X, Y);
        SelectText(anchor + 1, place, X, Y);
    } else if (SE_LEFTDOWN && model_.HasSelection() && !(Shift & ssShift)) {
        // Dragged back left of the press: a leftward drag selects nothing.
        model_.Deselect();
        Sync();
    }
    ReDraw();
    return taken;
}

TSmartCtrl* TSmartEdit::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
    if (!SC_VISIBLE) return taken;
    PopDownTip();
    const bool plain = !(Shift & (ssCtrl | ssShift));
    if (Button == mbLeft && plain && SE_SELECTING && Settings().SmartEdit.MenuAutoShow) PopUpEditMenu(*this, X, Y);
    SE_SELECTING = false;
    SE_LEFTDOWN = false;
    if (SC_FOCUSED) {
        SE_TIMER.SetEnabled(true);
        SE_SHOW_CURRET = true;
        UpdateCursor();
    }
    if (Button == mbRight && plain) PopUpEditMenu(*this, X, Y);
    ReDraw();
    return taken;
}

TSmartCtrl* TSmartEdit::On_MouseDouble(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseDouble(Button, Shift, X, Y);
    if (!taken) return nullptr;
    AdoptOutsideText();
    model_.SelectAll();
    Sync();
    if (Settings().SmartEdit.MenuAutoShow && model_.HasSelection()) PopUpEditMenu(*this, X, Y);
    return taken;
}

TSmartCtrl* TSmartEdit::On_MouseWheel(TWMMouseWheel& Msg)
{
    TSmartCtrl* taken = TSmartCtrl::On_MouseWheel(Msg);
    if (!taken) return nullptr;
    model_.Deselect();
    Sync();
    const int length = model_.Length();
    if (Places()[size_t(length)] > SC_RECT.Width()) {
        const int step = Msg.WheelDelta < 0 ? 1 : -1;
        SE_OFFSET_IDX = std::clamp(SE_OFFSET_IDX + step, 1, std::max(1, length - 1));
        UpdateCursor();
    }
    ReDraw();
    return taken;
}

void TSmartEdit::On_Leave(int X, int Y)
{
    TSmartCtrl::On_Leave(X, Y);
    SE_SELECTING = false;
    SE_LEFTDOWN = false;
    PopDownTip();
}

// --- Focus, size, updates, painting ---

TSmartCtrl* TSmartEdit::On_Focus(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* result = TSmartCtrl::On_Focus(Button, Shift, X, Y);
    SE_TIMER.SetEnabled(true);
    SE_SHOW_CURRET = true;
    UpdateCursor();
    return result;
}

TSmartCtrl* TSmartEdit::On_UnFocus(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* result = TSmartCtrl::On_UnFocus(Button, Shift, X, Y);
    SE_TIMER.SetEnabled(false);
    SE_SHOW_CURRET = false;
    ReDraw();
    return result;
}

void TSmartEdit::On_Resize(int W, int H)
{
    TSmartCtrl::On_Resize(W, H);
    Sync();
}

void TSmartEdit::On_Update()
{
    TSmartCtrl::On_Update();
    AdoptOutsideText();
    if (On_UpdateEvent) On_UpdateEvent();
}

void TSmartEdit::On_Paint(TBitmap32& SC_CANVAS)
{
    if (!SC_VISIBLE) return;
    if (SE_TEXT != model_.Text()) {
        model_.SetText(SE_TEXT);
        SE_CURRPOS = CharToPos(model_.Caret());
    }
    SC_SKIN->DrawImage(QStringLiteral("ControlBack"), SC_CANVAS, SC_POS.x(), SC_POS.y(), SC_WIDTH, SC_HEIGHT);
    if (SE_DRAW_SEL_RECT) SC_SKIN->DrawImage(QStringLiteral("Select"), SC_CANVAS, SE_SEL_RECT.Rect());
    if (!SC_FOCUSED && SE_TEXT.isEmpty()) {
        if (!SE_TEXT_NA.isEmpty()) {
            SC_CANVAS.Font = WidgetFont(SC_SKIN, fontNormal_, EditFont);
            SC_CANVAS.DrawText(SC_RECT.Rect(), SE_TEXT_NA, TextFlags | tfEndEllipsis);
        }
    } else {
        SC_CANVAS.Font = WidgetFont(SC_SKIN, fontFocused_, EditFont);
        SC_CANVAS.DrawText(SC_RECT.Rect(), GetText(), TextFlags);
    }
    if (SE_SHOW_CURRET)
        SC_SKIN->DrawImage(QStringLiteral("Cursor"), SC_CANVAS, SE_CURRPOS.x(), SE_CURRPOS.y(), CaretWidth,
                           SC_RECT.Height());
    for (TControlList* list : SC_LIST) list->Force_On_Paint(SC_CANVAS);
}
