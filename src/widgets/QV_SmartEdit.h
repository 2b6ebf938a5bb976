#pragma once
// The one single-line edit control of the program and its three variants:
// TFilterEdit, the quick filter of the active holder; TRenameEdit, the
// in-place editor over an item; TPathEdit, the path field that shows the
// current folder and turns into an editor on demand.
//
// The text and what keys do to it live in a TEditModel; the control measures
// it in its font, scrolls it horizontally so the caret stays in view, paints
// it from its theme and maps the mouse onto caret places. The SE_ fields
// mirror the model after every change: SE_SELIDX_FIRST is the caret place
// (0 before the first character, n after the n-th) or, with a selection, its
// first character (1-based) and SE_SELIDX_LAST its last.
//
// Threads: main thread only. The caret blinks through SE_TIMER, ticked by the
// view's clock (QV_BlinkTimer.h).

#include "controls/QV_SmartCtrl.h"
#include "data/QV_HolderHost.h"
#include "widgets/QV_BlinkTimer.h"
#include "widgets/QV_EditModel.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TItemData;
class TDataHolder;

enum TCurretAlign { caBefore, caAfter };

class TSmartEdit : public TSmartCtrl {
    QV_SMART_CLASS(TSmartEdit, TSmartCtrl)
public:
    TSmartEdit();
    ~TSmartEdit() override;

    TBlinkTimer SE_TIMER;
    QString SE_TEXT;     // written directly by an owner, it is taken over on the next update
    QString SE_TEXT_NA;  // shown while unfocused and empty
    QString SE_SEL_TEXT;
    QPoint SE_CURRPOS;
    TCurretAlign SE_CURRET_ALIGN = caAfter;
    QPoint SE_SEL_POS_START;  // where the drag began
    int SE_SELIDX_FIRST = 0;
    int SE_SELIDX_LAST = 0;
    int SE_OFFSET_IDX = 1;  // the first visible character, 1-based
    int SE_SEL_CNT = 0;
    bool SE_SELECTING = false;
    bool SE_LEFTDOWN = false;
    bool SE_SHOW_CURRET = false;
    TSmartRect SE_SEL_RECT;
    bool SE_DRAW_SEL_RECT = false;
    QString SE_TT;

    std::function<void(QChar& Key)> On_KeyPressEvent;
    std::function<void(TKeyCode& Key, TShiftState Shift)> On_KeyDownEvent;
    std::function<void()> On_UpdateEvent;
    std::function<void()> On_TextChangedEvent;
    std::function<void()> On_TextApplyEvent;

    void On_Paint(TBitmap32& SC_CANVAS) override;
    void On_Leave(int X, int Y) override;
    TSmartCtrl* On_Focus(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_UnFocus(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void On_Resize(int W, int H) override;
    void On_Update() override;
    void On_KeyPress(QChar& Key) override;
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override;
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_MouseMove(TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_MouseWheel(TWMMouseWheel& Msg) override;
    TSmartCtrl* On_MouseDouble(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    virtual void LoadTheme();
    virtual void TypeText(QChar Key);
    virtual void TypeText(const QString& Text);
    virtual void CopyToClipboard();
    virtual void PasteFromClipboard();
    virtual void CutToClipboard();
    virtual bool DeleteSelected();
    virtual bool ClearText();

    void BlinkCurret();
    // The canvas place of the caret at place IDX.
    QPoint CharToPos(int IDX);
    // The caret place nearest X; also moves SE_CURRPOS there.
    int GetCharIDX(int X, int Y);
    // The characters that fit the work area from SE_OFFSET_IDX on.
    QString GetText();
    // Characters FirstChar .. LastChar (1-based); nothing when LastChar < FirstChar.
    void SelectText(int FirstChar, int LastChar, int X, int Y);
    void DeSelectText();
    void UpdateCursor();
    void TextChanged();

    // Replaces the text from outside, as an owner does; no undo step, no events.
    void SetText(const QString& Text);
    // Text an input method composed, inserted at the caret like typing.
    void InsertComposed(const QString& Text);
    const TEditModel& Model() const { return model_; }
    // The caret place in view coordinates, for the input method's popup.
    QRect CaretRect();

protected:
    // After every change the user made to the text (typing, deleting, paste,
    // cut, undo, composed text).
    virtual void TextEdited() {}
    // The editing keys; false for keys the field leaves alone.
    bool EditKey(TKeyCode Key, TShiftState Shift);
    // The model into the SE_ fields, the scroll and the caret place; redraws.
    void Sync();
    // Takes over an SE_TEXT an owner wrote directly.
    void AdoptOutsideText();
    // Text measured in the font the text is drawn in.
    const std::vector<int>& Places();
    int TextWidthOf(const QString& Text);
    void Beep();

    TEditModel model_;
    QString fontFocused_ = QStringLiteral("Text.Focused");
    QString fontNormal_ = QStringLiteral("Text.Normal");
    std::unique_ptr<TSkinBuffer> ownSkin_;

private:
    void ScrollToCaret();
    int PlaceX(int Place);  // from the work area's left edge
    std::vector<int> places_;
    QString placesText_;
    bool placesValid_ = false;
};

// What a refused or noted key sounds like; tests count it.
std::function<void()>& EditBeepHook();

class TFilterEdit : public TSmartEdit {
    QV_SMART_CLASS(TFilterEdit, TSmartEdit)
public:
    TFilterEdit();

    TSmartCtrl* On_Focus(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override;
    void On_Update() override;
    void SetParams(const TParamString& Params) override;
    // The active holder's quick filter := the text.
    void QFilter();

protected:
    void TextEdited() override { QFilter(); }
};

class TRenameEdit : public TSmartEdit, public TRenameEditApi {
    QV_SMART_CLASS(TRenameEdit, TSmartEdit)
public:
    TRenameEdit();

    TItemData* RenameObject = nullptr;  // not owned; checked before use

    void On_KeyPress(QChar& Key) override;
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override;
    void On_Resize(int W, int H) override;
    void ApplyRename() override;
    void CancelRename();
    void PopUp(int X, int Y, TItemData* ItemData) override;
    void PopUp(int X, int Y, TItemData* ItemData, const QString& Text) override;

private:
    // The item as it was when the editor opened: a listing may have freed it
    // since, and a new item may even sit at its address.
    TDataHolder* holder_ = nullptr;
    QString itemPath_;
    TItemData* LiveObject() const;
};

enum TPathMode { pm_Edit, pm_Bread };

class TPathEdit : public TSmartEdit {
    QV_SMART_CLASS(TPathEdit, TSmartEdit)
public:
    TPathEdit();

    TPathMode PE_MODE = pm_Bread;

    void LoadTheme() override;
    void On_Paint(TBitmap32& SC_CANVAS) override;
    TSmartCtrl* On_Focus(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_UnFocus(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void On_KeyPress(QChar& Key) override;
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override;
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_MouseMove(TShiftState Shift, int X, int Y) override;
    TSmartCtrl* On_MouseDouble(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void On_Update() override;

    // Into the editor with the whole path selected, as after a double click.
    void BeginEdit();
    // Back to showing the current folder.
    void EndEdit();
    // Goes where the text says; a place that does not exist is reported and
    // the text stays for correction. Answers whether it went.
    bool Navigate();
    // Tab: completes the last part of the text to a folder name.
    bool Complete();
};
