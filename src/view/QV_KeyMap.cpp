#include "view/QV_KeyMap.h"

TKeyCode KeyCodeOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return TKeyCode(qtKey);  // the toolkit uses the same ASCII values
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return TKeyCode(VK_F1 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Menu: return VK_APPS;
    default: return 0;
    }
}

QString TypedText(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text)
{
    if (modifiers & Qt::ControlModifier) {
        if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return QString(QChar(qtKey - Qt::Key_A + 1));
        // Other Ctrl chords type nothing, as the toolkit's text for them varies
        // between platforms.
        return QString();
    }
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QString(QChar(13));
    case Qt::Key_Backspace: return QString(QChar(8));
    case Qt::Key_Tab: return QString(QChar(9));
    case Qt::Key_Escape: return QString(QChar(27));
    default: break;
    }
    // Keys that type nothing printable (arrows, F-keys, Delete) give no characters.
    QString typed;
    for (QChar c : text)
        if (c.isPrint() || c.isSurrogate()) typed += c;
    return typed;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (modifiers & Qt::AltModifier) shift |= ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

bool MouseButtonOf(Qt::MouseButton button, TMouseButton& result)
{
    switch (button) {
    case Qt::LeftButton: result = mbLeft; return true;
    case Qt::RightButton: result = mbRight; return true;
    case Qt::MiddleButton: result = mbMiddle; return true;
    default: return false;
    }
}
