#pragma once
// The program's font object: what a theme's font text names (face, size in
// points, colour, bold, italic) and its mapping to a Qt font. Sizes map to pixels
// at a fixed 96 dots per inch, so text measures the same headless, in tests and on
// any screen.

#include "platform/image/QV_Color.h"

#include <QFont>
#include <QString>

#include <vector>

class TFont {
public:
    // A fresh font: the face, size and colour every theme falls back on.
    TFont() = default;

    QString Name = QStringLiteral("Tahoma");
    int Size = 8;          // points
    TColor Color = 0;      // 0x00BBGGRR
    bool Bold = false;
    bool Italic = false;

    bool operator==(const TFont&) const = default;

    // Pixel height of the em box: Size points at 96 dpi, at least 1.
    int PixelSize() const;
    QFont ToQFont() const;
};

// Text extents in a font. Explicit line breaks ("\n", "\r\n" or "\r") start new
// lines: the width is that of the widest line, the height the lines' count times
// the line height. An empty text is one line high and 0 wide.
int MeasureTextWidth(const TFont& font, const QString& text);
int MeasureTextHeight(const TFont& font, const QString& text);

// The x of every caret place of one line of text, from the line's start: entry
// i is the width of the first i code units (a place inside a surrogate pair
// repeats its neighbour's). text.size() + 1 entries, rising; line breaks are
// measured as they come, so pass one line.
std::vector<int> MeasureCaretPlaces(const TFont& font, const QString& text);

// Makes the faces the themes name available where fontconfig does not see them
// (the Tahoma files that sit outside its path). Safe to call more than once;
// needs a QGuiApplication. Answers how many files were added by this call.
int RegisterBundledFonts();
