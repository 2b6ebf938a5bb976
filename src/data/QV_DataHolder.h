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
#include "data/QV_HolderLayout.h"
#include "data/QV_ItemData.h"
#include "foundation/QV_System.h"
#include "icons/QV_IconTypes.h"
#include "tasks/QV_SmartTask.h"

#include <QPoint>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class TDataHolder : public TViewHolder, public TIconHost {
public:
    TDataHolder();
    // Stops the tasks and waits for them before the items and the theme go.
    ~TDataHolder() override;
    TDataHolder(const TDataHolder&) = delete;
    TDataHolder& operator=(const TDataHolder&) = delete;

    int DH_SCROLL_TMP = 0;
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
    void On_KeyPress(QChar& Key) override;
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override;
    // The common keys on release: Alt+Enter, Ctrl+1, Ctrl+2, Ctrl+3, Delete.
    void On_KeyUp(TKeyCode& Key, TShiftState Shift) override;
    // The selection protocol of the three buttons.
    TDataHolder* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TDataHolder* On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TDataHolder* On_MouseMove(TShiftState Shift, int X, int Y) override;
    // The smooth scroll: one notch moves 35 x WheelScroll pixels in seven
    // decreasing steps, serving pending events between them.
    TDataHolder* On_MouseWheel(TWMMouseWheel& Msg) override;
    // The item under the pointer gets its double click.
    void On_DblClick(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    virtual void On_Update();
    virtual void On_Activate();
    virtual void On_DeActivate();
    virtual void StopThreads();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    virtual void ThemeLoad();
    virtual void CopyToClipboard();
    // The menu keys of the selection: ID_MENU, else FD_EXT, each once.
    virtual TStringArray BuildMenu();

    bool Selecting() const override { return DH_SELECTING; }
    void PointerLeft() override;
    // A left click with Ctrl (toggle one) or Shift (range from the anchor).
    void ModifierClick(TItemData* item, TShiftState Shift, int X, int Y);

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
    // Ctrl + right click: the shell's context menu of the selection; nothing here.
    virtual void ShowContextMenu(QPoint Pos);

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
    void UpdateBackground();
    void QuickFilter(const QString& Text);
    // Whether the hide settings and the quick filter let the item show; what
    // an opened group header shows of its members.
    bool Shows(const TItemData& Item) const;
    // Starts program with each selected file (folders skipped); true when at
    // least one was passed. Every verb opens.
    bool OpenSelected(const QString& AppPath, const QString& Param1);
    void ReDraw();

    // Loads the theme of a place, prepares the background and repaints.
    void LoadTheme(const TFolderThemeSource& Source);

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
    // Runs pending events between the steps of a wheel scroll; the default
    // processes the application's events. Empty: no pumping.
    static std::function<void()>& MessagePump();

protected:
    // A listing is building a new list right now; a grouping of the old one
    // would be replaced at once, so it is not handed over.
    virtual bool ListingRuns() const { return false; }
    // After a grouping was arranged; the base calls OnGrouped.
    virtual void ItemsGrouped();

    TItemList DH_ITEMS;
    TLayoutIndex layoutIndex_;
    // Cleared by the destructor; what a re-entered wheel loop checks.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

private:
    // Where a Shift click's range starts: the last item clicked without Shift.
    // Never dereferenced; forgotten whenever the list changes.
    TItemData* anchor_ = nullptr;
    // The press was a Ctrl or Shift click: its release changes nothing.
    bool modifierClick_ = false;
    struct TGroupRun;
    void GroupItems_Task(TSmartTask* SmartTask);
    void GroupItems_Task_Terminate(TTaskThread* Sender);
    // Interface thread: what the run groups, and applying its result.
    void TakeGroupSnapshot(TGroupRun& Run) const;
    bool ApplyGrouping(TGroupRun& Run);

    // The latest grouping run was handed over; interface thread only.
    bool groupApplied_ = false;

    bool PassesFilter(const TItemData& Item) const;
    void ReleaseSteps(TMouseButton Button, TShiftState Shift, int X, int Y);
    void ShowSelectTip(int X, int Y);
    void DrawEmptyText(TBitmap32& Canvas);
    void HideSelectTip();
};
