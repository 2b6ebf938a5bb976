#pragma once
// The background picture, its placement and the four item fonts of one data
// holder, loaded from the control theme or from a folder's own customization
// (ThemeData.QVS and the picture Folder.QVB inside the folder), and the writing
// of such a customization.
//
// A folder's own files are untrusted: only regular files are read, a
// ThemeData.QVS above OwnThemeFileLimit is passed over as if it were not there,
// the picture is refused above TFolderPictureLimits before pixel memory is
// taken, a bad number in a font entry falls back to that entry's default, and a
// "Path" in the folder's ThemeData.QVS is not followed (its picture is always
// Folder.QVB), so a folder cannot make the program read other files.
//
// Loading reads the file system and may be slow: the holders run it on a
// worker (TDataHolder::LoadTheme), never on the interface thread.

#include "platform/desktop/QV_Font.h"
#include "platform/image/QV_Bitmap32.h"
#include "platform/image/QV_Picture.h"
#include "platform/fs/QV_FsResult.h"

#include <functional>

#include <QSize>
#include <QString>

enum TAlignStyle { asTopLeft, asTopRight, asBottLeft, asBottRight, asStretch };

class TFolderTheme {
public:
    QString FT_PATH;                 // the picture path as written, before alias expansion
    TColor FT_BACK_COLOR = 0xFFFFFF;
    TBitmap32 FT_BACK_SOURCE;
    TAlignStyle FT_BACK_ALIGN = asTopLeft;
    TFont FT_FONT_NORMAL;
    TFont FT_FONT_HOT;
    TFont FT_FONT_SEL;
    TFont FT_FONT_HOTSEL;
    // The picture's own size. FT_BACK_SOURCE may hold only the part of it a
    // view of a given size shows at PictureAlign.
    QSize PictureSize;
    TAlignStyle PictureAlign = asTopLeft;
    // FT_BACK_SOURCE is only part of the picture.
    bool PictureCut() const { return FT_BACK_SOURCE.Width() < PictureSize.width() || FT_BACK_SOURCE.Height() < PictureSize.height(); }
};

// A folder's ThemeData.QVS needs a few hundred bytes; a larger one is not read.
inline constexpr qint64 OwnThemeFileLimit = 64 * 1024;

// Folder pictures: about an 8K screen, and the file size such a picture has
// uncompressed at 32 bits a pixel.
inline constexpr TPictureLimits TFolderPictureLimits{40'000'000 * 4 + 4096, 40'000'000};

enum class TThemePlace { tpFolder, tpQuickDrive, tpSearch };

// Where a holder's theme comes from.
struct TFolderThemeSource {
    TThemePlace Place = TThemePlace::tpFolder;
    QString Folder;        // tpFolder: the folder shown
    QString File;          // the theme data file, aliases allowed
    QString Section;
    QString DefaultImage;  // aliases allowed
    bool OwnFile = false;  // File is the folder's own ThemeData.QVS
};

// The source for a place; folder is used for tpFolder only. Reads the folder to
// see which of its customization files exist.
TFolderThemeSource FolderThemeSource(TThemePlace place, const QString& folder = QString());

// Fonts and alignment always, from one read of the theme file; the picture
// only when its path differs from FT_PATH (or a part cut for another alignment
// is held). A picture that cannot be read is replaced by the file-holder
// default, and an unreadable default leaves FT_BACK_SOURCE empty. With a view
// size, only the part of the picture such a view shows is decoded. Answers
// whether a picture was read.
bool LoadFolderTheme(TFolderTheme& theme, const TFolderThemeSource& source, QSize view = QSize());

// Called between writing a new folder picture under a temporary name and
// renaming it into place; a failure it answers stops the rename.
using TBeforeCommit = std::function<TFsStatus(const QString& TempPath)>;

// The picture read (within TFolderPictureLimits) and stored as the folder's
// Folder.QVB in bitmap format. The old Folder.QVB is replaced only by a
// complete new one: on any failure it stays as it was. The error names what
// failed (an unreadable or oversized picture, a read-only folder).
TFsStatus WriteFolderPicture(const QString& Folder, const QString& Picture, const TBeforeCommit& BeforeCommit = {});

// The theme's fonts and alignment written to the source's target, with a newly
// chosen picture (empty: none) stored as the place requires: a folder gets it as
// Folder.QVB (WriteFolderPicture), the quick-drive view and search holders as the
// "Path" of "Image(Background)". A folder's ThemeData.QVS and Folder.QVB end
// hidden. newPicture is cleared once handled. A folder the user cannot write is
// refused before anything is written; otherwise the first failure is answered and
// what could be written stays.
TFsStatus ApplyFolderTheme(const TFolderThemeSource& source, const TFolderTheme& theme, QString& newPicture,
                           const TBeforeCommit& BeforeCommit = {});

// Drops the picture of the customization; the fonts stay.
void ClearFolderTheme(const TFolderThemeSource& source);

// "TopLeft" ... "Stretch"; false for any other word.
bool AlignFromText(const QString& text, TAlignStyle& align);
QString AlignToText(TAlignStyle align);
