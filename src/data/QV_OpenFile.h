#pragma once
// Opening a file item as a double click does. A document opens with its
// default application. A program file (see OpenKindOf) runs only when the
// user agrees: the Executables setting remembers a choice the user asked to
// keep, otherwise the holder host asks each time (Run, Open as a document,
// Cancel). A failure to start anything reaches the user as a message.
//
// Threads: the interface thread.

#include <QString>

void OpenFileItem(const QString& Path);
