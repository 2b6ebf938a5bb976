#include "dialogs/QV_FolderCustomize.h"

#include "QV_DialogFixture.h"

#include "platform/image/QV_BmpCodec.h"
#include "platform/fs/QV_FileSystem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QTest>

#include <sys/stat.h>

namespace {

TBitmap32 Picture(int w, int h, TColor32 color)
{
    TBitmap32 b(w, h);
    b.Clear(color);
    return b;
}

class FolderCustomizeDialog : public TDialogTest {
protected:
    void SetUp() override
    {
        TDialogTest::SetUp();
        ASSERT_TRUE(GoTo(browsed.Path()));
        view->DialogFolder();
        dialog = view->FolderCustomizeForm();
        ASSERT_TRUE(dialog->isVisible());
    }
    // The hot font made bold and the picture chosen, as a user would.
    void EditHotFontAndPicture()
    {
        dialog->SelectFont(1);
        dialog->FontBold->setChecked(true);
        ASSERT_TRUE(dialog->ChoosePicture(picture));
    }
    const TFolderTheme& Shown() const { return *view->FileHolder()->DH_FOLDER_THEME; }

    TTestDir browsed;
    TTestDir pictures;
    QString picture = pictures.WriteFile("sea.bmp", EncodeBmp(Picture(9, 5, 0xFF2060A0)));
    TQV_FolderCustomizeFrm* dialog = nullptr;
};

} // namespace

TEST_F(FolderCustomizeDialog, ApplyWritesTheFolderAndTheOpenFolderShowsIt)
{
    EditHotFontAndPicture();
    dialog->Position->setCurrentIndex(3);  // bottom right
    ASSERT_TRUE(dialog->Apply()) << dialog->Message().toStdString();

    EXPECT_TRUE(browsed.ReadFile("Folder.QVB").startsWith("BM"));
    const QString theme = browsed.Sub("ThemeData.QVS");
    EXPECT_TRUE(IniReadString(theme, "FileHolder", "Font(Item.Hot)", "").contains("Bold(1)"));
    EXPECT_EQ(IniReadString(theme, "FileHolder", "Image(Background)", ""), "Align(BottomRight)");
    ASSERT_TRUE(WaitUntil([&] { return Shown().PictureSize == QSize(9, 5); }));
    EXPECT_TRUE(Shown().FT_FONT_HOT.Bold);
    EXPECT_EQ(Shown().FT_BACK_ALIGN, asBottRight);
    EXPECT_TRUE(dialog->CopyFrom().isEmpty());  // the picture was used up

    // Clear drops the picture and keeps the fonts.
    dialog->Clear();
    EXPECT_EQ(PathKindOf(browsed.Sub("Folder.QVB")), TPathKind::pkNone);
    EXPECT_TRUE(IniReadString(theme, "FileHolder", "Font(Item.Hot)", "").contains("Bold(1)"));
    EXPECT_TRUE(dialog->SampleFont(1).Bold);
}

TEST_F(FolderCustomizeDialog, ClosingWithoutApplyWritesNothing)
{
    EditHotFontAndPicture();
    dialog->FontItalic->setChecked(true);
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(PathKindOf(browsed.Sub("ThemeData.QVS")), TPathKind::pkNone);
    EXPECT_EQ(PathKindOf(browsed.Sub("Folder.QVB")), TPathKind::pkNone);
    EXPECT_FALSE(Shown().FT_FONT_HOT.Italic);
    EXPECT_TRUE(dialog->CopyFrom().isEmpty());
}

TEST_F(FolderCustomizeDialog, AReadOnlyFolderOrABadPictureIsNamedInTheDialog)
{
    EXPECT_FALSE(dialog->ChoosePicture(pictures.WriteFile("notes.jpg", "just text")));
    EXPECT_FALSE(dialog->Message().isEmpty());
    EXPECT_TRUE(dialog->CopyFrom().isEmpty());

    EditHotFontAndPicture();
    const QByteArray path = browsed.Path().toUtf8();
    ASSERT_EQ(::chmod(path.constData(), 0555), 0);
    EXPECT_FALSE(dialog->Apply());
    ::chmod(path.constData(), 0755);
    EXPECT_TRUE(dialog->Message().contains(browsed.Path())) << dialog->Message().toStdString();
    EXPECT_EQ(PathKindOf(browsed.Sub("ThemeData.QVS")), TPathKind::pkNone);
    EXPECT_EQ(PathKindOf(browsed.Sub("Folder.QVB")), TPathKind::pkNone);
}

TEST_F(FolderCustomizeDialog, FontControlsFollowTheSelectedSample)
{
    dialog->SelectFont(2);
    dialog->FontBold->setChecked(true);
    dialog->FontSize->setCurrentText("14");
    dialog->SelectFont(0);
    EXPECT_EQ(dialog->FontBold->isChecked(), dialog->SampleFont(0).Bold);
    dialog->SelectFont(2);
    EXPECT_TRUE(dialog->FontBold->isChecked());
    EXPECT_EQ(dialog->FontSize->currentText(), "14");
    EXPECT_TRUE(dialog->SampleFont(2).Bold);
    EXPECT_EQ(dialog->SampleFont(2).Size, 14);
    dialog->SelectFont(-1);  // nothing selected: the controls show a fresh font and edit nothing
    EXPECT_EQ(dialog->FontSize->currentText(), "8");
    dialog->FontSize->setCurrentText("20");
    EXPECT_EQ(dialog->SampleFont(2).Size, 14);
}
