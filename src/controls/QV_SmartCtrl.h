#pragma once
// Windowless smart controls: a rectangle in the view's client coordinates with
// a skin, a layout side, a visibility flag and named child lists of further
// controls. A control paints itself and its children, tracks its hot child
// (under the mouse) and its focused child, and hands mouse and key events down.
//
// Every behaviour a concrete control changes is one of the 34 virtual
// operations below, declared in their fixed order. A mouse handler answers the
// control that took the event: a child, the control itself when no child took
// it, or nil when the control is hidden. Pointers to controls never own them,
// except inside a TControlList.
//
// Threads. Controls, and the child lists attached to them, belong to the main
// thread: painting, hit testing and every change of an attached list happen
// there, so no lock is needed and none is taken while painting. A worker that
// builds children (a bar loading its items in a task) fills a detached
// TControlList of its own and hands it over with HandOverItems, which runs on
// the main thread and swaps the whole list in at once; a paint or hit test
// therefore sees either the old children or the new ones, never a list being
// filled. As a safety net, AddControl, Delete and Clear on an attached list
// called from another thread carry themselves to the main thread through
// Synchronize. Reading an attached list from a worker is not allowed.

#include "controls/QV_InputTypes.h"
#include "controls/QV_SmartRect.h"
#include "foundation/QV_PaintUtils.h"
#include "foundation/QV_Utils.h"

#include <QChar>
#include <QPoint>
#include <QString>

#include <memory>
#include <vector>

class TBitmap32;
class TControlList;
class TSkinBuffer;

enum TAlignSide { asNone, asLeft, asRight, asTop, asBot, asLeftCenter, asRightCenter, asTopCenter, asBotCenter };
enum TFitMode { fmWidth, fmHeight, fmBoth, fmNone };
enum TCtrlState { csNormal, csHot };

// What ClassIs compares: a control class and its direct base.
struct TCtrlClass {
    const char* Name;
    const TCtrlClass* Parent;
};

// Gives a control class its class record; put it first in the class body of
// every TSmartCtrl descendant that ClassIs should tell apart. Leaves the body
// in private access, as the class key would.
#define QV_SMART_CLASS(ClassName, BaseName)                                                                \
public:                                                                                                    \
    static const TCtrlClass* StaticClass()                                                                 \
    {                                                                                                      \
        static const TCtrlClass info{#ClassName, BaseName::StaticClass()};                                 \
        return &info;                                                                                      \
    }                                                                                                      \
    const TCtrlClass* ClassType() const override { return StaticClass(); }                                 \
                                                                                                           \
private:

class TSmartCtrl {
public:
    TSmartCtrl();
    virtual ~TSmartCtrl();
    TSmartCtrl(const TSmartCtrl&) = delete;
    TSmartCtrl& operator=(const TSmartCtrl&) = delete;

    static const TCtrlClass* StaticClass();
    virtual const TCtrlClass* ClassType() const { return StaticClass(); }
    QString ClassName() const { return QString::fromLatin1(ClassType()->Name); }

    // True when the control's class is SearchClass or SearchClass is the direct
    // base of the control's class (one level only).
    bool ClassIs(const TCtrlClass* SearchClass) const;
    template <class T>
    bool ClassIs() const
    {
        return ClassIs(T::StaticClass());
    }

    // --- Fields ---
    TSmartCtrl* SC_ACTIVE_TRY = nullptr;  // the child found by the last hit test
    TSmartCtrl* SC_FOCUSE_TRY = nullptr;  // the child found by the last focusing hit test
    QString SC_ID;                         // "TSmartCtrl" + MakeID() at creation
    QPoint SC_POS;                         // top-left corner in view coordinates
    qint32 SC_LEFT = 0, SC_TOP = 0, SC_RIGHT = 0, SC_BOTTOM = 0;  // unused by the framework
    qint32 SC_WIDTH = 50, SC_HEIGHT = 50;
    qint32 SC_WIDTH_MIN = 100, SC_HEIGHT_MIN = 100;
    // Insets of the work area from the control's edges (the theme's "WorkArea").
    qint32 SC_OFFSET_LEFT = 0, SC_OFFSET_TOP = 0, SC_OFFSET_BOTTOM = 0, SC_OFFSET_RIGHT = 0;
    TSmartRect SC_RECT;       // the work area
    TSmartRect SC_RECT_MAIN;  // the whole control
    // Not owned by the base: each concrete control frees its own, and a bar's
    // items borrow the bar's.
    TSkinBuffer* SC_SKIN = nullptr;
    bool SC_VISIBLE = true;
    bool SC_ENABLED = true;    // a disabled top-level control is never hit by the manager
    bool SC_CAN_FOCUS = true;  // not consulted by the framework
    bool SC_FOCUSED = false;
    TAlignSide SC_ALIGN = asNone;
    bool SC_CENTER = false;  // vertical centring of left and right controls
    TSmartCtrl* SC_PARENT = nullptr;
    TSmartCtrl* SC_SENDER = nullptr;  // the control on whose behalf this one exists
    QString SC_MENU;
    TFitMode SC_FIT_MODE = fmNone;
    // In the order they were added. Lists with AutoFree are destroyed with the
    // control; the others belong to whoever made them.
    std::vector<TControlList*> SC_LIST;
    TSmartCtrl* SC_FOCUSE = nullptr;  // the focused child
    TSmartCtrl* SC_ACTIVE = nullptr;  // the hot child
    TCtrlState SC_STATE = csNormal;
    std::vector<TSmartCtrl*> SC_PARENTS;  // unused by the framework
    TResizeParams SC_PARAMS;              // scratch record for theme loading

    // --- The 34 operations, in slot order ---
    // 1: the "ControlBack" image over the control, then the visible children.
    virtual void On_Paint(TBitmap32& SC_CANVAS);
    // 2, 3: hot state; leaving also clears the hot child and leaves every child.
    virtual void On_Enter(int X, int Y);
    virtual void On_Leave(int X, int Y);
    // 4, 5: answer the control itself.
    virtual TSmartCtrl* On_Focus(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual TSmartCtrl* On_UnFocus(TMouseButton Button, TShiftState Shift, int X, int Y);
    // 6: W and H are the view's client size, not the control's.
    virtual void On_Resize(int W, int H);
    // 7: concrete controls place their children here.
    virtual void On_Arrange();
    virtual void On_Show();  // 8
    virtual void On_Hide();  // 9
    // 10-12: passed to the focused child; a hidden control takes none.
    virtual void On_KeyPress(QChar& Key);
    virtual void On_KeyDown(TKeyCode& Key, TShiftState Shift);
    virtual void On_KeyUp(TKeyCode& Key, TShiftState Shift);
    // 13-17: the item hit test, then the hit child's item_* operation; nil
    // from a hidden control.
    virtual TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual TSmartCtrl* On_MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual TSmartCtrl* On_MouseMove(TShiftState Shift, int X, int Y);
    virtual TSmartCtrl* On_MouseWheel(TWMMouseWheel& Msg);
    virtual TSmartCtrl* On_MouseDouble(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void On_Update();                          // 18
    virtual void On_SetWidth(int Value);               // 19
    virtual void On_SetHeight(int Value);              // 20
    virtual void On_SetAlign(TAlignSide Value);        // 21
    virtual void On_SetSkin(TSkinBuffer* Value);       // 22
    // 23: the right and bottom edges count as inside.
    virtual bool Is_Control(int X, int Y) const;
    // 24-31: a parent's reaction to its children; nil children are skipped.
    virtual void Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y);
    virtual void Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y);
    virtual void Item_Focus(TSmartCtrl* SmartCtrl, int X, int Y);
    virtual void Item_UnFocus(TSmartCtrl* SmartCtrl, int X, int Y);
    virtual TSmartCtrl* Item_MouseUp(TSmartCtrl* Sender, TSmartCtrl* SmartCtrl, TMouseButton Button,
                                     TShiftState Shift, int X, int Y);
    virtual TSmartCtrl* Item_MouseDown(TSmartCtrl* SmartCtrl, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual TSmartCtrl* Item_MouseMove(TSmartCtrl* SmartCtrl, TShiftState Shift, int X, int Y);
    virtual TSmartCtrl* Item_MouseDouble(TSmartCtrl* SmartCtrl, TMouseButton Button, TShiftState Shift, int X,
                                         int Y);
    // 32: forgets hot and focused children without telling them.
    virtual void Reset();
    // 33: passed to the visible children.
    virtual void EventNotify(const QString& ID);
    // On the interface thread, for each control of a list a worker filled once
    // HandOverItems has put it in place: work a control could not start on
    // the worker starts here. By default passed to the control's own lists.
    virtual void On_HandedOver();
    // 34: CMD + Param1 + Param2 as identifier, Width, Height, Menu, Fit, Align
    // (absent Align means left). A malformed Width or Height keeps the size.
    virtual void SetParams(const TParamString& Params);

    // --- Properties ---
    QString ID() const { return SC_ID; }
    void SetID(const QString& Value) { SC_ID = Value; }
    QPoint Position() const { return SC_POS; }
    // Stores, recomputes the rectangles, then On_Arrange.
    void SetPosition(QPoint Value);
    int Width() const { return SC_WIDTH; }
    int Height() const { return SC_HEIGHT; }
    // On_SetWidth / On_SetHeight, the rectangles, then On_Arrange.
    void SetWidth(int Value);
    void SetHeight(int Value);
    bool Visible() const { return SC_VISIBLE; }
    void SetVisible(bool Value);  // On_Show or On_Hide
    TAlignSide Align() const { return SC_ALIGN; }
    void SetAlign(TAlignSide Value) { On_SetAlign(Value); }
    TSmartCtrl* Parent() const { return SC_PARENT; }
    TSkinBuffer* Skin() const { return SC_SKIN; }
    void SetSkin(TSkinBuffer* Value) { On_SetSkin(Value); }

    // --- Other operations ---
    // Asks the control manager to make this the focused top-level control.
    TSmartCtrl* Focus(TMouseButton Button, TShiftState Shift);
    TSmartCtrl* IsControl(int X, int Y) const;
    // The first visible entry, in index order, whose Is_Control holds.
    TSmartCtrl* ItemAtXY(const TControlList* List, int X, int Y) const;
    // The item hit test over all child lists, one list, or the given lists:
    // earlier lists win, Leave comes before Enter, Focus before UnFocus.
    // Answers SC_ACTIVE.
    TSmartCtrl* ItemNotify(int X, int Y, bool Focus);
    TSmartCtrl* ItemNotify(TControlList* List, int X, int Y, bool Focus);
    TSmartCtrl* ItemNotify(const std::vector<TControlList*>& Lists, int X, int Y, bool Focus);
    // Appends a new, auto-freed child list.
    TControlList* AddList(const QString& ID);
    // Forgets the hot and focused children, then destroys entry IDX.
    void RemoveChild(TControlList* List, int IDX);
    // Adds this control to the parent's child list number List; a missing list
    // leaves this control detached and unowned (the caller still owns it).
    // Answers whether it was added.
    bool SetParent(TSmartCtrl* SmartCtrl, int List = 0);
    // Replaces the entries of List, one of this control's child lists, with
    // those of Items, destroying the old entries; hot and focus pointers into the
    // old entries are forgotten. Callable from any thread: it runs on the main
    // thread (see Threads above).
    void HandOverItems(TControlList* List, std::unique_ptr<TControlList> Items);
    // A repaint of the view's whole canvas; there is no per-control dirty area.
    void ReDraw();
    void Update() { On_Update(); }

protected:
    // SC_RECT and SC_RECT_MAIN from the position, the size and the insets.
    void UpdateRects();
};

// An owning list of controls: removing an entry or destroying the list
// destroys the control.
class TControlList {
public:
    TControlList();
    virtual ~TControlList();
    TControlList(const TControlList&) = delete;
    TControlList& operator=(const TControlList&) = delete;

    QString CL_ID;              // "TControlList" + MakeID(), usually replaced by AddList
    bool CL_AUTO_FREE = true;   // the owning control destroys the list with itself
    bool CL_ADD_DUPS = true;    // two controls with one SC_ID may be listed

    bool AutoFree() const { return CL_AUTO_FREE; }
    void SetAutoFree(bool Value) { CL_AUTO_FREE = Value; }
    bool AddDuplicates() const { return CL_ADD_DUPS; }
    void SetAddDuplicates(bool Value) { CL_ADD_DUPS = Value; }

    // Takes ownership. Nil for nil; with AddDuplicates off, a control whose
    // SC_ID is already listed is destroyed and the answer is nil.
    TSmartCtrl* AddControl(TSmartCtrl* SmartCtrl);
    int Count() const { return int(items_.size()); }
    // Nil outside 0 .. Count() - 1.
    TSmartCtrl* Control(int IDX) const;
    int IndexOf(const TSmartCtrl* SmartCtrl) const;
    // The first entry whose Is_Control holds, visible or not.
    TSmartCtrl* ControlAtXY(int X, int Y) const;
    // From StartIDX - 1 down to 0, the first visible entry aligned Align.
    bool LastVisible(TSmartCtrl*& SmartCtrl, int StartIDX, TAlignSide Align) const;
    bool ControlExists(const QString& ID) const;
    // Destroys entry IDX (nothing outside the list) or every entry.
    void Delete(int IDX);
    // Hands entry IDX over to the caller, unlisted; nil outside the list.
    std::unique_ptr<TSmartCtrl> Take(int IDX);
    void Clear();

    // The same-named operation on every visible entry, in index order.
    void Force_On_Update();
    void Force_On_UnFocus(TMouseButton Button, TShiftState Shift, int X, int Y);
    void Force_On_Enter(int X, int Y);
    void Force_On_Leave(int X, int Y);
    void Force_On_Paint(TBitmap32& SC_CANVAS);
    void Force_On_Resize(int W, int H);
    void NotifyEvent(const QString& ID);

    // The control this list is attached to (by AddList), or nil.
    TSmartCtrl* Owner() const { return owner_; }

protected:
    // Slot 1 of the list: appends and answers the control.
    virtual TSmartCtrl* On_AddControl(TSmartCtrl* SmartCtrl);

private:
    friend class TSmartCtrl;
    // True when the call must be carried to the main thread first.
    bool OffMainThread() const;

    std::vector<std::unique_ptr<TSmartCtrl>> items_;
    TSmartCtrl* owner_ = nullptr;
};
