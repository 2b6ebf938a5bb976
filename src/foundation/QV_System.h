#pragma once
// Path aliases, the process-wide names they expand to, and the small file-system
// helpers shared by every subsystem.

#include <QString>

// The names the aliases expand to. Written by the settings loader on the main
// thread, read from any thread: readers always get a consistent copy.
struct TAliasNames {
    QString AppPath;      // the program folder, no trailing delimiter ("/" at the root)
    QString ControlTheme = QStringLiteral("Default");
    QString ButtonTheme = QStringLiteral("Default");
    QString FilesTheme = QStringLiteral("Default");
    QString Lang = QStringLiteral("English");
};

TAliasNames AliasNames();
void SetAliasNames(const TAliasNames& names);
QString AppPath();

// Kinds of user shell folders GetShellFolder knows.
enum class TShellFolder { sfDesktop, sfStartMenu, sfPrograms, sfStartup, sfPersonal, sfWindows, sfSystem };

// Expands the aliases ("ControlThemePath:\Items\Back.png", "SettingsFile:\").
// Prefix aliases are replaced where they stand and the "\" after them become "/";
// whole aliases give a fixed path. When several aliases occur, the last matching
// one in table order wins, as every test works on the input, not the result.
QString ResolvePath(const QString& path);

// Turns the program folder at the start of a resolved path back into "AppPath:\",
// with "\" between the components after it, for storing in data files.
QString ToAliasPath(const QString& path);

// A user folder with a trailing delimiter, or empty when the system has none.
// Only sfPersonal (the documents folder) and sfDesktop are known on this system.
QString GetShellFolder(TShellFolder kind);

QString IncludeTrailingPathDelimiter(const QString& path);
QString ExcludeTrailingPathDelimiter(const QString& path);

// Mode of PathExists.
enum TExistsMode { emAny = 0, emFolder = 1, emFile = 2 };

// Resolves the aliases, then tests that the path exists as the mode asks.
bool PathExists(const QString& path, int mode = emAny);

// A new random identifier: "0" and six characters from an unambiguous alphabet.
QString MakeID();

// The pseudo-path of the quick-drive view.
inline const QString QDrivePath = QStringLiteral("QDrive:\\");
