#include "commands/QV_ButtonManager.h"

#include "QV_CommandTestSupport.h"
#include "commands/QV_CommandButtons.h"
#include "commands/QV_PlaceButtons.h"
#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Context.h"
#include "locale/QV_LocaleManager.h"

#include <QDir>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class ButtonManager : public TAppFolderTest {
protected:
    void SetUp() override
    {
        TAppFolderTest::SetUp();
        context_.emplace(TQvServices{.HolderHost = &view_});
    }
    void TearDown() override
    {
        context_.reset();
        TAppFolderTest::TearDown();
    }
    std::unique_ptr<TActionButton> Create(const QString& params, TSmartCtrl* sender = nullptr) const
    {
        return std::unique_ptr<TActionButton>(registry_.CreateButton(sender, TParamString{params}));
    }

    TButtonManager registry_;
    TRecordingView view_;
    std::optional<TQvContextScope> context_;
};

TEST_F(ButtonManager, EveryKnownCommandMakesItsOwnClass)
{
    const QStringList known = TButtonManager::KnownCommands();
    ASSERT_EQ(known.size(), 48);
    EXPECT_EQ(known.mid(46), (QStringList{"QuickFilter", "PathEdit"}));
    QSet<QString> classes;
    for (const QString& command : known.mid(0, 46)) {
        const auto button = Create("CMD(" + command + ")");
        ASSERT_NE(button, nullptr) << command;
        EXPECT_EQ(button->AB_CMD, command);
        classes.insert(button->ClassName());
    }
    EXPECT_EQ(classes.size(), 46);
}

TEST_F(ButtonManager, MatchingOrder)
{
    const QString folder = dir_.MakeDir("Item.Copy");
    dir_.MakeDir("Plain Folder");
    const QString savedCwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.Path()));
    struct TCase {
        QString Params;
        const char* Class;  // nullptr: nothing made
    };
    const TCase cases[] = {
        {"CMD()", nullptr},
        {"Width(20)", nullptr},
        {"CMD(item.copy)", nullptr},                 // exact letter case
        {"CMD(Item.Copy)", "TBItemCopy"},            // the name wins over the folder of that name
        {"CMD(" + folder + ")", "TExecButton"},
        {"CMD(Plain Folder)", "TExecButton"},        // relative to the working folder
        {"CMD(" + dir_.Sub("missing") + ")", nullptr},
        {"CMD(AppPath:\\Plain Folder)", "TExecButton"},
    };
    for (const TCase& c : cases) {
        const auto button = Create(c.Params);
        EXPECT_EQ(button ? button->ClassName().toStdString() : std::string("none"),
                  c.Class ? std::string(c.Class) : std::string("none"))
            << c.Params;
    }
    QDir::setCurrent(savedCwd);
}

TEST_F(ButtonManager, ButtonKnowsItsSenderAndJoinsTheList)
{
    TSmartCtrl bar;
    TControlList* list = bar.AddList("Items");
    EXPECT_TRUE(registry_.CreateButton(&bar, TParamString{"CMD(Navigate.Up), P1(x)"}, list));
    EXPECT_FALSE(registry_.CreateButton(&bar, TParamString{"CMD(No.Such)"}, list));
    EXPECT_FALSE(registry_.CreateButton(&bar, TParamString{"CMD(Navigate.Up)"}, nullptr));
    ASSERT_EQ(list->Count(), 1);
    auto* button = static_cast<TActionButton*>(list->Control(0));
    EXPECT_EQ(button->SC_PARENT, &bar);
    EXPECT_EQ(button->AB_P1, "x");
}

TEST_F(ButtonManager, ControlManagerMakesButtonsWithTheirLanguageText)
{
    SetLanguage("Test");
    dir_.WriteFile("Data/Language/Test.QVL", "[Buttons]\r\nNavigate.Up=Hoch\r\n");
    TLocaleManager locale;
    TCtrlManager manager;
    TQvContextScope scope({.CtrlManager = &manager, .LocaleManager = &locale, .HolderHost = &view_});
    RegisterCommandControls(manager, registry_);
    std::unique_ptr<TSmartCtrl> up(manager.CreateControl(nullptr, TParamString{"CMD(Navigate.Up)"}));
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(static_cast<TActionButton*>(up.get())->AB_CAPTION, "Hoch");
    EXPECT_EQ(manager.CreateControl(nullptr, TParamString{"CMD(QuickFilter)"}), nullptr);
}

TEST_F(ButtonManager, BadCommandStringsGiveTheDefaultOrNothing)
{
    const QString fifo = dir_.Sub("pipe");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    struct TCase {
        QString Params;
        const char* Class;
    };
    const TCase cases[] = {
        {"CMD(Item.Copy(x)), Style(Icon)", nullptr},
        {"CMD((((", nullptr},
        {"CMD[Item.Copy]", nullptr},
        {"CMD(Item.Copy), Caption(unterminated", "TBItemCopy"},
        {"CMD(Item.Copy), P1(" + QString(10240, 'x') + ")", "TBItemCopy"},
        {"CMD(" + QString(10240, 'y') + ")", nullptr},
        {"CMD(" + fifo + "), Style(Icon)", "TExecButton"},
        {"CMD(/dev/zero), Style(Tile)", "TExecButton"},
    };
    for (const TCase& c : cases) {
        const auto button = Create(c.Params);
        EXPECT_EQ(button ? button->ClassName().toStdString() : std::string("none"),
                  c.Class ? std::string(c.Class) : std::string("none"))
            << c.Params.left(60);
        if (!button) continue;
        // The icon load ends without reading a FIFO or a device.
        EXPECT_TRUE(WaitUntil([&] { return button->AB_ImageLoaded; })) << c.Params.left(60);
        TBitmap32 canvas(64, 64);
        button->On_Paint(canvas);
    }
    const auto pipe = Create("CMD(" + fifo + ")");
    EXPECT_EQ(pipe->AB_CAPTION, "pipe");
    EXPECT_EQ(pipe->On_MouseUp(mbLeft, 0, 1, 1), pipe.get());  // opens nothing, never blocks
}

}  // namespace
