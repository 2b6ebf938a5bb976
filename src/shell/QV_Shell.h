#pragma once
// The bridge to the desktop's file operations on Linux: the clipboard in the
// forms other file managers use, paste, trash and delete as background jobs,
// the context menu of items and drives, properties, open with, reveal and the
// trash's count, size and emptying. Everything a person must see or answer
// goes through TShellUi, which the window implements with dialogs and tests
// implement with answers.
//
// Threads: the interface thread; the jobs run in the background.

#include "data/QV_ShellBridge.h"
#include "shell/QV_FileJob.h"
#include "shell/QV_ShellMenu.h"

#include <memory>
#include <vector>

class TShellUi {
public:
    virtual ~TShellUi() = default;
    virtual TConflictAnswer AskConflict(const TConflictInfo& Conflict) = 0;
    // A yes/no question; Action is the text of the button that goes ahead.
    virtual bool Confirm(const QString& Text, const QString& Action) = 0;
    virtual void ShowMessage(const QString& Text) = 0;
    // A job began: show its progress (read Job.Progress()) with pause and cancel.
    virtual void JobStarted(TFileJob& Job) = 0;
    // The job ended; its progress window goes.
    virtual void JobEnded(TFileJob& Job) = 0;
    // Pops the menu up at ViewPoint; the chosen entry, or one with scNone.
    virtual TShellMenuEntry ChooseFromMenu(const std::vector<TShellMenuEntry>& Menu, QPoint ViewPoint) = 0;
    virtual void ShowProperties(const QStringList& Paths) = 0;
    virtual void ShowOpenWith(const QString& Path) = 0;
};

class TShell : public TShellBridge {
public:
    explicit TShell(TShellUi* Ui);
    ~TShell() override;

    bool CopyItems(const QStringList& Paths) override;
    bool CutItems(const QStringList& Paths) override;
    bool CanPaste() override;
    bool Paste(const QString& Folder) override;
    bool DeleteItems(const QStringList& Paths, bool Permanently) override;
    // One by one on the interface thread (restores are renames): a name taken
    // at the original place is never replaced; the user keeps both or skips.
    // Failures are told together at the end.
    bool RestoreTrashed(const QStringList& Paths) override;
    bool ItemsMenu(const QStringList& Paths, const QString& Folder, QPoint ViewPoint) override;
    void Properties(const QStringList& Paths) override;
    void OpenWith(const QString& Path) override;
    void Reveal(const QString& Path, bool Select) override;
    QString ClipboardText() override;

    // Copies or moves Paths into Folder in the background.
    TFileJob* Transfer(const QStringList& Paths, const QString& Folder, bool Move);
    // Carries out one menu command on the items.
    bool RunCommand(const TShellMenuEntry& Entry, const QStringList& Paths);

    // The trash of every volume. Count and size answer the last figures at
    // once and refresh them in the background (a repaint follows the change).
    void EmptyTrash(bool Confirm);
    qint64 TrashCount();
    qint64 TrashSize();
    // The trash as a place in a tab of the window (THolderHost::RecycleBinOpen).
    void OpenTrash();

    // Jobs not yet ended.
    int RunningJobs() const;

private:
    TFileJob* StartJob(TFileOpKind Kind, const QStringList& Sources, const QString& Target,
                       std::function<void(const TFileOpResult&)> After = {});
    void RefreshTrashFigures();
    // Deletes trash entries (paths in a trash's files/ folder) for good after
    // a confirmation that says so.
    bool DeleteTrashed(const QStringList& Paths);

    TShellUi* const ui_;
    std::vector<std::unique_ptr<TFileJob>> jobs_;
    std::unique_ptr<class TSmartTask> trashTask_;
    qint64 trashCount_ = 0;
    qint64 trashSize_ = 0;
};
