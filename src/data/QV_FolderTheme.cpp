#include "data/QV_FolderTheme.h"

#include "foundation/QV_PaintUtils.h"
#include "foundation/QV_System.h"
#include "foundation/QV_Utils.h"
#include "platform/QV_Report.h"
#include "platform/fs/QV_FileOps.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/image/QV_BmpCodec.h"
#include "platform/ini/QV_IniFile.h"

#include <algorithm>
#include <optional>

namespace {

const QString ThemeFileName = QStringLiteral("ThemeData.QVS");
const QString PictureFileName = QStringLiteral("Folder.QVB");
const QString BackgroundKey = QStringLiteral("Image(Background)");
const QString FileHolderImage = QStringLiteral("ControlThemePath:\\Backgrounds\\FileHolder.bmp");

struct TFontEntry {
    const char* Id;
    const char* Default;
    TFont TFolderTheme::*Font;
};

const TFontEntry FontEntries[] = {
    {"Item.Normal", "Name(Tahoma), Color($000000), Size(8), Bold(0), Italic(0)", &TFolderTheme::FT_FONT_NORMAL},
    {"Item.Hot", "Name(Tahoma), Color($000000), Size(8), Bold(0), Italic(0)", &TFolderTheme::FT_FONT_HOT},
    {"Item.Selected", "Name(Tahoma), Color($000000), Size(8), Bold(1), Italic(0)", &TFolderTheme::FT_FONT_SEL},
    {"Item.HotSelected", "Name(Tahoma), Color($FFFFFF), Size(8), Bold(0), Italic(0)", &TFolderTheme::FT_FONT_HOTSEL},
};

const char* const AlignNames[] = {"TopLeft", "TopRight", "BottomLeft", "BottomRight", "Stretch"};

QString InFolder(const QString& folder, const QString& name) { return IncludeTrailingPathDelimiter(folder) + name; }

bool IsRegularFile(const QString& path) { return PathKindOf(ResolvePath(path)) == TPathKind::pkFile; }

// The theme file of a source, read once for all its entries; none when it is
// missing. A folder's own file that cannot be read, or is too large, gives way
// to the control theme, as if the folder had none.
std::optional<TMemIniFile> ReadThemeFile(const TFolderThemeSource& source)
{
    QString file = source.File;
    if (source.OwnFile) {
        const TFsResult<QByteArray> bytes = ReadRegularFile(ResolvePath(file), OwnThemeFileLimit);
        if (bytes) return TMemIniFile::FromBytes(bytes.Value());
        ReportFailure("Folder theme", bytes.Error().Message());
        file = QStringLiteral("ControlTheme:\\");
    }
    const QString path = ResolvePath(file);
    if (!PathExists(path, emFile)) return std::nullopt;
    return TMemIniFile(path);
}

// An entry as TParamString::LoadFromIni reads it: nothing when the file is missing.
TParamString Entry(const std::optional<TMemIniFile>& ini, const QString& section, const QString& ident,
                   const QString& def)
{
    TParamString params;
    if (ini) params.PS_STRING = ident + QStringLiteral(" = ") + ini->ReadString(section, ident, def);
    return params;
}

void LoadFont(TFont& font, const std::optional<TMemIniFile>& ini, const QString& section, const TFontEntry& entry)
{
    const QString def = QString::fromLatin1(entry.Default);
    const QString key = QStringLiteral("Font(") + QString::fromLatin1(entry.Id) + QLatin1Char(')');
    const TFont before = font;
    try {
        ParseFontParams(font, Entry(ini, section, key, def));
    } catch (const EConvertError& error) {
        ReportFailure("Folder theme font", QString::fromUtf8(error.what()));
        font = before;
        TParamString params;
        params.PS_STRING = def;
        ParseFontParams(font, params);
    }
}

// Views grow by window resizes; a part a little larger than the view asked for
// spares a decode on every step.
constexpr int kViewStep = 512;

int RoundUp(int side) { return (std::max(side, 1) + kViewStep - 1) / kViewStep * kViewStep; }

// The part a view of that size shows of the picture, drawn unscaled at the alignment.
TImageResult ReadPicture(const QString& path, QSize view, TAlignStyle align, QSize& whole)
{
    whole = QSize();
    const auto part = [&](QSize size) {
        whole = size;
        if (view.isEmpty()) return QRect(QPoint(0, 0), size);
        const int w = std::min(size.width(), RoundUp(view.width()));
        const int h = std::min(size.height(), RoundUp(view.height()));
        const bool right = align == asTopRight || align == asBottRight;
        const bool bottom = align == asBottLeft || align == asBottRight;
        return QRect(right ? size.width() - w : 0, bottom ? size.height() - h : 0, w, h);
    };
    TImageResult picture = LoadPicturePart(ResolvePath(path), TFolderPictureLimits, part);
    if (picture.Ok() && whole.isEmpty()) whole = picture.Bitmap.BoundsRect().size();
    return picture;
}

} // namespace

bool AlignFromText(const QString& text, TAlignStyle& align)
{
    for (int i = 0; i <= asStretch; ++i)
        if (text == QLatin1String(AlignNames[i])) {
            align = TAlignStyle(i);
            return true;
        }
    return false;
}

QString AlignToText(TAlignStyle align) { return QString::fromLatin1(AlignNames[align]); }

TFolderThemeSource FolderThemeSource(TThemePlace place, const QString& folder)
{
    TFolderThemeSource source;
    source.Place = place;
    switch (place) {
    case TThemePlace::tpFolder: {
        source.Folder = ExcludeTrailingPathDelimiter(folder);
        source.Section = QStringLiteral("FileHolder");
        const QString own = InFolder(source.Folder, ThemeFileName);
        source.OwnFile = IsRegularFile(own);
        source.File = source.OwnFile ? own : QStringLiteral("ControlTheme:\\");
        const QString picture = InFolder(source.Folder, PictureFileName);
        source.DefaultImage = IsRegularFile(picture) ? picture : FileHolderImage;
        break;
    }
    case TThemePlace::tpQuickDrive:
        source.File = QStringLiteral("ControlThemePath:\\ThemeData.QVS");
        source.Section = QStringLiteral("QuickDrive");
        source.DefaultImage = QStringLiteral("ControlThemePath:\\Backgrounds\\QuickDrive.bmp");
        break;
    case TThemePlace::tpSearch:
        source.File = QStringLiteral("ControlTheme:\\");
        source.Section = QStringLiteral("SearchHolder");
        source.DefaultImage = QStringLiteral("ControlThemePath:\\Backgrounds\\SearchHolder.bmp");
        break;
    }
    return source;
}

bool LoadFolderTheme(TFolderTheme& theme, const TFolderThemeSource& source, QSize view)
{
    const std::optional<TMemIniFile> ini = ReadThemeFile(source);
    for (const TFontEntry& entry : FontEntries) LoadFont(theme.*entry.Font, ini, source.Section, entry);

    const TParamString background = Entry(ini, source.Section, BackgroundKey, QStringLiteral("Align(TopLeft)"));
    AlignFromText(background.GetValue(QStringLiteral("Align"), QStringLiteral("TopLeft")), theme.FT_BACK_ALIGN);

    QString image = source.OwnFile ? QString() : background.GetValue(QStringLiteral("Path"), QString());
    if (image.isEmpty() || !IsRegularFile(image)) image = source.DefaultImage;
    const bool cutElsewhere = theme.PictureCut() && theme.PictureAlign != theme.FT_BACK_ALIGN;
    if (!IsRegularFile(image) || (image == theme.FT_PATH && !cutElsewhere)) return false;

    QSize whole;
    TImageResult picture = ReadPicture(image, view, theme.FT_BACK_ALIGN, whole);
    if (!picture.Ok()) picture = ReadPicture(FileHolderImage, view, theme.FT_BACK_ALIGN, whole);
    theme.FT_BACK_SOURCE = picture.Ok() ? picture.Bitmap : TBitmap32();
    theme.PictureSize = picture.Ok() ? whole : QSize();
    theme.PictureAlign = theme.FT_BACK_ALIGN;
    theme.FT_PATH = image;
    return true;
}

bool ApplyFolderTheme(const TFolderThemeSource& source, const TFolderTheme& theme, QString& newPicture)
{
    bool ok = true;
    QString target = ResolvePath(source.File);
    if (source.Place == TThemePlace::tpFolder) {
        if (PathKindOf(source.Folder) != TPathKind::pkFolder) return false;
        target = InFolder(source.Folder, ThemeFileName);
        const QString picturePath = InFolder(source.Folder, PictureFileName);
        if (!newPicture.isEmpty()) {
            // The new picture replaces the old one in one step, so a picture that
            // cannot be read or written leaves the folder with the one it had.
            const TImageResult picture = LoadPicture(ResolvePath(newPicture));
            if (!picture.Ok()) {
                ReportFailure("Folder picture", QStringLiteral("cannot read %1").arg(newPicture));
                ok = false;
            } else if (const TFsStatus written = WriteFileAtomic(picturePath, EncodeBmp(picture.Bitmap, TBmpFormat::bf24));
                       !written) {
                ReportFailure("Folder picture", written.Error().Message());
                ok = false;
            }
            newPicture.clear();
        }
    } else if (!newPicture.isEmpty()) {
        WriteIniParam(target, source.Section, BackgroundKey, QStringLiteral("Path"), newPicture);
        newPicture.clear();
    }

    for (const TFontEntry& entry : FontEntries)
        WriteFontToIni(theme.*entry.Font, target, source.Section, QString::fromLatin1(entry.Id));
    WriteIniParam(target, source.Section, BackgroundKey, QStringLiteral("Align"), AlignToText(theme.FT_BACK_ALIGN));

    if (source.Place == TThemePlace::tpFolder) {
        // Hidden at once, the first Apply included, rather than one Apply late.
        for (const QString& name : {ThemeFileName, PictureFileName}) {
            const QString path = InFolder(source.Folder, name);
            if (PathKindOf(path) == TPathKind::pkFile) ok = HideInFolder(path) && ok;
        }
        ok = ok && PathKindOf(target) == TPathKind::pkFile;
    }
    return ok;
}

void ClearFolderTheme(const TFolderThemeSource& source)
{
    if (source.Place == TThemePlace::tpFolder) {
        if (const TFsStatus removed = DeleteFilePath(InFolder(source.Folder, PictureFileName)); !removed)
            ReportFailure("Folder picture", removed.Error().Message());
        return;
    }
    WriteIniParam(ResolvePath(source.File), source.Section, BackgroundKey, QStringLiteral("Path"), QString());
}
