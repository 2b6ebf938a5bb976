#include "data/QV_FileHolder.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_FolderMonitor.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/desktop/QV_Sound.h"

#include <utility>

namespace {

bool IsQDrive(const QString& path) { return path == QDrivePath; }

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
    // A worker hands its list to this holder; it must end before the holder
    // stops being one. The fresh manager is the one the base destructor stops.
    TaskManager = std::make_unique<TTaskManager>();
}

bool& TFileHolder::Restoring()
{
    static bool restoring = false;
    return restoring;
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
    else if (ExcludeTrailingPathDelimiter(from) == QLatin1String("/") || from.isEmpty()) to = QDrivePath;
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
    const QString resolved = ResolvePath(Path);
    if (!IsQDrive(resolved) && !ItemExists(resolved)) {
        // Only a volume that does not answer deserves a word; a missing path
        // on a working one is a stale link or a typing slip.
        if (resolved.startsWith(QLatin1Char('/')) && !IsDriveReady(resolved))
            if (THolderHost* host = HolderHost()) host->ShowMessage(Path);
        return;
    }
    TPathData* entry = Path_Curr();
    if (!entry || entry->PD_PATH != resolved) entry = Path_Add();
    entry->PD_PATH = resolved;
    if (IsQDrive(resolved)) entry->PD_TYPE = ptQDrive;
    else if (IsDriveRoot(resolved)) entry->PD_TYPE = ptRoot;
    Path_GoTo(entry);
}

void TFileHolder::Path_GoTo(TPathData* PathData)
{
    if (!PathData) return;
    if (Settings().Media.PlayNavSound && !Restoring()) PlaySoundFileAsync(ResolvePath(Settings().Media.NavSound));
    DH_SCROLL_POS = PathData->PD_SCROLL_POS;
    DH_TEXT_QFILTER.clear();
    StopThreads();
    ListedWhenGrouped_ = false;
    DH_ITEM_ACTIVE = nullptr;
    DH_ITEM_TRY = nullptr;
    BeginUpdate();
    if (TCtrlManager* manager = CtrlManager()) manager->Control_Update();
    // The old folder's watcher would otherwise keep refreshing a place it does
    // not describe; a refresh of the same folder keeps it, so a change made
    // while listing is still reported.
    if (PathData->PD_PATH != MonitoredPath_) {
        DH_MONITOR->Stop();
        MonitoredPath_.clear();
    }
    if (IsQDrive(PathData->PD_PATH)) QuickDrive();
    else BuildList(PathData->PD_PATH);
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
    Path_GoTo(Path_Up());
}

void TFileHolder::On_FolderChanged(TFolderMonitor*)
{
    NotifyFolderChanged();
    Path_GoTo();
}

void TFileHolder::ListingDone(bool Folder)
{
    if (!Folder) {
        // The drives are shown by kind; the grouping arranges them.
        ListedWhenGrouped_ = true;
        GroupItems(QStringLiteral("Ext"), QStringLiteral("Icons"));
        return;
    }
    if (const TPathData* current = Path_Curr()) {
        MonitoredPath_ = current->PD_PATH;
        DH_MONITOR->Start(current->PD_PATH);
    }
    Arrange();
    if (!DH_SELECT_NAME.isEmpty()) SelectAndShow(std::exchange(DH_SELECT_NAME, QString()));
    StartIconTasks();
    if (OnListed) OnListed(this);
}

void TFileHolder::ItemsGrouped()
{
    TDataHolder::ItemsGrouped();
    if (std::exchange(ListedWhenGrouped_, false) && OnListed) OnListed(this);
}

// --- Slots ---

void TFileHolder::On_KeyUp(TKeyCode& Key, TShiftState Shift)
{
    TDataHolder::On_KeyUp(Key, Shift);
    const bool alt = Shift & ssAlt;
    if (alt && Key == VK_LEFT) Path_GoBack();
    else if (alt && Key == VK_RIGHT) Path_GoForward();
    else if (Key == VK_BACK && !(Shift & (ssAlt | ssCtrl | ssShift))) Path_GoUp();
    else if (Key == 'C' && (Shift & ssCtrl)) CopyToClipboard();
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
    if (IsQDrive(current->PD_PATH)) LoadTheme(FolderThemeSource(TThemePlace::tpQuickDrive));
    else LoadTheme(FolderThemeSource(TThemePlace::tpFolder, current->PD_PATH));
}

void TFileHolder::OpenFolder(const QString& Path) { Path_GoTo(Path); }
void TFileHolder::OpenDrive(const QString& Path) { Path_GoTo(Path); }
