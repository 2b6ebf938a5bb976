#include "data/QV_FileHolder.h"

#include "controls/QV_CtrlManager.h"
#include "controls/QV_Repaint.h"
#include "data/QV_FolderMonitor.h"
#include "data/QV_HolderHost.h"
#include "data/QV_ShellBridge.h"
#include "foundation/QV_Settings.h"
#include "locale/QV_LocaleManager.h"
#include "platform/desktop/QV_Sound.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/fs/QV_FileSystem.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace {

bool IsQDrive(const QString& path) { return path == QDrivePath; }
bool IsTrash(const QString& path) { return path == TrashPath; }

// The folder above an absolute path, without trailing delimiter; "/" above a
// top-level folder.
QString ParentFolder(const QString& path)
{
    const QString trimmed = ExcludeTrailingPathDelimiter(path);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0) return QStringLiteral("/");
    return trimmed.left(slash);
}

void NotifyFolderChanged()
{
    if (TCtrlManager* manager = CtrlManager()) manager->EventNotify(QStringLiteral("FolderChanged"));
}

}  // namespace

TFileHolder::TFileHolder() : DH_MONITOR(std::make_unique<TFolderMonitor>())
{
    DH_MONITOR->OnChangedEvent = [this](TFolderMonitor* sender) { On_FolderChanged(sender); };
}

TFileHolder::~TFileHolder()
{
    StopThreads();
    DH_MONITOR->Stop();
    WatchTrash({});
    // A worker hands its list to this holder; it must end before the holder
    // stops being one. The fresh manager is the one the base destructor stops.
    TaskManager = std::make_unique<TTaskManager>();
}

bool& TFileHolder::Restoring()
{
    static bool restoring = false;
    return restoring;
}

std::function<void(const QString&)>& TFileHolder::ListingProbe()
{
    static std::function<void(const QString&)> probe;
    return probe;
}

// --- History ---

TPathData* TFileHolder::Path_Curr() const
{
    if (DH_PATH_IDX < 0 || DH_PATH_IDX >= int(DH_PATHS.size())) return nullptr;
    return DH_PATHS[size_t(DH_PATH_IDX)].get();
}

TPathData* TFileHolder::Path_Add()
{
    if (DH_PATH_IDX + 1 < int(DH_PATHS.size())) DH_PATHS.resize(size_t(std::max(DH_PATH_IDX + 1, 0)));
    Path_Limit();
    DH_PATHS.push_back(std::make_unique<TPathData>());
    DH_PATH_IDX = int(DH_PATHS.size()) - 1;
    return DH_PATHS.back().get();
}

TPathData* TFileHolder::Path_Prev()
{
    if (DH_PATH_IDX > 0) --DH_PATH_IDX;
    return Path_Curr();
}

TPathData* TFileHolder::Path_Next()
{
    if (DH_PATH_IDX < int(DH_PATHS.size()) - 1) ++DH_PATH_IDX;
    return Path_Curr();
}

TPathData* TFileHolder::Path_Up()
{
    const TPathData* current = Path_Curr();
    const QString from = current ? current->PD_PATH : QDrivePath;
    QString to;
    if (IsQDrive(from)) to = ResolvePath(QStringLiteral("MyDocuments:\\"));
    else if (ExcludeTrailingPathDelimiter(from) == QLatin1String("/") || from.isEmpty() || IsTrash(from)) to = QDrivePath;
    else to = ParentFolder(from);
    TPathData* entry = Path_Add();
    entry->PD_PATH = to;
    if (IsQDrive(to)) entry->PD_TYPE = ptQDrive;
    return entry;
}

void TFileHolder::Path_Limit()
{
    if (PathLimit < 0 || int(DH_PATHS.size()) != PathLimit || DH_PATHS.empty()) return;
    DH_PATHS.erase(DH_PATHS.begin());
    --DH_PATH_IDX;
}

void TFileHolder::Path_Clear()
{
    DH_PATHS.clear();
    DH_PATH_IDX = -1;
}

// --- Navigation ---

void TFileHolder::KeepScroll()
{
    if (TPathData* current = Path_Curr()) current->PD_SCROLL_POS = DH_SCROLL_POS;
}

void TFileHolder::Path_GoTo(const QString& Path)
{
    KeepScroll();
    const QString resolved = IsTrashPlace(Path) ? TrashPath : ResolvePath(Path);
    if (!IsQDrive(resolved) && !IsTrash(resolved)) {
        // The guarded question first: a plain look at a path on a hung volume
        // would stall the window. Only a volume that does not answer deserves a
        // word; a missing path on a working one is a stale link or a typing slip.
        if (resolved.startsWith(QLatin1Char('/')) && !IsDriveReady(resolved)) {
            if (THolderHost* host = HolderHost()) host->ShowMessage(DisplayFileName(Path));
            return;
        }
        if (!ItemExists(resolved)) return;
    }
    TPathData* entry = Path_Curr();
    if (!entry || entry->PD_PATH != resolved) entry = Path_Add();
    entry->PD_PATH = resolved;
    if (IsQDrive(resolved)) entry->PD_TYPE = ptQDrive;
    else if (IsTrash(resolved)) entry->PD_TYPE = ptRecycle;
    else if (IsDriveRoot(resolved)) entry->PD_TYPE = ptRoot;
    Path_GoTo(entry);
}

void TFileHolder::Path_GoTo(TPathData* PathData)
{
    if (!PathData) return;
    selectWhenListed_.clear();
    selectedWhenListed_ = nullptr;
    if (Settings().Media.PlayNavSound && !Restoring()) PlaySoundFileAsync(ResolvePath(Settings().Media.NavSound));
    DH_SCROLL_POS = PathData->PD_SCROLL_POS;
    DH_TEXT_QFILTER.clear();
    StopThreads();
    listedWhenGrouped_ = false;
    hotAfterListing_.clear();
    // A refresh leaves the list on screen until the new one is handed over,
    // which carries its selection and hot item over.
    if (PathData->PD_PATH != listedPath_) {
        DH_ITEM_ACTIVE = nullptr;
        DH_ITEM_TRY = nullptr;
        BeginUpdate();
    }
    if (TCtrlManager* manager = CtrlManager()) manager->Control_Update();
    // The old folder's watcher would otherwise keep refreshing a place it does
    // not describe; a refresh of the same folder keeps it, so a change made
    // while listing is still reported.
    if (PathData->PD_PATH != monitoredPath_) {
        DH_MONITOR->Stop();
        WatchTrash({});
        monitoredPath_.clear();
    }
    refreshAfterListing_ = false;
    if (IsQDrive(PathData->PD_PATH)) {
        QuickDrive();
    } else if (IsTrash(PathData->PD_PATH)) {
        // The trash's watchers stay through a refresh; the listing says which
        // folders to watch.
        monitoredPath_ = PathData->PD_PATH;
        TrashList();
    } else {
        // Watched from before the listing reads the folder: a change made while
        // it reads is not lost, it leads to one more refresh once it is done.
        monitoredPath_ = PathData->PD_PATH;
        DH_MONITOR->Start(PathData->PD_PATH);
        BuildList(PathData->PD_PATH);
    }
    ThemeLoad();
    NotifyFolderChanged();
}

void TFileHolder::Path_GoTo()
{
    KeepScroll();
    Path_GoTo(Path_Curr());
}

void TFileHolder::Path_GoBack()
{
    KeepScroll();
    Path_GoTo(Path_Prev());
}

void TFileHolder::Path_GoForward()
{
    KeepScroll();
    Path_GoTo(Path_Next());
}

void TFileHolder::Path_GoUp()
{
    KeepScroll();
    const TPathData* current = Path_Curr();
    const QString from = current ? ExcludeTrailingPathDelimiter(current->PD_PATH) : QString();
    Path_GoTo(Path_Up());
    // The folder one came up from is where the eye is: selected and in view.
    const qsizetype slash = from.lastIndexOf(QLatin1Char('/'));
    if (!IsQDrive(from) && slash >= 0 && slash + 1 < from.size()) SelectWhenListed({from.mid(slash + 1)});
}

void TFileHolder::On_FolderChanged(TFolderMonitor*)
{
    // Restarting a listing at every change would never finish a busy folder.
    if (Listing()) {
        refreshAfterListing_ = true;
        return;
    }
    NotifyFolderChanged();
    Path_GoTo();
}

void TFileHolder::TakeListing(const QString& Path, TItemList Items)
{
    QSet<QString> selected;
    hotAfterListing_.clear();
    if (Path == listedPath_) {
        for (const auto& item : TDataHolder::Items())
            if (item->Selected() && !item->IsGroup()) selected.insert(item->ID_FILE_DATA.FD_NAME);
        if (DH_ITEM_ACTIVE) hotAfterListing_ = DH_ITEM_ACTIVE->ID_FILE_DATA.FD_NAME;
    }
    if (!selected.isEmpty())
        for (const auto& item : Items)
            if (selected.contains(item->ID_FILE_DATA.FD_NAME)) item->Select();
    listedPath_ = Path;
    // Drawing stays off until the end arranges the new list.
    BeginUpdate();
    HandOverItems(std::move(Items));
}

void TFileHolder::RestoreHotItem()
{
    const QString name = std::exchange(hotAfterListing_, QString());
    if (name.isEmpty()) return;
    for (const auto& item : TDataHolder::Items())
        if (item->ID_VISIBLE && item->ID_FILE_DATA.FD_NAME == name) {
            item->On_Leave();  // the item's hot state
            DH_ITEM_ACTIVE = DH_ITEM_TRY = item.get();
            return;
        }
}

void TFileHolder::ListingDone(TListed Kind)
{
    if (Kind == TListed::lsDrives) {
        // The drives are shown by kind; the grouping arranges them.
        listedWhenGrouped_ = true;
        GroupItems(QStringLiteral("Ext"), QStringLiteral("Icons"));
        return;
    }
    if (Kind == TListed::lsTrash) {
        WatchTrash(trashWatch_);
    } else if (const TPathData* current = Path_Curr()) {
        // Keeps the watcher that saw the listing through; starts one where the
        // folder could not be watched before (it had ended, or did not exist).
        monitoredPath_ = current->PD_PATH;
        DH_MONITOR->Start(current->PD_PATH); // the folder watched already keeps its watcher
    }
    Arrange();
    RestoreHotItem();
    SelectNamed(std::exchange(selectWhenListed_, {}));
    if (const std::function<void()> selected = std::exchange(selectedWhenListed_, {})) selected();
    if (!DH_SELECT_NAME.isEmpty()) SelectAndShow(std::exchange(DH_SELECT_NAME, QString()));
    StartIconTasks();
    if (OnListed) OnListed(this);
    if (std::exchange(refreshAfterListing_, false)) On_FolderChanged(DH_MONITOR.get());
}

void TFileHolder::SelectWhenListed(const QStringList& Names, std::function<void()> Selected)
{
    selectWhenListed_ = Names;
    selectedWhenListed_ = std::move(Selected);
}

void TFileHolder::SelectNamed(const QStringList& names)
{
    if (names.isEmpty()) return;
    const TItemData* first = nullptr;
    for (const auto& item : Items()) {
        if (item->IsGroup() || !names.contains(item->ID_FILE_DATA.FD_NAME)) continue;
        if (!item->Selected()) item->Select();
        if (!first) first = item.get();
    }
    if (!first) return;
    // The first one a third down the view, as far as the scroll range allows.
    DH_SCROLL_POS = std::clamp(first->ID_POS.y() - DH_HEIGHT / 3, DH_SCROLL_MIN, std::max(DH_SCROLL_MIN, DH_SCROLL_MAX));
    RequestRepaint();
}

void TFileHolder::ItemsGrouped()
{
    TDataHolder::ItemsGrouped();
    if (std::exchange(listedWhenGrouped_, false) && OnListed) OnListed(this);
}

// --- Slots ---

void TFileHolder::On_KeyDown(TKeyCode& Key, TShiftState Shift)
{
    TDataHolder::On_KeyDown(Key, Shift);
    const bool alt = Shift & ssAlt;
    if (alt && Key == VK_LEFT) Path_GoBack();
    else if (alt && Key == VK_RIGHT) Path_GoForward();
    else if ((alt && Key == VK_UP) || (Key == VK_BACK && !(Shift & (ssAlt | ssCtrl | ssShift)))) Path_GoUp();
    else return;
    Key = 0;
}

void TFileHolder::On_KeyUp(TKeyCode& Key, TShiftState Shift)
{
    TDataHolder::On_KeyUp(Key, Shift);
    // A trashed entry leaves the trash by a restore, never by a cut; nothing is pasted into it.
    if (ShowsTrash() && (Key == 'X' || Key == 'V')) return;
    if (Key == 'C' && (Shift & ssCtrl)) CopyToClipboard();
    else if (Key == 'X' && (Shift & ssCtrl)) CutToClipboard();
    else if (Key == 'V' && (Shift & ssCtrl)) PasteFromClipboard();
}

QString TFileHolder::CurrentFolder() const
{
    const TPathData* current = Path_Curr();
    if (!current || current->PD_TYPE == ptQDrive || IsQDrive(current->PD_PATH) || IsTrash(current->PD_PATH))
        return QString();
    return current->PD_PATH;
}

void TFileHolder::PasteFromClipboard()
{
    TShellBridge* shell = ShellBridge();
    if (!shell || !shell->CanPaste()) return;
    QString target = CurrentFolder();
    if (SelCount() == 1)
        for (const auto& item : Items())
            if (item->Selected() && item->Directory()) target = item->ID_FILE_DATA.FD_PATH;
    if (!target.isEmpty()) shell->Paste(target);
}

void TFileHolder::On_Activate()
{
    TDataHolder::On_Activate();
    if (THolderHost* host = HolderHost()) host->SwitchMode(QStringLiteral("Explore"));
}

void TFileHolder::ThemeLoad()
{
    const TPathData* current = Path_Curr();
    if (!current) return;
    if (IsQDrive(current->PD_PATH) || IsTrash(current->PD_PATH)) LoadTheme(TThemePlace::tpQuickDrive);
    else LoadTheme(TThemePlace::tpFolder, current->PD_PATH);
}

QString TFileHolder::EmptyText() const
{
    const TPathData* current = Path_Curr();
    if (!current || IsQDrive(current->PD_PATH)) return QString();
    if (IsTrash(current->PD_PATH))
        return Localized(QStringLiteral("Trash"), QStringLiteral("TrashEmpty"), QStringLiteral("The trash is empty"));
    switch (ListedState) {
    case fsGone:
        return Localized(QStringLiteral("Messages"), QStringLiteral("FolderGone"),
                         QStringLiteral("This folder no longer exists"));
    case fsUnreadable:
        return Localized(QStringLiteral("Messages"), QStringLiteral("FolderUnreadable"),
                         QStringLiteral("This folder cannot be read"));
    case fsListed: break;
    }
    return Localized(QStringLiteral("Messages"), QStringLiteral("FolderEmpty"), QStringLiteral("This folder is empty"));
}

QString TFileHolder::HolderMenuName() const
{
    return ShowsTrash() ? QStringLiteral("RecycleBin") : QStringLiteral("FileHolderMenu");
}

bool TFileHolder::ShowsTrash() const
{
    const TPathData* current = Path_Curr();
    return current && IsTrash(current->PD_PATH);
}

void TFileHolder::RestoreSelected()
{
    if (!ShowsTrash()) return;
    const QStringList paths = SelectedPaths(false);
    if (TShellBridge* shell = ShellBridge(); shell && !paths.isEmpty()) shell->RestoreTrashed(paths);
}

void TFileHolder::ShowContextMenu(QPoint Pos)
{
    if (!ShowsTrash()) return TDataHolder::ShowContextMenu(Pos);
    const QStringList paths = SelectedPaths(false);
    if (TShellBridge* shell = ShellBridge(); shell && !paths.isEmpty()) shell->ItemsMenu(paths, TrashPath, Pos);
}

void TFileHolder::OpenFolder(const QString& Path) { Path_GoTo(Path); }
void TFileHolder::OpenDrive(const QString& Path) { Path_GoTo(Path); }
