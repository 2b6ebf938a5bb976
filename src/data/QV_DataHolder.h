#pragma once
// The common base of the file and search holders: the items of one tab, their
// layout on the view, the vertical scroll, the hot item, the selection with its
// rubber band, the quick filter and the folder theme behind the items.
//
// Threads. Layout, hit testing, selection and painting run on the interface
// thread, and so does every change of DH_ITEMS. A listing worker never fills
// the holder's list: it builds a complete TItemList of its own and hands it over
// with HandOverItems, which swaps it in on the interface thread (carried there
// by a synchronized call when a worker calls it). A paint or a hit test
// therefore sees the old list or the new one, never one being built. DH_CANDRAW
// stays the visible gate: off from BeginUpdate until the next Arrange.

#include "controls/QV_SmartRect.h"
#include "controls/QV_ViewHolder.h"
#include "data/QV_FolderTheme.h"
#include "data/QV_HolderKeys.h"
#include "data/QV_HolderLayout.h"
#include "data/QV_ItemData.h"
#include "data/QV_SmoothScroll.h"
#include "foundation/QV_System.h"
#include "icons/QV_IconTypes.h"
#include "tasks/QV_SmartTask.h"

#include <QPoint>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QTimer;

class TDataHolder : public TViewHolder, public TIconHost {
public:
    TDataHolder();
    // Stops the tasks and waits for them before the items and the theme go.
    ~TDataHolder() override;
    TDataHolder(const TDataHolder&) = delete;
    TDataHolder& operator=(const TDataHolder&) = delete;

    int DH_SCROLL_TMP = 0;  // pixels the running wheel scroll has still to go
    int DH_SCROLL_DIR = -1;
    QPoint DH_SEL_START{0, 0};
    QPoint DH_SEL_END{1, 1};
    TSmartRect DH_SEL_RECT;
    std::unique_ptr<TButtonState> DH_BUTTON_STATE;
    int DH_PATH_IDX = -1;
    std::unique_ptr<TTaskManager> TaskManager;
    TItemData* DH_ITEM_ACTIVE = nullptr;
    TItemData* DH_ITEM_TRY = nullptr;
    QString DH_ID;
    bool DH_VISIBLE = false;
    std::atomic<bool> DH_CANDRAW{false};
    bool DH_SCROLLING = false;
    QPoint DH_POS{0, 0};
    int DH_WIDTH = 300;
    int DH_HEIGHT = 300;
    int DH_SCROLL_POS = 0;
    int DH_SCROLL_MAX = 0;
    int DH_SCROLL_MIN = 0;
    std::unique_ptr<TFolderTheme> DH_FOLDER_THEME;
    QString DH_TEXT_QFILTER;
    int DH_STATUS_SELCNT = 0;
    qint64 DH_STATUS_SELSIZE = 0;
    bool DH_SELECTING = false;
    // The icon tasks; the icon manager drives them.
    std::unique_ptr<TSmartTask> DH_THREAD_ICONS_G, DH_THREAD_ICONS_S, DH_THREAD_ICONS_R, DH_THREAD_CLEAR_C;
    // The keys the G and S passes are building right now; written by those passes only.
    QString DH_THREAD_ICONS_G_ID, DH_THREAD_ICONS_S_ID;
    // The scaled icons the items borrow: type icons, per-file icons. They live
    // as long as the holder, and the icon tasks end before they go.
    TDestinationList DH_ICONS_G, DH_ICONS_S;
    TReservedList DH_ICONS_R;

    // --- What the icon passes read and fill (their task's thread) ---
    TSmartTask* IconTask(TIconTask which) override;
    QString& IconBuilding(TIconTask which) override;
    TDestinationList& IconDestinations(TIconTask which) override;
    TReservedList& IconReservations() override { return DH_ICONS_R; }
    int IconItemCount() const override { return int(DH_ITEMS.size()); }
    TIconSlot IconItem(int index) override;

    // --- The 21 slots ---
    void On_Paint(TBitmap32& DH_CANVAS) override;
    virtual void On_Enter();
    virtual void On_Leave();
    void On_Resize(int W, int H) override;
    // Type-ahead: the focus goes to the next item whose caption starts with
    // what was typed in one burst.
    void On_KeyPress(QChar& Key) override;
    // The navigation keys, on the press with the modifiers held then: the
    // arrows, Home/End and Page Up/Down move the focus item (selecting it
    // alone; with Shift the range from the anchor, adding with Ctrl+Shift;
    // with Ctrl only the focus moves), Ctrl+Space toggles the focus item,
    // Enter opens it, Ctrl+A selects all and Escape clears the selection. A
    // key it took comes back as 0.
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override;
    // The common keys on release: Alt+Enter, Ctrl+1, Ctrl+2, Ctrl+3, Delete.
    void On_KeyUp(TKeyCode& Key, TShiftState Shift) override;
    // The selection protocol of the three buttons.
    TDataHolder* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TDataHolder* On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TDataHolder* On_MouseMove(TShiftState Shift, int X, int Y) override;
    // The smooth scroll: one notch moves 35 x WheelScroll pixels, spread in
    // even steps over the frames of TSmoothScroll::DurationMs; a notch while
    // one runs adds to it. The steps come from a timer of the holder.
    TDataHolder* On_MouseWheel(TWMMouseWheel& Msg) override;
    // One frame of the running wheel scroll at now (ms of a steady clock).
    void WheelFrame(qint64 now);
    // The item under the pointer gets its double click.
    void On_DblClick(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    virtual void On_Update();
    virtual void On_Activate();
    virtual void On_DeActivate();
    // Stops the tasks and a wheel scroll under way.
    virtual void StopThreads();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    virtual void ThemeLoad();
    virtual void CopyToClipboard();
    // The menu keys of the selection: ID_MENU, else FD_EXT, each once.
    virtual TStringArray BuildMenu();
    void PopUpMenuByKey();

    bool Selecting() const override { return DH_SELECTING; }
    void PointerLeft() override;
    // A left click with Ctrl (toggle one) or Shift (range from the anchor).
    void ModifierClick(TItemData* item, TShiftState Shift, int X, int Y);

    // The item the keys move from: the last one clicked or reached by a key;
    // nil when none is, or when the list has changed since.
    TItemData* FocusItem() const { return focus_; }
    // Makes Item (one of this holder's) the focus item and the anchor of
    // ranges, and scrolls it into view; the selection stays as it is.
    void SetFocusItem(TItemData* Item);

    // --- What items and subclasses ask of the kind of holder ---
    // A double click on a folder item that can be listed. This base opens a new
    // active file tab, as the search holder does; the file holder navigates.
    virtual void OpenFolder(const QString& Path);
    // A double click on a drive item; nothing here.
    virtual void OpenDrive(const QString& Path);
    // The program menu popped up by a right click on empty space; none here.
    virtual QString HolderMenuName() const { return QString(); }
    // The short text drawn in the middle of a view that shows no item (and no
    // quick filter hides them); none here.
    virtual QString EmptyText() const { return QString(); }
    // Ctrl + right click: the desktop's context menu of the selection at Pos
    // (view coordinates), through the shell bridge.
    virtual void ShowContextMenu(QPoint Pos);

    // --- File operations on the selection, through the shell bridge ---
    // Existing selected entries, in list order; drive roots only when asked.
    QStringList SelectedPaths(bool Drives) const;
    void CutToClipboard();
    // To the trash, or deleted for good after a confirmation that says so.
    void DeleteSelFiles(bool Permanently = false);
    void DisplayProperties();
    // For the hot item, else the first selected one.
    void DisplayOpenWith();
    // The first selected item shown in the system's file browser; without a
    // selection the place shown.
    void OpenInExplorer();
    // The folder a file operation without a selected folder works in; empty here.
    virtual QString CurrentFolder() const { return QString(); }

    // --- Items (interface thread) ---
    const TItemList& Items() const { return DH_ITEMS; }
    int ItemCount() const { return int(DH_ITEMS.size()); }
    TItemData* Item_Get(int IDX) const;
    TItemData* Item_Add();
    TItemData* Item_Add(int IDX);
    // A file or folder item filled from a listing entry; Path ends with a delimiter.
    TItemData* Item_Add(const TDirEntry& SearchRec, const QString& Path);
    void Item_Rem(int IDX);
    // Takes a complete list built elsewhere and frees the previous one. The hot
    // and try items are dropped. From a worker it is carried to the interface
    // thread and returns once done.
    void HandOverItems(TItemList Items);
    // Appends items built elsewhere behind the present ones in one step; the
    // hot item, the selection and its anchor stay. From a worker it is carried
    // to the interface thread and returns once done.
    void AppendItems(TItemList Items);
    void ClearHolder();
    // Stops the icon tasks and waits until their runs have ended (serving
    // synchronized calls): every change of the item list does this first, as
    // the passes walk the list on their own threads.
    void EndIconTasks();
    // Some worker of the holder (a task or an icon pass) has not ended yet; the
    // holder may be freed without waiting once none has.
    bool WorkersRunning() const;

    // --- Hover, hit testing and selection ---
    TItemData* ItemAtXY(int X, int Y) const;
    TItemData* ItemNotify(int X, int Y);
    void ItemEnter(TItemData* Item, int X, int Y);
    void ItemLeave(TItemData* Item, int X, int Y);
    void ItemSelect(TItemData* Item, int X, int Y);
    void ItemDeSelect(TItemData* Item, int X, int Y) {}
    void Force_ItemLeave();
    int SelCount();
    void SelectAll();
    void DeselectAll();
    void SelRectangle(TShiftState Shift);
    void DrawSelRect(TBitmap32& SR_CANVAS);

    // --- Layout and look ---
    void CalcScroll();
    void Arrange();
    void PaintBackground(TBitmap32& Canvas) const;
    // Shows only the items whose names contain Text (any letter case). When
    // Text extends the previous filter only the items shown so far are tested.
    void QuickFilter(const QString& Text);
    // Selects the visible item of that name alone and scrolls it into view;
    // false when there is none.
    bool SelectAndShow(const QString& Name);
    // Opens the rename editor over the first selected item, else the hot one;
    // false when there is neither or no editor.
    // FromClipboard: the editor starts with the clipboard's text, when it holds any.
    bool RenameSelected(bool FromClipboard = false);
    // Without an item to move the focus to, the navigation keys scroll the view.
    void ScrollByKey(TKeyCode Key, int Page);
    // The view scrolled by Delta pixels, kept within 0 .. DH_SCROLL_MAX.
    void ScrollBy(int Delta);
    // Whether the hide settings and the quick filter let the item show; what
    // an opened group header shows of its members.
    bool Shows(const TItemData& Item) const;
    // Starts program with each selected file (folders skipped); true when at
    // least one was passed. Every verb opens.
    bool OpenSelected(const QString& AppPath, const QString& Param1);
    void ReDraw();

    // Loads the theme of a place (Folder for tpFolder) on a worker: a
    // folder's own files may be large, hostile or on a volume that does not
    // answer. The fonts, the alignment and a newly read picture replace the
    // current ones on the interface thread when ready; then the background is
    // prepared and the view repainted. A newer load, or StopThreads, drops a
    // load still running.
    void LoadTheme(TThemePlace Place, const QString& Folder = QString());
    // Interface thread: what a theme load read. Picture: it read a picture.
    void TakeTheme(const TFolderTheme& Loaded, bool Picture);

    // --- Grouping ---
    // Regroups the items in the background under new group headers by "Name"
    // (first character of the caption), "Ext" (type extension) or "Path"
    // (containing folder); any other value leaves every item under one hidden
    // "<default>" header. The items keep their order within a section and are
    // never freed; the previous headers are. The result is handed over only
    // while the run is still wanted and the list is still the one it grouped,
    // then arranged. OnTerminated is recorded with the task.
    void GroupItems(const QString& GroupValue, const QString& OnTerminated);
    // Called on the interface thread once a grouping has been handed over and
    // arranged (not for a stopped or refused one).
    std::function<void(TDataHolder* Sender)> OnGrouped;
    // The icon passes over the list as it now is, when there is an icon manager.
    void StartIconTasks();

    // Shared by every holder: the margins kept clear of the bars.
    static TLayoutMargins& Margins();

protected:
    // Whether the rename editor may open over the items (not over a trash's).
    virtual bool ItemsRenamable() const { return true; }
    // A listing is building a new list right now; a grouping of the old one
    // would be replaced at once, so it is not handed over.
    virtual bool ListingRuns() const { return false; }
    // After a grouping was arranged; the base calls OnGrouped.
    virtual void ItemsGrouped();

    TItemList DH_ITEMS;
    TLayoutIndex layoutIndex_;

private:
    // Where a Shift click's range starts: the last item clicked without Shift.
    // Never dereferenced; forgotten whenever the list changes.
    TItemData* anchor_ = nullptr;
    // The press was a Ctrl or Shift click: its release changes nothing.
    bool modifierClick_ = false;
    // Where the keys move from; forgotten, like the anchor, whenever the list
    // changes, so it always points into DH_ITEMS.
    TItemData* focus_ = nullptr;
    // A key moved the focus: it is framed until the next click.
    bool focusShown_ = false;
    TTypeAhead typeAhead_;
    TSmoothScroll wheel_;
    std::unique_ptr<QTimer> wheelTimer_;
    struct TGroupRun;
    void GroupItems_Task(TSmartTask* SmartTask);
    void GroupItems_Task_Terminate(TTaskThread* Sender);
    // Interface thread: what the run groups, and applying its result.
    void TakeGroupSnapshot(TGroupRun& Run) const;
    bool ApplyGrouping(TGroupRun& Run);

    // The latest grouping run was handed over; interface thread only.
    bool groupApplied_ = false;

    bool PassesFilter(const TItemData& Item) const;
    int IndexOf(const TItemData* Item) const;
    // The focus item's index; without one the first selected item's; else -1.
    int FocusIndex() const;
    // The focus goes to the item at index, and the selection follows as the
    // modifiers say (see On_KeyDown).
    void MoveFocus(int index, TShiftState Shift);
    // Selects the visible items between the two indexes (both included, group
    // headers left out); without add the rest is deselected.
    void SelectRange(int from, int to, bool add);
    void ScrollIntoView(const TItemData& Item);
    void OpenFocusItem();
    void DrawFocus(TBitmap32& Canvas);
    void ReleaseSteps(TMouseButton Button, TShiftState Shift, int X, int Y);
    void ShowSelectTip(int X, int Y);
    void DrawEmptyText(TBitmap32& Canvas);
    void HideSelectTip();
};
