#pragma once
// The program's 32-bit ARGB raster surface: the back buffer, every theme image
// and every icon. Pixels are stored premultiplied in a QImage
// (Format_ARGB32_Premultiplied); the TColor32 values passed in and out are
// straight alpha. Copies share their pixels until one of them changes.

#include "platform/image/QV_Color.h"
#include "platform/desktop/QV_Font.h"
#include "platform/image/QV_Resample.h"
#include "platform/desktop/QV_TextDraw.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

// How this bitmap goes onto another when it is the source of a Draw.
enum class TDrawMode {
    dmOpaque, // the source pixels replace the target's, alpha included
    dmBlend,  // source over target, respecting the source's alpha
};

class TBitmap32 {
public:
    TBitmap32() = default;
    TBitmap32(int width, int height);
    // Takes over a picture, converted to premultiplied ARGB.
    explicit TBitmap32(const QImage& image);

    // A new size clears every pixel to transparent black; the same size keeps the
    // content. Negative sizes count as 0.
    void SetSize(int width, int height);
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull(); }
    QRect BoundsRect() const { return image_.rect(); }

    // Copies size, pixels, draw mode and font.
    void Assign(const TBitmap32& other) { *this = other; }

    void Clear(TColor32 color = 0);
    // Fills the rectangle (cut to the bitmap), blending when the colour is translucent
    // and `mode` is dmBlend.
    void FillRect(const QRect& rect, TColor32 color, TDrawMode mode = TDrawMode::dmBlend);
    // A one-pixel frame just inside the rectangle.
    void FrameRect(const QRect& rect, TColor32 color, TDrawMode mode = TDrawMode::dmBlend);

    TDrawMode DrawMode = TDrawMode::dmBlend;

    // Draws all of `src` with its top-left corner at (x, y), by src.DrawMode.
    void Draw(int x, int y, const TBitmap32& src);
    // Draws `srcRect` of `src` into `dstRect`, resampled when their sizes differ.
    // Parts of srcRect outside src are dropped along with the matching part of
    // dstRect; empty or inverted rectangles draw nothing.
    void Draw(const QRect& dstRect, const QRect& srcRect, const TBitmap32& src,
              TResampler kind = TResampler::rsDraft);

    // All of this bitmap scaled to width x height (an empty bitmap for a
    // non-positive size or an empty source).
    TBitmap32 Resampled(int width, int height, TResampler kind = TResampler::rsDraft) const;

    // The canvas font: what TextOut, DrawText and the measurements use.
    TFont Font;
    void TextOut(int x, int y, const QString& text);
    // Flags are TTextFlag values; answers the rectangle the text lines occupy.
    QRect DrawText(const QRect& rect, const QString& text, unsigned flags);
    int TextWidth(const QString& text) const { return MeasureTextWidth(Font, text); }
    int TextHeight(const QString& text) const { return MeasureTextHeight(Font, text); }

    // Straight-alpha access, for decoders and tests. Out-of-range reads give 0 and
    // out-of-range writes do nothing.
    TColor32 Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor32 color);
    // Premultiplied rows, Width() values each.
    std::uint32_t* ScanLine(int y) { return reinterpret_cast<std::uint32_t*>(image_.scanLine(y)); }
    const std::uint32_t* ScanLine(int y) const
    {
        return reinterpret_cast<const std::uint32_t*>(image_.constScanLine(y));
    }

    // The premultiplied picture, e.g. for the window's final copy.
    const QImage& Image() const { return image_; }
    QImage& Image() { return image_; }

private:
    QImage image_;
};

// Maps in every page of a picture's pixels at once, ahead of the first draw
// into it (such as a window's fresh buffer): one call instead of a page fault
// per 4 KiB, which is what a virtual machine charges most for. Best effort: a
// system without the call leaves the pages to fault in as they are drawn.
void PrefaultPixels(QImage& image);
