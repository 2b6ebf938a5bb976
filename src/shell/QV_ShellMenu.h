#pragma once
// The context menu of files, folders and drives as a plain description: the
// window turns it into a native popup menu and hands back the chosen command.

#include <QString>
#include <QStringList>

#include <vector>

enum class TShellCommand {
    scNone,
    scOpen,
    scOpenWithApp,   // Entry.AppId names the application
    scOpenWithOther,
    scCut,
    scCopy,
    scPaste,
    scRename,
    scTrash,
    scDelete,
    scCopyPath,
    scProperties,
    scUnmount,
    scEject,
    scRestore,       // trash entries go back where they came from
};

struct TShellMenuEntry {
    TShellCommand Command = TShellCommand::scNone;  // scNone: a separator, or a submenu's title
    QString Text;     // "&" marks the mnemonic
    QString AppId;
    bool Enabled = true;
    bool Default = false;
    std::vector<TShellMenuEntry> Sub;
};

struct TShellMenuApp {
    QString Id;
    QString Name;
};

// What the menu depends on.
struct TShellMenuSubject {
    int Count = 0;
    bool Drives = false;         // the items are drive roots
    bool SingleFolder = false;   // exactly one item, a folder
    bool CanPaste = false;       // the clipboard holds files
    bool Writable = true;        // the items' folder takes changes
    bool CanUnmount = false;
    bool CanEject = false;
    bool Trashed = false;        // the items are entries of the trash
    std::vector<TShellMenuApp> Apps;  // recommended applications of the first item
};

std::vector<TShellMenuEntry> BuildShellMenu(const TShellMenuSubject& Subject);

// The first entry (submenus included) with that command; nullptr when none.
const TShellMenuEntry* FindShellEntry(const std::vector<TShellMenuEntry>& Menu, TShellCommand Command);
