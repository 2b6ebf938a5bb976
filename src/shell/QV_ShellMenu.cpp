#include "shell/QV_ShellMenu.h"

#include <QCoreApplication>

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("ShellMenu", text); }

TShellMenuEntry Entry(TShellCommand command, const char* text, bool enabled = true)
{
    TShellMenuEntry entry;
    entry.Command = command;
    entry.Text = Tr(text);
    entry.Enabled = enabled;
    return entry;
}

TShellMenuEntry Separator() { return {}; }

}  // namespace

std::vector<TShellMenuEntry> BuildShellMenu(const TShellMenuSubject& Subject)
{
    std::vector<TShellMenuEntry> menu;
    if (Subject.Count <= 0) return menu;
    if (Subject.Trashed) {
        // What can be done with a trashed entry: nothing opens it in place.
        TShellMenuEntry restore = Entry(TShellCommand::scRestore, "&Restore");
        restore.Default = true;
        menu.push_back(restore);
        menu.push_back(Entry(TShellCommand::scDelete, "&Delete Permanently"));
        menu.push_back(Separator());
        menu.push_back(Entry(TShellCommand::scCopy, "&Copy"));
        menu.push_back(Separator());
        menu.push_back(Entry(TShellCommand::scProperties, "Propert&ies"));
        return menu;
    }
    TShellMenuEntry open = Entry(TShellCommand::scOpen, "&Open");
    open.Default = true;
    menu.push_back(open);
    if (!Subject.Drives) {
        TShellMenuEntry with;
        with.Text = Tr("Open &With");
        for (const TShellMenuApp& app : Subject.Apps) {
            TShellMenuEntry entry;
            entry.Command = TShellCommand::scOpenWithApp;
            entry.Text = QString(app.Name).replace(QLatin1Char('&'), QLatin1String("&&"));
            entry.AppId = app.Id;
            with.Sub.push_back(entry);
        }
        if (!with.Sub.empty()) with.Sub.push_back(Separator());
        with.Sub.push_back(Entry(TShellCommand::scOpenWithOther, "&Other Application..."));
        menu.push_back(with);
    }
    menu.push_back(Separator());
    if (!Subject.Drives) menu.push_back(Entry(TShellCommand::scCut, "Cu&t", Subject.Writable));
    menu.push_back(Entry(TShellCommand::scCopy, "&Copy"));
    if (Subject.SingleFolder || (Subject.Drives && Subject.Count == 1))
        menu.push_back(Entry(TShellCommand::scPaste, "&Paste", Subject.CanPaste));
    if (!Subject.Drives) {
        menu.push_back(Separator());
        menu.push_back(Entry(TShellCommand::scRename, "Rena&me", Subject.Writable && Subject.Count == 1));
        menu.push_back(Entry(TShellCommand::scTrash, "Move to T&rash", Subject.Writable));
        menu.push_back(Entry(TShellCommand::scDelete, "&Delete Permanently", Subject.Writable));
    }
    menu.push_back(Separator());
    menu.push_back(Entry(TShellCommand::scCopyPath, "Copy Pat&h"));
    if (Subject.Drives) {
        menu.push_back(Entry(TShellCommand::scUnmount, "&Unmount", Subject.CanUnmount));
        menu.push_back(Entry(TShellCommand::scEject, "&Eject", Subject.CanEject));
    }
    menu.push_back(Separator());
    menu.push_back(Entry(TShellCommand::scProperties, "Propert&ies"));
    return menu;
}

const TShellMenuEntry* FindShellEntry(const std::vector<TShellMenuEntry>& Menu, TShellCommand Command)
{
    for (const TShellMenuEntry& entry : Menu) {
        if (entry.Command == Command) return &entry;
        if (const TShellMenuEntry* inner = FindShellEntry(entry.Sub, Command)) return inner;
    }
    return nullptr;
}
