#pragma once
// Plain text on the desktop's clipboard, for the edit fields' cut, copy and
// paste. Main thread only; needs a QGuiApplication (the offscreen platform has
// a clipboard of its own).

#include <QString>

// Empty when the clipboard holds no text. Text that is not valid in its
// encoding arrives with replacement characters, never as a failure.
QString ClipboardText();
void SetClipboardText(const QString& text);
