#pragma once
// The system clipboard, as MIME-typed byte strings. Interface thread only.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// Replaces the clipboard's contents by these formats.
void SetClipboardFormats(const std::vector<std::pair<QString, QByteArray>>& formats);

// The formats among wanted that the clipboard holds, in the order of wanted.
std::vector<std::pair<QString, QByteArray>> ClipboardFormats(const QStringList& wanted);

// Whether the clipboard offers any of the formats.
bool ClipboardHasFormat(const QStringList& wanted);

// The clipboard's plain text; empty when it holds none.
QString ClipboardText();

void ClearClipboard();

// Plain text for the edit fields' cut and copy. Text that is not valid in its
// encoding arrives with replacement characters, never as a failure.
void SetClipboardText(const QString& text);
