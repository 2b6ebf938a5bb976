#pragma once
// The three bars of configurable items: the quick bar under the tab strip
// ("QuickBar"), the path bar at the bottom ("PathBar") and the action bar at
// the left ("ActionBar"). Each fills itself from "<Name>.Items" of the
// settings file on a worker (lines whose command nothing makes give no item),
// lays its items out its own way, shows an item's caption as a tip while the
// mouse is over it, and pops up its own menu on a right click where no item is.
//
// The quick bar hides left items from the end when they do not fit beside the
// right ones; the path bar gives what its fixed items leave to the stretching
// ones (the path field); the action bar stacks its items and is as high as
// they need, centred between the top and bottom bars, hiding items from the
// end when the window is too low for them.

#include "controls/QV_SmartCtrl.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"

#include <algorithm>
#include <memory>

class TBarItemLoader;

class TItemBar : public TSmartCtrl, public TItemsBarApi {
    QV_SMART_CLASS(TItemBar, TSmartCtrl)
public:
    // Name is the identifier, the theme section, the menu and, with ".Items",
    // the settings section of the items. IconStyle draws the buttons as icons.
    TItemBar(const QString& Name, const TBarSettings& Settings, bool IconStyle);
    ~TItemBar() override;

    TControlList* Items() const { return items_; }
    void LoadTheme();
    // Starts the load of the items.
    void LoadItems() override;
    // Loads that ended since creation (for the tests).
    int ItemLoads() const;

    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Item_Enter(TSmartCtrl* SmartCtrl, int X, int Y) override;
    void Item_Leave(TSmartCtrl* SmartCtrl, int X, int Y) override;
    void On_Leave(int X, int Y) override;

protected:
    // A damaged settings file's negative or absurd values: none, or a screen's worth.
    int ItemSize() const { return std::clamp(int(settings_.ItemSize), 0, 1 << 14); }
    int ItemSpacing() const { return std::clamp(int(settings_.ItemSpacing), 0, 1 << 14); }

    const TBarSettings& settings_;

private:
    QString name_;
    TControlList* items_ = nullptr;
    std::unique_ptr<TSkinBuffer> skin_;
    std::unique_ptr<TBarItemLoader> loader_;
};

class TQuickBar : public TItemBar {
    QV_SMART_CLASS(TQuickBar, TItemBar)
public:
    TQuickBar();
    void On_Arrange() override;
    void On_Resize(int W, int H) override;
};

class TPathBar : public TItemBar {
    QV_SMART_CLASS(TPathBar, TItemBar)
public:
    TPathBar();
    void On_Arrange() override;
    void On_Resize(int W, int H) override;
};

class TActionBar : public TItemBar {
    QV_SMART_CLASS(TActionBar, TItemBar)
public:
    TActionBar();
    void On_Arrange() override;
    void On_Resize(int W, int H) override;
    void On_SetWidth(int Value) override;
    void On_SetHeight(int Value) override;

private:
    // The band between the top and bottom bars, its top, and whether the
    // manager knows the view's size yet.
    bool Band(int& Top, int& Height) const;
};
