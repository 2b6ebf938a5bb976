#include "data/QV_FolderTheme.h"

#include "platform/fs/QV_DirList.h"
#include "platform/image/QV_BmpCodec.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/ini/QV_IniFile.h"
#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TBitmap32 Picture(int w, int h, TColor32 color)
{
    TBitmap32 b(w, h);
    b.Clear(color);
    return b;
}

// A program folder with a small control theme: its own fonts and three
// background pictures of distinct sizes.
class FolderTheme : public TAppFolderTest {
protected:
    void SetUp() override
    {
        TAppFolderTest::SetUp();
        const QString theme = "Data/Themes/Controls/Default/";
        dir_.WriteFile(theme + "ThemeData.QVS",
                       "[FileHolder]\n"
                       "Font(Item.Normal)=Name(Carlito), Color($112233), Size(11)\n"
                       "[QuickDrive]\nImage(Background)=Align(BottomRight)\n"
                       "[SearchHolder]\nImage(Background)=Align(TopRight)\n");
        dir_.WriteFile(theme + "Backgrounds/FileHolder.bmp", EncodeBmp(Picture(3, 2, 0xFFFF0000)));
        dir_.WriteFile(theme + "Backgrounds/QuickDrive.bmp", EncodeBmp(Picture(4, 2, 0xFF00FF00)));
        dir_.WriteFile(theme + "Backgrounds/SearchHolder.bmp", EncodeBmp(Picture(5, 2, 0xFF0000FF)));
    }

    TFolderTheme Load(TThemePlace place, const QString& folder = QString())
    {
        TFolderTheme theme;
        LoadFolderTheme(theme, FolderThemeSource(place, folder));
        return theme;
    }

    bool Hidden(const QString& folder, const QString& name)
    {
        for (const TDirEntry& e : ListDirectory(folder).Entries)
            if (e.Name == name) return e.Is(faHidden);
        return false;
    }

    TTestDir browsed_;
};

} // namespace

TEST_F(FolderTheme, PlainFolderShowsControlThemeFontsAndFileHolderPicture)
{
    const TFolderTheme theme = Load(TThemePlace::tpFolder, browsed_.Path());
    EXPECT_EQ(theme.FT_FONT_NORMAL.Name, "Carlito");
    EXPECT_EQ(theme.FT_FONT_NORMAL.Color, 0x112233u);
    EXPECT_EQ(theme.FT_FONT_NORMAL.Size, 11);
    EXPECT_TRUE(theme.FT_FONT_SEL.Bold);           // the entry's default
    EXPECT_EQ(theme.FT_FONT_HOTSEL.Color, 0xFFFFFFu);
    EXPECT_EQ(theme.FT_BACK_SOURCE.Width(), 3);
    EXPECT_EQ(theme.FT_BACK_ALIGN, asTopLeft);

    const TFolderTheme drives = Load(TThemePlace::tpQuickDrive);
    EXPECT_EQ(drives.FT_BACK_SOURCE.Width(), 4);
    EXPECT_EQ(drives.FT_BACK_ALIGN, asBottRight);
    const TFolderTheme search = Load(TThemePlace::tpSearch);
    EXPECT_EQ(search.FT_BACK_SOURCE.Width(), 5);
    EXPECT_EQ(search.FT_BACK_ALIGN, asTopRight);
}

TEST_F(FolderTheme, AppliedJpegBecomesHiddenBitmapThatLaterLoadsShow)
{
    const QString jpeg = dir_.WriteFile("photo.jpg", EncodeJpeg(Picture(16, 8, 0xFF808080), 90));
    TFolderTheme chosen;
    chosen.FT_FONT_NORMAL.Name = "DejaVu Sans";
    chosen.FT_FONT_NORMAL.Italic = true;
    chosen.FT_BACK_ALIGN = asBottLeft;
    QString newPicture = jpeg;
    ASSERT_TRUE(ApplyFolderTheme(FolderThemeSource(TThemePlace::tpFolder, browsed_.Path()), chosen, newPicture));
    EXPECT_TRUE(newPicture.isEmpty());
    EXPECT_TRUE(browsed_.ReadFile("Folder.QVB").startsWith("BM"));
    EXPECT_TRUE(Hidden(browsed_.Path(), "Folder.QVB"));
    EXPECT_TRUE(Hidden(browsed_.Path(), "ThemeData.QVS"));

    const TFolderTheme later = Load(TThemePlace::tpFolder, browsed_.Path() + "/");
    EXPECT_EQ(later.FT_BACK_SOURCE.Width(), 16);
    EXPECT_EQ(later.FT_BACK_ALIGN, asBottLeft);
    EXPECT_EQ(later.FT_FONT_NORMAL.Name, "DejaVu Sans");
    EXPECT_TRUE(later.FT_FONT_NORMAL.Italic);

    ClearFolderTheme(FolderThemeSource(TThemePlace::tpFolder, browsed_.Path()));
    const TFolderTheme cleared = Load(TThemePlace::tpFolder, browsed_.Path());
    EXPECT_EQ(cleared.FT_BACK_SOURCE.Width(), 3);
    EXPECT_EQ(cleared.FT_FONT_NORMAL.Name, "DejaVu Sans");
}

TEST_F(FolderTheme, PictureIsReadOnlyWhenItsPathChanges)
{
    TTestDir other;
    TFolderTheme theme;
    EXPECT_TRUE(LoadFolderTheme(theme, FolderThemeSource(TThemePlace::tpFolder, browsed_.Path())));
    EXPECT_FALSE(LoadFolderTheme(theme, FolderThemeSource(TThemePlace::tpFolder, other.Path())));
    theme.FT_PATH.clear();  // what a theme reload does
    EXPECT_TRUE(LoadFolderTheme(theme, FolderThemeSource(TThemePlace::tpFolder, other.Path())));
}

TEST_F(FolderTheme, ThemeFileEntriesTypedByHand)
{
    struct {
        const char* Background;
        TAlignStyle Expected;
    } cases[] = {
        {"Align(Stretch)", asStretch},
        {"Align(Centre)", asTopLeft},  // unknown words keep the alignment
        {"Align(BottomRight), Path(/etc/passwd)", asBottRight},
    };
    for (const auto& c : cases) {
        browsed_.WriteFile("ThemeData.QVS", QByteArray("[FileHolder]\nFont(Item.Hot)=Name(X), Color(zz)\nImage(Background)=") +
                                                c.Background + "\n");
        const TFolderTheme theme = Load(TThemePlace::tpFolder, browsed_.Path());
        EXPECT_EQ(theme.FT_BACK_ALIGN, c.Expected) << c.Background;
        EXPECT_EQ(theme.FT_BACK_SOURCE.Width(), 3) << c.Background;  // a folder's Path is not followed
        EXPECT_EQ(theme.FT_FONT_HOT.Name, "Tahoma") << c.Background;  // a bad number: the entry's default
    }
}

TEST_F(FolderTheme, HostileFolderPictureFallsBackToTheDefault)
{
    // 54 bytes that declare a 30000 x 30000 picture.
    QByteArray huge(54, '\0');
    huge[0] = 'B';
    huge[1] = 'M';
    huge[14] = 40;
    for (int at : {18, 22}) {
        huge[at] = char(30000 & 0xFF);
        huge[at + 1] = char(30000 >> 8);
    }
    browsed_.WriteFile("Folder.QVB", huge);
    EXPECT_EQ(Load(TThemePlace::tpFolder, browsed_.Path()).FT_BACK_SOURCE.Width(), 3);

    TTestDir piped;
    ASSERT_EQ(::mkfifo((piped.Path() + "/Folder.QVB").toUtf8().constData(), 0600), 0);
    EXPECT_EQ(Load(TThemePlace::tpFolder, piped.Path()).FT_BACK_SOURCE.Width(), 3);
}

TEST_F(FolderTheme, QuickDriveAndSearchStoreThePicturePathInTheControlTheme)
{
    const QString themeFile = dir_.Path() + "/Data/Themes/Controls/Default/ThemeData.QVS";
    const QString picture = dir_.WriteFile("mine.bmp", EncodeBmp(Picture(6, 2, 0xFF000000)));
    for (TThemePlace place : {TThemePlace::tpQuickDrive, TThemePlace::tpSearch}) {
        const TFolderThemeSource source = FolderThemeSource(place);
        TFolderTheme chosen;
        QString newPicture = picture;
        ApplyFolderTheme(source, chosen, newPicture);
        EXPECT_EQ(IniReadString(themeFile, source.Section, "Image(Background)", ""),
                  "Align(TopLeft), Path(" + picture + ")");
        EXPECT_EQ(Load(place).FT_BACK_SOURCE.Width(), 6);
        ClearFolderTheme(source);
        EXPECT_EQ(IniReadString(themeFile, source.Section, "Image(Background)", ""), "Align(TopLeft), Path()");
        EXPECT_EQ(Load(place).FT_BACK_SOURCE.Width(), place == TThemePlace::tpQuickDrive ? 4 : 5);
    }
}

// A folder's own theme file needs a few hundred bytes; one of many megabytes
// once froze the window on every visit. Past the limit it is passed over and
// the control theme speaks, as for a folder without one.
TEST_F(FolderTheme, OwnThemeFileAboveTheLimitIsPassedOver)
{
    const QByteArray entry = "[FileHolder]\nFont(Item.Normal)=Name(Own)\n";
    for (const qint64 size : {OwnThemeFileLimit, OwnThemeFileLimit + 1}) {
        browsed_.WriteFile("ThemeData.QVS", entry + QByteArray(size - entry.size(), '\n'));
        EXPECT_EQ(Load(TThemePlace::tpFolder, browsed_.Path()).FT_FONT_NORMAL.Name,
                  size <= OwnThemeFileLimit ? "Own" : "Carlito")
            << size;
    }
}

// Drawn unscaled at its corner, a picture shows no more of itself than the
// view is large; only that part (rounded up, to spare decodes while a window
// grows) is decoded, and it is the same part the whole picture would show.
TEST_F(FolderTheme, PictureIsDecodedOnlyAsFarAsTheViewShowsIt)
{
    TBitmap32 whole(1300, 700);
    for (int y = 0; y < whole.Height(); ++y)
        for (int x = 0; x < whole.Width(); ++x) whole.SetPixel(x, y, Argb(0xFF, x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    browsed_.WriteFile("Folder.QVB", EncodeBmp(whole, TBmpFormat::bf24));
    const struct {
        const char* Align;
        QPoint Corner;  // where the part starts in the whole picture
    } cases[] = {
        {"TopLeft", {0, 0}},
        {"TopRight", {1300 - 1024, 0}},
        {"BottomLeft", {0, 700 - 512}},
        {"BottomRight", {1300 - 1024, 700 - 512}},
    };
    for (const auto& c : cases) {
        browsed_.WriteFile("ThemeData.QVS", QByteArray("[FileHolder]\nImage(Background)=Align(") + c.Align + ")\n");
        TFolderTheme theme;
        ASSERT_TRUE(LoadFolderTheme(theme, FolderThemeSource(TThemePlace::tpFolder, browsed_.Path()), QSize(900, 300)));
        const TBitmap32& part = theme.FT_BACK_SOURCE;
        EXPECT_EQ(part.BoundsRect().size(), QSize(1024, 512)) << c.Align;
        EXPECT_EQ(theme.PictureSize, QSize(1300, 700)) << c.Align;
        EXPECT_TRUE(theme.PictureCut()) << c.Align;
        for (const QPoint at : {QPoint(0, 0), QPoint(1023, 511), QPoint(517, 33)})
            EXPECT_EQ(part.Pixel(at.x(), at.y()), whole.Pixel(c.Corner.x() + at.x(), c.Corner.y() + at.y()))
                << c.Align << " " << at.x() << "," << at.y();
    }
    // A view larger than the picture takes it whole.
    TFolderTheme theme;
    LoadFolderTheme(theme, FolderThemeSource(TThemePlace::tpFolder, browsed_.Path()), QSize(2000, 2000));
    EXPECT_EQ(theme.FT_BACK_SOURCE.BoundsRect().size(), QSize(1300, 700));
    EXPECT_FALSE(theme.PictureCut());
}
