#pragma once
// The one themed popup menu of the view, registered as "SmartMenu". A menu's
// content arrives as a TMenuHolder: a caption and a list of item controls. The
// menu stacks the holders it is given while open: a further menu replaces the
// visible list in place and a back button with the depth number leads back.
// It closes when an item is chosen with the left button, when Escape is
// pressed, or when the mouse is pressed anywhere outside it.
//
// Keyboard, while open: Up and Down move the hot item, Enter or Space choose
// it, Right opens its own menu, Left or Backspace go back a level, Escape
// closes, and a letter moves to the next item whose caption starts with it.
//
// Threads: the interface thread only.

#include "controls/QV_SmartCtrl.h"
#include "foundation/QV_PaintUtils.h"
#include "platform/desktop/QV_Font.h"

#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TSkinBuffer;

class TMenuHolder : public TSmartCtrl {
    QV_SMART_CLASS(TMenuHolder, TSmartCtrl)
public:
    TMenuHolder();

    QString MH_CAPTION = QStringLiteral("Menu Holder");
    // The items; of two with the same identifier only the first enters.
    TControlList* MH_LIST;

    // Takes the rectangle as its place.
    void Place(const QRect& Rect);
};

// What the menu needs to know of its items beyond the control base: which of
// them are command buttons (chosen with a left click, which closes the menu),
// how to draw them as menu rows or as the back icon, and their captions for
// the first-letter search. A menu starts with the command registry's buttons
// (ActionButtonTraits); without traits every item counts as a button and keeps
// its own look.
enum TMenuItemLook { mlTile, mlIcon };
struct TMenuItemTraits {
    std::function<bool(const TSmartCtrl* Item)> IsButton;
    std::function<void(TSmartCtrl* Item, TMenuItemLook Look)> SetLook;
    std::function<QString(const TSmartCtrl* Item)> Caption;
};

class TSmartMenu : public TSmartCtrl {
    QV_SMART_CLASS(TSmartMenu, TSmartCtrl)
public:
    TSmartMenu();
    ~TSmartMenu() override;

    TFont SM_FONT_N;  // the title
    TFont SM_FONT_H;
    // Owns the holders of the open popup, from the first menu to the one on view.
    TControlList* SM_LIST;
    TMenuHolder* SM_HOLDER = nullptr;  // on view; nil while closed
    TSmartRect SM_RECT_TITLE;
    bool SM_SHOWING = false;
    // Made on the first popup through the control manager; painted and hit
    // tested by the menu itself, in no child list. Nil when nothing makes it.
    std::unique_ptr<TSmartCtrl> SM_BACK;
    QRect SM_RECT_BACK;  // where the back button is, made or not
    qint32 SM_HOLDER_IDX = -1;  // depth of the holder on view; -1 while closed

    TMenuItemTraits ItemTraits;
    // Opens the named menu on behalf of Sender: the Right key uses it on an
    // item that has a menu of its own.
    std::function<void(TSmartCtrl* Sender, const QString& MenuID)> OpenMenu;

    // Takes MenuHolder in every case: keeps it or destroys it. Nil or empty
    // holders show nothing; the holder already on view again changes nothing.
    void PopUp(int X, int Y, TSmartCtrl* Sender, TMenuHolder* MenuHolder);
    void PopUp(int X, int Y, TMenuHolder* MenuHolder) { PopUp(X, Y, nullptr, MenuHolder); }
    void PopUp(TSmartCtrl* Sender, TMenuHolder* MenuHolder) { PopUp(SC_POS.x(), SC_POS.y(), Sender, MenuHolder); }
    // Closes and destroys every holder with its items.
    void PopDown();
    // Closes when open and the point lies outside the menu.
    void TryPopDown(int X, int Y);
    // One level back; nothing at the first level.
    void PrevMenu();
    TMenuHolder* AddHolder(TMenuHolder* MenuHolder);
    void LoadTheme();
    // The skin the menu draws with and lends its items; owned.
    TSkinBuffer* MenuSkin() const { return skin_.get(); }

    void On_Resize(int W, int H) override;
    void On_Paint(TBitmap32& SC_CANVAS) override;
    void On_Arrange() override;
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void On_KeyDown(TKeyCode& Key, TShiftState Shift) override;
    void On_KeyPress(QChar& Key) override;

    // The item the keyboard or the mouse made hot in the holder on view.
    TSmartCtrl* HotItem() const;

private:
    QSize ViewSize() const;
    void PullIntoView();
    bool IsButton(const TSmartCtrl* Item) const;
    void MakeBackButton();
    // Moves the hot item to the next visible one in Step's direction,
    // wrapping around, or to the first one matching the caption's letter.
    void MoveHot(TSmartCtrl* Item);
    void StepHot(int Step);
    void ClickItem(TSmartCtrl* Item, TMouseButton Button);

    std::unique_ptr<TSkinBuffer> skin_;
    // Holders closed while one of their items was still handling the event
    // that closed them; destroyed once the menu's own handling ends.
    std::vector<std::unique_ptr<TControlList>> retired_;
    int dispatching_ = 0;
};
