// The listing tasks of the file holder and the new-folder command.

#include "data/QV_FileHolder.h"

#include "foundation/QV_Settings.h"
#include "locale/QV_LocaleManager.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_FileOps.h"
#include "platform/fs/QV_Mounts.h"

#include <algorithm>
#include <cerrno>
#include <thread>

namespace {

const QString ParamPath = QStringLiteral("Path");
const QString ParamHolder = QStringLiteral("FileHolder");

QString Localized(const char* section, const char* key, const char* def)
{
    const QString fallback = QString::fromLatin1(def);
    if (const TLocaleManager* manager = LocaleManager())
        return manager->GetLocalized(QString::fromLatin1(section), QString::fromLatin1(key), fallback);
    return fallback;
}

qint32 ParamInt(const TSmartTask* task, const char* id)
{
    qint32 value = 0;
    task->GetParam(QString::fromLatin1(id), value);
    return value;
}

QString ParamText(const TSmartTask* task, const char* id)
{
    QString value;
    task->GetParam(QString::fromLatin1(id), value);
    return value;
}

// The list goes to the holder only while this run is still wanted, decided on
// the interface thread, so a stopped run never replaces a newer run's items.
void HandOver(TSmartTask* task, TFileHolder* holder, TItemList& items,
              TFileHolder::TFolderState state = TFileHolder::fsListed)
{
    const QString path = ParamText(task, "Path");
    Synchronize([&] {
        if (!task->Active()) return;
        holder->TakeListing(path, std::move(items));
        holder->ListedState = state;
    });
}

TFileHolder::TFolderState StateOf(const TDirListing& listing)
{
    if (!listing.Failed) return TFileHolder::fsListed;
    const int code = listing.Error.Code;
    return code == ENOENT || code == ENOTDIR ? TFileHolder::fsGone : TFileHolder::fsUnreadable;
}

void BuildList_Task(TSmartTask* task)
{
    TFileHolder* holder = nullptr;
    task->GetParam(ParamHolder, holder);
    if (!holder) return;
    QString path;
    task->GetParam(ParamPath, path);
    const QString folder = IncludeTrailingPathDelimiter(path);
    const bool hideHidden = ParamInt(task, "HideHidden");
    const bool hideSystem = ParamInt(task, "HideSystem");

    const TDirListing listing = ListDirectory(folder, TDirOrder::doByName, [task] { return !task->Active(); });
    if (const auto& probe = TFileHolder::ListingProbe()) probe(folder);
    if (listing.Cancelled) return;
    // Making the items costs about half as much as reading the folder; a large
    // folder gets them made by two threads, each filling its own slots.
    TItemList items(listing.Entries.size());
    const auto fill = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            if (i % 1024 == 0 && !task->Active()) return;
            std::unique_ptr<TItemData> item = CreateListedItem(listing.Entries[i], folder);
            const TFileData& data = item->ID_FILE_DATA;
            item->ID_VISIBLE = !((data.FD_HIDDEN && hideHidden) || (data.FD_SYSTEM && hideSystem));
            items[i] = std::move(item);
        }
    };
    const size_t half = items.size() >= 2048 ? items.size() / 2 : items.size();
    std::thread helper;
    if (half < items.size()) helper = std::thread(fill, half, items.size());
    fill(0, half);
    if (helper.joinable()) helper.join();
    if (!task->Active()) return;
    if (ParamInt(task, "FoldersFirst") && task->Active())
        std::stable_partition(items.begin(), items.end(), [](const std::unique_ptr<TItemData>& item) {
            return item->ID_FILE_DATA.FD_EXT == QLatin1String(".folder");
        });
    HandOver(task, holder, items, StateOf(listing));
}

struct TDriveKind {
    TDriveType Type;
    const char* LabelKey;
    const char* LabelDefault;
    const char* Menu;
    const char* Ext;
    bool UsesVolumeLabel;
};

const TDriveKind DriveKinds[] = {
    {TDriveType::dtFixed, "DriveFixed", "LocalDrive", "DRIVE_FIXED", ".harddrive", false},
    {TDriveType::dtRemovable, "DriveRemovable", "DriveRemovable", "DRIVE_REMOVABLE", ".removable", true},
    {TDriveType::dtCdrom, "DriveCdRom", "DriveCdRom", "DRIVE_CDROM", ".cdrom", true},
    {TDriveType::dtRamdisk, "DriveRamDisk", "DriveRamDisk", "DRIVE_RAMDISK", ".ramdisk", false},
    {TDriveType::dtRemote, "DriveRemote", "DriveRemote", "DRIVE_REMOTE", ".remote", false},
};

const TDriveKind& KindOf(TDriveType type)
{
    for (const TDriveKind& kind : DriveKinds)
        if (kind.Type == type) return kind;
    return DriveKinds[0];
}

QString LastComponent(const QString& mountPoint)
{
    if (mountPoint == QLatin1String("/")) return mountPoint;
    return mountPoint.mid(mountPoint.lastIndexOf(QLatin1Char('/')) + 1);
}

void QuickDrive_Task(TSmartTask* task)
{
    TFileHolder* holder = nullptr;
    task->GetParam(ParamHolder, holder);
    if (!holder) return;
    TItemList items;
    // VisibleDrives groups the drives by type in the listing order already.
    for (const TDrive& drive : VisibleDrives()) {
        if (!task->Active()) return;
        if ((drive.FloppyIndex == 0 && ParamInt(task, "HideFloppyA")) ||
            (drive.FloppyIndex == 1 && ParamInt(task, "HideFloppyB")))
            continue;
        const QString root = drive.RootPath();
        if (!IsDriveReady(root)) continue;
        const TDriveKind& kind = KindOf(drive.Type);
        QString label = kind.UsesVolumeLabel ? VolumeLabel(root) : QString();
        if (label.isEmpty()) label = ParamText(task, kind.LabelKey);

        auto item = std::make_unique<TDeviceItem>();
        TFileData& data = item->ID_FILE_DATA;
        data.FD_PATH = root;
        data.FD_DIR = root;
        data.FD_NAME = LastComponent(drive.Mount.MountPoint);
        data.FD_EXT = QString::fromLatin1(kind.Ext);
        data.FD_SIZE = DriveCapacity(root);
        item->ID_MENU = QString::fromLatin1(kind.Menu);
        item->ID_CAPTION = label + QStringLiteral(" (") + drive.Mount.MountPoint + QLatin1Char(')');
        item->ID_VISIBLE = true;
        item->ID_STYLE = vsTile;
        items.push_back(std::move(item));
    }
    HandOver(task, holder, items);
}

}  // namespace

void TFileHolder::BuildList(const QString& Path)
{
    const auto& browsing = Settings().Browsing;
    TSmartTask* task = TaskManager->CreateTask(QStringLiteral("BuildList"));
    // The worker gets the settings as they are now; it must not read them
    // while the interface thread may change them.
    task->SetParam(ParamPath, Path)
        ->SetParam(ParamHolder, static_cast<void*>(this))
        ->SetParam(QStringLiteral("HideHidden"), qint32(bool(browsing.HideHidden)))
        ->SetParam(QStringLiteral("HideSystem"), qint32(bool(browsing.HideSystem)))
        ->SetParam(QStringLiteral("FoldersFirst"), qint32(bool(browsing.ShowFoldersFirst)))
        ->OnExecuteEvent(&BuildList_Task)
        ->OnTerminatedEvent([this](TTaskThread*) { ListingDone(TListed::lsFolder); });
    task->Start();
}

void TFileHolder::QuickDrive()
{
    const auto& browsing = Settings().Browsing;
    TSmartTask* task = TaskManager->CreateTask(QStringLiteral("QuickDrive"));
    task->SetParam(ParamPath, QStringLiteral("QDrive"))
        ->SetParam(ParamHolder, static_cast<void*>(this))
        ->SetParam(QStringLiteral("HideFloppyA"), qint32(browsing.HideFloppy && browsing.HideFloppyA))
        ->SetParam(QStringLiteral("HideFloppyB"), qint32(browsing.HideFloppy && browsing.HideFloppyB));
    for (const TDriveKind& kind : DriveKinds)
        task->SetParam(QString::fromLatin1(kind.LabelKey), Localized("Devices", kind.LabelKey, kind.LabelDefault));
    task->OnExecuteEvent(&QuickDrive_Task)->OnTerminatedEvent([this](TTaskThread*) { ListingDone(TListed::lsDrives); });
    task->Start();
}

bool TFileHolder::Listing() const
{
    for (const char* id : {"BuildList", "QuickDrive", "TrashList"}) {
        TSmartTask* task = nullptr;
        if (TaskManager->GetTask(QString::fromLatin1(id), task) && task->Active()) return true;
    }
    return false;
}

QString TFileHolder::CreateFolder()
{
    const TPathData* current = Path_Curr();
    if (!current || current->PD_TYPE == ptQDrive || current->PD_TYPE == ptRecycle) return QString();
    if (current->PD_PATH == QDrivePath || current->PD_PATH == TrashPath) return QString();
    const bool group = Settings().General.FolderGroup && SelCount() > 0;
    std::vector<TItemData*> members;
    if (group)
        for (const auto& item : Items())
            if (item->Selected() && !item->IsGroup()) members.push_back(item.get());
    const QString name = group ? Localized("General", "GroupName", "New Group")
                               : Localized("General", "FolderName", "New Folder");

    const QString folder = IncludeTrailingPathDelimiter(current->PD_PATH);
    QString candidate = folder + name;
    for (int n = 1;; ++n) {
        if (!ItemExists(candidate)) {
            if (CreateFolderPath(candidate)) break;
            // Taken between the test and the creation: try the next number.
            if (!ItemExists(candidate)) return QString();
        }
        candidate = folder + name + QStringLiteral(" (%1)").arg(n);
    }
    const QString target = IncludeTrailingPathDelimiter(candidate);
    for (const TItemData* item : members)
        if (const TFsStatus moved = RenamePath(item->ID_FILE_DATA.FD_PATH, target + item->ID_FILE_DATA.FD_NAME); !moved)
            ReportFailure("Group into a new folder", moved.Error().Message(), flUser);
    return candidate;
}
