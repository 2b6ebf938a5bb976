#pragma once
// What the view asks of the active data holder: the events no windowless
// control takes, and its picture under the controls. The data holders
// implement it; the view finds the active one through the source it is given.

#include "controls/QV_InputTypes.h"

#include <QChar>

class TBitmap32;

class TViewHolder {
public:
    virtual ~TViewHolder() = default;

    // Paints every pixel of the canvas: the view does not clear it first.
    virtual void On_Paint(TBitmap32& DH_CANVAS) = 0;
    // W and H are the view's client size.
    virtual void On_Resize(int W, int H) = 0;
    virtual void On_KeyPress(QChar& Key) = 0;
    virtual void On_KeyDown(TKeyCode& Key, TShiftState Shift) = 0;
    virtual void On_KeyUp(TKeyCode& Key, TShiftState Shift) = 0;
    virtual TViewHolder* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) = 0;
    virtual TViewHolder* On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) = 0;
    virtual TViewHolder* On_MouseMove(TShiftState Shift, int X, int Y) = 0;
    virtual TViewHolder* On_MouseWheel(TWMMouseWheel& Msg) = 0;
    virtual void On_DblClick(TMouseButton Button, TShiftState Shift, int X, int Y) = 0;
    // A rubber band is being dragged (DH_SELECTING): mouse moves and ups then
    // go to the holder even over a control.
    virtual bool Selecting() const = 0;
    // The pointer left the window: nothing under it is hot any more.
    virtual void PointerLeft() {}
};
