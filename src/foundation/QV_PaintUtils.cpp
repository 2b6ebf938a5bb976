// Theme entry reading, fonts, image loaders, measuring and the size text.

#include "foundation/QV_PaintUtils.h"
#include "foundation/QV_System.h"
#include "platform/image/QV_Icons.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"

#include <QLocale>

#include <cmath>

namespace {

TParamString LoadEntry(const QString& fileName, const QString& section, const QString& ident, const QString& def)
{
    TParamString params;
    params.LoadFromIni(fileName, section, ident, def);
    return params;
}

QString FontKey(const QString& id) { return QStringLiteral("Font(") + id + QLatin1Char(')'); }

// The extension with its dot, as written: ".exe" and ".EXE" differ.
QString Extension(const QString& fileName)
{
    const qsizetype slash = std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? fileName.mid(dot) : QString();
}

// Only the pixels change: the bitmap keeps its draw mode and font.
void TakePixels(TBitmap32& bitmap, const TBitmap32& decoded) { bitmap.Image() = decoded.Image(); }

} // namespace

TResizeParams ParseResizeParams(const TParamString& params)
{
    TResizeParams result;
    const QString word = params.GetValue(QStringLiteral("DrawMode"), QStringLiteral("full"));
    static const struct {
        const char* Word;
        TResizeMode Mode;
    } kModes[] = {{"full", rmFull}, {"stretch", rmStretch}, {"vert", rmVertical}, {"horiz", rmHorizontal},
                  {"none", rmNone}};
    for (const auto& mode : kModes)
        if (word == QLatin1String(mode.Word)) result.ResizeType = mode.Mode;

    const QString margins = QStringLiteral("Margins");
    result.MarginLeft = params.GetSubInt(margins, QStringLiteral("Left"), 2);
    result.MarginTop = params.GetSubInt(margins, QStringLiteral("Top"), 2);
    result.MarginRight = params.GetSubInt(margins, QStringLiteral("Right"), 2);
    result.MarginBottom = params.GetSubInt(margins, QStringLiteral("Bottom"), 2);

    const QString offset = QStringLiteral("DrawOffset");
    result.OffsetLeft = params.GetSubInt(offset, QStringLiteral("Left"), 0);
    result.OffsetTop = params.GetSubInt(offset, QStringLiteral("Top"), 0);
    result.OffsetRight = params.GetSubInt(offset, QStringLiteral("Right"), 0);
    result.OffsetBottom = params.GetSubInt(offset, QStringLiteral("Bottom"), 0);
    return result;
}

TResizeParams ReadResizeParams(const QString& fileName, const QString& section, const QString& ident,
                               const QString& def)
{
    return ParseResizeParams(LoadEntry(fileName, section, ident, def));
}

TWorkArea ReadWorkArea(const QString& fileName, const QString& section, const QString& ident, const QString& def)
{
    const TParamString params = LoadEntry(fileName, section, ident, def);
    const QString group = QStringLiteral("WorkArea");
    TWorkArea area;
    area.Left = params.GetSubInt(group, QStringLiteral("Left"), 0);
    area.Top = params.GetSubInt(group, QStringLiteral("Top"), 0);
    area.Right = params.GetSubInt(group, QStringLiteral("Right"), 0);
    area.Bottom = params.GetSubInt(group, QStringLiteral("Bottom"), 0);
    return area;
}

void LoadPng(const QString& fileName, TBitmap32& bitmap)
{
    TakePixels(bitmap, TakeBitmapOrThrow(LoadPngFile(ResolvePath(fileName))));
}

void LoadImageFile(const QString& fileName, TBitmap32& bitmap, int desiredSize)
{
    const QString extension = Extension(fileName);
    if (extension == QLatin1String(".exe")) {
        const int size = desiredSize > 0 ? std::min(desiredSize, kLargestProgramIcon) : kLargestProgramIcon;
        const TIconResult icon = LoadProgramIcon(ResolvePath(fileName), size);
        if (icon.Ok()) {
            if (icon.Width > 0) TakePixels(bitmap, icon.Bitmap);
            else TakePixels(bitmap, TBitmap32(32, 32));
        } else if (icon.Error == QLatin1String(kNoIconResources) || icon.Error == QLatin1String(kInvalidIconFormat)) {
            // The configured file-icon theme supplies the fallback, since the
            // shipped folder's name is capitalised and file names are
            // case-sensitive here.
            LoadPng(QStringLiteral("FilesThemePath:\\UnknownExe.png"), bitmap);
        }
    } else if (extension == QLatin1String(".jpg")) {
        TakePixels(bitmap, TakeBitmapOrThrow(LoadJpegFile(ResolvePath(fileName), 1, TJpegSpeed::jsAccurate)));
    }
}

void ParseFontParams(TFont& font, const TParamString& params)
{
    font.Name = params.GetValue(QStringLiteral("Name"), font.Name);
    font.Size = params.GetInt(QStringLiteral("Size"), font.Size);
    font.Color = TColor(params.GetInt(QStringLiteral("Color"), int(font.Color)));
    font.Bold = params.GetBool(QStringLiteral("Bold"), false);
    font.Italic = params.GetBool(QStringLiteral("Italic"), false);
}

void ReadFontFromIni(TFont& font, const QString& fileName, const QString& section, const QString& id,
                     const QString& def)
{
    ParseFontParams(font, LoadEntry(fileName, section, FontKey(id), def));
}

void WriteFontToIni(const TFont& font, const QString& fileName, const QString& section, const QString& id)
{
    const QString path = ResolvePath(fileName);
    const QString key = FontKey(id);
    WriteIniParam(path, section, key, QStringLiteral("Name"), font.Name);
    WriteIniParamInt(path, section, key, QStringLiteral("Color"), int(font.Color));
    WriteIniParamInt(path, section, key, QStringLiteral("Size"), font.Size);
    WriteIniParamBool(path, section, key, QStringLiteral("Bold"), font.Bold);
    WriteIniParamBool(path, section, key, QStringLiteral("Italic"), font.Italic);
}

int TextWidth(const QString& text, const TFont* font)
{
    if (!font) return 0;
    TBitmap32 scratch;
    scratch.Font = *font;
    return scratch.TextWidth(text);
}

int TextHeight(const QString& text, const TFont* font)
{
    if (!font) return 0;
    TBitmap32 scratch;
    scratch.Font = *font;
    return scratch.TextHeight(text);
}

int TSmartString::TextWidth(const TFont* font) const { return ::TextWidth(SS_TEXT, font); }

int RectHeight(const QRect& rect)
{
    const int height = rect.height();
    return height < 0 ? 1 : height;
}

namespace {

// "#.##": at most two decimals, no trailing zeros, no digit for a zero integer part.
QString FormatSize(double value)
{
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative) text.remove(0, 1);
    if (text == QLatin1String("0")) text.clear();
    else if (text.startsWith(QLatin1String("0."))) text.remove(0, 1);
    if (text.isEmpty()) return text;
    text.replace(QLatin1Char('.'), QLocale::system().decimalPoint());
    return negative ? QLatin1Char('-') + text : text;
}

} // namespace

QString SizeText(qint64 size)
{
    static const struct {
        qint64 Unit;
        const char* Text;
    } kUnits[] = {{1073741824, " GB"}, {1048576, " MB"}, {1024, " KB"}};
    for (const auto& unit : kUnits)
        if (size > unit.Unit) return FormatSize(double(size) / double(unit.Unit)) + QLatin1String(unit.Text);
    return FormatSize(double(size)) + QLatin1String(" bytes");
}
