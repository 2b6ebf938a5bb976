#pragma once
// Translation of the toolkit's input into the program's own vocabulary
// (QV_InputTypes.h): key codes with the values the program's handlers test,
// typed characters, mouse buttons and shift states.

#include "controls/QV_InputTypes.h"

#include <QString>
#include <Qt>

// The program's key code of a toolkit key; 0 for keys it has no code for.
TKeyCode KeyCodeOf(int qtKey);

// The characters a key press types. With Ctrl held a letter types its control
// character (Ctrl+A 1 .. Ctrl+Z 26), whatever the toolkit reports; Enter,
// Backspace, Tab and Escape type 13, 8, 9 and 27.
QString TypedText(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// False for buttons the program has no name for (back, forward ...).
bool MouseButtonOf(Qt::MouseButton button, TMouseButton& result);
