// The tab strip in the window: one tab per holder, kept in step with the data
// core by the view, and clicks on tabs that reach the holders.
#include "view/QV_QorView.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "view/QV_MainUnit.h"
#include "view/QV_ViewFixture.h"
#include "commands/QV_ActionButton.h"
#include "menus/QV_SmartMenu.h"
#include "widgets/QV_SmartTab.h"

#include <QFile>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class TabStrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_.emplace("Media=PlayNavSound(0)\nSmartTabs=TabPreview(1), StickTabPreview(0)\n");
        a_ = folder_->Dir.MakeDir("a");
        b_ = folder_->Dir.MakeDir("b");
        // The shipped menus, for the tabs' own.
        QFile menus(BuildDir() + "/Data/Menus.QVS");
        ASSERT_TRUE(menus.open(QIODevice::ReadOnly));
        folder_->Dir.WriteFile("Data/Menus.QVS", menus.readAll());
        form_ = std::make_unique<TQV_MainForm>();
        view_ = form_->QorView();
        core_ = view_->DataCore();
        form_->resize(900, 665);
        form_->show();
        ASSERT_TRUE(WaitUntil([&] { return !form_->SessionTimer->isActive() && view_->width() == 900; }));
        strip_ = dynamic_cast<TSmartTab*>(view_->CtrlManager()->GetControlData("SmartTab"));
        ASSERT_NE(strip_, nullptr);
    }
    void TearDown() override
    {
        form_.reset();
        folder_.reset();
    }
    // The strip's tabs as "caption" words, the active one in brackets, the
    // new-tab tab as "+"; and the holders' IDs in the same order.
    QStringList StripTabs() const
    {
        QStringList tabs;
        for (int i = 0; i < strip_->ST_TAB_LIST->Count(); ++i) {
            const TTabData* tab = strip_->GetTabData(i);
            const QString word = tab->ClassIs<TNewTab>() ? "+" : tab->TD_CAPTION;
            tabs << (tab->TD_ACTIVE ? "[" + word + "]" : word);
        }
        return tabs;
    }
    void ExpectTabsFollowTheHolders() const
    {
        QStringList holders, tabs;
        for (const auto& holder : core_->DC_LIST) holders << holder->DH_ID;
        for (int i = 0; i < strip_->ST_TAB_LIST->Count(); ++i)
            if (!strip_->GetTabData(i)->ClassIs<TNewTab>()) tabs << strip_->GetTabData(i)->SC_ID;
        EXPECT_EQ(tabs, holders);
        const int active = strip_->GetTabIDX(core_->DC_HOLDER->DH_ID);
        ASSERT_GE(active, 0);
        EXPECT_TRUE(strip_->GetTabData(active)->TD_ACTIVE);
    }
    QPoint CentreOf(int index) const
    {
        const TTabData* tab = strip_->GetTabData(index);
        return tab->SC_POS + QPoint(tab->SC_WIDTH / 2, tab->SC_HEIGHT / 2);
    }
    void Click(Qt::MouseButton button, int index)
    {
        const QPoint at = CentreOf(index);
        QTest::mouseMove(view_, at);
        QTest::mouseClick(view_, button, {}, at);
    }

    std::optional<TProgramFolder> folder_;
    QString a_, b_;
    std::unique_ptr<TQV_MainForm> form_;
    TQorView* view_ = nullptr;
    TDataCore* core_ = nullptr;
    TSmartTab* strip_ = nullptr;
};

TEST_F(TabStrip, TabsFollowTheHoldersWithTheirPlacesAsCaptions)
{
    EXPECT_EQ(StripTabs(), (QStringList{"[Quick Drive]", "+"}));
    view_->AddFileTab(a_, true);
    view_->AddFileTab(b_, false);
    ASSERT_TRUE(WaitUntil([&] { return StripTabs() == QStringList{"Quick Drive", "[a]", "b", "+"}; }))
        << StripTabs().join(", ").toStdString();
    ExpectTabsFollowTheHolders();
    EXPECT_TRUE(WaitUntil([&] { return form_->windowTitle() == QStringLiteral("a \u2014 Qorvel"); }))
        << form_->windowTitle().toStdString();
    // Every tab within the limits, each after the last.
    for (int i = 0; i < strip_->ST_TAB_LIST->Count(); ++i) {
        const TTabData* tab = strip_->GetTabData(i);
        EXPECT_GE(tab->SC_WIDTH, 26);
        EXPECT_LE(tab->SC_WIDTH, 150);
        if (i > 0) {
            EXPECT_GT(tab->SC_POS.x(), strip_->GetTabData(i - 1)->SC_POS.x());
        }
    }
}

TEST_F(TabStrip, ClicksActivateAndTheMiddleButtonCloses)
{
    view_->AddFileTab(a_, false);
    view_->AddFileTab(b_, true);
    ASSERT_TRUE(WaitUntil([&] { return StripTabs() == QStringList{"Quick Drive", "a", "[b]", "+"}; }));

    Click(Qt::LeftButton, 1);
    EXPECT_EQ(StripTabs(), (QStringList{"Quick Drive", "[a]", "b", "+"}));
    ExpectTabsFollowTheHolders();

    // Closing the active tab activates its left neighbour, in the strip and the core.
    Click(Qt::MiddleButton, 1);
    EXPECT_EQ(StripTabs(), (QStringList{"[Quick Drive]", "b", "+"}));
    EXPECT_EQ(core_->Count(), 2);
    ExpectTabsFollowTheHolders();

    // Middle-clicking the new-tab tab does nothing; a left click opens the drives.
    Click(Qt::MiddleButton, 2);
    EXPECT_EQ(core_->Count(), 2);
    Click(Qt::LeftButton, 2);
    EXPECT_EQ(StripTabs(), (QStringList{"Quick Drive", "b", "[Quick Drive]", "+"}));
    ExpectTabsFollowTheHolders();
}

TEST_F(TabStrip, TheRightButtonPopsUpTheTabsMenuWhoseCloseActsOnThatTab)
{
    view_->AddFileTab(a_, false);
    view_->AddFileTab(b_, true);
    ASSERT_TRUE(WaitUntil([&] { return StripTabs() == QStringList{"Quick Drive", "a", "[b]", "+"}; }));
    const QString aId = strip_->GetTabData(1)->SC_ID;
    Click(Qt::RightButton, 1);
    auto* menu = static_cast<TSmartMenu*>(view_->CtrlManager()->GetControlData("SmartMenu"));
    ASSERT_TRUE(menu->SM_SHOWING);
    TActionButton* close = nullptr;
    for (int i = 0; i < menu->SM_HOLDER->MH_LIST->Count(); ++i)
        if (auto* item = dynamic_cast<TActionButton*>(menu->SM_HOLDER->MH_LIST->Control(i));
            item && item->AB_CMD == "Tabs.Close")
            close = item;
    ASSERT_NE(close, nullptr);
    const QPoint at = close->SC_POS + QPoint(close->SC_WIDTH / 2, close->SC_HEIGHT / 2);
    QTest::mouseMove(view_, at);
    QTest::mouseClick(view_, Qt::LeftButton, {}, at);
    EXPECT_EQ(core_->Holder_Find(aId), -1);
    EXPECT_EQ(strip_->GetTabIDX(aId), -1);
    EXPECT_EQ(core_->Count(), 2) << "the tab under the menu closed, not the active one";
    ExpectTabsFollowTheHolders();
}

TEST_F(TabStrip, HoveringPreviewsATabUntilTheMouseLeavesTheStrip)
{
    view_->AddFileTab(a_, true);
    ASSERT_TRUE(WaitUntil([&] { return StripTabs() == QStringList{"Quick Drive", "[a]", "+"}; }));
    const QString chosen = core_->DC_HOLDER->DH_ID;
    QTest::mouseMove(view_, CentreOf(0));
    EXPECT_EQ(StripTabs(), (QStringList{"[Quick Drive]", "a", "+"}));
    EXPECT_NE(core_->DC_HOLDER->DH_ID, chosen);
    QTest::mouseMove(view_, QPoint(450, 400));
    EXPECT_EQ(core_->DC_HOLDER->DH_ID, chosen);
    EXPECT_EQ(StripTabs(), (QStringList{"Quick Drive", "[a]", "+"}));
}

}  // namespace
