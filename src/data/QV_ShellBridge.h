#pragma once
// What the holders ask of the desktop's file operations: the clipboard verbs,
// paste, delete, the context menu, properties, open with and reveal. The shell
// floor implements it and the view installs it for its lifetime; without one
// the requests do nothing. Items are full paths; a drive is its mount point
// with a trailing "/".
//
// Threads: the interface thread only. Long operations run in the background;
// these calls return at once.

#include <QPoint>
#include <QString>
#include <QStringList>

class TShellBridge {
public:
    virtual ~TShellBridge() = default;

    // The items go to the clipboard for another program or a later paste.
    virtual bool CopyItems(const QStringList& Paths) = 0;
    virtual bool CutItems(const QStringList& Paths) = 0;
    // The clipboard holds a list of files.
    virtual bool CanPaste() = 0;
    // Copies (or moves, after a cut) the clipboard's files into Folder.
    virtual bool Paste(const QString& Folder) = 0;
    // To the trash after a confirmation; Permanently deletes after one that says
    // so. Entries of the trash itself (their paths in a trash's files/ folder)
    // are always deleted for good, with their information files.
    virtual bool DeleteItems(const QStringList& Paths, bool Permanently) = 0;
    // Puts trash entries (their paths in a trash's files/ folder) back where
    // they came from, never replacing what is there now: the user may keep
    // both (the restored one renamed "name (1)") or skip it.
    virtual bool RestoreTrashed(const QStringList& Paths)
    {
        (void)Paths;
        return false;
    }
    // The context menu of the items at ViewPoint (view coordinates); true when
    // a command was carried out. Folder is the place the holder shows; for
    // "Trash:\\" the trash's own menu (restore, delete for good).
    virtual bool ItemsMenu(const QStringList& Paths, const QString& Folder, QPoint ViewPoint) = 0;
    virtual void Properties(const QStringList& Paths) = 0;
    virtual void OpenWith(const QString& Path) = 0;
    // Shows the item selected in the system's file browser, or opens Path as a folder.
    virtual void Reveal(const QString& Path, bool Select) = 0;
    // The clipboard's plain text (for renaming from the clipboard).
    virtual QString ClipboardText() = 0;
};

TShellBridge* ShellBridge();
void SetShellBridge(TShellBridge* Bridge);
