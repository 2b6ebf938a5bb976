#include "foundation/QV_Utils.h"

#include "foundation/QV_System.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/ini/QV_IniFile.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

TEST(ParamString, ExtractValueReadingRules)
{
    const struct {
        const char* source;
        const char* name;
        bool brackets;
        const char* expected; // nullptr: the default
    } cases[] = {
        {"ItemSize(48), Size(3)", "Size", false, "48"},
        {"size(7)", "Size", false, "7"},
        {"SIZE(7)", "Size", false, "7"},
        {"\xC3\x84rger(1)", "\xC3\xA4rger", false, nullptr}, // only A-Z fold
        {"Menu()", "Menu", false, nullptr},
        {"Menu( )", "Menu", false, nullptr},
        {"Menu(  )", "Menu", false, "  "},
        {"Name(abc", "Name", false, "ab"},
        {"Name(x", "Name", false, nullptr},
        {"Name(", "Name", false, nullptr},
        {"A(x(1)y), B(2)", "A", false, "x(1)y"},
        {"A(x(y)", "A", false, "x(y"},
        {"DrawOffset(Left(1), Top(2))", "DrawOffset", false, "Left(1), Top(2)"},
        {"A ( 1)", "A", false, nullptr},
        {"Image(Background) = DrawMode(stretch)", "Image", false, "Background"},
        {"Image(Background) = DrawMode(stretch)", "drawmode", false, "stretch"},
        {"Left[5], Top[1]", "Top", true, "1"},
        {"Left[a[1]b]", "Left", true, "a[1]b"},
        {"Left(5)", "Left", true, nullptr},
        {"Left[5]", "Left", false, nullptr},
        {"A(1)", "", false, nullptr},
        {"", "A", false, nullptr},
    };
    for (const auto& c : cases) {
        const QString expected = c.expected ? QString::fromUtf8(c.expected) : QStringLiteral("<def>");
        EXPECT_EQ(ExtractValue(QString::fromUtf8(c.source), QString::fromUtf8(c.name), "<def>", c.brackets), expected)
            << c.source << " / " << c.name;
    }
}

TEST(ParamString, ReplaceValueWritingRules)
{
    const struct {
        const char* source;
        const char* name;
        const char* value;
        const char* expected;
    } cases[] = {
        {"A(1), B(2)", "B", "9", "A(1), B(9)"},
        {"A(1), B(2)", "b", "9", "A(1), B(9)"},
        {"A(1), B(2)", "C", "3", "A(1), B(2), C(3)"},
        {"", "Maximized", "1", " Maximized(1)"},
        {"A(1), B(2), C(3)", "B", "", "A(1), , C(3)"},
        {"A(1),, C(3)", "A", "5", "A(5),  C(3)"},
        {"A(1),,, C(3)", "Z", "", "A(1), , C(3)"},
        {"Path(C:\\a=b)", "Path", "x", "Path(x)"},
        {"Path(C:\\a=b)", "Other", "1", "Path(C:\\ab), Other(1)"},
        {"A(x(1)y), B(2)", "A", "z", "A(z), B(2)"},
        {"A(12", "A", "9", "A(92"},
        {"A(1), B(2", "B", "", "A(1), "},
        {"A(", "A", "7", "A(7"},
        {"ButtonToTabSpacing(6), TabSpacing(3)", "TabSpacing", "1", "ButtonToTabSpacing(1), TabSpacing(3)"},
        {"A(1)", "", "2", "A(1)"},
        {"A(1),,B(2)", "", "2", "A(1),,B(2)"},
        {"A(1)", "B", "", "A(1)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceValue(c.source, c.name, c.value), QString(c.expected)) << c.source << " / " << c.name;

    const struct {
        const char* s;
        qsizetype start, end;
    } ends[] = {{"a(b)c)", 0, 5}, {"abc", 0, 2}, {"ab)", 1, 2}, {"ab", 2, 2}, {"ab", 9, 2}, {"", 0, 0}};
    for (const auto& e : ends) EXPECT_EQ(FindValueEnd(e.s, e.start), e.end) << e.s << " from " << e.start;
}

TEST(ParamString, TextToNumberAndBoolean)
{
    const struct {
        const char* text;
        int value;
    } numbers[] = {
        {"0", 0},           {"11", 11},         {"+5", 5},          {"-12", -12},
        {"$FFFFFF", 0xFFFFFF}, {"$ff", 255},    {"0x10", 16},       {"0X1f", 31},
        {"-$10", -16},      {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"$FFFFFFFF", -1},  {"$80000000", -2147483647 - 1}, {"007", 7},
    };
    for (const auto& n : numbers) EXPECT_EQ(StrToInt(n.text), n.value) << n.text;
    for (const char* bad : {"", " 1", "1 ", "1.5", "abc", "$", "0x", "-", "--1", "$G", "12a", "2147483648",
                            "-2147483649", "$100000000", "99999999999999999999999"})
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;

    const struct {
        const char* text;
        bool value;
    } booleans[] = {{"1", true},    {"0", false},  {"-1", true},   {"true", true},  {"TrUe", true},
                    {"FALSE", false}, {"$10", true}, {"0.5", true}, {"0.0", false}};
    for (const auto& b : booleans) EXPECT_EQ(StrToBool(b.text), b.value) << b.text;
    for (const char* bad : {"", "yes", " 1", "inf", "nan", "t", "1e"}) EXPECT_THROW(StrToBool(bad), EConvertError) << bad;
}

TEST(ParamString, TypedGettersUseDefaultsAndRaiseOnBadValues)
{
    TParamString p{"Color($FFFFFF), Size(11), Bold(1), Italic(0), Under(true), Strike(yes), Empty(), Blank( ), "
                   "Margins(Left[5], Top[1]), Round(Left(5)), Word(abc)"};
    EXPECT_EQ(p.GetInt("Color", 0), 16777215);
    EXPECT_EQ(p.GetInt("size", 0), 11);
    EXPECT_EQ(p.GetInt("Missing", -3), -3);
    EXPECT_EQ(p.GetInt("Empty", 4), 4);
    EXPECT_EQ(p.GetInt("Blank", 5), 5);
    EXPECT_THROW(p.GetInt("Word", 0), EConvertError);

    EXPECT_TRUE(p.GetBool("Bold", false));
    EXPECT_FALSE(p.GetBool("Italic", true));
    EXPECT_TRUE(p.GetBool("Under", false));
    EXPECT_TRUE(p.GetBool("Missing", true));
    EXPECT_FALSE(p.GetBool("Empty", false));
    EXPECT_THROW(p.GetBool("Strike", false), EConvertError);

    EXPECT_EQ(p.GetSubInt("Margins", "Left", 2), 5);
    EXPECT_EQ(p.GetSubInt("Margins", "Top", 2), 1);
    EXPECT_EQ(p.GetSubInt("Margins", "Right", 2), 2);
    EXPECT_EQ(p.GetSubInt("Round", "Left", 2), 2);
    EXPECT_EQ(p.GetSubInt("Missing", "Left", 2), 2);
    EXPECT_THROW(TParamString{"M(L[x])"}.GetSubInt("M", "L", 0), EConvertError);

    TParamString w;
    EXPECT_TRUE(w.IsEmpty());
    EXPECT_EQ(w.SetInt("Maximized", 1), " Maximized(1)");
    EXPECT_EQ(w.SetBool("Hidden", false), " Maximized(1), Hidden(0)");
    EXPECT_EQ(w.SetInt("maximized", -7), " Maximized(-7), Hidden(0)");
    w.Clear();
    EXPECT_TRUE(w.IsEmpty());
}

TEST(ParamString, SmallTextRecords)
{
    TValueString v;
    v.VS_PARAM.SetText("Selected:");
    v.SetInt64(Q_INT64_C(1) << 40);
    EXPECT_EQ(v.VS_VALUE.Text(), "1099511627776");
    v.SetInt(-2147483647 - 1);
    EXPECT_EQ(v.VS_VALUE.Text(), "-2147483648");
    v.SetText("x");
    EXPECT_EQ(v.VS_VALUE.SS_TEXT, "x");
    EXPECT_EQ(v.VS_PARAM.Text(), "Selected:");
}

namespace {

// A temporary program folder so "AppPath:\" names files of the test.
class ParamIniTest : public TAppFolderTest {};

} // namespace

TEST_F(ParamIniTest, LoadFromIniPrefixesTheIdentifier)
{
    dir_.WriteFile("Data/Theme.QVS", "[SmartEdit]\nImage(Background)=DrawMode(stretch)\nSame=Left(0)\n");
    const QString file = "AppPath:\\Data\\Theme.QVS";
    TParamString p;
    EXPECT_TRUE(p.LoadFromIni(file, "SmartEdit", "Image(Background)", "Left(0), Top(0), Right(0), Bottom(0)"));
    EXPECT_EQ(p.PS_STRING, "Image(Background) = DrawMode(stretch)");
    EXPECT_EQ(p.GetValue("Image", ""), "Background");

    EXPECT_FALSE(p.LoadFromIni(file, "SmartEdit", "Image(Missing)", "Left(0), Top(0), Right(0), Bottom(0)"));
    EXPECT_EQ(p.PS_STRING, "Image(Missing) = Left(0), Top(0), Right(0), Bottom(0)");
    EXPECT_FALSE(p.LoadFromIni(file, "smartedit", "same", "Left(0)"));
    EXPECT_EQ(p.PS_STRING, "same = Left(0)");

    p.PS_STRING = "untouched";
    EXPECT_FALSE(p.LoadFromIni("AppPath:\\Data\\Missing.QVS", "SmartEdit", "Image(Background)", "x"));
    EXPECT_EQ(p.PS_STRING, "untouched");
}

TEST_F(ParamIniTest, WritersNeverCreateAMissingFile)
{
    const QString missing = "AppPath:\\Data\\Settings.QVS";
    dir_.MakeDir("Data");
    TParamString p{"Width(1)"};
    EXPECT_FALSE(p.SaveToIni(missing, "Qorvel", "Window"));
    EXPECT_FALSE(p.WriteValueToIni(missing, "Qorvel", "Window", "Width", "2"));
    EXPECT_FALSE(p.WriteBoolToIni(missing, "Qorvel", "Window", "Maximized", true));
    EXPECT_EQ(p.PS_STRING, "Width(1)");
    EXPECT_FALSE(QFile::exists(dir_.Sub("Data/Settings.QVS")));

    dir_.WriteFile("Data/Settings.QVS", "[Qorvel]\nWindow=PosX(10), Width(900), Maximized(0)\n");
    EXPECT_TRUE(p.SaveToIni(missing, "Qorvel", "Other"));
    EXPECT_TRUE(p.WriteValueToIni(missing, "qorvel", "WINDOW", "Width", "640"));
    EXPECT_EQ(p.PS_STRING, "PosX(10), Width(640), Maximized(0)");
    EXPECT_TRUE(p.WriteBoolToIni(missing, "Qorvel", "Window", "Maximized", true));
    EXPECT_EQ(dir_.ReadFile("Data/Settings.QVS"),
              QByteArray("[Qorvel]\nWindow=PosX(10), Width(640), Maximized(1)\nOther=Width(1)\n"));
}

TEST_F(ParamIniTest, WriteIniParamSearchesExactlyWithoutNesting)
{
    const QString file = dir_.WriteFile("Folder.QVB", "[Font]\nItem=Name(Calibri), Size(11), A(x(1)y), U(12\n");
    WriteIniParam(file, "Font", "Item", "Size", "14");
    WriteIniParam(file, "Font", "Item", "A", "2");          // the first ")" ends the value
    WriteIniParam(file, "Font", "Item", "U", "9");          // unterminated: the last character stays
    WriteIniParam(file, "Font", "Item", "name", "Tahoma"); // case differs: appended
    EXPECT_EQ(IniReadString(file, "Font", "Item", {}), "Name(Calibri), Size(14), A(2)y), U(92, name(Tahoma)");

    const QString fresh = dir_.Sub("fresh.QVB");
    WriteIniParamInt(fresh, "Back", "Image", "Mode", -3);
    WriteIniParamBool(fresh, "Back", "Image", "Tile", true);
    EXPECT_EQ(IniReadString(fresh, "Back", "Image", {}), "Mode(-3), Tile(1)");

    WriteIniParam(dir_.Sub("none/x.QVB"), "Back", "Image", "Mode", "1");
    EXPECT_FALSE(QFile::exists(dir_.Sub("none")));
}

TEST_F(ParamIniTest, FileNamesPassThroughParameterStringsAndIniValues)
{
    dir_.WriteFile("Data/Session.QVS", "");
    const QString file = "AppPath:\\Data\\Session.QVS";
    const QString raw = DecodeFileName(QByteArray("/home/u/caf\xE9\xFF/x"));
    const QString longPath = "/" + QString(4000, u'p') + "/end";
    // Text a parameter value can hold comes back whole, through the INI file too.
    for (const QString& path : {raw, QStringLiteral("/a\\b\\c"), QStringLiteral("/dir (1)/f(2).txt"),
                                QStringLiteral("/a, b,,c"), longPath, QStringLiteral(" /lead and trail ")}) {
        TParamString p;
        p.SetValue("Path", path);
        EXPECT_EQ(p.GetValue("Path", {}), path);
        ASSERT_TRUE(p.SaveToIni(file, "Tabs", "Tab1"));
        TParamString loaded;
        loaded.LoadFromIni(file, "Tabs", "Tab1", {});
        EXPECT_EQ(loaded.GetValue("Path", {}), path);
        // A bare INI value loses the blanks at its ends; inside an entry they stay.
        EXPECT_TRUE(IniWriteString(ResolvePath(file), "Raw", "Path", path));
        EXPECT_EQ(IniReadString(ResolvePath(file), "Raw", "Path", {}), path.trimmed());
    }

    // What the format cannot hold: "=" is removed by the next SetValue, an
    // unbalanced ")" ends the value, and a line break is stored as a blank.
    TParamString p;
    p.SetValue("Path", "/a=b");
    EXPECT_EQ(p.GetValue("Path", {}), "/a=b");
    p.SetValue("Other", "1");
    EXPECT_EQ(p.GetValue("Path", {}), "/ab");
    p.SetValue("Path", "/a)b");
    EXPECT_EQ(p.GetValue("Path", {}), "/a");
    p.PS_STRING = "Path(/line\nbreak)";
    ASSERT_TRUE(p.SaveToIni(file, "Tabs", "Tab1"));
    p.LoadFromIni(file, "Tabs", "Tab1", {});
    EXPECT_EQ(p.GetValue("Path", {}), "/line break");
}

// The fast path must answer exactly as Qt's case-insensitive search does.
TEST(ContainsNoCase, AgreesWithQtOnEveryKindOfText)
{
    const struct {
        const char16_t* text;
        const char16_t* needle;
    } cases[] = {
        {u"Report.TXT", u"txt"},    {u"report.txt", u"RePo"},  {u"abc", u""},        {u"", u"a"},
        {u"ab", u"abc"},            {u"aab", u"ab"},           {u"xyz", u"yx"},      {u"\u212Aelvin", u"kel"},
        {u"Stra\u00DFe", u"STRA\u00DF"}, {u"\u00C9t\u00E9", u"\u00E9t"}, {u"file12", u"file12"}, {u"a[b]", u"[B]"},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const QString needle = QString::fromUtf16(c.needle);
        EXPECT_EQ(ContainsNoCase(text, needle), text.contains(needle, Qt::CaseInsensitive))
            << text.toStdString() << " / " << needle.toStdString();
    }
}
