#include "dialogs/QV_SettingsFrm.h"

#include "QV_DialogFixture.h"

#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"
#include "locale/QV_LocaleManager.h"
#include "menus/QV_ExtManager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

class SettingsDialog : public TDialogTest {
protected:
    void SetUp() override
    {
        TDialogTest::SetUp();
        view->ShowSettings();
        dialog = view->SettingsForm();
        ASSERT_TRUE(dialog->isVisible());
    }
    QCheckBox* Check(const char* group, const char* param)
    {
        return qobject_cast<QCheckBox*>(dialog->SettingControl(group, param));
    }
    QSpinBox* Number(const char* group, const char* param)
    {
        return qobject_cast<QSpinBox*>(dialog->SettingControl(group, param));
    }
    TQV_SettingsForm* dialog = nullptr;
};

} // namespace

TEST_F(SettingsDialog, ASwitchIsWrittenAtOnceAndTheOpenFolderFollows)
{
    TTestDir browsed;
    browsed.WriteFile(".secret", "x");
    browsed.WriteFile("plain", "x");
    ASSERT_TRUE(GoTo(browsed.Path()));
    EXPECT_EQ(VisibleNames(), QStringList{"plain"});

    Check("Browsing", "HideHidden")->setChecked(false);
    EXPECT_TRUE(Group("Browsing").contains("HideHidden(0)")) << Group("Browsing").toStdString();
    EXPECT_FALSE(Settings().Browsing.HideHidden);
    ASSERT_TRUE(WaitUntil([&] { return VisibleNames().contains(".secret"); }));

    // A switch enables the fields that depend on it.
    QSpinBox* maxRecent = Number("SmartTabs", "MaxRecent");
    Check("SmartTabs", "SaveRecent")->setChecked(false);
    EXPECT_FALSE(maxRecent->isEnabled());
    EXPECT_FALSE(Settings().SmartTabs.SaveRecent);
}

TEST_F(SettingsDialog, NumbersAreWrittenAndApplied)
{
    Number("Mouse", "ClickDelay")->setValue(400);
    EXPECT_TRUE(Group("Mouse").contains("ClickDelay(400)"));
    EXPECT_EQ(Settings().Mouse.ClickDelay, 400);

    const int before = view->CtrlManager()->CM_PARENT_W;
    Number("QuickBar", "ItemSize")->setValue(32);
    EXPECT_EQ(Settings().QuickBar.ItemSize, 32);
    EXPECT_EQ(view->CtrlManager()->CM_PARENT_W, before);  // laid out again for the same window

    // The tab spacing is written, and still reads as itself beside ButtonToTabSpacing.
    Number("SmartTabs", "TabSpacing")->setValue(7);
    EXPECT_EQ(Settings().SmartTabs.TabSpacing, 7);
    EXPECT_EQ(Settings().SmartTabs.ButtonToTabSpacing, 2);
}

TEST(SettingsParam, ANameThatEndsAnotherIsPutFirstSoItReadsBack)
{
    TQvContextScope scope;
    TProgramFolder folder("SmartTabs=ButtonToTabSpacing(6)\nMouse=ClickDelay(250)\n");
    LoadSettings();
    EXPECT_TRUE(WriteSettingParam("SmartTabs", "TabSpacing", "3"));
    const QString group = IniReadString(folder.Dir.Sub("Data/Settings.QVS"), "Qorvel", "SmartTabs", "");
    EXPECT_EQ(ExtractValue(group, "TabSpacing", ""), "3");
    EXPECT_EQ(ExtractValue(group, "ButtonToTabSpacing", ""), "6");
    EXPECT_TRUE(WriteSettingParam("Mouse", "ClickDelay", "300"));
    EXPECT_EQ(IniReadString(folder.Dir.Sub("Data/Settings.QVS"), "Qorvel", "Mouse", ""), "ClickDelay(300)");
}

TEST_F(SettingsDialog, SoundFilesAreThoseTheDesktopPlays)
{
    for (const char* name : {"a.oga", "b.OGG", "c.wav"}) {
        EXPECT_TRUE(dialog->ChooseSound(QString("/sounds/") + name)) << name;
        EXPECT_EQ(QString(Settings().Media.NavSound), QString("/sounds/") + name);
        EXPECT_EQ(dialog->SoundLabel->text(), name);
    }
    EXPECT_FALSE(dialog->ChooseSound("/sounds/d.mp3"));
    EXPECT_EQ(QString(Settings().Media.NavSound), "/sounds/c.wav");
    EXPECT_FALSE(dialog->Message().isEmpty());
}

TEST_F(SettingsDialog, ALanguageSwitchChangesTheVisibleTexts)
{
    folder->Dir.WriteFile("Data/Language/English.QVL", "[Settings]\nGeneral=General\n");
    // A language file that lacks most keys: the English captions stand in.
    folder->Dir.WriteFile("Data/Language/Deutsch.QVL", "[Settings]\nGeneral=Allgemein\nCustomize=Anpassen\n");
    dialog->LoadSettings();
    EXPECT_EQ(dialog->Language->count(), 2);
    ASSERT_TRUE(dialog->ChooseLanguage("Deutsch"));
    EXPECT_TRUE(Group("General").contains("Lang(Deutsch)"));
    EXPECT_EQ(dialog->Pages->tabText(0), "Allgemein");
    EXPECT_EQ(dialog->Pages->tabText(3), "File Types");
    EXPECT_EQ(dialog->windowTitle(), "Anpassen");
    EXPECT_EQ(view->LocaleManager()->GetLocalized("Settings", "General", ""), "Allgemein");
    EXPECT_FALSE(dialog->ChooseLanguage("Klingon"));
}

TEST_F(SettingsDialog, ThemesAreListedWithTheirDescriptionsOrDefaults)
{
    const QString family = "Data/Themes/Controls/";
    folder->Dir.WriteFile(family + "Default/ThemeData.QVS",
                          "[About]\nName=Plain\nAuthor=Me\nVer=2\nDate=today\nDesc=Quiet grey\n");
    folder->Dir.WriteFile(family + "Default/Preview.png", "not really a picture");
    // No "About" section, no preview; a font of its own for the quick-drive view.
    folder->Dir.WriteFile(family + "Bare/ThemeData.QVS", "a line of garbage\n[QuickDrive]\nFont(Item.Normal)=Name(Beta)\n");
    folder->Dir.MakeDir(family + "Empty");  // no ThemeData.QVS: not a theme
    dialog->LoadSettings();

    QListWidget* list = dialog->ThemeLists[0];
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Bare");
    EXPECT_TRUE(list->item(1)->text().startsWith("Plain"));
    EXPECT_TRUE(list->item(1)->font().bold());  // the theme in use
    ASSERT_TRUE(dialog->SelectTheme(0, "Bare"));
    EXPECT_TRUE(dialog->ThemeMemo[0]->toPlainText().contains("Author: Author"));
    EXPECT_TRUE(dialog->ThemePreview[0]->pixmap().isNull());
    ASSERT_TRUE(dialog->SelectTheme(0, "Default"));
    EXPECT_TRUE(dialog->ThemeMemo[0]->toPlainText().contains("Description: Quiet grey"));

    ASSERT_TRUE(dialog->SelectTheme(0, "Bare"));
    ASSERT_TRUE(dialog->ApplyTheme(0));
    EXPECT_TRUE(Group("Theming").contains("ControlTheme(Bare)"));
    EXPECT_EQ(QString(Settings().Theming.ControlTheme), "Bare");
    EXPECT_EQ(dialog->Message(), "Please Restart Qorvel");
    // The open place shows the new theme at once: the first tab is the quick-drive view.
    const int paints = view->PaintCount();
    ASSERT_TRUE(WaitUntil([&] { return view->FileHolder()->DH_FOLDER_THEME->FT_FONT_NORMAL.Name == "Beta"; }));
    EXPECT_TRUE(WaitUntil([&] { return view->PaintCount() > paints; }));
}

TEST_F(SettingsDialog, FileTypesAreEditedInTheTypesFile)
{
    const QString types = folder->Dir.WriteFile(
        "Data/Types.QVS", "[FILE]\nParams=Description(Any file)\nOpen=CMD(Item.Open)\n"
                          "[.txt]\nParams=Type(FILE), Description(Text)\nA=CMD(Item.Copy)\nB=CMD(Item.Cut), Menu(X)\n"
                          "[.bad]\nno equals sign here\n");
    dialog->LoadSettings();
    EXPECT_EQ(dialog->Types->topLevelItemCount(), 3);
    dialog->SelectType(".txt");
    ASSERT_NE(dialog->CurrentType(), nullptr);
    EXPECT_EQ(dialog->TypeItems->count(), 2);
    EXPECT_EQ(dialog->TypeParent->currentText(), "FILE");

    // Moving an item down rewrites the section in the new order; other keys stay.
    dialog->TypeItems->setCurrentRow(0);
    dialog->MoveItem(1);
    EXPECT_EQ(IniSectionEntries(types, ".txt"),
              (QList<QPair<QString, QString>>{{"Params", "Type(FILE), Description(Text)"},
                                              {"B", "CMD(Item.Cut), Menu(X)"},
                                              {"A", "CMD(Item.Copy)"}}));
    // The menus of the running window follow at once.
    const TExtData* txt = view->ExtManager()->GetExtData(".txt");
    ASSERT_NE(txt, nullptr);
    ASSERT_EQ(txt->ED_MENU_ITEMS.size(), 3u);  // "Params" is an item that makes no control
    EXPECT_EQ(txt->ED_MENU_ITEMS[1].MI_ID, "B");

    // An item is added with its parameters; a type is added and removed.
    dialog->ItemID->setText("Props");
    dialog->ItemCMD->setCurrentText("Item.Properties");
    dialog->ItemCaption->setText("Properties");
    dialog->AddChangeItem();
    EXPECT_EQ(IniReadString(types, ".txt", "Props", ""), "CMD(Item.Properties), Caption(Properties)");
    dialog->TypeExtension->setText(".md");
    dialog->TypeParent->setCurrentText("FILE");
    dialog->TypeDescription->setText("Markdown");
    dialog->AddChangeType();
    EXPECT_EQ(IniReadString(types, ".md", "Params", ""), "Type(FILE), Description(Markdown)");
    dialog->RemoveType();
    EXPECT_FALSE(IniSectionNames(types).contains(".md"));
}

TEST_F(SettingsDialog, F12OpensItAndTheSizeIsRemembered)
{
    dialog->close();
    QTest::keyClick(view, Qt::Key_F12);
    EXPECT_TRUE(dialog->isVisible());
    const QSize size = dialog->minimumSizeHint() + QSize(40, 30);
    dialog->resize(size);
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(IniReadString(SettingsFile(), "Dialogs", "Settings", ""),
              QString("Width(%1), Height(%2)").arg(size.width()).arg(size.height()));
    TQV_SettingsForm again;
    EXPECT_EQ(again.size(), size);
}

class SettingsDialogOnBadFile : public SettingsDialog {
protected:
    QByteArray SettingsLines() const override
    {
        return "Mouse=ClickDelay(soon), WheelScroll(\nBrowsing=ItemWidth(-), HideHidden(maybe)\n";
    }
};

TEST_F(SettingsDialogOnBadFile, MalformedValuesShowTheDefaults)
{
    EXPECT_EQ(Number("Mouse", "ClickDelay")->value(), 250);
    EXPECT_EQ(Number("Browsing", "ItemWidth")->value(), 150);
    EXPECT_TRUE(Check("Browsing", "HideHidden")->isChecked());
    folder->Dir.WriteFile("Data/Language/Basque.QVL", "");
    folder->Dir.WriteFile("Data/Language/English.QVL", "");
    dialog->LoadSettings();
    EXPECT_EQ(dialog->Language->currentText(), "English");
}
