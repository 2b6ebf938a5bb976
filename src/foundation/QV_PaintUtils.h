#pragma once
// Fitting theme images into rectangles (nine-slice, three-slice, stretch,
// proportional), reading their parameters and fonts from theme entries, the image
// loaders, text measuring and the human-readable size text.

#include "foundation/QV_Utils.h"
#include "platform/image/QV_Bitmap32.h"

#include <QPoint>
#include <QRect>
#include <QString>

enum TResizeMode { rmNone, rmFull, rmStretch, rmStretchProp, rmHorizontal, rmVertical };

struct TResizeParams {
    TResizeMode ResizeType = rmNone;
    int MarginTop = 0;    // also the strip height in rmHorizontal
    int MarginBottom = 0;
    int MarginLeft = 0;   // also the cap width in rmVertical
    int MarginRight = 0;
    // How far the skin buffer lets the drawn image overhang its rectangle.
    int OffsetLeft = 0;
    int OffsetTop = 0;
    int OffsetRight = 0;
    int OffsetBottom = 0;

    bool operator==(const TResizeParams&) const = default;
};

// Sets the mode and the four margins; the offsets stay as they were (the tab
// icons rely on inheriting the offsets of the entry read before them).
void ResizeParams(TResizeParams& params, TResizeMode mode, int marginTop, int marginBottom, int marginLeft,
                  int marginRight);

// DrawMode(full|stretch|vert|horiz|none), exact words, default "full", any other
// word rmNone; Margins[side] default 2; DrawOffset[side] default 0. Raises
// EConvertError on a malformed number.
TResizeParams ParseResizeParams(const TParamString& params);
// The theme entry [section] ident (def when the key is missing) parsed as above; a
// missing file parses an empty text.
TResizeParams ReadResizeParams(const QString& fileName, const QString& section, const QString& ident,
                               const QString& def);

// The insets of a control's content area from its edges.
struct TWorkArea {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    bool operator==(const TWorkArea&) const = default;
};
// WorkArea[side] of the theme entry, 0 for each absent side.
TWorkArea ReadWorkArea(const QString& fileName, const QString& section, const QString& ident, const QString& def);

// Renders src into dest at width x height by the mode and margins (the offsets are
// not used here); dest ends in blend mode. Margins are clamped to 0 .. the
// source's side, so a hostile theme entry cannot make a block larger than the
// picture it comes from.
void ResizeImage(const TBitmap32& src, TBitmap32& dest, int width, int height, const TResizeParams& params);

// The width x height block of src at srcPoint copied unscaled (pixels replaced,
// alpha included) to dstPoint; dest first grows, keeping its content, to at least
// width x height.
void CopyBlock(const TBitmap32& src, QPoint srcPoint, int width, int height, TBitmap32& dest, QPoint dstPoint);
// The source block scaled into the destination block, replacing its pixels.
void StretchBlock(const TBitmap32& src, QPoint srcPoint, int srcWidth, int srcHeight, TBitmap32& dest,
                  QPoint dstPoint, int dstWidth, int dstHeight);

// In place to max(width, 1) x max(height, 1); a bitmap at most one pixel wide or
// high is first made a blank 32 x 32.
void ResampleTo(TBitmap32& bitmap, int width, int height);
// In place, the longer side taking its target length and the other following
// (truncating), e.g. 200 x 100 to (50, 50) gives 50 x 25.
void ResampleProportional(TBitmap32& bitmap, int width, int height);
// dest := width x height with all of src scaled onto it; an empty src counts as a
// blank 32 x 32.
void StretchInto(const TBitmap32& src, TBitmap32& dest, int width, int height);

// Decodes a PNG file with its alpha channel; raises EImageError on failure.
void LoadPng(const QString& fileName, TBitmap32& bitmap);
// The largest program icon LoadImageFile asks for.
inline constexpr int kLargestProgramIcon = 256;
// ".exe" (exact case): the program's icon image chosen for desiredSize (at
// most kLargestProgramIcon; 0 or less asks for that), which falls back to the
// file-icon theme's UnknownExe.png when the program has no usable icon and
// leaves the bitmap unchanged when it cannot be read at all; ".jpg": the JPEG
// picture (EImageError on failure); any other extension leaves the bitmap
// unchanged.
void LoadImageFile(const QString& fileName, TBitmap32& bitmap, int desiredSize = kLargestProgramIcon);

// Name, Size and Color keep the font's own when absent; Bold and Italic absent
// mean off. Raises EConvertError on a malformed number.
void ParseFontParams(TFont& font, const TParamString& params);
// The key "Font(" + id + ")" of the section (def when missing), applied as above.
void ReadFontFromIni(TFont& font, const QString& fileName, const QString& section, const QString& id,
                     const QString& def);
// Writes Name, Color (decimal), Size, Bold and Italic into the key "Font(" + id + ")".
void WriteFontToIni(const TFont& font, const QString& fileName, const QString& section, const QString& id);

// Pixel extents of the text in the font; 0 without a font.
int TextWidth(const QString& text, const TFont* font);
int TextHeight(const QString& text, const TFont* font);

// The height with an exclusive bottom edge; 1 for an inverted rectangle.
int RectHeight(const QRect& rect);

// "1.5 KB", "1024 bytes", " bytes" for 0: at most two decimals, trailing zeros
// dropped, no digit for a zero integer part, the user's decimal separator.
QString SizeText(qint64 size);
