#pragma once
// The file-operation engine: copy, move, trash and delete of a list of entries,
// one call that walks everything and reports as it goes. It runs on whatever
// thread calls it (the job in QV_FileJob.h runs it on a task thread) and asks
// its caller, through hooks, about conflicts and whether to go on.
//
// What it promises about the user's files:
// - nothing is replaced unless the conflict hook answered Replace; creating a
//   target never replaces (O_EXCL, mkdir, RENAME_NOREPLACE), so an entry that
//   appears meanwhile is a conflict too. A replaced file is written beside its
//   target, flushed, and renamed over it, so the old file survives a failed
//   copy or a crash;
// - a move on one file system is a rename; across file systems the whole item
//   is copied and flushed first and only then is its source removed; an item
//   whose copy was incomplete (a special file skipped) keeps its source. The
//   flush is one syncfs per item, not one fsync per file; a plain copy, whose
//   original stays, is left to the kernel's writeback;
// - a failed or cancelled item leaves no partial target and its source as it
//   was; a full disk, quota or read-only target ends the whole operation;
// - links are copied as links; FIFOs and device nodes are recreated, sockets
//   skipped with a message; nothing but regular files is ever read;
// - a folder is never copied or moved into itself or below itself.

#include <QString>
#include <QStringList>

#include <functional>

// foDeleteTrashed: the sources are trash folders, whose entries (and their
// information files) are deleted for good, or single entries of a trash (their
// paths in its files/ folder).
enum class TFileOpKind { foCopy, foMove, foTrash, foDelete, foDeleteTrashed };
enum class TConflictChoice { ccReplace, ccSkip, ccKeepBoth, ccCancel };

struct TConflictInfo {
    QString Source;
    QString Target;
    qint64 SourceSize = 0;
    qint64 TargetSize = 0;
    qint64 SourceModifiedMs = 0;
    qint64 TargetModifiedMs = 0;
    bool SourceFolder = false;
    bool TargetFolder = false;
    // False where replacing is no choice (restoring from the trash): keep both,
    // skip or cancel.
    bool CanReplace = true;
};

struct TConflictAnswer {
    TConflictChoice Choice = TConflictChoice::ccCancel;
    bool ApplyToAll = false;  // the same answer for every later conflict
};

struct TFileOpProgress {
    qint64 BytesDone = 0;
    qint64 BytesTotal = 0;
    qint64 FilesDone = 0;
    qint64 FilesTotal = 0;  // entries, folders included
    QString Current;        // the entry being worked on
};

struct TFileOpResult {
    bool Cancelled = false;
    QStringList Failures;  // one clear sentence each
    QStringList Created;   // the new top-level entries in the target folder
    QStringList NoTrash;   // trash only: entries whose volume has no trash (untouched)
    qint64 Done = 0;       // top-level entries carried out
};

struct TFileOpHooks {
    // Without it every conflict is skipped.
    std::function<TConflictAnswer(const TConflictInfo&)> AskConflict;
    // Called often; answering false cancels. May block (pause).
    std::function<bool(const TFileOpProgress&)> Progress;
};

// targetFolder is used by copy and move only.
TFileOpResult RunFileOperation(TFileOpKind kind, const QStringList& sources, const QString& targetFolder,
                               const TFileOpHooks& hooks);

// The name a copy into its own folder gets: "name (copy).ext", then
// "name (copy 2).ext"; n counts the attempts from 1.
QString CopyName(const QString& name, bool folder, int n);
// The name "keep both" gives: "name (1).ext", "name (2).ext" ...
QString KeepBothName(const QString& name, bool folder, int n);
