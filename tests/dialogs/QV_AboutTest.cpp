#include "dialogs/QV_About.h"

#include "QV_DialogFixture.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include "foundation/QV_Context.h"
#include "foundation/QV_Settings.h"

#include <sys/stat.h>

namespace {

class AboutBox : public TDialogTest {
protected:
    QByteArray SettingsLines() const override { return "General=Lang(Deutsch)\nMedia=PlayNavSound(0)\n"; }
};

} // namespace

TEST_F(AboutBox, ShowsTheLanguagesTextElseTheEnglishOne)
{
    folder->Dir.WriteFile("Data/Language/English.QVA", "\xEF\xBB\xBFHello from Qorvel.\n");
    QTest::keyClick(view, Qt::Key_F1);
    TAboutQorvel* about = view->AboutForm();
    ASSERT_TRUE(about->isVisible());
    EXPECT_EQ(about->Memo1->toPlainText(), "Hello from Qorvel.\n");  // Deutsch.QVA is missing
    EXPECT_TRUE(about->Version->text().contains("0.1"));
    EXPECT_TRUE(about->Licence->text().contains("LGPL-3.0-or-later"));

    folder->Dir.WriteFile("Data/Language/Deutsch.QVA", "Hallo.");
    about->LoadText();
    EXPECT_EQ(about->Memo1->toPlainText(), "Hallo.");
}

TEST(AboutText, NoAboutFileLeavesTheTextEmptyAndAFifoNeverBlocks)
{
    TQvContextScope scope;
    TProgramFolder folder;
    LoadSettings();
    EXPECT_EQ(ReadAboutText(), "");
    folder.Dir.MakeDir("Data/Language");
    ASSERT_EQ(::mkfifo(folder.Dir.Sub("Data/Language/English.QVA").toUtf8().constData(), 0600), 0);
    EXPECT_EQ(ReadAboutText(), "");
}
