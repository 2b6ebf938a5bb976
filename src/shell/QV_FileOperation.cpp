#include "shell/QV_FileOperation.h"

#include "platform/fs/QV_FileCopy.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_Trash.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cerrno>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("FileOperation", text); }

QString Shown(const QString& path) { return DisplayFileName(path); }

QString ParentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString NameOf(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString Join(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString Trimmed(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path;
}

// A file's name split before its extension; folders and dot-files have none.
std::pair<QString, QString> SplitExtension(const QString& name, bool folder)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (folder || dot <= 0) return {name, QString()};
    return {name.left(dot), name.mid(dot)};
}

// Errors after which the next entries would fail the same way.
bool EndsEverything(int code) { return code == ENOSPC || code == EDQUOT || code == EROFS || code == ECANCELED; }

bool IsFolder(const TNodeInfo& info) { return info.Kind == TNodeKind::nkFolder; }

class TRun {
public:
    TRun(TFileOpKind kind, const TFileOpHooks& hooks) : kind_(kind), hooks_(hooks) {}

    TFileOpResult Run(const QStringList& sources, const QString& targetFolder);

private:
    bool Tick(qint64 bytes, qint64 files)
    {
        progress_.BytesDone += bytes;
        progress_.FilesDone += files;
        if (cancelled_) return false;
        if (hooks_.Progress && !hooks_.Progress(progress_)) cancelled_ = true;
        return !cancelled_;
    }
    void Fail(const QString& text) { result_.Failures.append(text); }
    void FailWith(const TFsError& error)
    {
        if (error.Code == ECANCELED) { cancelled_ = true; return; }
        Fail(error.Message());
        if (EndsEverything(error.Code)) stopped_ = true;
    }
    bool Going() const { return !cancelled_ && !stopped_; }

    std::optional<TConflictAnswer> Ask(const QString& source, const TNodeInfo& s, const QString& target,
                                        const TNodeInfo& t);
    // One entry to target, conflicts asked; answers whether it was carried out.
    bool Transfer(const QString& source, const TNodeInfo& info, QString target, bool sameFolder);
    bool Merge(const QString& source, const QString& target);
    // Copies the entry to target, which must not exist; removes what it made on failure.
    TFsStatus CopyTree(const QString& source, const TNodeInfo& info, const QString& target, bool& incomplete);
    TFsStatus CopyInto(const QString& source, const TNodeInfo& info, const QString& target, bool& incomplete);
    bool RemoveSource(const QString& source);
    void Trash(const QString& source, const TTreeCount& count);
    void CommitTrash();
    void Delete(const QString& source, const TTreeCount& count);
    void EmptyTrashes(const QStringList& trashes);

    const TFileOpKind kind_;
    const TFileOpHooks& hooks_;
    TFileOpResult result_;
    TFileOpProgress progress_;
    std::optional<TConflictAnswer> forAll_;
    // Entries go to the trash in batches, each flushed once (see TTrashBatch).
    TTrashBatch trash_;
    std::vector<std::pair<QString, TTreeCount>> trashing_;
    QElapsedTimer trashClock_;
    bool cancelled_ = false;
    bool stopped_ = false;
};

std::optional<TConflictAnswer> TRun::Ask(const QString& source, const TNodeInfo& s, const QString& target,
                                          const TNodeInfo& t)
{
    if (forAll_) return forAll_;
    TConflictInfo conflict{source, target, s.Size, t.Size, s.ModifiedMs, t.ModifiedMs, IsFolder(s), IsFolder(t)};
    TConflictAnswer answer;
    answer.Choice = TConflictChoice::ccSkip;
    if (hooks_.AskConflict) answer = hooks_.AskConflict(conflict);
    if (answer.ApplyToAll && answer.Choice != TConflictChoice::ccCancel) forAll_ = answer;
    return answer;
}

TFileOpResult TRun::Run(const QStringList& sources, const QString& targetFolder)
{
    if (kind_ == TFileOpKind::foDeleteTrashed) {
        EmptyTrashes(sources);
        return result_;
    }
    // Totals first, so progress can tell how far it has come.
    std::vector<TTreeCount> counts(size_t(sources.size()));
    for (qsizetype i = 0; i < sources.size(); ++i) {
        TTreeCount& count = counts[size_t(i)];
        if (CountTree(Trimmed(sources[i]), count, [this] { return !cancelled_; })) {
            progress_.BytesTotal += count.Bytes;
            progress_.FilesTotal += count.Files + count.Folders;
        } else {
            count = {};
        }
    }
    if (!Tick(0, 0)) { result_.Cancelled = true; return result_; }

    QString folder;
    if (kind_ == TFileOpKind::foCopy || kind_ == TFileOpKind::foMove) {
        const TFsResult<QString> canonical = CanonicalFolder(targetFolder);
        const TFsResult<TNodeInfo> kind = NodeInfo(canonical.Ok() ? canonical.Value() : targetFolder);
        if (!canonical || !kind || !IsFolder(kind.Value())) {
            Fail(Tr("The folder %1 cannot be reached.").arg(Shown(targetFolder)));
            return result_;
        }
        folder = canonical.Value();
    }

    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (!Going()) break;
        const QString source = Trimmed(sources[i]);
        progress_.Current = source;
        const TFsResult<TNodeInfo> info = NodeInfo(source);
        if (!info) {
            Fail(Tr("%1 is no longer there.").arg(Shown(source)));
            continue;
        }
        if (kind_ == TFileOpKind::foTrash) { Trash(source, counts[size_t(i)]); continue; }
        if (kind_ == TFileOpKind::foDelete) { Delete(source, counts[size_t(i)]); continue; }

        const TFsResult<QString> sourceParent = CanonicalFolder(ParentOf(source));
        const bool sameFolder = sourceParent.Ok() && sourceParent.Value() == folder;
        if (IsFolder(info.Value())) {
            const TFsResult<QString> self = CanonicalFolder(source);
            if (self && (folder == self.Value() || folder.startsWith(Join(self.Value(), QString())))) {
                Fail(kind_ == TFileOpKind::foMove
                         ? Tr("The folder %1 cannot be moved into itself.").arg(Shown(source))
                         : Tr("The folder %1 cannot be copied into itself.").arg(Shown(source)));
                continue;
            }
        }
        if (sameFolder && kind_ == TFileOpKind::foMove) continue;  // already where it should go
        if (Transfer(source, info.Value(), Join(folder, NameOf(source)), sameFolder)) ++result_.Done;
    }
    // A cancel leaves the entries not yet moved where they are.
    if (cancelled_) trash_.Abandon();
    else CommitTrash();
    if (cancelled_) result_.Cancelled = true;
    return result_;
}

bool TRun::Transfer(const QString& source, const TNodeInfo& info, QString target, bool sameFolder)
{
    const QString name = NameOf(source);
    int copyNumber = 0;
    bool replace = false;
    for (int attempt = 0;; ++attempt) {
        if (sameFolder) target = Join(ParentOf(target), CopyName(name, IsFolder(info), ++copyNumber));
        const TFsResult<TNodeInfo> existing = NodeInfo(target);
        replace = false;
        if (existing) {
            if (sameFolder) continue;
            if (existing.Value().Device == info.Device && existing.Value().Inode == info.Inode) {
                Fail(Tr("%1 and %2 are the same entry.").arg(Shown(source), Shown(target)));
                return false;
            }
            const std::optional<TConflictAnswer> answer = Ask(source, info, target, existing.Value());
            switch (answer->Choice) {
            case TConflictChoice::ccCancel:
                cancelled_ = true;
                return false;
            case TConflictChoice::ccSkip: {
                TTreeCount count;
                (void)CountTree(source, count);
                Tick(count.Bytes, count.Files + count.Folders);
                return false;
            }
            case TConflictChoice::ccKeepBoth:
                for (int n = 1;; ++n) {
                    const QString candidate = Join(ParentOf(target), KeepBothName(name, IsFolder(info), n));
                    if (!NodeInfo(candidate)) { target = candidate; break; }
                }
                break;
            case TConflictChoice::ccReplace:
                replace = true;
                break;
            }
        }
        if (replace && IsFolder(info) && IsFolder(existing.Value())) return Merge(source, target);

        // A move on one file system is a rename.
        if (kind_ == TFileOpKind::foMove) {
            TFsStatus moved = !replace ? RenameNoReplace(source, target)
                              : (IsFolder(info) || IsFolder(existing.Value())) ? ExchangePaths(source, target)
                                                                               : RenameReplacing(source, target);
            if (moved) {
                // After an exchange the source path holds the entry that was replaced.
                if (replace && (IsFolder(info) || IsFolder(existing.Value())))
                    if (TFsStatus gone = RemoveTree(source); !gone) FailWith(gone.Error());
                TTreeCount count;
                (void)CountTree(target, count);
                Tick(count.Bytes, count.Files + count.Folders);
                result_.Created.append(target);
                return true;
            }
            if (moved.Code() == EEXIST && attempt < 100) continue;  // appeared meanwhile: ask about it
            if (moved.Code() != EXDEV) {
                FailWith(moved.Error());
                return false;
            }
        }

        bool incomplete = false;
        TFsStatus copied;
        if (!replace) {
            copied = CopyTree(source, info, target, incomplete);
            if (copied.Code() == EEXIST && attempt < 100) continue;
        } else {
            copied = CopyInto(source, info, target, incomplete);
        }
        if (!copied) {
            FailWith(copied.Error());
            return false;
        }
        result_.Created.append(target);
        if (kind_ == TFileOpKind::foMove) {
            if (incomplete) {
                Fail(Tr("%1 was copied but not moved: some entries in it could not be copied.").arg(Shown(source)));
                return false;
            }
            // The copy reaches the disk before its original goes.
            if (TFsStatus flushed = SyncFileSystem(ParentOf(target)); !flushed) {
                Fail(Tr("%1 was copied but not moved: %2").arg(Shown(source), flushed.Error().Message()));
                if (EndsEverything(flushed.Code())) stopped_ = true;
                return false;
            }
            return RemoveSource(source);
        }
        return true;
    }
}

bool TRun::Merge(const QString& source, const QString& target)
{
    const TFsResult<QStringList> names = FolderNames(source);
    if (!names) {
        FailWith(names.Error());
        return false;
    }
    Tick(0, 1);
    bool all = true;
    for (const QString& name : names.Value()) {
        if (!Going()) return false;
        const QString child = Join(source, name);
        const TFsResult<TNodeInfo> info = NodeInfo(child);
        if (!info) {
            Fail(Tr("%1 is no longer there.").arg(Shown(child)));
            all = false;
            continue;
        }
        progress_.Current = child;
        if (!Transfer(child, info.Value(), Join(target, name), false)) all = false;
    }
    // A moved folder goes once everything in it has moved.
    if (kind_ == TFileOpKind::foMove && all) {
        const TFsResult<QStringList> left = FolderNames(source);
        if (left && left.Value().isEmpty()) (void)RemoveTree(source);
    }
    return all;
}

TFsStatus TRun::CopyTree(const QString& source, const TNodeInfo& info, const QString& target, bool& incomplete)
{
    if (!Going()) return TFsError{ECANCELED, QString()};
    progress_.Current = source;
    switch (info.Kind) {
    case TNodeKind::nkFile: {
        // Flushed where it matters, all at once: before a replace and before a
        // moved original is removed (see Transfer and CopyInto).
        TFsStatus copied = CopyRegularFile(source, target, [this](qint64 bytes) { return Tick(bytes, 0); },
                                           TCopyFlush::cfNone);
        if (copied) Tick(0, 1);
        return copied;
    }
    case TNodeKind::nkLink: {
        TFsStatus copied = CopySymlink(source, target);
        if (copied) Tick(info.Size, 1);
        return copied;
    }
    case TNodeKind::nkFolder:
        break;
    default: {
        TFsStatus copied = CopySpecial(source, target);
        if (copied.Code() == EEXIST) return copied;
        if (!copied) {
            // Never read: a special file that cannot be recreated is left out, and said so.
            Fail(Tr("%1 is a special file and was not copied (%2).").arg(Shown(source), copied.Error().Message()));
            incomplete = true;
        }
        Tick(0, 1);
        return {};
    }
    }

    if (TFsStatus made = MakeFolder(target); !made) return made;
    const auto undo = [&](TFsStatus status) {
        (void)RemoveTree(target);
        return status;
    };
    const TFsResult<QStringList> names = FolderNames(source);
    if (!names) return undo(names.Error());
    Tick(0, 1);
    for (const QString& name : names.Value()) {
        const QString child = Join(source, name);
        const TFsResult<TNodeInfo> childInfo = NodeInfo(child);
        if (!childInfo) return undo(childInfo.Error());
        if (TFsStatus copied = CopyTree(child, childInfo.Value(), Join(target, name), incomplete); !copied)
            return undo(copied);
    }
    if (!Going()) return undo(TFsError{ECANCELED, QString()});
    if (TFsStatus finished = FinishFolder(source, target, TCopyFlush::cfNone); !finished) return undo(finished);
    return {};
}

// Replace: the copy is made beside the target under a temporary name and takes
// the target's place only once complete.
TFsStatus TRun::CopyInto(const QString& source, const TNodeInfo& info, const QString& target, bool& incomplete)
{
    static thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString temp = Join(ParentOf(target), QStringLiteral(".%1.qv-part-%2")
                                                        .arg(NameOf(target).left(64))
                                                        .arg(quint32(random()), 0, 36));
        TFsStatus copied = CopyTree(source, info, temp, incomplete);
        if (copied.Code() == EEXIST) continue;
        if (!copied) return copied;
        // The old entry goes only for a copy that is on the disk.
        if (TFsStatus flushed = SyncFileSystem(ParentOf(target)); !flushed) {
            (void)RemoveTree(temp);
            return flushed;
        }
        const TFsResult<TNodeInfo> old = NodeInfo(target);
        const bool exchange = IsFolder(info) || (old && IsFolder(old.Value()));
        TFsStatus placed = exchange ? ExchangePaths(temp, target) : RenameReplacing(temp, target);
        if (!placed) {
            (void)RemoveTree(temp);
            return placed;
        }
        if (exchange) (void)RemoveTree(temp);  // the temporary name now holds the replaced entry
        return {};
    }
    return TFsError{EEXIST, Tr("find a temporary name beside %1").arg(Shown(target))};
}

bool TRun::RemoveSource(const QString& source)
{
    if (TFsStatus gone = RemoveTree(source); !gone) {
        Fail(Tr("%1 was copied, but the original could not be removed: %2").arg(Shown(source), gone.Error().Message()));
        return false;
    }
    return true;
}

void TRun::Trash(const QString& source, const TTreeCount& count)
{
    if (TFsStatus added = trash_.Add(source); !added) {
        if (added.Code() == ENOTSUP || added.Code() == EXDEV) result_.NoTrash.append(source);
        else FailWith(added.Error());
        Tick(count.Bytes, count.Files + count.Folders);
        return;
    }
    if (trashing_.empty()) trashClock_.start();
    trashing_.emplace_back(source, count);
    if (!Tick(0, 0)) return;  // a cancel is heard between entries, not only between batches
    // Big enough that the flush is rare, small enough that progress moves.
    if (trashing_.size() >= 1000 || trashClock_.hasExpired(250)) CommitTrash();
}

void TRun::CommitTrash()
{
    if (trashing_.empty()) return;
    const std::vector<TFsResult<QString>> results = trash_.Commit();
    for (size_t i = 0; i < results.size() && i < trashing_.size(); ++i) {
        const auto& [source, count] = trashing_[i];
        if (results[i]) ++result_.Done;
        else if (results[i].Code() == ENOTSUP || results[i].Code() == EXDEV) result_.NoTrash.append(source);
        else FailWith(results[i].Error());
        Tick(count.Bytes, count.Files + count.Folders);
    }
    trashing_.clear();
}

void TRun::Delete(const QString& source, const TTreeCount& count)
{
    if (TFsStatus gone = RemoveTree(source); gone) ++result_.Done;
    else FailWith(gone.Error());
    Tick(count.Bytes, count.Files + count.Folders);
}

void TRun::EmptyTrashes(const QStringList& trashes)
{
    std::vector<TTrashEntry> entries;
    for (const TTrashEntry& entry : ListTrash())
        if (trashes.contains(entry.TrashFolder) || trashes.contains(entry.FilesPath())) entries.push_back(entry);
    progress_.FilesTotal = qint64(entries.size());
    for (const TTrashEntry& entry : entries) {
        if (!Going()) break;
        progress_.Current = entry.FilesPath();
        if (TFsStatus gone = DeleteFromTrash(entry); gone) ++result_.Done;
        else FailWith(gone.Error());
        Tick(0, 1);
    }
    if (cancelled_) result_.Cancelled = true;
}

}  // namespace

TFileOpResult RunFileOperation(TFileOpKind kind, const QStringList& sources, const QString& targetFolder,
                               const TFileOpHooks& hooks)
{
    return TRun(kind, hooks).Run(sources, targetFolder);
}

QString CopyName(const QString& name, bool folder, int n)
{
    const auto [stem, extension] = SplitExtension(name, folder);
    const QString tag = n <= 1 ? Tr("copy") : Tr("copy %1").arg(n);
    return stem + QStringLiteral(" (") + tag + QLatin1Char(')') + extension;
}

QString KeepBothName(const QString& name, bool folder, int n)
{
    const auto [stem, extension] = SplitExtension(name, folder);
    return stem + QStringLiteral(" (%1)").arg(n) + extension;
}
