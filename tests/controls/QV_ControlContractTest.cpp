// What every concrete control class must do, whatever it overrides: the base
// keeps the hover and focus bookkeeping, and an override that forgets to call
// it breaks hover silently. A new control class adds itself to TControlTypes,
// with a TMaker specialisation when it is not default-constructible.

#include "QV_ControlProbe.h"
#include "commands/QV_CommandButtons.h"
#include "commands/QV_PlaceButtons.h"
#include "commands/QV_RecentTabs.h"
#include "commands/QV_TrashButton.h"
#include "controls/QV_CtrlManager.h"
#include "controls/QV_SmartCtrl.h"
#include "foundation/QV_Context.h"
#include "menus/QV_SmartMenu.h"
#include "support/QV_TestSupport.h"
#include "widgets/QV_ItemBars.h"
#include "widgets/QV_SearchBar.h"
#include "widgets/QV_SelectTip.h"
#include "widgets/QV_SmartEdit.h"
#include "widgets/QV_SmartProgress.h"
#include "widgets/QV_SmartScroll.h"
#include "widgets/QV_SmartTab.h"
#include "widgets/QV_SmartTip.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

template <typename T>
struct TMaker {
    static std::unique_ptr<T> Make() { return std::make_unique<T>(); }
};

// The menu is hidden until it pops up; the contract is about a shown one.
template <>
struct TMaker<TSmartMenu> {
    static std::unique_ptr<TSmartMenu> Make()
    {
        auto menu = std::make_unique<TSmartMenu>();
        menu->SC_VISIBLE = true;
        return menu;
    }
};

// The controls that start hidden are shown, as their owners show them.
template <typename T>
struct TShownMaker {
    static std::unique_ptr<T> Make()
    {
        auto control = std::make_unique<T>();
        control->SetVisible(true);
        return control;
    }
};
template <>
struct TMaker<TRenameEdit> : TShownMaker<TRenameEdit> {};
template <>
struct TMaker<TSmartTip> : TShownMaker<TSmartTip> {};
// The scroll bar is hit only while its holder can scroll.
template <>
struct TMaker<TSmartScroll> {
    static std::unique_ptr<TSmartScroll> Make()
    {
        auto control = std::make_unique<TSmartScroll>();
        control->SC_ENABLED = true;
        return control;
    }
};
template <>
struct TMaker<TSelectTip> : TShownMaker<TSelectTip> {};
// The bars and the strip fill themselves from the settings file; the contract
// is about the children the test gives them, so theirs go once loaded.
template <typename T>
struct TBarMaker {
    static std::unique_ptr<T> Make()
    {
        auto bar = std::make_unique<T>();
        EXPECT_TRUE(WaitUntil([&] { return bar->ItemLoads() >= 1; }));
        bar->Items()->Clear();
        return bar;
    }
};
template <>
struct TMaker<TQuickBar> : TBarMaker<TQuickBar> {};
template <>
struct TMaker<TPathBar> : TBarMaker<TPathBar> {};
// Uncentred, the action bar keeps the height it is given.
template <>
struct TMaker<TActionBar> {
    static std::unique_ptr<TActionBar> Make()
    {
        auto bar = TBarMaker<TActionBar>::Make();
        bar->SC_CENTER = false;
        return bar;
    }
};
template <>
struct TMaker<TSmartTab> {
    static std::unique_ptr<TSmartTab> Make()
    {
        auto strip = std::make_unique<TSmartTab>();
        EXPECT_TRUE(WaitUntil([&] { return strip->ItemLoads() >= 1; }));
        strip->ST_BTN_LIST->Clear();
        while (strip->ST_TAB_LIST->Count() > 0) strip->RemoveTab(0);
        return strip;
    }
};

// The search bars build their parts themselves; the contract is about the
// test's children, so theirs are hidden (a hidden child is never hit).
template <typename T>
struct TSearchBarMaker {
    static std::unique_ptr<T> Make()
    {
        auto bar = std::make_unique<T>();
        TControlList* parts = bar->SC_LIST.front();
        for (int i = 0; i < parts->Count(); ++i) parts->Control(i)->SC_VISIBLE = false;
        return bar;
    }
};
template <>
struct TMaker<TSearchBar> : TSearchBarMaker<TSearchBar> {};
template <>
struct TMaker<TSearchBarBottom> : TSearchBarMaker<TSearchBarBottom> {};

using TControlTypes = ::testing::Types<TSmartCtrl, TActionButton, TExecButton, TBGoToMyPc, TBGoToMyDocs,
                                       TBGoToRecycleBin, TBRecentTabItem, TBItemGroup, TBControlSettings,
                                       TBTabClose, TMenuHolder, TSmartMenu, TSmartEdit, TFilterEdit, TRenameEdit,
                                       TPathEdit, TSmartScroll, TSmartTip, TSelectTip, TSmartProgress, TSmartTab,
                                       TFileTab, TSearchTab, TNewTab, TQuickBar, TPathBar, TActionBar,
                                       TSearchBar, TSearchBarBottom, TSearchFoldersEdit>;

// The control under test at (0, 0, 200, 40), with two probe children side by side.
template <typename T>
class ControlContract : public ::testing::Test {
protected:
    void SetUp() override
    {
        control_ = TMaker<T>::Make();
        Place(*control_, 0);
        TControlList* list = control_->AddList(QStringLiteral("ContractItems"));
        left_ = static_cast<TProbe*>(list->AddControl(new TProbe(&log_, "L", QRect(10, 5, 50, 30))));
        right_ = static_cast<TProbe*>(list->AddControl(new TProbe(&log_, "R", QRect(100, 5, 50, 30))));
    }
    static void Place(TSmartCtrl& control, int x)
    {
        control.SetPosition(QPoint(x, 0));
        control.SetWidth(200);
        control.SetHeight(40);
    }

    QStringList log_;
    std::unique_ptr<T> control_;
    TProbe* left_ = nullptr;
    TProbe* right_ = nullptr;
};

TYPED_TEST_SUITE(ControlContract, TControlTypes);

TYPED_TEST(ControlContract, HiddenControlTakesNoInput)
{
    TSmartCtrl& control = *this->control_;
    control.On_MouseDown(mbLeft, 0, 20, 10); // the left child has the focus
    this->log_.clear();
    control.SetVisible(false);

    TWMMouseWheel wheel{};
    QChar key(QLatin1Char('a'));
    TKeyCode code = 0;
    EXPECT_EQ(control.On_MouseDown(mbLeft, 0, 110, 10), nullptr);
    EXPECT_EQ(control.On_MouseUp(mbLeft, 0, 110, 10), nullptr);
    EXPECT_EQ(control.On_MouseMove(0, 110, 10), nullptr);
    EXPECT_EQ(control.On_MouseDouble(mbLeft, 0, 110, 10), nullptr);
    EXPECT_EQ(control.On_MouseWheel(wheel), nullptr);
    control.On_KeyPress(key);
    control.On_KeyDown(code, 0);
    control.On_KeyUp(code, 0);
    EXPECT_EQ(this->log_, QStringList()) << "a hidden control passed input to its children";
}

TYPED_TEST(ControlContract, EnterAndLeaveKeepTheStateAndTheHotChild)
{
    TSmartCtrl& control = *this->control_;
    control.On_Enter(20, 10);
    EXPECT_EQ(control.SC_STATE, csHot);
    EXPECT_EQ(control.SC_ACTIVE, this->left_);
    control.On_MouseMove(0, 110, 10);
    EXPECT_EQ(control.SC_ACTIVE, this->right_);
    EXPECT_EQ(this->log_.mid(0, 3), (QStringList{"L.Enter", "L.Leave", "R.Enter"}));

    this->log_.clear();
    control.On_Leave(300, 10);
    EXPECT_EQ(control.SC_STATE, csNormal);
    EXPECT_EQ(control.SC_ACTIVE, nullptr);
    EXPECT_TRUE(this->log_.contains("R.Leave"));
    EXPECT_EQ(this->right_->SC_STATE, csNormal);
}

TYPED_TEST(ControlContract, ChildFocusComesBeforeTheOldChildsUnFocus)
{
    TSmartCtrl& control = *this->control_;
    control.On_MouseDown(mbLeft, 0, 20, 10);
    this->log_.clear();
    control.On_MouseDown(mbLeft, 0, 110, 10);
    const qsizetype focus = this->log_.indexOf("R.Focus");
    const qsizetype unfocus = this->log_.indexOf("L.UnFocus");
    ASSERT_GE(focus, 0);
    ASSERT_GE(unfocus, 0);
    EXPECT_LT(focus, unfocus);
    EXPECT_EQ(control.SC_FOCUSE, this->right_);
}

TYPED_TEST(ControlContract, FocusMovesBetweenTopLevelControlsInOrder)
{
    TCtrlManager manager;
    TQvContextScope context({.CtrlManager = &manager});
    TSmartCtrl* first = manager.AddControl("First", TMaker<TypeParam>::Make().release());
    TSmartCtrl* second = manager.AddControl("Second", TMaker<TypeParam>::Make().release());
    this->Place(*first, 0);
    this->Place(*second, 300);
    manager.On_MouseDown(mbLeft, 0, 20, 10);
    EXPECT_TRUE(first->SC_FOCUSED);
    manager.On_MouseDown(mbLeft, 0, 320, 10);
    EXPECT_FALSE(first->SC_FOCUSED);
    EXPECT_TRUE(second->SC_FOCUSED);
    EXPECT_EQ(manager.FocusedControl(), second);
    EXPECT_EQ(manager.CM_ACTIVE, second);
}

TYPED_TEST(ControlContract, SetParamsTwiceIsTheSameAsOnce)
{
    const TParamString params{"Copy=CMD(Item.Copy), Param1(a), Width(64), Height(24), Menu(FileMenu), Align(Right)"};
    std::unique_ptr<TypeParam> once = TMaker<TypeParam>::Make();
    once->SetParams(params);
    TSmartCtrl& twice = *this->control_;
    twice.SetParams(params);
    twice.SetParams(params);
    EXPECT_EQ(twice.SC_ID, once->SC_ID);
    EXPECT_EQ(twice.SC_WIDTH, once->SC_WIDTH);
    EXPECT_EQ(twice.SC_HEIGHT, once->SC_HEIGHT);
    EXPECT_EQ(twice.SC_ALIGN, once->SC_ALIGN);
    EXPECT_EQ(twice.SC_MENU, once->SC_MENU);
    EXPECT_EQ(twice.SC_FIT_MODE, once->SC_FIT_MODE);
    EXPECT_EQ(twice.SC_LIST.size(), once->SC_LIST.size() + 1); // the test's own child list
}

} // namespace
