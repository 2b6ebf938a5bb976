#pragma once
// Opening files as the desktop would. Paths are passed as arguments, never
// through a shell.

#include "platform/fs/QV_FsResult.h"

#include <QString>
#include <QStringList>

// What starting a file does: run it, or open it as a document.
enum class TOpenKind {
    okDocument,
    // An executable regular file (execute permission, and an ELF or "#!"
    // start), or a ".desktop" launcher with the execute permission.
    okProgram,
};
TOpenKind OpenKindOf(const QString& path);

// Runs a program file with its own folder as working folder, or starts the
// application of an executable launcher.
TFsStatus RunFile(const QString& path);

// Opens the file with the desktop's default application for its content type;
// a launcher opens as text. Fails with a text naming the type when no
// application is set for it or the application cannot be started.
TFsStatus OpenDocument(const QString& path);

// Starts program (a path, or a name looked up in PATH) with the arguments; an
// empty workDir keeps the current one. Answers whether it was started.
bool LaunchProgram(const QString& program, const QStringList& arguments, const QString& workDir = QString());

// A regular file the user may execute that starts as ELF or "#!".
bool IsExecutableFile(const QString& path);

// The Name= of a ".desktop" launcher, in the user's language where the file
// has it (Name[de_DE], Name[de] ...); empty for anything else. Reads at most a
// small file, so a hostile one costs nothing. Safe on any thread.
QString LauncherName(const QString& path);
