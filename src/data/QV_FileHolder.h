#pragma once
// The content of a file tab: one folder, or the quick-drive view with the
// drives, with a back/forward history of the places visited. Each place is
// listed by a background task that builds a complete item list and hands it
// over (see QV_DataHolder.h); a completed folder listing restarts the folder
// monitor, whose quiet-period notification lists the folder again.
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

    // Set by the view while it restores the last session: navigation is silent.
    static bool& Restoring();

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
    // A listing task of this holder runs.
    bool Listing() const;

    // Creates "New Folder" (or "New Folder (n)") in the folder shown. With the
    // FolderGroup setting and a selection it is "New Group" and the selected
    // entries move into it, never replacing anything. Answers the new folder's
    // path, or empty when none was made.
    QString CreateFolder();

    // --- Slots ---
    void On_KeyUp(TKeyCode& Key, TShiftState Shift) override;
    void On_Activate() override;
    void ThemeLoad() override;
    void OpenFolder(const QString& Path) override;
    void OpenDrive(const QString& Path) override;
    QString HolderMenuName() const override { return QStringLiteral("FileHolderMenu"); }

protected:
    bool ListingRuns() const override { return Listing(); }
    void ItemsGrouped() override;

private:
    void KeepScroll();
    void ListingDone(bool Folder);

    QString MonitoredPath_;
    // The quick-drive view's listing ends with its grouping.
    bool ListedWhenGrouped_ = false;
};
