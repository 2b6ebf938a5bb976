#pragma once
// What the dialogs share: their texts from the language file, the size each
// remembers in the settings file, the step that makes a changed setting take
// effect in the running window, and the list of command identifiers the item
// editors offer.
//
// Threads: the interface thread only.

#include <QString>
#include <QStringList>

class QWidget;

// The text of the language file, or def.
QString DlgText(const char* section, const char* key, const char* def);

// The dialog's size as last closed, from the settings file's [Dialogs] section
// (key = name, "Width(...), Height(...)"); the default size when absent or bad.
void RestoreDialogSize(QWidget* dialog, const QString& name);
void RememberDialogSize(const QWidget* dialog, const QString& name);

// Reloads the settings values from the file and lets the window follow them:
// a new language is loaded, the controls are laid out again, folders whose
// listing depends on a changed value are listed again, the item layout follows
// the item size, and the window repaints. Safe without a window.
void ApplySettings();

// The active holder's theme read again from its files (the picture too).
void ReloadActiveTheme();

// The command identifiers a bar or menu item may carry.
QStringList CommandIdentifiers();
