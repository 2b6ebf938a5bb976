#pragma once
// The content of a file tab: one folder, the quick-drive view with the drives,
// or the trash place ("Trash:\\") with the entries of every volume's trash,
// with a back/forward history of the places visited. Each place is
// listed by a background task that builds a complete item list and hands it
// over (see QV_DataHolder.h). The folder monitor watches the folder from
// before its listing begins, so a change made while it is listed is reported;
// its notification lists the folder again. Such a refresh of the folder on
// screen keeps the selection (by name), the hot item and the scroll position.
//
// Threads: the interface thread, except the two listing workers.

#include "data/QV_DataHolder.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TFolderMonitor;

class TFileHolder : public TDataHolder {
public:
    TFileHolder();
    // Stops the tasks and the monitor and waits for them.
    ~TFileHolder() override;

    // Oldest first; DH_PATH_IDX is the current entry.
    std::vector<std::unique_ptr<TPathData>> DH_PATHS;
    std::unique_ptr<TFolderMonitor> DH_MONITOR;
    // Entries kept before the oldest goes; -1 keeps them all.
    static constexpr int PathLimit = -1;

    // Called on the interface thread once a listing has been handed over and
    // arranged (not for a stopped one); for the quick-drive view once it has
    // also been grouped.
    std::function<void(TFileHolder* Sender)> OnListed;
    // The name of an item to select, and scroll to, once the next listing is
    // in (the path field names a file); cleared by that listing.
    QString DH_SELECT_NAME;

    // Once the next listing of a folder is in, the items of these names are
    // selected and the first is scrolled into view (a file revealed by another
    // program), and then Selected runs. Any other navigation first forgets them.
    void SelectWhenListed(const QStringList& Names, std::function<void()> Selected = {});

    // What the last listing found of the folder shown.
    enum TFolderState { fsListed, fsGone, fsUnreadable };
    TFolderState ListedState = fsListed;

    // Set by the view while it restores the last session: navigation is silent.
    static bool& Restoring();
    // Called on a listing worker once it has read a folder, before its items are
    // made. Tests set it to stand for a file system that answers late or not
    // at all; empty otherwise.
    static std::function<void(const QString& Folder)>& ListingProbe();

    // --- History ---
    TPathData* Path_Curr() const;
    // Drops the forward entries, appends an empty folder entry and makes it current.
    TPathData* Path_Add();
    TPathData* Path_Prev();
    TPathData* Path_Next();
    // A new current entry for the parent place: "/" goes to the quick-drive
    // view, the quick-drive view to the documents folder, any other path
    // (mount points included) to its parent folder.
    TPathData* Path_Up();
    void Path_Limit();
    void Path_Clear();

    // --- Navigation ---
    // Resolves aliases; a missing path is ignored, a path on a volume that does
    // not answer shows a message with Path. The path shown already reuses its
    // entry, any other adds one.
    void Path_GoTo(const QString& Path);
    // Lists the entry's place (nothing for none).
    void Path_GoTo(TPathData* PathData);
    // Lists the current entry again, keeping the scroll position.
    void Path_GoTo();
    void Path_GoBack();
    void Path_GoForward();
    void Path_GoUp();
    void On_FolderChanged(TFolderMonitor* Sender);

    // --- Listing tasks ---
    void BuildList(const QString& Path);
    void QuickDrive();
    // Lists the trash place: every entry of every trash, newest deletion first.
    // Its information folders are watched while it is shown.
    void TrashList();
    // The current entry is the trash place.
    bool ShowsTrash() const;
    // The selected trash entries go back where they came from (see
    // TShellBridge::RestoreTrashed); nothing outside the trash place.
    void RestoreSelected();
    // A listing task of this holder runs.
    bool Listing() const;
    // Interface thread: takes the items a listing of Path built. A list of the
    // folder already shown carries its selection and hot item over by name.
    void TakeListing(const QString& Path, TItemList Items);
    // Interface thread: takes a trash listing and the folders whose changes
    // change the trash (each trash's info/ folder, or where a missing home
    // trash will appear).
    void TakeTrashListing(TItemList Items, const QStringList& Watch);

    // Creates "New Folder" (or "New Folder (n)") in the folder shown. With the
    // FolderGroup setting and a selection it is "New Group" and the selected
    // entries move into it, never replacing anything. Answers the new folder's
    // path, or empty when none was made.
    QString CreateFolder();
    // The clipboard's files into the one selected folder, else into the folder shown.
    void PasteFromClipboard();
    QString CurrentFolder() const override;

    // --- Slots ---
    // On the press, so the modifiers count as they are then and a held key
    // repeats: Alt+Left back, Alt+Right forward, Alt+Up and Backspace up.
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override;
    // Ctrl+C copies, after the common keys.
    void On_KeyUp(TKeyCode& Key, TShiftState Shift) override;
    void On_Activate() override;
    void ThemeLoad() override;
    void OpenFolder(const QString& Path) override;
    void OpenDrive(const QString& Path) override;
    // "RecycleBin" in the trash place, else "FileHolderMenu".
    QString HolderMenuName() const override;
    // "This folder is empty", or why nothing could be listed; "The trash is
    // empty"; nothing for the quick-drive view.
    QString EmptyText() const override;
    // In the trash place, the trash's own menu of the selected entries.
    void ShowContextMenu(QPoint Pos) override;

protected:
    bool ListingRuns() const override { return Listing(); }
    bool ItemsRenamable() const override { return !ShowsTrash(); }
    void ItemsGrouped() override;

private:
    void KeepScroll();
    enum class TListed { lsFolder, lsDrives, lsTrash };
    void ListingDone(TListed Kind);
    // Watches exactly these folders for the trash place; none stops them all.
    void WatchTrash(const QStringList& Folders);
    void SelectNamed(const QStringList& names);
    void RestoreHotItem();

    QStringList selectWhenListed_;
    // The folder changed while it was being listed: list it again when done.
    bool refreshAfterListing_ = false;
    std::function<void()> selectedWhenListed_;

    QString monitoredPath_;
    std::vector<std::unique_ptr<TFolderMonitor>> trashMonitors_;
    // What the last trash listing found worth watching; set by its hand-over.
    QStringList trashWatch_;

    // The quick-drive view's listing ends with its grouping.
    bool listedWhenGrouped_ = false;
    // The place the items on screen were listed from.
    QString listedPath_;
    // The hot item of the list a refresh replaced, made hot again once arranged.
    QString hotAfterListing_;
};
