#include "widgets/QV_EditModel.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// One step of a script: a letter names the operation, Text what it types.
struct TStep {
    char Op;  // t type, b backspace, d delete, l/r left/right, L/R word, h/e home/end, s select(a, c), x delete selection, u undo
    QString Text = {};
    bool Extend = false;
    int A = 0, C = 0;
};

void RunSteps(TEditModel& m, const std::vector<TStep>& steps)
{
    for (const TStep& s : steps) {
        switch (s.Op) {
        case 't': m.Insert(s.Text); break;
        case 'b': m.Backspace(s.Extend); break;
        case 'd': m.Delete(s.Extend); break;
        case 'l': m.MoveLeft(false, s.Extend); break;
        case 'r': m.MoveRight(false, s.Extend); break;
        case 'L': m.MoveLeft(true, s.Extend); break;
        case 'R': m.MoveRight(true, s.Extend); break;
        case 'h': m.MoveHome(s.Extend); break;
        case 'e': m.MoveEnd(s.Extend); break;
        case 's': m.Select(s.A, s.C); break;
        case 'x': m.DeleteSelection(); break;
        case 'u': m.Undo(); break;
        }
    }
}

struct TCase {
    const char* Name;
    std::vector<TStep> Steps;
    QString Text;
    int Caret;
    QString Selected = {};
};

}  // namespace

TEST(EditModel, EditingScriptsEndWithTheExpectedTextAndCaret)
{
    const TCase cases[] = {
        {"typing ab", {{'t', "a"}, {'t', "b"}}, "ab", 2},
        {"backspace at 0 does nothing", {{'t', "ab"}, {'h'}, {'b'}}, "ab", 0},
        {"delete at the end does nothing", {{'t', "ab"}, {'d'}}, "ab", 2},
        {"typing replaces the selection", {{'t', "xabcy"}, {'s', {}, false, 1, 4}, {'t', "Q"}}, "xQy", 2},
        {"paste in the middle", {{'t', "xy"}, {'s', {}, false, 1, 1}, {'t', "abc"}}, "xabcy", 4},
        {"selection from the first character, deleted", {{'t', "abc"}, {'s', {}, false, 0, 2}, {'x'}}, "c", 0},
        {"then typing keeps the typed order", {{'t', "abc"}, {'s', {}, false, 0, 2}, {'x'}, {'t', "x"}, {'t', "y"}},
         "xyc", 2},
        {"shift+left selects leftwards", {{'t', "abcd"}, {'l', {}, true}, {'l', {}, true}}, "abcd", 2, "cd"},
        {"left collapses a selection to its start", {{'t', "abcd"}, {'s', {}, false, 1, 3}, {'l'}}, "abcd", 1},
        {"shift+home then typing", {{'t', "abc"}, {'h', {}, true}, {'t', "z"}}, "z", 1},
        {"ctrl+left jumps a word", {{'t', "one two"}, {'L'}}, "one two", 4},
        {"ctrl+left over spaces and dots", {{'t', "a.b  cd"}, {'L'}, {'L'}}, "a.b  cd", 2},
        {"ctrl+right from home", {{'t', "one two"}, {'h'}, {'R'}}, "one two", 3},
        {"ctrl+backspace deletes a word", {{'t', "one two"}, {'b', {}, true}}, "one ", 4},
        {"ctrl+delete deletes a word", {{'t', "one two"}, {'h'}, {'d', {}, true}}, " two", 0},
        {"undo takes back a typed run", {{'t', "ab"}, {'t', "c"}, {'t', "d"}, {'u'}}, "ab", 2},
        {"undo takes back a deletion", {{'t', "abc"}, {'b'}, {'u'}}, "abc", 3},
        {"a pair is one character", {{'t', QString::fromUtf8("a\xF0\x9F\x98\x80")}, {'l'}, {'d'}}, "a", 1},
    };
    for (const TCase& c : cases) {
        TEditModel m;
        RunSteps(m, c.Steps);
        EXPECT_EQ(m.Text(), c.Text) << c.Name;
        EXPECT_EQ(m.Caret(), c.Caret) << c.Name;
        EXPECT_EQ(m.SelectedText(), c.Selected) << c.Name;
    }
}

TEST(EditModel, TypedAndPastedTextIsCleanedAndCut)
{
    const struct {
        QString In;
        QString Out;
    } rows[] = {
        {"a\nb", "a b"},
        {"a\r\nb", "a b"},
        {QString("a") + QChar(0) + "b", "ab"},
        {"a\tb\x1b", "a b"},
        {QString("x") + QChar(0xD800) + "y", "xy"},  // a lone half of a pair
        {QString("x") + QChar(0xDC00), "x"},
    };
    for (const auto& row : rows) {
        TEditModel m;
        m.Insert(row.In);
        EXPECT_EQ(m.Text(), row.Out) << row.In.toStdString();
    }

    TEditModel m;
    m.Insert("ab");
    m.MoveLeft(false, false);
    EXPECT_TRUE(m.Insert(QString(1 << 20, QLatin1Char('z'))));
    EXPECT_TRUE(m.Truncated());
    EXPECT_EQ(m.Length(), TEditModel::MaxLength);
    EXPECT_TRUE(m.Text().endsWith(QLatin1Char('b')));
    EXPECT_FALSE(m.Insert("more")) << "a full field takes nothing";
}

// Random key sequences: whatever happens, the caret and the anchor stay on
// places of the text, never inside a pair.
TEST(EditModel, RandomEditsKeepTheCaretInsideTheText)
{
    std::mt19937 random(20261211);
    const QString pieces[] = {"a", " ", "..", QString::fromUtf8("\xF0\x9F\x98\x80"), "xyz\n", QString(QChar(0xD83D))};
    TEditModel m;
    for (int i = 0; i < 20000; ++i) {
        const int op = int(random() % 13);
        const bool flag = random() % 2;
        switch (op) {
        case 0:
        case 1: m.Insert(pieces[random() % std::size(pieces)]); break;
        case 2: m.Backspace(flag); break;
        case 3: m.Delete(flag); break;
        case 4: m.MoveLeft(flag, random() % 2); break;
        case 5: m.MoveRight(flag, random() % 2); break;
        case 6: m.MoveHome(flag); break;
        case 7: m.MoveEnd(flag); break;
        case 8: m.Select(int(random() % 40) - 5, int(random() % 40) - 5); break;
        case 9: m.DeleteSelection(); break;
        case 10: m.Undo(); break;
        case 11: m.MoveTo(int(random() % 50) - 5, flag); break;
        case 12: m.SetText(m.Text().left(int(random() % 10))); break;
        }
        ASSERT_GE(m.Caret(), 0);
        ASSERT_LE(m.Caret(), m.Length());
        ASSERT_GE(m.Anchor(), 0);
        ASSERT_LE(m.Anchor(), m.Length());
        for (int p : {m.Caret(), m.Anchor()}) {
            if (p > 0 && p < m.Length()) {
                ASSERT_FALSE(m.Text().at(p).isLowSurrogate()) << "split pair at " << p;
            }
        }
    }
}
