#pragma once
// The view: the one widget that covers the main window's client area. It owns
// the program-wide managers and the windowless controls, keeps the back buffer
// on which the active holder and the controls paint, and routes every mouse
// and key event to a control or, when none takes it, to the active holder.
//
// Nothing paints the window directly: every change calls InvalidateGL, from
// any thread, and the next paint fills the back buffer white, lets the holder
// paint its items, paints the visible controls over them and copies the buffer
// to the window. Requests made before that paint produce one paint.

#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "platform/QV_Report.h"
#include "platform/image/QV_Bitmap32.h"
#include "view/QV_OpenRequests.h"

#include <QHash>
#include <QSet>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QTimer;
class TButtonManager;
class TAboutQorvel;
class TCtrlManager;
class TQV_ControlSettingsFrm;
class TQV_FolderCustomizeFrm;
class TQV_SearchFoldersFrm;
class TQV_SettingsForm;
class TDataCore;
class TIconManager;
class TExtManager;
class TLocaleManager;
class TMenuManager;
class TSmartMenu;
class TRepaintServer;
class TShell;
class TShellUi;
class TSkinBuffer;
class TViewHolder;

// The outside repaint request: the platform's first user message plus 4242.
inline constexpr int QV_MSG_START = 0x0400 + 4242;

class TQorView : public QWidget, public THolderHost {
    Q_OBJECT
public:
    // Creates the view over the whole client area of mainForm, loads the
    // settings, applies the window placement to mainForm, creates the managers,
    // the theme, the click timer, the back buffer and the controls, and tells
    // every control "FolderChanged".
    explicit TQorView(QWidget* mainForm);
    // Saves the window state, then frees the managers in their order.
    ~TQorView() override;

    QTimer* QV_TIMER_CLICK;  // running while the double-click window is open
    QTimer* QV_TIMER_BLINK;  // the edit fields' caret blink
    // Set from a repaint request until the paint begins; requests meanwhile
    // fold into that paint.
    std::atomic<bool> QV_INVALIDATING{false};
    TBitmap32 QV_CANVAS;
    int QV_VISIBLE_W = 0;
    int QV_VISIBLE_H = 0;
    std::unique_ptr<TSkinBuffer> QV_SKIN;  // item and group backgrounds, the select tip
    bool QV_RESTORING = false;             // set while the last session is restored

    // Any thread: marks the whole window for one repaint.
    void InvalidateGL();
    // The view theme entries into QV_SKIN.
    void LoadTheme();
    // QV_MSG_START: repaints and answers 1; any other message answers 0.
    int MessageStart(int message);
    // The active holder's selected items (group headers left out), in list
    // order, one a line: "x y width height name", the rectangle on the view
    // and the name percent-encoded as UTF-8.
    QByteArray SelectionReport() const;
    // The open holders in the data core's order, one a line: "x y width height
    // active id", the rectangle of the holder's tab on the view (all zero when
    // its tab is not shown) and 1 for the active holder.
    QByteArray TabsReport() const;

    TCtrlManager* CtrlManager() const { return ctrlManager_.get(); }
    TLocaleManager* LocaleManager() const { return localeManager_.get(); }
    TIconManager* IconManager() const { return iconManager_.get(); }
    TMenuManager* MenuManager() const { return menuManager_.get(); }
    TExtManager* ExtManager() const { return extManager_.get(); }
    // The registered "SmartMenu" control.
    TSmartMenu* SmartMenu() const { return smartMenu_; }

    TDataCore* DataCore() const { return dataCore_.get(); }

    // Where the view finds the active holder. Without a source it is the data
    // core's current holder.
    void SetHolderSource(std::function<TViewHolder*()> source);
    TViewHolder* ActiveHolder() const;
    // The data core's current holder when it is a file holder.
    TFileHolder* FileHolder() const;

    // --- What the holders ask of the view ---
    TSkinBuffer* ItemSkin() override { return QV_SKIN.get(); }
    void ShowMessage(const QString& Text) override;
    // A window-modal question that does not block the event loop: Run, Open
    // (as a document), Cancel, and a box to remember the choice.
    void AskRun(const QString& Path, std::function<void(TRunAnswer)> Answer) override;
    void PopUpMenu(int X, int Y, const TStringArray& MenuIDs) override;
    void PopUpTypeMenu(int X, int Y, const TStringArray& TypeKeys) override;
    void PopUpButtonMenu(TSmartCtrl* Sender, const TStringArray& MenuIDs) override;
    void PopUpMenuItems(TSmartCtrl* Sender, const QString& Caption, std::unique_ptr<TControlList> Items,
                        int Width) override;
    void PopDownMenu() override;

    // --- Tabs ---
    // None when Path (aliases resolved) is neither "QDrive:\" nor existing.
    TFileHolder* AddFileTab(const QString& Path, bool Active) override;
    // Path: the start folder ("QDrive:\": every local volume); empty: the
    // active tab's folder, or the first folder of the active search.
    TDataHolder* AddSearchTab(const QString& Path, bool Active) override;
    // An unknown ID removes the active holder. Afterwards the left neighbour is
    // active, and there is always a file tab.
    bool RemHolder(const QString& ID) override;
    bool RemHolder(int IDX);
    void RemoveTabs() override;
    void OpenInNewTab() override;
    // The holder with that ID, else the active one.
    void DuplicateHolder(const QString& ID = QString()) override;
    bool ActivateHolder(const QString& ID) override;
    // "Search" or "Explore": which bars show.
    void SwitchMode(const QString& Mode) override;

    // --- Navigation and commands on the active holder ---
    void GoToPath(const QString& Path) override;
    void GoBack() override;
    void GoFwrd() override;
    void GoUp() override;
    void ClipboardCopy() override;
    void FilesSelectAll() override;
    void CreateFolder() override;
    // --- File operations through the shell bridge ---
    void ClipboardCut() override;
    void ClipboardPaste() override;
    void FilesDelete(bool Permanently = false) override;
    void ShowPropDialog() override;
    void DialogOpenWith() override;
    void SystemMenu(QPoint Pos) override;
    void OpenInExplorer() override;
    // Shows the trash place: the tab that shows it already, else a new one.
    void RecycleBinOpen() override;
    void RecycleBinRestore() override;
    void RecycleBinEmpty(bool Confirm) override;
    qint64 RecycleBinCount() override;
    qint64 RecycleBinSize() override;
    TShell* Shell() const { return shell_.get(); }
    // "Name", "Ext" or "Path"; anything else shows the items ungrouped.
    void GroupItems(const QString& By) override;
    void ReloadTheme();
    bool OpenSelected(const QString& AppPath, const QString& Param1) override;
    void FilesRename(bool FromClipboard) override;
    // Start or stop the active tab's search; its folders in their dialog.
    void ToggleSearch() override;
    void DialogSearchFolder() override;
    // The dialogs: each made at its first showing, kept for the window's life,
    // shown without blocking the window.
    void DialogFolder() override;
    void ShowSettings() override;
    void ShowAboutDialog() override;
    void ShowControlItems(const QString& CtrlID) override;
    void ReloadThemes() override;
    TQV_SettingsForm* SettingsForm();
    TQV_FolderCustomizeFrm* FolderCustomizeForm();
    TQV_ControlSettingsFrm* ControlSettingsForm();
    TQV_SearchFoldersFrm* SearchFoldersForm();
    TAboutQorvel* AboutForm();

    // --- The last session ---
    // The open folder tabs (not the quick-drive view) under their list index;
    // nothing before RestoreSession ran, so a window closed early keeps the
    // session it never showed.
    void SaveSession();
    // Opens them again, silently; the last one ends up active.
    void RestoreSession();
    // Each request in a new tab, the last one active; a file's folder opens
    // with the file selected once it is listed. Folders that cannot be opened
    // are left out.
    void OpenRequests(const std::vector<TOpenRequest>& Requests, std::function<void()> Selected = {});

    // Called on a mouse down outside the double-click window, before the
    // control under the pointer is found: the smart menu closes itself there
    // when the point lies outside it.
    std::function<void(int X, int Y)> TryPopDown;

    // Paints done so far.
    int PaintCount() const { return paintCount_; }
    // Every bar and the tab strip have loaded their items once.
    bool BarsLoaded() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Text composed by an input method (dead keys, compose, CJK) goes to the
    // focused edit field like typed text.
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void enterEvent(QEnterEvent* event) override;
    // The hot item and the hot control lose their highlight.
    void leaveEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    TFailureHook previousFailureHook_;
    TQV_SettingsForm* settingsForm_ = nullptr;
    TQV_FolderCustomizeFrm* folderForm_ = nullptr;
    TQV_ControlSettingsFrm* controlForm_ = nullptr;
    TQV_SearchFoldersFrm* searchFoldersForm_ = nullptr;
    TAboutQorvel* aboutForm_ = nullptr;
    void ApplyWindowPlacement(QWidget* mainForm);
    void UpdateWindowTitle();
    // The widgets the view registers itself, in their place of the paint order.
    void CreateControls();
    // Ctrl+F and "/" outside an edit field: the keyboard goes to the quick filter.
    bool FocusQuickFilter(const QKeyEvent* event);
    void MouseDown(QMouseEvent* event);

    std::unique_ptr<TLocaleManager> localeManager_;
    std::unique_ptr<TButtonManager> buttonManager_;
    std::unique_ptr<TExtManager> extManager_;
    std::unique_ptr<TMenuManager> menuManager_;
    TSmartMenu* smartMenu_ = nullptr;  // owned by the control manager
    QSet<int> menuKeys_;               // pressed while the menu was open
    std::unique_ptr<TCtrlManager> ctrlManager_;
    std::unique_ptr<TIconManager> iconManager_;
    TRepaintServer* repaintServer_ = nullptr;
    std::function<TViewHolder*()> holderSource_;
    std::unique_ptr<TDataCore> dataCore_;
    int paintCount_ = 0;
    bool firstPaintReported_ = false;
    bool firstFrameDone_ = false;
    QSize preparedStoreSize_;  // of the window buffer last mapped in ahead
    void FirstFrameDone();
    bool sessionRestored_ = false;
    // The modifiers held when each key still down was pressed: its release
    // acts with them, whichever was let go first.
    QHash<int, TShiftState> pressedShift_;
    std::unique_ptr<TShellUi> shellUi_;
    std::unique_ptr<TShell> shell_;
};

// The process-wide view, set for its lifetime; nil before and after.
TQorView* QorView();
