#pragma once
// The one text drawing routine of the program. Flags combine as the theme and
// control code names them; their values are the classic text-drawing flag values,
// so a caller may pass a documented number such as 0x8824 unchanged.

#include "platform/desktop/QV_Font.h"

#include <QRect>
#include <QString>
#include <QStringList>

class QImage;

enum TTextFlag : unsigned {
    tfLeft = 0x0,
    tfTop = 0x0,
    tfCenter = 0x1,        // horizontally
    tfRight = 0x2,
    tfVCenter = 0x4,       // the block of lines, also when it has several lines
    tfBottom = 0x8,
    tfWordBreak = 0x10,    // wraps at spaces; ignored with tfSingleLine
    tfSingleLine = 0x20,   // line breaks draw as spaces
    tfNoClip = 0x100,
    tfNoPrefix = 0x800,    // "&" is drawn as it is
    tfPathEllipsis = 0x4000, // keeps the last path component, cuts before it
    tfEndEllipsis = 0x8000,
};

// Without tfNoPrefix, "&&" draws one "&" and "&x" draws x underlined.
// Draws `text` in `font` (its colour, opaque) into `rect` of the premultiplied
// ARGB image, clipped to the rectangle unless tfNoClip. Answers the rectangle the
// laid-out lines occupy (it may exceed `rect` when clipped).
QRect DrawTextIn(QImage& image, const TFont& font, const QRect& rect, const QString& text, unsigned flags);

// One line with its top-left corner at (x, y), unclipped, no prefix processing.
void TextOutAt(QImage& image, const TFont& font, int x, int y, const QString& text);

// The laid-out lines DrawTextIn would draw for a rectangle of that width (no
// drawing): wrapping, ellipses and prefix removal applied.
QStringList LayoutTextLines(const TFont& font, int width, const QString& text, unsigned flags);
