#pragma once
// The two bars of a search tab, shown in place of the quick, action and path
// bars while a search tab is active. The upper one ("SearchBarTop") holds the
// start/stop button, the field with the name to search for, the progress bar
// and the number found; the lower one ("SearchBarBottom") the folders the
// search looks in, the button that opens the dialog to change them, and the
// quick filter.
//
// Neither keeps search state of its own: they show and edit the search of the
// active tab, read when they update and when they paint. The search repaints
// the window at every hand-over of results, so the progress, the count and
// the start/stop button follow a running search without a notice of their own.
//
// Threads: the interface thread only.

#include "controls/QV_SmartCtrl.h"
#include "widgets/QV_SmartEdit.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>

class TActionButton;
class TFilterEdit;
class TSearchHolder;
class TSkinBuffer;
class TSmartProgress;

// The search of the active tab, or none when a folder tab is active.
TSearchHolder* ActiveSearch();

// The folders of a search as one line of text, in search order.
QString SearchFoldersText(const QStringList& Paths);

// Where the upper bar's parts go inside its work area: the button at the top
// left, the name field beside it with room for the count on its right, the
// progress bar under the name field to near the right edge.
struct TSearchBarPlaces {
    QRect Button;
    QRect Name;
    QRect Progress;
    QPoint Found;  // the top left of the count's text
};
TSearchBarPlaces PlaceSearchBar(const QRect& Work, int ButtonSize, int NameHeight, int ProgressHeight,
                                int FoundWidth);

// The folders field of the lower bar: it shows the folders and lets them be
// selected and copied, but typing does not change them; a double click opens
// the dialog that does.
class TSearchFoldersEdit : public TSmartEdit {
    QV_SMART_CLASS(TSearchFoldersEdit, TSmartEdit)
public:
    TSearchFoldersEdit();

    void On_KeyPress(QChar& Key) override;
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override;
    TSmartCtrl* On_MouseDouble(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void PasteFromClipboard() override {}
    void CutToClipboard() override { CopyToClipboard(); }
    bool DeleteSelected() override { return false; }
    bool ClearText() override { return false; }
};

class TSearchBar : public TSmartCtrl {
    QV_SMART_CLASS(TSearchBar, TSmartCtrl)
public:
    static constexpr int BarHeight = 78;

    TSearchBar();
    ~TSearchBar() override;

    TControlList* SB_ITEMS = nullptr;
    TSmartEdit* SB_NAME_EDIT = nullptr;
    TActionButton* SB_START = nullptr;  // none without a command registry
    TSmartProgress* SB_PROGRESS = nullptr;

    void LoadTheme();
    void LoadItems();
    // The active search's name := the field's text.
    void SetFileName();
    // The field's text := the active search's name.
    void NAME_EDIT_Update();
    // Enter: starts the active search with the field's name, or stops it
    // when it runs with that name; another name replaces the running search.
    void Search();
    // The button: stops a running search, else starts one.
    void Toggle();
    // "Found:" and the count of the active search; empty without one.
    QString FoundText() const;

    void On_Paint(TBitmap32& SC_CANVAS) override;
    // The height is the bar's own, whatever it is given.
    void On_Resize(int W, int H) override;
    void On_SetHeight(int Value) override;
    void On_Arrange() override;
    void Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y) override;
    void Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y) override;
    void On_Leave(int X, int Y) override;

private:
    // The button's caption and picture say what a click will do.
    void ShowToggleState(bool Searching);

    std::unique_ptr<TSkinBuffer> skin_;
    int toggleState_ = -1;  // unknown, stopped (0), searching (1)
};

class TSearchBarBottom : public TSmartCtrl {
    QV_SMART_CLASS(TSearchBarBottom, TSmartCtrl)
public:
    TSearchBarBottom();
    ~TSearchBarBottom() override;

    TControlList* SBB_ITEMS = nullptr;
    TSearchFoldersEdit* SBB_PATH_EDIT = nullptr;
    TActionButton* SBB_BROWSE = nullptr;  // none without a command registry
    TFilterEdit* SBB_FILTER_EDIT = nullptr;

    void LoadTheme();
    void LoadItems();
    // The field's text := the active search's folders.
    void PATH_EDIT_Update();

    // 25 pixels and the work area's insets, whatever it is given.
    void On_Resize(int W, int H) override;
    void On_SetHeight(int Value) override;
    void On_Arrange() override;
    void Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y) override;
    void Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y) override;
    void On_Leave(int X, int Y) override;

private:
    std::unique_ptr<TSkinBuffer> skin_;
};
