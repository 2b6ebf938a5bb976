#pragma once
// The windowless button every bar, tab strip, menu and search bar is made of:
// a themed background for its state, an icon and/or a caption by its draw
// style, the icon loaded on a lowest-priority task, and its own menu on a right
// click. It has no command of its own; the command buttons derive from it and
// add what a click does.
//
// Threads. The button belongs to the interface thread, except that a bar may
// create it and apply its parameters on a worker while filling a detached list:
// starting the icon load is then carried to the interface thread. The icon
// worker reads only the copies of the command and the image override it was
// started with, and writes only into AB_SKIN, which is safe for that.
//
// Destruction stops the icon task and waits for it before AB_SKIN goes. A
// derived button that overrides LoadImage_Task calls EndLoading() in its own
// destructor, so that no worker runs its override on a half-destroyed object.

#include "controls/QV_SmartCtrl.h"
#include "controls/QV_SmartRect.h"
#include "platform/desktop/QV_Font.h"
#include "platform/image/QV_Bitmap32.h"

#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class TSkinBuffer;
class TSmartTask;
class TTaskThread;

// The mouse state of an action button (the data holders already have a
// TButtonState of their own, the record of the pressed mouse buttons).
enum TActionButtonState { bsNormal, bsHot, bsPressed };
enum TDrawStyle { dsNone, dsIcon, dsTile, dsTileAuto };

// The icon and caption rectangles of a button's work area: a square of the
// area's height at its left edge, cut to the area and centred vertically when
// the cut leaves it narrower than high; the caption from 8 pixels right of the
// icon to 2 pixels short of the area's right edge.
struct TButtonRects {
    TSmartRect Icon;
    TSmartRect Text;
};
TButtonRects ActionButtonRects(const TSmartRect& Work);

// Which file a button's icon comes from: the command's own picture in the
// buttons theme, unless Image names a PNG that exists (a path when it holds a
// delimiter, else a file of the buttons theme). Resolved; may not exist.
QString ButtonIconFile(const QString& Command, const QString& Image);

class TActionButton : public TSmartCtrl {
    QV_SMART_CLASS(TActionButton, TSmartCtrl)
public:
    TActionButton();
    ~TActionButton() override;

    QString AB_CMD;
    QString AB_P1;
    QString AB_P2;
    QString AB_CAPTION = QStringLiteral("New Button");
    QString AB_Dialog;  // kept for the owner; no button reads it
    QString AB_IMAGE;
    TActionButtonState AB_State = bsNormal;
    TDrawStyle AB_STYLE = dsNone;
    TSmartRect AB_RECT_ICON;
    TSmartRect AB_RECT_TEXT;
    const TFont* AB_FONT_N = nullptr;  // not owned; set by an owner
    const TFont* AB_FONT_H = nullptr;
    bool AB_ImageLoaded = false;
    std::unique_ptr<TSkinBuffer> AB_SKIN;  // "ButtonIcon" and a derived button's images
    std::unique_ptr<TSmartTask> LoadTask;

    // --- Overrides of the control base ---
    void On_HandedOver() override;
    void On_Paint(TBitmap32& SC_CANVAS) override;
    void On_Enter(int X, int Y) override;
    void On_Leave(int X, int Y) override;
    // A right release over the button itself pops up its own menu (SC_MENU)
    // through the view; without a menu, nothing happens.
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The icon and caption rectangles follow every move and resize.
    void On_Arrange() override;
    // In dsTileAuto the width follows the caption.
    void On_SetWidth(int Value) override;
    // The base, then the caption (the language text of the command held before
    // the call, unless "Caption"), Dialog, P1, P2, CMD, Image, Style, and the
    // icon load.
    void SetParams(const TParamString& Params) override;

    // --- The button's own operations ---
    virtual void On_DrawImage(TBitmap32& Dest, int X, int Y, int W, int H);
    virtual void On_DrawText(TBitmap32& Dest, const TSmartRect& Rect, const QString& Text);
    // Stops a running load and starts a new one at the lowest priority.
    virtual void LoadImage();
    // Worker: the icon into AB_SKIN as "ButtonIcon". Failures are reported
    // quietly and leave the icon box empty.
    virtual void LoadImage_Task(TSmartTask* SmartTask);
    virtual void LoadImage_Task_Terminate(TTaskThread* Sender);

    // What a screen reader announces for the button.
    virtual QString AccessibleName() const { return AB_CAPTION; }

protected:
    // The task parameters a derived load reads, set by LoadImage before it starts.
    virtual void SetLoadParams(TSmartTask& Task);
    // The load the worker runs, chosen on the interface thread: the worker
    // must not look up a virtual function while a derived destructor runs.
    // A class that overrides LoadImage_Task overrides this with a call to its own.
    virtual std::function<void(TSmartTask*)> IconLoader();
    // Stops the icon task and waits for its runs (see Destruction above).
    void EndLoading();
    // The rectangles from SC_RECT.
    void LayoutRects();
    // Whether the button may keep a finished picture of itself per state and
    // draw that: true while its look depends only on its size, caption, style,
    // fonts and the pictures of its skins. A class that also draws from state
    // of its own (a count, rectangles of its own) answers false.
    virtual bool KeepsPicture() const { return true; }

private:
    // Starts the icon task with the button's present parameters.
    void StartLoading();
    // A load was asked for and has not started: on the worker that filled the
    // button's list, or before the window's first frame.
    bool imagePending_ = false;
    // Expires with the button, for a load it has left waiting.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
    // What a kept picture was made from; a paint that finds anything changed
    // makes it again.
    struct TPictureKey {
        QSize Size;
        QRect Work;  // SC_RECT relative to SC_POS
        QString Caption;
        TDrawStyle Style = dsNone;
        bool Visible = false;
        bool ImageLoaded = false;
        const TSkinBuffer* Skin = nullptr;
        unsigned SkinGeneration = 0;
        unsigned IconGeneration = 0;
        TFont Font;
        bool operator==(const TPictureKey&) const = default;
    };
    struct TPicture {
        bool Made = false;
        TPictureKey Key;
        TBitmap32 Bitmap;
    };
    // The background, icon and caption, drawn shifted by (-Dx, -Dy).
    void PaintFace(TBitmap32& Dest, int Dx, int Dy);
    // The font a caption of the current state is drawn in; the canvas's own
    // when neither the owner nor the skin names one.
    const TFont* StateFont() const;

    std::array<TPicture, 3> pictures_;  // by TActionButtonState
};

// "Buttons" text of the language file for the command, def when there is none.
QString ButtonText(const QString& Command, const QString& def);
