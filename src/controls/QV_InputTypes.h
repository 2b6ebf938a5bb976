#pragma once
// The input vocabulary shared by the view, the controls and the holders: mouse
// buttons, shift states, the wheel message and the program's key codes. The
// view translates the toolkit's events into these, so nothing below it sees a
// toolkit event.

#include <cstdint>

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// A set of TShiftFlag values.
using TShiftState = unsigned;
enum TShiftFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};

// One wheel step: the shift state at the time, the signed delta (120 per
// notch, positive away from the user) and the pointer in view coordinates.
struct TWMMouseWheel {
    TShiftState Keys = 0;
    int WheelDelta = 0;
    int XPos = 0;
    int YPos = 0;
};

// Key codes of key-down and key-up events. Letters are their upper-case
// character codes ('A' 65 .. 'Z' 90) and digits theirs ('0' 48 .. '9' 57).
using TKeyCode = std::uint16_t;
inline constexpr TKeyCode VK_BACK = 8;
inline constexpr TKeyCode VK_TAB = 9;
inline constexpr TKeyCode VK_RETURN = 13;
inline constexpr TKeyCode VK_SHIFT = 16;
inline constexpr TKeyCode VK_CONTROL = 17;
inline constexpr TKeyCode VK_MENU = 18;  // Alt
inline constexpr TKeyCode VK_PAUSE = 19;
inline constexpr TKeyCode VK_CAPITAL = 20;
inline constexpr TKeyCode VK_ESCAPE = 27;
inline constexpr TKeyCode VK_SPACE = 32;
inline constexpr TKeyCode VK_PRIOR = 33;  // Page Up
inline constexpr TKeyCode VK_NEXT = 34;   // Page Down
inline constexpr TKeyCode VK_END = 35;
inline constexpr TKeyCode VK_HOME = 36;
inline constexpr TKeyCode VK_LEFT = 37;
inline constexpr TKeyCode VK_UP = 38;
inline constexpr TKeyCode VK_RIGHT = 39;
inline constexpr TKeyCode VK_DOWN = 40;
inline constexpr TKeyCode VK_INSERT = 45;
inline constexpr TKeyCode VK_DELETE = 46;
inline constexpr TKeyCode VK_APPS = 93;  // the context-menu key
inline constexpr TKeyCode VK_F1 = 112;
inline constexpr TKeyCode VK_F2 = 113;
inline constexpr TKeyCode VK_F3 = 114;
inline constexpr TKeyCode VK_F4 = 115;
inline constexpr TKeyCode VK_F5 = 116;
inline constexpr TKeyCode VK_F6 = 117;
inline constexpr TKeyCode VK_F7 = 118;
inline constexpr TKeyCode VK_F8 = 119;
inline constexpr TKeyCode VK_F9 = 120;
inline constexpr TKeyCode VK_F10 = 121;
inline constexpr TKeyCode VK_F11 = 122;
inline constexpr TKeyCode VK_F12 = 123;
