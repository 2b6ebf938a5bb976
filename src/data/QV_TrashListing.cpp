// The trash place of the file holder: its listing task and its watchers.

#include "data/QV_FileHolder.h"

#include "data/QV_FolderMonitor.h"
#include "data/QV_TrashItem.h"
#include "platform/QV_Threads.h"
#include "platform/fs/QV_Trash.h"


namespace {

const QString ParamHolder = QStringLiteral("FileHolder");

// The folders whose changes change what the trash place shows: each trash's
// info/ folder (every trash, restore and delete touches it). A home trash not
// made yet is watched for where it will appear.
QStringList WatchedFolders(const std::vector<QString>& trashes)
{
    QStringList folders;
    for (const QString& trash : trashes) {
        const QString info = trash + QStringLiteral("/info");
        if (PathExists(info, emFolder)) folders.append(info);
        else if (trash == HomeTrashFolder()) {
            const QString parent = trash.left(trash.lastIndexOf(QLatin1Char('/')));
            if (PathExists(parent, emFolder)) folders.append(parent);
        }
    }
    return folders;
}

void TrashList_Task(TSmartTask* task)
{
    TFileHolder* holder = nullptr;
    task->GetParam(ParamHolder, holder);
    if (!holder) return;
    const QStringList watch = WatchedFolders(TrashFolders());
    TItemList items;
    for (const TTrashEntry& entry : ListTrash()) {
        if (!task->Active()) return;
        items.push_back(CreateTrashItem(entry));
    }
    SortTrashItems(items);
    Synchronize([&] {
        if (task->Active()) holder->TakeTrashListing(std::move(items), watch);
    });
}

}  // namespace

void TFileHolder::TrashList()
{
    TSmartTask* task = TaskManager->CreateTask(QStringLiteral("TrashList"));
    task->SetParam(ParamHolder, static_cast<void*>(this))
        ->OnExecuteEvent(&TrashList_Task)
        ->OnTerminatedEvent([this](TTaskThread*) { ListingDone(TListed::lsTrash); });
    task->Start();
}

void TFileHolder::TakeTrashListing(TItemList Items, const QStringList& Watch)
{
    trashWatch_ = Watch;
    ListedState = fsListed;
    TakeListing(TrashPath, std::move(Items));
}

void TFileHolder::WatchTrash(const QStringList& Folders)
{
    // A watcher is never freed from inside its own notification: those call
    // Path_GoTo, which keeps the watchers of the place it refreshes.
    while (trashMonitors_.size() > size_t(Folders.size())) trashMonitors_.pop_back();
    for (qsizetype i = 0; i < Folders.size(); ++i) {
        if (size_t(i) == trashMonitors_.size()) {
            auto monitor = std::make_unique<TFolderMonitor>();
            monitor->OnChangedEvent = [this](TFolderMonitor* sender) { On_FolderChanged(sender); };
            trashMonitors_.push_back(std::move(monitor));
        }
        trashMonitors_[size_t(i)]->Start(Folders[i]);  // the folder watched already keeps its watcher
    }
}
