#include "platform/desktop/QV_Launch.h"

#include "platform/fs/QV_FileNames.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>

#include <cstdlib>

namespace {

QString WriteMode(const TTestDir& dir, const QString& name, const QByteArray& contents, mode_t mode)
{
    const QString path = dir.WriteFile(name, contents);
    ::chmod(EncodeFileName(path).constData(), mode);
    return path;
}

const QByteArray Launcher = "[Desktop Entry]\nType=Application\nName=Text Editor\nName[de]=Texteditor\nExec=true\n";

} // namespace

TEST(Launch, ProgramsAreTheExecutableFilesThatCanRun)
{
    TTestDir dir;
    QFile elf(QStringLiteral("/bin/true"));
    ASSERT_TRUE(elf.open(QIODevice::ReadOnly));
    const QByteArray program = elf.readAll();
    const struct {
        const char* Name;
        QByteArray Contents;
        mode_t Mode;
        TOpenKind Kind;
    } cases[] = {
        {"notes.txt", "plain text", 0644, TOpenKind::okDocument},
        {"tool.sh", "#!/bin/sh\n", 0755, TOpenKind::okProgram},
        {"unmarked.sh", "#!/bin/sh\n", 0644, TOpenKind::okDocument},
        {"binary", program, 0755, TOpenKind::okProgram},
        {"binary-unmarked", program, 0644, TOpenKind::okDocument},
        // A file system mounted with every execute bit set shows documents so.
        {"photo.jpg", "\xFF\xD8\xFF\xE0", 0755, TOpenKind::okDocument},
        {"app.desktop", Launcher, 0755, TOpenKind::okProgram},
        {"unmarked.desktop", Launcher, 0644, TOpenKind::okDocument},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OpenKindOf(WriteMode(dir, c.Name, c.Contents, c.Mode)), c.Kind) << c.Name;
    EXPECT_EQ(OpenKindOf(dir.MakeDir("folder.sh")), TOpenKind::okDocument);
}

TEST(Launch, LauncherNameIsTheEntrysNameInTheUsersLanguage)
{
    TTestDir dir;
    const char* saved = std::getenv("LANGUAGE");
    const QByteArray restore = saved ? QByteArray(saved) : QByteArray();
    const struct {
        const char* Language;
        const char* Name;
        QByteArray Contents;
        const char* Expected;
    } cases[] = {
        {"", "app.desktop", Launcher, "Text Editor"},
        {"de", "app.desktop", Launcher, "Texteditor"},
        {"fr", "app.desktop", Launcher, "Text Editor"},
        {"", "nameless.desktop", "[Desktop Entry]\nType=Application\nExec=true\n", ""},
        {"", "garbage.desktop", QByteArray(64, '\0'), ""},
        {"", "huge.desktop", Launcher + QByteArray(300 * 1024, '#'), ""},  // more than a launcher needs
        {"", "app.txt", Launcher, ""},                                      // not a launcher by name
    };
    for (const auto& c : cases) {
        ::setenv("LANGUAGE", c.Language, 1);
        EXPECT_EQ(LauncherName(dir.WriteFile(c.Name, c.Contents)), QString::fromUtf8(c.Expected))
            << c.Name << " " << c.Language;
    }
    if (saved) ::setenv("LANGUAGE", restore.constData(), 1);
    else ::unsetenv("LANGUAGE");
}

TEST(Launch, RunAndOpenNameWhatFailed)
{
    TTestDir dir;
    const TFsStatus run = RunFile(dir.Sub("missing"));
    ASSERT_FALSE(run);
    EXPECT_EQ(run.Code(), ENOENT);
    EXPECT_TRUE(run.Error().Text.contains("missing"));
    const TFsStatus notLauncher = RunFile(dir.WriteFile("broken.desktop", "no entry at all"));
    ASSERT_FALSE(notLauncher);
    EXPECT_TRUE(notLauncher.Error().Text.contains("broken.desktop"));
}
