#include "QV_WidgetFixture.h"

#include "platform/desktop/QV_Clipboard.h"
#include "platform/image/QV_Bitmap32.h"
#include "widgets/QV_BlinkTimer.h"

namespace {

using SmartEdit = WidgetFixture;

}  // namespace

TEST_F(SmartEdit, TypingPutsTheCaretAfterTheLastCharacter)
{
    TSmartEdit* e = AddEdit();
    int changes = 0;
    e->On_TextChangedEvent = [&] { ++changes; };
    Type(e, "ab");
    EXPECT_EQ(e->SE_TEXT, "ab");
    EXPECT_EQ(e->SE_SELIDX_FIRST, 2);
    EXPECT_EQ(changes, 2);
    EXPECT_GT(e->SE_CURRPOS.x(), XOf(e, 1) - 2);
}

TEST_F(SmartEdit, ClickInTheRightHalfPutsTheCaretAfterTheCharacter)
{
    TSmartEdit* e = AddEdit();
    Type(e, "abc");
    const int rightHalfOfB = XOf(e, 2) - 1;
    e->On_MouseDown(mbLeft, 0, rightHalfOfB, MidY(e));
    e->On_MouseUp(mbLeft, 0, rightHalfOfB, MidY(e));
    EXPECT_EQ(e->SE_SELIDX_FIRST, 2);
    Type(e, "X");
    EXPECT_EQ(e->SE_TEXT, "abXc");

    const int leftHalfOfB = XOf(e, 1) + 1;
    e->On_MouseDown(mbLeft, 0, leftHalfOfB, MidY(e));
    Type(e, "Y");
    EXPECT_EQ(e->SE_TEXT, "aYbXc");
}

TEST_F(SmartEdit, DragSelectsRightwardsOnlyAndTypingReplacesIt)
{
    TSmartEdit* e = AddEdit();
    Type(e, "abcdef");
    e->On_MouseDown(mbLeft, 0, XOf(e, 0), MidY(e));
    e->On_MouseMove(ssLeft, XOf(e, 3), MidY(e));
    e->On_MouseUp(mbLeft, 0, XOf(e, 3), MidY(e));
    EXPECT_EQ(e->SE_SEL_TEXT, "abc");
    EXPECT_TRUE(e->SE_DRAW_SEL_RECT);
    Type(e, "x");
    EXPECT_EQ(e->SE_TEXT, "xdef");

    e->On_MouseDown(mbLeft, 0, XOf(e, 4), MidY(e));
    e->On_MouseMove(ssLeft, XOf(e, 1), MidY(e));
    e->On_MouseUp(mbLeft, 0, XOf(e, 1), MidY(e));
    EXPECT_EQ(e->SE_SEL_CNT, 0) << "a drag to the left selects nothing";
}

TEST_F(SmartEdit, DeletingASelectionFromTheFirstCharacterLeavesTheCaretBeforeIt)
{
    TSmartEdit* e = AddEdit();
    Type(e, "abcd");
    e->SelectText(1, 2, 0, 0);
    Key(e, VK_DELETE);
    EXPECT_EQ(e->SE_TEXT, "cd");
    EXPECT_EQ(e->SE_SELIDX_FIRST, 0);
    Type(e, "xy");
    EXPECT_EQ(e->SE_TEXT, "xycd");
}

TEST_F(SmartEdit, KeysAtTheEdgesChangeNothing)
{
    TSmartEdit* e = AddEdit();
    Type(e, "ab");
    int keyDowns = 0;
    e->On_KeyDownEvent = [&](TKeyCode&, TShiftState) { ++keyDowns; };
    Key(e, VK_DELETE);
    Key(e, VK_HOME);
    Key(e, VK_BACK);
    EXPECT_EQ(e->SE_TEXT, "ab");
    EXPECT_EQ(keyDowns, 0);
    Key(e, VK_DELETE);
    EXPECT_EQ(e->SE_TEXT, "b");
    EXPECT_EQ(keyDowns, 1);
}

TEST_F(SmartEdit, KeyboardMovesAndSelectsAsDesktopFieldsDo)
{
    TSmartEdit* e = AddEdit();
    Type(e, "one two");
    Key(e, VK_LEFT, ssCtrl);
    Key(e, VK_END, ssShift);
    EXPECT_EQ(e->SE_SEL_TEXT, "two");
    Key(e, VK_HOME);
    Key(e, VK_RIGHT, ssShift | ssCtrl);
    EXPECT_EQ(e->SE_SEL_TEXT, "one");
    Key(e, VK_BACK);
    EXPECT_EQ(e->SE_TEXT, " two");
    Key(e, 'Z', ssCtrl);
    EXPECT_EQ(e->SE_TEXT, "one two");
    Key(e, VK_SHIFT, ssShift);
    EXPECT_EQ(e->SE_TEXT, "one two") << "a modifier alone removes nothing";
}

TEST_F(SmartEdit, ClipboardKeysCopyCutAndPaste)
{
    TSmartEdit* e = AddEdit();
    Type(e, "hello");
    Key(e, 'C', ssCtrl);
    EXPECT_EQ(ClipboardText(), "hello") << "nothing selected copies the whole text";

    Key(e, 'A', ssCtrl);
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(e->SE_SEL_TEXT, "hello");
    Key(e, 'X', ssCtrl);
    EXPECT_EQ(e->SE_TEXT, "");
    EXPECT_EQ(ClipboardText(), "hello");

    Type(e, "xy");
    Key(e, VK_LEFT);
    SetClipboardText("abc");
    Key(e, 'V', ssCtrl);
    EXPECT_EQ(e->SE_TEXT, "xabcy");
    EXPECT_EQ(e->SE_SELIDX_FIRST, 4);
}

TEST_F(SmartEdit, BadClipboardTextGivesAHarmlessResult)
{
    TSmartEdit* e = AddEdit();
    const QByteArray invalid("na\xff\xfeme\n\x00tail", 13);
    SetClipboardText(QString::fromUtf8(invalid));
    Key(e, 'V', ssCtrl);
    EXPECT_FALSE(e->SE_TEXT.contains(QChar(0)));
    EXPECT_FALSE(e->SE_TEXT.contains(QLatin1Char('\n')));
    EXPECT_TRUE(e->SE_TEXT.endsWith("tail"));

    Key(e, 'A', ssCtrl);
    SetClipboardText(QString(1 << 20, QLatin1Char('m')));
    const int before = Beeps;
    Key(e, 'V', ssCtrl);
    EXPECT_EQ(e->SE_TEXT.size(), TEditModel::MaxLength);
    EXPECT_EQ(Beeps, before + 2) << "the paste key and the cut text";
    // The caret stays inside the field however long the text.
    EXPECT_GE(e->SE_CURRPOS.x(), e->SC_RECT.Left());
    EXPECT_LE(e->SE_CURRPOS.x(), e->SC_RECT.Right());
    TBitmap32 canvas(900, 600);
    e->On_Paint(canvas);
}

TEST_F(SmartEdit, ComposedTextIsInsertedAtTheCaret)
{
    TSmartEdit* e = AddEdit();
    Type(e, "ab");
    Key(e, VK_LEFT);
    e->InsertComposed(QString::fromUtf8("\xC3\xA9\xE6\xBC\xA2"));
    EXPECT_EQ(e->SE_TEXT, QString::fromUtf8("a\xC3\xA9\xE6\xBC\xA2" "b"));
    EXPECT_EQ(e->SE_SELIDX_FIRST, 3);
}

TEST_F(SmartEdit, TheCaretBlinksOnlyWhileFocused)
{
    TSmartEdit* e = AddEdit();
    ASSERT_TRUE(e->SC_FOCUSED);
    EXPECT_TRUE(e->SE_TIMER.Enabled());
    const bool shown = e->SE_SHOW_CURRET;
    EXPECT_EQ(TickBlinkTimers(), 1);
    EXPECT_NE(e->SE_SHOW_CURRET, shown);
    Manager.ControlNotify(800, 500, true);  // a press outside every control
    EXPECT_FALSE(e->SC_FOCUSED);
    EXPECT_FALSE(e->SE_SHOW_CURRET);
    EXPECT_EQ(TickBlinkTimers(), 0);
}

TEST_F(SmartEdit, LongTextScrollsSoTheCaretStaysInView)
{
    TSmartEdit* e = AddEdit();
    Type(e, QString(200, QLatin1Char('w')));
    EXPECT_GT(e->SE_OFFSET_IDX, 1);
    EXPECT_LE(e->SE_CURRPOS.x(), e->SC_RECT.Right());
    Key(e, VK_HOME);
    EXPECT_EQ(e->SE_OFFSET_IDX, 1);
    EXPECT_EQ(e->SE_CURRPOS.x(), e->SC_RECT.Left());
    EXPECT_LT(e->GetText().size(), 200);
}

TEST_F(SmartEdit, PlaceholderShowsOnlyWhileEmptyAndUnfocused)
{
    TSmartEdit* e = AddEdit();
    e->SE_TEXT_NA = "Filter";
    TBitmap32 focused(900, 600), unfocused(900, 600);
    focused.Clear(0xFFFFFFFF);
    unfocused.Clear(0xFFFFFFFF);
    e->SE_SHOW_CURRET = false;
    e->On_Paint(focused);
    Manager.ControlNotify(800, 500, true);
    e->On_Paint(unfocused);
    EXPECT_NE(focused.Image().copy(e->SC_RECT.Rect()), unfocused.Image().copy(e->SC_RECT.Rect()));
}
