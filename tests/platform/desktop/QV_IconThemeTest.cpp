#include "platform/desktop/QV_IconTheme.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Two themes that inherit each other, and an unthemed icon in the base folder.
class IconTheme : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_.WriteFile(QStringLiteral("icons/mine/index.theme"),
                       "[Icon Theme]\nName=Mine\nInherits=parent\nDirectories=16,32,scalable,16@2x\n\n"
                       "[16]\nSize=16\nType=Fixed\n\n"
                       "[32]\nSize=32\nType=Threshold\n\n"
                       "[scalable]\nSize=64\nMinSize=64\nMaxSize=256\nType=Scalable\n\n"
                       "[16@2x]\nSize=16\nScale=2\nType=Fixed\n");
        dir_.WriteFile(QStringLiteral("icons/parent/index.theme"),
                       "[Icon Theme]\nInherits=mine\nDirectories=48\n[48]\nSize=48\nType=Fixed\n");
        for (const char* file : {"mine/16/a.png", "mine/scalable/a.svg", "mine/32/b.png", "mine/16@2x/hidpi.png",
                                 "parent/48/c.png", "parent/48/b.png", "loose.svg"})
            dir_.WriteFile(QStringLiteral("icons/") + file, "x");
    }

    QString Find(const QStringList& names, int size) const
    {
        const QString found = themes_.FindIcon(names, size, QStringLiteral("mine"));
        return found.isEmpty() ? found : found.mid(dir_.Sub(QStringLiteral("icons/")).size());
    }

    TTestDir dir_;
    TIconThemes themes_{{dir_.Sub(QStringLiteral("icons"))}};
};

TEST_F(IconTheme, FindsTheDirectoryThatFitsTheSize)
{
    struct TCase {
        QStringList Names;
        int Size;
        const char* Expected;
    } cases[] = {
        {{"a"}, 16, "mine/16/a.png"},         // a fixed size
        {{"a"}, 128, "mine/scalable/a.svg"},  // inside a scalable range
        {{"a"}, 24, "mine/16/a.png"},         // nearest
        {{"a"}, 40, "mine/scalable/a.svg"},   // equally near: the larger
        {{"b"}, 34, "mine/32/b.png"},         // within the threshold
        {{"b"}, 48, "mine/32/b.png"},         // the theme before its parent, however near the parent's
        {{"c"}, 16, "parent/48/c.png"},       // inherited
        {{"none", "c", "b"}, 32, "mine/32/b.png"}, // every name in a theme before the next theme
        {{"loose"}, 32, "loose.svg"},         // unthemed
        {{"hidpi"}, 32, ""},                  // scaled directories are for other screens
        {{"none"}, 32, ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Find(c.Names, c.Size), QLatin1String(c.Expected)) << c.Names.join(',').toStdString() << " @ " << c.Size;
}

TEST_F(IconTheme, OnlyInstalledThemesCount)
{
    EXPECT_TRUE(themes_.HasTheme(QStringLiteral("mine")));
    EXPECT_FALSE(themes_.HasTheme(QStringLiteral("16"))); // a folder without index.theme
    EXPECT_FALSE(themes_.HasTheme(QStringLiteral("../icons/mine")));
    EXPECT_EQ(themes_.FindIcon({QStringLiteral("c")}, 48, QStringLiteral("absent")), QString());
}

TEST_F(IconTheme, DesktopSettingNamesTheTheme)
{
    const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP"), config = qgetenv("XDG_CONFIG_HOME"),
                     configDirs = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_HOME", dir_.Sub(QStringLiteral("config")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", dir_.Sub(QStringLiteral("none")).toUtf8());

    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    dir_.WriteFile(QStringLiteral("config/kdeglobals"), "[Icons]\nTheme=parent\n");
    dir_.WriteFile(QStringLiteral("config/gtk-3.0/settings.ini"), "[Settings]\ngtk-icon-theme-name=mine\n");
    EXPECT_EQ(ReadDesktopIconTheme(themes_), QStringLiteral("parent"));
    qputenv("XDG_CURRENT_DESKTOP", "XFCE");
    EXPECT_EQ(ReadDesktopIconTheme(themes_), QStringLiteral("mine"));
    dir_.WriteFile(QStringLiteral("config/gtk-3.0/settings.ini"), "[Settings]\ngtk-icon-theme-name=Gone\n");
    EXPECT_EQ(ReadDesktopIconTheme(themes_), QStringLiteral("parent"));
    dir_.WriteFile(QStringLiteral("config/kdeglobals"), "");
    EXPECT_EQ(ReadDesktopIconTheme(themes_), QStringLiteral("breeze"));

    qputenv("XDG_CURRENT_DESKTOP", desktop);
    qputenv("XDG_CONFIG_HOME", config);
    qputenv("XDG_CONFIG_DIRS", configDirs);
}

} // namespace
