#pragma once
// Opening files as the desktop would. Paths are passed as arguments, never
// through a shell.

#include <QString>
#include <QStringList>

// An executable regular file (execute permission, and an ELF or "#!" start) is
// started with its own folder as working folder; a ".desktop" launcher starts its
// application only when it has the execute permission, and otherwise opens as
// text; everything else opens with the desktop's default application for its
// content type. Answers whether something was started.
bool OpenFileDefault(const QString& path);

// Starts program (a path, or a name looked up in PATH) with the arguments; an
// empty workDir keeps the current one. Answers whether it was started.
bool LaunchProgram(const QString& program, const QStringList& arguments, const QString& workDir = QString());

// A regular file the user may execute that starts as ELF or "#!".
bool IsExecutableFile(const QString& path);
