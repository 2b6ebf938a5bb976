#include "foundation/QV_System.h"

#include <QSet>

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Sets the alias names for one test and puts the previous ones back afterwards.
class AliasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = AliasNames();
        TAliasNames names;
        names.AppPath = "/opt/qv";
        names.ControlTheme = "Dark";
        names.ButtonTheme = "Default";
        names.FilesTheme = "Flat";
        names.Lang = "Deutsch";
        SetAliasNames(names);
    }
    void TearDown() override { SetAliasNames(saved_); }
    TAliasNames saved_;
};

} // namespace

TEST_F(AliasTest, ResolvesEveryAlias)
{
    const struct {
        const char* input;
        QString expected;
    } cases[] = {
        {"AppPath:\\Data\\x.txt", "/opt/qv/Data/x.txt"},
        {"LangPath:\\Deutsch.QVL", "/opt/qv/Data/Language/Deutsch.QVL"},
        {"DataPath:\\Menus.QVS", "/opt/qv/Data/Menus.QVS"},
        {"ControlThemePath:\\SmartEdit\\ControlBack.png", "/opt/qv/Data/Themes/Controls/Dark/SmartEdit/ControlBack.png"},
        {"controlthemepath:\\Items\\ItemHotBack.png", "/opt/qv/Data/Themes/Controls/Dark/Items/ItemHotBack.png"},
        {"ButtonsTheme:\\Unknown.png", "/opt/qv/Data/Themes/Buttons/Default/Unknown.png"},
        {"FilesThemePath:\\folder.png", "/opt/qv/Data/Themes/FileIcons/Flat/folder.png"},
        {"About:\\", "/opt/qv/Data/Language/Deutsch.QVA"},
        {"LangFile:\\", "/opt/qv/Data/Language/Deutsch.QVL"},
        {"ControlTheme:\\", "/opt/qv/Data/Themes/Controls/Dark/ThemeData.QVS"},
        {"MenuFile:\\", "/opt/qv/Data/Menus.QVS"},
        {"SettingsFile:\\", "/opt/qv/Data/Settings.QVS"},
        {"SettingsFile:\\anything", "/opt/qv/Data/Settings.QVS"},
        {"TypesFile:\\", "/opt/qv/Data/Types.QVS"},
        {"qdrive:\\x", "QDrive:\\"},
        // Without an alias nothing is rewritten: "\" is a legal character in names.
        {"/home/a\\b", "/home/a\\b"},
        {"", ""},
        // Several aliases: the last matching one of the table wins.
        {"AppPath:\\x SettingsFile:\\", "/opt/qv/Data/Settings.QVS"},
        {"AppPath:\\a;AppPath:\\b\\c", "/opt/qv/a;/opt/qv/b/c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolvePath(QString::fromUtf8(c.input)), c.expected) << c.input;
    EXPECT_EQ(ResolvePath("AppPath:\\Data\\Settings.QVS"), ResolvePath("SettingsFile:\\"));
}

TEST_F(AliasTest, ProgramFolderAtTheRootGivesOneDelimiter)
{
    TAliasNames names = AliasNames();
    names.AppPath = "/";
    SetAliasNames(names);
    EXPECT_EQ(ResolvePath("AppPath:\\Data\\a"), "/Data/a");
    EXPECT_EQ(ToAliasPath("/Data/a/b"), "AppPath:\\Data\\a\\b");
}

TEST_F(AliasTest, ToAliasPathTurnsOnlyTheProgramFolderBack)
{
    EXPECT_EQ(ToAliasPath(ResolvePath("ButtonsTheme:\\a.png")), "AppPath:\\Data\\Themes\\Buttons\\Default\\a.png");
    EXPECT_EQ(ToAliasPath("/home/user/pic.png"), "/home/user/pic.png");
    EXPECT_EQ(ToAliasPath("/opt/qvx/a"), "/opt/qvx/a"); // a sibling folder is not the program folder
    EXPECT_EQ(ResolvePath(ToAliasPath("/opt/qv/Data/a b/(c).png")), "/opt/qv/Data/a b/(c).png");
}

TEST(TrailingDelimiter, AddsAndRemovesOneDelimiter)
{
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(MakeID, IsSevenCharactersFromTheAlphabetStartingWithZero)
{
    const QString alphabet = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ!?/*+-";
    QSet<QString> seen;
    for (int i = 0; i < 1000; ++i) {
        const QString id = MakeID();
        ASSERT_EQ(id.size(), 7);
        EXPECT_EQ(id[0], '0');
        for (int k = 1; k < 7; ++k) EXPECT_TRUE(alphabet.contains(id[k])) << id.toStdString();
        seen.insert(id);
    }
    EXPECT_GT(seen.size(), 990); // 38^6 possibilities: collisions are rare
}
