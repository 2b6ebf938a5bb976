#include "foundation/QV_Settings.h"

#include "foundation/QV_System.h"
#include "support/QV_TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// A program folder in a temporary folder, made the working directory so that the
// settings loader finds its Data/.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedCwd_ = QDir::currentPath();
        dir_.MakeDir("Data");
        QDir::setCurrent(dir_.Path());
    }
    void TearDown() override
    {
        QDir::setCurrent(savedCwd_);
        // Later tests in this process start from the built-in defaults again.
        QDir::setCurrent(dir_.Path());
        dir_.WriteFile("Data/Settings.QVS", "");
        LoadSettings();
        QDir::setCurrent(savedCwd_);
    }
    void WriteSettings(const QByteArray& text) { dir_.WriteFile("Data/Settings.QVS", text); }
    QByteArray SettingsText() const { return dir_.ReadFile("Data/Settings.QVS"); }

    TTestDir dir_;
    QString savedCwd_;
};

} // namespace

TEST_F(SettingsTest, EmptyFileGivesEveryDefault)
{
    WriteSettings("");
    LoadSettings();
    const TQvSettings& s = Settings();
    EXPECT_EQ(int(s.Mouse.ClickDelay), 250);
    EXPECT_EQ(int(s.Mouse.WheelScroll), 5);
    EXPECT_EQ(int(s.Browsing.ItemWidth), 150);
    EXPECT_EQ(int(s.Browsing.ItemHeight), 40);
    EXPECT_EQ(QString(s.General.Lang), "English");
    EXPECT_EQ(QString(s.Theming.ControlTheme), "Default");
    EXPECT_EQ(int(s.QuickBar.ItemSize), 48);
    EXPECT_EQ(int(s.ActionBar.ItemSize), 24);
    EXPECT_EQ(int(s.SmartMenu.ItemSize), 23);
    EXPECT_TRUE(bool(s.StartUp.RestoreLastSession));
    EXPECT_FALSE(bool(s.StartUp.RestorePosition));
    EXPECT_EQ(AppPath(), QDir(dir_.Path()).canonicalPath());
}

TEST_F(SettingsTest, ReadsGroupsWithTheParameterRules)
{
    WriteSettings("[Qorvel]\n"
                  "Mouse=ClickDelay( ), WheelScroll(9)\n"
                  "Browsing=ItemHeight(60), ItemWidth(200), HideHidden(0)\n"
                  "SmartTabs=ButtonToTabSpacing(6), TabSpacing(3)\n"
                  "QuickBar=ItemSize(64)\n"
                  "Theming=ControlTheme(Dark)\n"
                  "General=Lang(Deutsch)\n");
    LoadSettings();
    const TQvSettings& s = Settings();
    EXPECT_EQ(int(s.Mouse.ClickDelay), 250); // a single blank is absent
    EXPECT_EQ(int(s.Mouse.WheelScroll), 9);
    EXPECT_EQ(int(s.Browsing.ItemHeight), 60);
    EXPECT_EQ(int(s.Browsing.ItemWidth), 200);
    EXPECT_FALSE(bool(s.Browsing.HideHidden));
    // "TabSpacing(" is found inside the earlier ButtonToTabSpacing entry first.
    EXPECT_EQ(int(s.SmartTabs.TabSpacing), 6);
    EXPECT_EQ(int(s.SmartTabs.ButtonToTabSpacing), 6);
    EXPECT_EQ(int(s.QuickBar.ItemSize), 64);
    EXPECT_EQ(int(s.PathBar.ItemSize), 24);
    EXPECT_EQ(ResolvePath("ControlTheme:\\"), AppPath() + "/Data/Themes/Controls/Dark/ThemeData.QVS");
    EXPECT_EQ(ResolvePath("LangFile:\\"), AppPath() + "/Data/Language/Deutsch.QVL");
}

TEST_F(SettingsTest, MalformedValueTakesItsDefaultAndTheRestStillLoads)
{
    WriteSettings("[Qorvel]\n"
                  "Mouse=ClickDelay(25o), ClickScroll(12), StickyScroll(maybe), WheelScroll(99999999999)\n"
                  "Browsing=ItemWidth(180)\n");
    LoadSettings();
    const TQvSettings& s = Settings();
    EXPECT_EQ(int(s.Mouse.ClickDelay), 250);
    EXPECT_EQ(int(s.Mouse.ClickScroll), 12);
    EXPECT_TRUE(bool(s.Mouse.StickyScroll));
    EXPECT_EQ(int(s.Mouse.WheelScroll), 5);
    EXPECT_EQ(int(s.Browsing.ItemWidth), 180);
}

TEST_F(SettingsTest, TheRecentTabLimitIsBoundedWhenRead)
{
    const QPair<const char*, int> cases[] = {
        {"MaxRecent(0)", 0}, {"MaxRecent(-3)", 0}, {"MaxRecent($FFFFFFFF)", 0}, {"MaxRecent(12)", 12},
        {"MaxRecent(2000000000)", MaxRecentLimit},
    };
    for (const auto& [entry, expected] : cases) {
        WriteSettings(QByteArray("[Qorvel]\nSmartTabs=") + entry + "\n");
        LoadSettings();
        EXPECT_EQ(int(Settings().SmartTabs.MaxRecent), expected) << entry;
    }
}

TEST_F(SettingsTest, ReloadKeepsTheNavigationSoundWhenItsKeysAreMissing)
{
    WriteSettings("[Qorvel]\nMedia=NavSound(/x/click.wav), PlayNavSound(0)\n");
    LoadSettings();
    WriteSettings("[Qorvel]\nMouse=ClickDelay(300)\n");
    LoadSettings();
    EXPECT_EQ(QString(Settings().Media.NavSound), "/x/click.wav");
    EXPECT_FALSE(bool(Settings().Media.PlayNavSound));
}

TEST_F(SettingsTest, SaveWindowStateFollowsTheRestoreSwitches)
{
    const struct {
        const char* startUp;
        bool maximized;
        const char* expected;
    } cases[] = {
        {"RestorePosition(0), RestoreWH(0)", false, "PosX(10), PosY(10), Width(900), Height(600), Maximized(0)"},
        {"RestorePosition(1), RestoreWH(0)", false, "PosX(33), PosY(44), Width(900), Height(600), Maximized(0)"},
        {"RestorePosition(1), RestoreWH(1)", false, "PosX(33), PosY(44), Width(700), Height(500), Maximized(0)"},
        {"RestorePosition(1), RestoreWH(1)", true, "PosX(10), PosY(10), Width(900), Height(600), Maximized(1)"},
    };
    for (const auto& c : cases) {
        WriteSettings(QByteArray("[Qorvel]\nStartUp=") + c.startUp +
                      "\nWindow=PosX(10), PosY(10), Width(900), Height(600), Maximized(0)\n");
        LoadSettings();
        SaveWindowState({c.maximized, 33, 44, 700, 500});
        EXPECT_EQ(ReadSetting("Qorvel", "Window", ""), c.expected) << c.startUp << " maximized " << c.maximized;
    }
}

TEST_F(SettingsTest, SaveWindowStateNeverCreatesTheFile)
{
    QFile::remove(dir_.Sub("Data/Settings.QVS"));
    LoadSettings();
    SaveWindowState({true, 1, 2, 3, 4});
    EXPECT_FALSE(QFile::exists(dir_.Sub("Data/Settings.QVS")));
}

TEST_F(SettingsTest, ReadSettingAnswersTheDefaultForMissingKeys)
{
    WriteSettings("[qorvel]\nmouse = ClickDelay(1)\n");
    LoadSettings();
    EXPECT_EQ(ReadSetting("Qorvel", "Mouse", "d"), "ClickDelay(1)");
    EXPECT_EQ(ReadSetting("Qorvel", "Window", "d"), "d");
    EXPECT_EQ(ReadSetting("Other", "Mouse", "d"), "d");
}

TEST(DefaultSettingsFile, EveryKeyOfTheShippedFileReadsItsDefault)
{
    // The installed Data/ next to the tests must load without falling back anywhere.
    const QString saved = QDir::currentPath();
    QDir::setCurrent(BuildDir());
    LoadSettings();
    QDir::setCurrent(saved);
    const TQvSettings& s = Settings();
    EXPECT_EQ(int(s.SmartTabs.TabSpacing), 2);
    EXPECT_EQ(int(s.SmartTabs.ButtonToTabSpacing), 2);
    EXPECT_EQ(int(s.SmartTabs.Height), 28);
    EXPECT_EQ(int(s.Mouse.ClickDelay), 250);
    EXPECT_EQ(int(s.QuickBar.ItemSize), 48);
    EXPECT_EQ(int(s.SmartMenu.MenuWidth), 250);
}
