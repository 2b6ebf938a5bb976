#include "foundation/QV_System.h"

#include "platform/fs/QV_DirList.h"

#include <QSet>

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

namespace {

// A fixture folder with a file, an empty folder, a full folder and a FIFO.
class FileHelperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_.WriteFile("Fotos/a.jpg", "jpeg");
        dir_.WriteFile("Makefile", "all:");
        dir_.MakeDir("empty");
        ASSERT_EQ(::mkfifo(dir_.Sub("pipe").toUtf8().constData(), 0644), 0);
    }
    QString Sub(const QString& relative) const { return dir_.Sub(relative); }
    TTestDir dir_;
};

TDirEntry Entry(const QString& name, std::uint32_t attributes = 0)
{
    TDirEntry entry;
    entry.Name = name;
    entry.Attributes = attributes;
    return entry;
}

} // namespace

TEST_F(FileHelperTest, ExistenceTestsFollowTheMode)
{
    const struct {
        QString path;
        bool any, folder, file, item, hasEntries;
    } cases[] = {
        {Sub("Fotos"), true, true, false, true, true},
        {Sub("Fotos/"), true, true, false, true, true},
        {Sub("Fotos/a.jpg"), true, false, true, true, false},
        {Sub("empty"), true, true, false, true, false},
        {Sub("pipe"), true, false, true, true, false},
        {Sub("missing"), false, false, false, false, false},
        {"", false, false, false, false, false},
        {"QDrive:\\", false, false, false, false, false},
        {"/", true, true, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(PathExists(c.path, emAny), c.any);
        EXPECT_EQ(PathExists(c.path, emFolder), c.folder);
        EXPECT_EQ(PathExists(c.path, emFile), c.file);
        EXPECT_EQ(ItemExists(c.path), c.item);
        EXPECT_EQ(FolderHasEntries(c.path), c.hasEntries);
    }
}

TEST_F(FileHelperTest, NamesShownForPaths)
{
    const struct {
        QString path, display, caption, lastFolder;
    } cases[] = {
        {Sub("Fotos"), "Fotos", Sub("Fotos"), "Fotos"},
        {Sub("Fotos/"), "Fotos", Sub("Fotos/"), "Fotos"},
        {Sub("Fotos/a.jpg"), "a.jpg", Sub("Fotos/a.jpg"), "Fotos"},
        {Sub("gone/x"), Sub("gone/x"), Sub("gone/x"), "x"},
        {"/", "/", "/", "/"},
        {"/proc", "/proc/", "/proc/", "proc"},
        {"/proc/", "/proc/", "/proc/", "proc"},
        {"QDrive:\\", "QDrive:\\", "Quick Drive", "QDrive:\\"},
        {"qdrive:\\", "qdrive:\\", "qdrive:\\", "qdrive:\\"},
        {"*105*", "*105*", "Search...", "*105*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(DisplayName(c.path), c.display);
        EXPECT_EQ(TabCaption(c.path), c.caption);
        EXPECT_EQ(LastFolderName(c.path), c.lastFolder);
    }
    EXPECT_EQ(TabCaption(DisplayName(Sub("Fotos"))), "Fotos");
}

TEST_F(FileHelperTest, DriveRootsAreMountPoints)
{
    const struct {
        QString path;
        bool root;
    } cases[] = {
        {"/", true}, {"/proc", true}, {"/proc/", true}, {"/proc/self", false},
        {"proc", false}, {"", false}, {"QDrive:\\", false}, {Sub("Fotos"), false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsDriveRoot(c.path), c.root) << c.path.toStdString();
}

TEST_F(FileHelperTest, TypeKeyFromEntryAndExistence)
{
    const QString folder = dir_.Path() + '/';
    const struct {
        TDirEntry entry;
        QString key;
    } cases[] = {
        {Entry("Fotos", faDirectory), ".folder"},
        {Entry("link.d", faDirectory | faSymLink), ".folder"},
        {Entry("Photo.JPG"), ".jpg"},
        {Entry("archive.tar.gz"), ".gz"},
        {Entry("name."), "."},
        {Entry(".bashrc"), ".bashrc"},
        {Entry("Makefile"), ""},         // exists, no extension
        {Entry("ghost"), ".unknown"},    // gone since it was listed
        {Entry(QString::fromUtf8("Ärger.ÖL")), QString::fromUtf8(".öl")},
    };
    for (const auto& c : cases) EXPECT_EQ(TypeKey(folder, c.entry), c.key) << c.entry.Name.toStdString();
}

TEST(FileHelpers, SizesTimesAndNameLists)
{
    TDirEntry entry;
    entry.Size = 5'000'000'000LL;
    EXPECT_EQ(FileSizeOf(entry), 5'000'000'000LL);

    const QDateTime time = FileTimeToDateTime(1700000000123LL);
    EXPECT_EQ(time.timeSpec(), Qt::LocalTime);
    EXPECT_EQ(time.toMSecsSinceEpoch(), 1700000000123LL);
    EXPECT_EQ(time.time().msec(), 123);

    const struct {
        QString text;
        TStringArray list;
        bool matches;
    } cases[] = {
        {"abc", {"x", "ABC"}, true},
        {"Exe", {"exe"}, true},
        {"abc", {"abcd", "ab"}, false},
        {"abc", {}, false},
        {"", {""}, true},
        {QString::fromUtf8("é"), {QString::fromUtf8("É")}, false}, // only A-Z fold
        {"i", {QString::fromUtf8("İ")}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesAny(c.text, c.list), c.matches) << c.text.toStdString();
}

TEST(FileHelpers, DriveReadinessAndLabels)
{
    TTestDir dir;
    EXPECT_TRUE(IsDriveReady("/"));
    EXPECT_TRUE(IsDriveReady(dir.Path())); // any path answers for the volume holding it
    EXPECT_FALSE(IsDriveReady(""));
    EXPECT_FALSE(IsDriveReady("relative"));
    EXPECT_FALSE(IsDriveReady("QDrive:\\"));
    EXPECT_GT(DriveCapacity("/"), 0);
    EXPECT_GT(DriveCapacity(dir.Path()), 0);
    EXPECT_EQ(DriveCapacity("relative"), -1);
    EXPECT_EQ(VolumeLabel("/proc"), ""); // no device, no label
    EXPECT_EQ(VolumeLabel(""), "");
}
