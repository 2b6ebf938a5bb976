#include "platform/fs/QV_ProgramFolder.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <utime.h>

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Four candidate places below one temporary folder; each starts without Data/.
class ProgramFolderTest : public ::testing::Test {
protected:
    TProgramPlaces Places() const
    {
        return {dir_.MakeDir("cwd"), dir_.MakeDir("bin"), dir_.Sub("user/qorvel"), dir_.Sub("share/qorvel/Data")};
    }
    void InstallDefaults() const
    {
        dir_.WriteFile("share/qorvel/Data/Settings.QVS", "[Qorvel]\n");
        dir_.WriteFile("share/qorvel/Data/Themes/Controls/Default/ThemeData.QVS", "theme");
    }
    QStringList Leftovers() const { return QDir(dir_.Sub("user/qorvel")).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot); }
    TTestDir dir_;
};

} // namespace

TEST_F(ProgramFolderTest, PrefersTheFirstPlaceHoldingData)
{
    const struct {
        bool cwdData, exeData;
        const char* expected;
    } cases[] = {
        {true, true, "cwd"},
        {true, false, "cwd"},
        {false, true, "bin"},
        {false, false, "user/qorvel"},
    };
    for (const auto& c : cases) {
        const TProgramPlaces places = Places();
        QDir(places.WorkingFolder + "/Data").removeRecursively();
        QDir(places.ExeFolder + "/Data").removeRecursively();
        if (c.cwdData) dir_.MakeDir("cwd/Data");
        if (c.exeData) dir_.MakeDir("bin/Data");
        EXPECT_EQ(FindProgramFolder(places), dir_.Sub(c.expected)) << c.expected;
    }
    dir_.WriteFile("cwd2/Data", "a file, not a folder");
    TProgramPlaces places = Places();
    places.WorkingFolder = dir_.Sub("cwd2");
    dir_.MakeDir("bin/Data");
    EXPECT_EQ(FindProgramFolder(places), places.ExeFolder);
}

TEST_F(ProgramFolderTest, SeedsTheUserFolderOnceWithoutOverwriting)
{
    InstallDefaults();
    const TProgramPlaces places = Places();
    EXPECT_EQ(FindProgramFolder(places), places.UserFolder);
    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data/Settings.QVS"), "[Qorvel]\n");
    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data/Themes/Controls/Default/ThemeData.QVS"), "theme");
    EXPECT_EQ(Leftovers(), QStringList{"Data"});

    // The user's changes survive a later start with different defaults.
    dir_.WriteFile("user/qorvel/Data/Settings.QVS", "[Qorvel]\nMine=1\n");
    dir_.WriteFile("share/qorvel/Data/Settings.QVS", "[Qorvel]\nNew=1\n");
    dir_.WriteFile("share/qorvel/Data/Menus.QVS", "menus");
    EXPECT_EQ(FindProgramFolder(places), places.UserFolder);
    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data/Settings.QVS"), "[Qorvel]\nMine=1\n");
    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data/Menus.QVS"), "menus"); // a new default file is added
}

TEST_F(ProgramFolderTest, UpgradeAddsNewDefaultsAndKeepsWhatTheUserChanged)
{
    InstallDefaults();
    dir_.WriteFile("share/qorvel/Data/Menus.QVS", "menus v1");
    const TProgramPlaces places = Places();
    ASSERT_EQ(FindProgramFolder(places), places.UserFolder);
    dir_.WriteFile("user/qorvel/Data/Settings.QVS", "[Qorvel]\nmine=1\n"); // the user's own change

    // A newer installation: every file changes and one is new.
    dir_.WriteFile("share/qorvel/Data/Settings.QVS", "[Qorvel]\nnew=1\n");
    dir_.WriteFile("share/qorvel/Data/Menus.QVS", "menus v2");
    dir_.WriteFile("share/qorvel/Data/Types.QVS", "types");
    ::utime(dir_.Sub("share/qorvel/Data/Menus.QVS").toUtf8().constData(), nullptr);
    ASSERT_EQ(FindProgramFolder(places), places.UserFolder);

    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data/Settings.QVS"), "[Qorvel]\nmine=1\n"); // kept
    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data/Menus.QVS"), "menus v2");              // untouched, so updated
    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data/Types.QVS"), "types");                 // added
    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data/Themes/Controls/Default/ThemeData.QVS"), "theme");
    // The same installation again changes nothing, even a file the user removed on purpose stays away
    // only until the next installation brings it back.
    ::unlink(dir_.Sub("user/qorvel/Data/Types.QVS").toUtf8().constData());
    EXPECT_EQ(UpdateUserData(places.UserFolder, places.DefaultData), 0);
    EXPECT_FALSE(QFile::exists(dir_.Sub("user/qorvel/Data/Types.QVS")));
    EXPECT_EQ(Leftovers(), QStringList{"Data"});
    EXPECT_TRUE(QDir(dir_.Sub("user/qorvel/Data")).entryList(QStringList{".seed-*"}, QDir::Hidden | QDir::Files).isEmpty());
}

TEST_F(ProgramFolderTest, MissingDefaultsLeaveAnEmptyUserFolder)
{
    const TProgramPlaces places = Places();
    EXPECT_EQ(FindProgramFolder(places), places.UserFolder);
    EXPECT_FALSE(SeedUserFolder(places.UserFolder, places.DefaultData));
    EXPECT_FALSE(QFile::exists(places.UserFolder + "/Data"));
    EXPECT_FALSE(SeedUserFolder(places.UserFolder, ""));
}

TEST_F(ProgramFolderTest, CopiesOnlyFoldersAndFiles)
{
    InstallDefaults();
    ASSERT_EQ(::mkfifo(dir_.Sub("share/qorvel/Data/pipe").toUtf8().constData(), 0644), 0);
    const TProgramPlaces places = Places();
    EXPECT_TRUE(SeedUserFolder(places.UserFolder, places.DefaultData));
    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data/Settings.QVS"), "[Qorvel]\n");
    EXPECT_FALSE(QFileInfo::exists(dir_.Sub("user/qorvel/Data/pipe")));
}

TEST_F(ProgramFolderTest, FailedCopyLeavesNothingBehind)
{
    InstallDefaults();
    ASSERT_EQ(::symlink(".", dir_.Sub("share/qorvel/Data/loop").toUtf8().constData()), 0);
    const TProgramPlaces places = Places();
    EXPECT_FALSE(SeedUserFolder(places.UserFolder, places.DefaultData));
    EXPECT_EQ(Leftovers(), QStringList{});

    dir_.WriteFile("user/qorvel/Data", "a file where Data/ belongs");
    ::unlink(dir_.Sub("share/qorvel/Data/loop").toUtf8().constData());
    EXPECT_FALSE(SeedUserFolder(places.UserFolder, places.DefaultData));
    EXPECT_EQ(dir_.ReadFile("user/qorvel/Data"), "a file where Data/ belongs");
    EXPECT_EQ(Leftovers(), QStringList{"Data"});
}

TEST(ProgramFolder, CurrentPlacesAreAbsolute)
{
    const TProgramPlaces places = CurrentProgramPlaces();
    EXPECT_TRUE(places.WorkingFolder.startsWith('/'));
    EXPECT_TRUE(places.ExeFolder.startsWith('/'));
    EXPECT_TRUE(places.UserFolder.endsWith("/qorvel"));
    EXPECT_TRUE(places.DefaultData.endsWith("/share/qorvel/Data"));
}
