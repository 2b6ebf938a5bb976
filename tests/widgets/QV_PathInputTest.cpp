#include "widgets/QV_PathInput.h"

#include "foundation/QV_System.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

TEST(PathInput, ExpandsWhatUsersTypeIntoAbsolutePaths)
{
    const QString home = "/home/u";
    const QString here = "/data/photos";
    const struct {
        QString In;
        QString Out;
    } rows[] = {
        {"~", "/home/u"},
        {"~/Music/", "/home/u/Music"},
        {"/usr//share/./doc/", "/usr/share/doc"},
        {"/usr/share/..", "/usr"},
        {"  /tmp  ", "/tmp"},
        {"2024", "/data/photos/2024"},
        {"../music", "/data/music"},
        {"file:///home/u/My%20Files", "/home/u/My Files"},
        {"file://localhost/etc/", "/etc"},
        {"file://other-host/etc", ""},
        {"file:///a%00b", ""},
        {"QDrive:\\", QDrivePath},
        {"Quick Drive", QDrivePath},
        {"Trash:\\", TrashPath},
        {"trash:///", TrashPath},
        {"TRASH:", TrashPath},
        {"Trash", "/data/photos/Trash"},  // a folder of that name where one browses
        {"/", "/"},
        {"", ""},
        {"~someone", "/data/photos/~someone"},
    };
    for (const auto& row : rows) EXPECT_EQ(ExpandPathInput(row.In, home, here), row.Out) << row.In.toStdString();
    EXPECT_EQ(ExpandPathInput("relative", home, QDrivePath), QString()) << "nothing to be relative to";
    EXPECT_EQ(ExpandPathInput("Trash", home, TrashPath), TrashPath) << "the trash place's own caption";
}

TEST(PathInput, ResolvesFoldersFilesAndMissingPlaces)
{
    TTestDir dir;
    dir.WriteFile("docs/letter.txt", "x");
    const TPathTarget folder = ResolvePathInput(dir.Sub("docs/"), QString());
    EXPECT_EQ(folder.Kind, TPathTargetKind::ptFolder);
    EXPECT_EQ(folder.Folder, dir.Sub("docs"));

    const TPathTarget file = ResolvePathInput("letter.txt", dir.Sub("docs"));
    EXPECT_EQ(file.Kind, TPathTargetKind::ptFile);
    EXPECT_EQ(file.Folder, dir.Sub("docs"));
    EXPECT_EQ(file.FileName, "letter.txt");

    const TPathTarget missing = ResolvePathInput(dir.Sub("nothing"), QString());
    EXPECT_EQ(missing.Kind, TPathTargetKind::ptNone);
    EXPECT_EQ(missing.Expanded, dir.Sub("nothing"));
}

TEST(PathInput, CompletesFolderNames)
{
    TTestDir dir;
    dir.MakeDir("Music");
    dir.MakeDir("Movies");
    dir.MakeDir(".cache");
    dir.WriteFile("Mumble.txt", "");
    EXPECT_EQ(FolderCompletions(dir.Sub("Mu"), QString()), QStringList{"Music"});
    EXPECT_EQ(FolderCompletions(dir.Sub("M"), QString()), (QStringList{"Movies", "Music"}));
    EXPECT_EQ(CommonStart({"Movies", "Music"}), "M");
    EXPECT_EQ(FolderCompletions(dir.Sub("mu"), QString()), QStringList{"Music"}) << "any case when no exact one";
    EXPECT_EQ(FolderCompletions(dir.Sub(""), QString()), (QStringList{"Movies", "Music"})) << "hidden only by dot";
    EXPECT_EQ(FolderCompletions(dir.Sub(".c"), QString()), QStringList{".cache"});
    EXPECT_TRUE(FolderCompletions(dir.Sub("nothing/x"), QString()).isEmpty());
}
