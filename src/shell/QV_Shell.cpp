#include "shell/QV_Shell.h"

#include "controls/QV_Repaint.h"
#include "data/QV_HolderHost.h"
#include "data/QV_OpenFile.h"
#include "foundation/QV_System.h"
#include "platform/desktop/QV_Apps.h"
#include "platform/desktop/QV_Clipboard.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_Trash.h"
#include "shell/QV_ClipboardFormats.h"
#include "tasks/QV_SmartTask.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <optional>

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("Shell", text); }

QString Shown(const QString& path) { return DisplayFileName(path); }

// "notes.txt" or "3 items", for questions.
QString Subject(const QStringList& paths)
{
    if (paths.size() == 1) return QStringLiteral("\"%1\"").arg(Shown(paths.first().section(QLatin1Char('/'), -1)));
    return Tr("%1 items").arg(paths.size());
}

// The entries of the trash among paths go to trashed, the rest stay.
QStringList TakeTrashed(QStringList& paths)
{
    // The trash folders are read once: a large selection from a folder that
    // merely is called "files" must not read the mount table per item.
    std::optional<std::vector<QString>> trashes;
    QStringList trashed;
    TTrashEntry entry;
    for (qsizetype i = 0; i < paths.size();) {
        const QString& path = paths[i];
        bool inTrash = path.section(QLatin1Char('/'), -2, -2) == QLatin1String("files");
        if (inTrash) {
            if (!trashes) trashes = TrashFolders();
            const QString trash = path.section(QLatin1Char('/'), 0, -3);
            inTrash = std::find(trashes->begin(), trashes->end(), trash) != trashes->end() && FindTrashEntry(path, entry);
        }
        if (inTrash) trashed.append(paths.takeAt(i));
        else ++i;
    }
    return trashed;
}

QString ResultText(const TFileOpResult& result)
{
    QStringList lines = result.Failures.mid(0, 20);
    if (result.Failures.size() > 20) lines.append(Tr("... and %1 more.").arg(result.Failures.size() - 20));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

TShell::TShell(TShellUi* Ui) : ui_(Ui) {}

TShell::~TShell()
{
    // Each job cancels and waits for its worker; nothing half-done stays behind.
    jobs_.clear();
    trashTask_.reset();
}

bool TShell::CopyItems(const QStringList& Paths)
{
    if (Paths.isEmpty()) return false;
    SetClipboardFormats(EncodeClipFiles({false, Paths}));
    return true;
}

bool TShell::CutItems(const QStringList& Paths)
{
    if (Paths.isEmpty()) return false;
    SetClipboardFormats(EncodeClipFiles({true, Paths}));
    return true;
}

bool TShell::CanPaste() { return !DecodeClipFiles(ClipboardFormats(FileClipFormatNames())).Paths.isEmpty(); }

bool TShell::Paste(const QString& Folder)
{
    const TClipFiles files = DecodeClipFiles(ClipboardFormats(FileClipFormatNames()));
    if (files.Paths.isEmpty() || Folder.isEmpty()) return false;
    const bool cut = files.Cut;
    StartJob(cut ? TFileOpKind::foMove : TFileOpKind::foCopy, files.Paths, Folder, [cut](const TFileOpResult& result) {
        // Moved files are no longer where the clipboard says.
        if (cut && result.Done > 0) ClearClipboard();
    });
    return true;
}

TFileJob* TShell::Transfer(const QStringList& Paths, const QString& Folder, bool Move)
{
    return StartJob(Move ? TFileOpKind::foMove : TFileOpKind::foCopy, Paths, Folder);
}

bool TShell::DeleteItems(const QStringList& Paths, bool Permanently)
{
    if (Paths.isEmpty() || !ui_) return false;
    // An entry of the trash cannot go to the trash again; it can only go for good.
    QStringList rest = Paths;
    const QStringList trashed = TakeTrashed(rest);
    if (!trashed.isEmpty()) {
        const bool deleted = DeleteTrashed(trashed);
        return rest.isEmpty() ? deleted : DeleteItems(rest, Permanently) || deleted;
    }
    if (Permanently) {
        if (!ui_->Confirm(Tr("Delete %1 permanently? This cannot be undone.").arg(Subject(Paths)), Tr("&Delete")))
            return false;
        StartJob(TFileOpKind::foDelete, Paths, QString());
        return true;
    }
    if (!ui_->Confirm(Tr("Move %1 to the trash?").arg(Subject(Paths)), Tr("Move to &Trash"))) return false;
    StartJob(TFileOpKind::foTrash, Paths, QString(), [this](const TFileOpResult& result) {
        if (result.NoTrash.isEmpty() || !ui_) return;
        // Never a silent copy to another volume: their volume has no trash, so ask.
        if (ui_->Confirm(Tr("%1 cannot be moved to the trash: the volume has none. Delete permanently?")
                             .arg(Subject(result.NoTrash)),
                         Tr("&Delete")))
            StartJob(TFileOpKind::foDelete, result.NoTrash, QString());
    });
    return true;
}

bool TShell::DeleteTrashed(const QStringList& Paths)
{
    if (Paths.isEmpty() || !ui_) return false;
    QString subject = Subject(Paths);
    if (Paths.size() == 1) {
        TTrashEntry entry;
        if (FindTrashEntry(Paths.first(), entry) && !entry.OriginalPath.isEmpty())
            subject = QStringLiteral("\"%1\"").arg(Shown(entry.OriginalPath.section(QLatin1Char('/'), -1)));
    }
    if (!ui_->Confirm(Tr("Delete %1 permanently? This cannot be undone.").arg(subject), Tr("&Delete")))
        return false;
    StartJob(TFileOpKind::foDeleteTrashed, Paths, QString());
    return true;
}

bool TShell::RestoreTrashed(const QStringList& Paths)
{
    QStringList failures;
    std::optional<TConflictAnswer> always;
    int restored = 0;
    for (const QString& path : Paths) {
        TTrashEntry entry;
        if (!FindTrashEntry(path, entry)) {
            failures.append(Tr("%1 is no longer in the trash.").arg(Shown(path.section(QLatin1Char('/'), -1))));
            continue;
        }
        if (entry.OriginalPath.isEmpty()) {
            failures.append(Tr("%1 cannot be restored: its original location is unknown.").arg(Shown(entry.Name)));
            continue;
        }
        TFsStatus status = RestoreFromTrash(entry);
        if (!status && status.Code() == EEXIST) {
            TConflictAnswer answer;
            if (always) answer = *always;
            else if (ui_) {
                TConflictInfo conflict;
                conflict.Source = entry.FilesPath();
                conflict.Target = entry.OriginalPath;
                conflict.CanReplace = false;
                conflict.SourceFolder = entry.Folder;
                conflict.TargetFolder = PathExists(entry.OriginalPath, emFolder);
                conflict.SourceModifiedMs = entry.DeletedMs;
                answer = ui_->AskConflict(conflict);
                if (answer.ApplyToAll) always = answer;
            }
            if (answer.Choice == TConflictChoice::ccCancel) break;
            if (answer.Choice != TConflictChoice::ccKeepBoth) continue;  // never replaced: a skip
            const QString folder = entry.OriginalPath.section(QLatin1Char('/'), 0, -2);
            const QString name = entry.OriginalPath.section(QLatin1Char('/'), -1);
            for (int n = 1; n < 10000 && !status && status.Code() == EEXIST; ++n)
                status = RestoreFromTrash(entry, folder + QLatin1Char('/') + KeepBothName(name, entry.Folder, n));
        }
        if (status) ++restored;
        else failures.append(status.Error().Message());
    }
    if (!failures.isEmpty() && ui_) ui_->ShowMessage(failures.mid(0, 20).join(QLatin1Char('\n')));
    RefreshTrashFigures();
    return restored > 0;
}

bool TShell::ItemsMenu(const QStringList& Paths, const QString& Folder, QPoint ViewPoint)
{
    if (Paths.isEmpty() || !ui_) return false;
    TShellMenuSubject subject;
    subject.Count = int(Paths.size());
    if (Folder == TrashPath) {
        subject.Trashed = true;
        return RunCommand(ui_->ChooseFromMenu(BuildShellMenu(subject), ViewPoint), Paths);
    }
    subject.Drives = IsDriveRoot(Paths.first());
    subject.SingleFolder = Paths.size() == 1 && PathExists(Paths.first(), emFolder);
    subject.CanPaste = CanPaste();
    subject.Writable = Folder.isEmpty() || PathExists(Folder, emFolder);
    if (subject.Drives) {
        const TMountAbilities abilities = MountAbilities(Paths.first());
        subject.CanUnmount = abilities.CanUnmount;
        subject.CanEject = abilities.CanEject;
    } else if (Paths.size() == 1 && !subject.SingleFolder) {
        for (const TAppEntry& app : AppsForType(ContentTypeOf(Paths.first())))
            if (app.Recommended) subject.Apps.push_back({app.Id, app.Name});
    }
    const TShellMenuEntry chosen = ui_->ChooseFromMenu(BuildShellMenu(subject), ViewPoint);
    return RunCommand(chosen, Paths);
}

bool TShell::RunCommand(const TShellMenuEntry& Entry, const QStringList& Paths)
{
    if (Paths.isEmpty()) return false;
    THolderHost* host = HolderHost();
    switch (Entry.Command) {
    case TShellCommand::scNone: return false;
    case TShellCommand::scOpen:
        for (const QString& path : Paths) {
            if (PathExists(path, emFolder) && host) host->AddFileTab(path, Paths.size() > 1 ? false : true);
            else OpenFileItem(path);
        }
        return true;
    case TShellCommand::scOpenWithApp: return LaunchAppWith(Entry.AppId, Paths);
    case TShellCommand::scOpenWithOther: OpenWith(Paths.first()); return true;
    case TShellCommand::scCut: return CutItems(Paths);
    case TShellCommand::scCopy: return CopyItems(Paths);
    case TShellCommand::scPaste: return Paste(Paths.first());
    case TShellCommand::scRename:
        if (host) host->FilesRename(false);
        return host != nullptr;
    case TShellCommand::scTrash: return DeleteItems(Paths, false);
    case TShellCommand::scDelete: return DeleteItems(Paths, true);
    case TShellCommand::scCopyPath: {
        QStringList shown;
        for (const QString& path : Paths) shown.append(path);
        SetClipboardFormats({{QStringLiteral("text/plain;charset=utf-8"), EncodeFileName(shown.join(QLatin1Char('\n')))},
                             {QStringLiteral("text/plain"), EncodeFileName(shown.join(QLatin1Char('\n')))}});
        return true;
    }
    case TShellCommand::scProperties: Properties(Paths); return true;
    case TShellCommand::scRestore: return RestoreTrashed(Paths);
    case TShellCommand::scUnmount:
    case TShellCommand::scEject: {
        const bool eject = Entry.Command == TShellCommand::scEject;
        UnmountVolume(Paths.first(), eject, [this, eject](TFsStatus status) {
            if (status || !ui_) return;
            ui_->ShowMessage(status.Code() == EBUSY
                                 ? Tr("The volume is in use. Close the files and programs that use it, then try again.")
                                 : status.Error().Message());
            (void)eject;
        });
        return true;
    }
    }
    return false;
}

void TShell::Properties(const QStringList& Paths)
{
    if (ui_ && !Paths.isEmpty()) ui_->ShowProperties(Paths);
}

void TShell::OpenWith(const QString& Path)
{
    if (ui_ && !Path.isEmpty()) ui_->ShowOpenWith(Path);
}

void TShell::Reveal(const QString& Path, bool Select) { RevealInFileManager(Path, Select); }

QString TShell::ClipboardText() { return ::ClipboardText(); }

TFileJob* TShell::StartJob(TFileOpKind Kind, const QStringList& Sources, const QString& Target,
                           std::function<void(const TFileOpResult&)> After)
{
    // Ended jobs go now: their own end callbacks are over.
    std::erase_if(jobs_, [](const std::unique_ptr<TFileJob>& job) { return job->Finished(); });
    auto job = std::make_unique<TFileJob>(Kind, Sources, Target);
    TFileJob* raw = job.get();
    raw->OnConflict = [this](const TConflictInfo& conflict) {
        return ui_ ? ui_->AskConflict(conflict) : TConflictAnswer{};
    };
    raw->OnFinished = [this, After](TFileJob& done, const TFileOpResult& result) {
        if (ui_) ui_->JobEnded(done);
        if (!result.Failures.isEmpty() && ui_) ui_->ShowMessage(ResultText(result));
        if (After) After(result);
        if (done.Kind() == TFileOpKind::foTrash || done.Kind() == TFileOpKind::foDelete ||
            done.Kind() == TFileOpKind::foDeleteTrashed)
            RefreshTrashFigures();
    };
    jobs_.push_back(std::move(job));
    if (ui_) ui_->JobStarted(*raw);
    raw->Start();
    return raw;
}

int TShell::RunningJobs() const
{
    int running = 0;
    for (const auto& job : jobs_) running += job->Finished() ? 0 : 1;
    return running;
}

void TShell::EmptyTrash(bool Confirm)
{
    if (Confirm && ui_ && !ui_->Confirm(Tr("Empty the trash? Its items are deleted permanently."), Tr("&Empty Trash")))
        return;
    // Listing the trashes touches every volume: done by the job's worker.
    QStringList trashes;
    for (const QString& trash : TrashFolders()) trashes.append(trash);
    StartJob(TFileOpKind::foDeleteTrashed, trashes, QString());
}

qint64 TShell::TrashCount()
{
    RefreshTrashFigures();
    return trashCount_;
}

qint64 TShell::TrashSize()
{
    RefreshTrashFigures();
    return trashSize_;
}

void TShell::RefreshTrashFigures()
{
    if (!trashTask_) {
        trashTask_ = std::make_unique<TSmartTask>();
        trashTask_->ID(QStringLiteral("TrashFigures"));
    }
    if (trashTask_->Active()) return;
    auto figures = std::make_shared<std::pair<std::atomic<qint64>, std::atomic<qint64>>>();
    trashTask_->OnExecuteEvent([figures](TSmartTask*) {
        figures->first = ::TrashCount();
        figures->second = ::TrashSize();
    });
    trashTask_->OnTerminatedEvent([this, figures](TTaskThread*) {
        const bool changed = trashCount_ != figures->first || trashSize_ != figures->second;
        trashCount_ = figures->first;
        trashSize_ = figures->second;
        if (changed) RequestRepaint();
    });
    trashTask_->Start();
}

void TShell::OpenTrash()
{
    if (THolderHost* host = HolderHost()) host->RecycleBinOpen();
}
