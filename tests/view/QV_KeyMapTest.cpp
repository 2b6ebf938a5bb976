#include "view/QV_KeyMap.h"

#include <gtest/gtest.h>

TEST(KeyMap, ToolkitKeysGetTheProgramsCodes)
{
    const std::pair<int, int> cases[] = {
        {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},     {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},
        {Qt::Key_Escape, 27},   {Qt::Key_Space, 32},  {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34},
        {Qt::Key_End, 35},      {Qt::Key_Home, 36},   {Qt::Key_Left, 37},   {Qt::Key_Up, 38},
        {Qt::Key_Right, 39},    {Qt::Key_Down, 40},   {Qt::Key_Delete, 46}, {Qt::Key_A, 65},
        {Qt::Key_Z, 90},        {Qt::Key_0, 48},      {Qt::Key_F1, 112},    {Qt::Key_F12, 123},
        {Qt::Key_F13, 0},       {Qt::Key_Percent, 0},
    };
    for (const auto& [qt, code] : cases) EXPECT_EQ(KeyCodeOf(qt), code) << qt;
}

TEST(KeyMap, TypedTextGivesControlCharactersForCtrlLetters)
{
    struct TCase {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        QString typed;
    };
    const TCase cases[] = {
        {Qt::Key_A, Qt::ControlModifier, "", QString(QChar(1))},
        {Qt::Key_C, Qt::ControlModifier, "\x03", QString(QChar(3))},
        {Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier, "V", QString(QChar(22))},
        {Qt::Key_X, Qt::ControlModifier, "x", QString(QChar(24))},
        {Qt::Key_1, Qt::ControlModifier, "1", ""},
        {Qt::Key_A, Qt::ShiftModifier, "A", "A"},
        {Qt::Key_Return, Qt::NoModifier, "\r", QString(QChar(13))},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", QString(QChar(8))},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", QString(QChar(27))},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", ""},
        {Qt::Key_Left, Qt::NoModifier, "", ""},
        {Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("é"), QString::fromUtf8("é")},
    };
    for (const TCase& c : cases) EXPECT_EQ(TypedText(c.key, c.modifiers, c.text), c.typed) << c.key;
}

TEST(KeyMap, ShiftStatesAndButtons)
{
    EXPECT_EQ(ShiftStateOf(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton | Qt::MiddleButton),
              ssShift | ssCtrl | ssLeft | ssMiddle);
    EXPECT_EQ(ShiftStateOf(Qt::AltModifier, Qt::RightButton), ssAlt | ssRight);
    TMouseButton button = mbLeft;
    EXPECT_TRUE(MouseButtonOf(Qt::RightButton, button));
    EXPECT_EQ(button, mbRight);
    EXPECT_FALSE(MouseButtonOf(Qt::BackButton, button));
}
