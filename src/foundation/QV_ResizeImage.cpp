// Resizing theme images: the block helpers, the resamplers and the six modes.

#include "foundation/QV_PaintUtils.h"
#include "platform/image/QV_ImageFile.h"

#include <algorithm>

namespace {

bool SizeAllowed(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && CheckImageSize(width, height).isEmpty();
}

// The same pixels drawn as a replacement rather than blended.
TBitmap32 OpaqueView(const TBitmap32& src)
{
    TBitmap32 view = src;
    view.DrawMode = TDrawMode::dmOpaque;
    return view;
}

// A fresh transparent width x height bitmap for dest (or none for a size beyond
// the picture limits), keeping its font.
void MakeBlank(TBitmap32& dest, int width, int height)
{
    TBitmap32 blank;
    if (SizeAllowed(width, height)) blank.SetSize(width, height);
    blank.Font = dest.Font;
    dest = blank;
}

} // namespace

void ResizeParams(TResizeParams& params, TResizeMode mode, int marginTop, int marginBottom, int marginLeft,
                  int marginRight)
{
    params.ResizeType = mode;
    params.MarginTop = marginTop;
    params.MarginBottom = marginBottom;
    params.MarginLeft = marginLeft;
    params.MarginRight = marginRight;
}

void CopyBlock(const TBitmap32& src, QPoint srcPoint, int width, int height, TBitmap32& dest, QPoint dstPoint)
{
    if (width <= 0 || height <= 0) return;
    if (dest.Width() < width || dest.Height() < height) {
        const int newWidth = std::max(dest.Width(), width);
        const int newHeight = std::max(dest.Height(), height);
        if (!SizeAllowed(newWidth, newHeight)) return;
        TBitmap32 grown(newWidth, newHeight);
        grown.DrawMode = dest.DrawMode;
        grown.Font = dest.Font;
        grown.Draw(0, 0, OpaqueView(dest));
        dest = grown;
    }
    dest.Draw(QRect(dstPoint, QSize(width, height)), QRect(srcPoint, QSize(width, height)), OpaqueView(src));
}

void StretchBlock(const TBitmap32& src, QPoint srcPoint, int srcWidth, int srcHeight, TBitmap32& dest,
                  QPoint dstPoint, int dstWidth, int dstHeight)
{
    if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0) return;
    dest.Draw(QRect(dstPoint, QSize(dstWidth, dstHeight)), QRect(srcPoint, QSize(srcWidth, srcHeight)),
              OpaqueView(src));
}

void ResampleTo(TBitmap32& bitmap, int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (!SizeAllowed(width, height)) return;
    if (bitmap.Width() <= 1 || bitmap.Height() <= 1) bitmap.SetSize(32, 32);
    if (bitmap.Width() == width && bitmap.Height() == height) return;
    bitmap = bitmap.Resampled(width, height);
}

void ResampleProportional(TBitmap32& bitmap, int width, int height)
{
    if (bitmap.Empty()) bitmap.SetSize(32, 32);
    const std::int64_t w = bitmap.Width();
    const std::int64_t h = bitmap.Height();
    std::int64_t newWidth = width;
    std::int64_t newHeight = height;
    if (h < w)
        newHeight = std::int64_t(width) * h / w;
    else
        newWidth = std::int64_t(height) * w / h;
    // Beyond an int the picture limits refuse the size anyway.
    newWidth = std::clamp<std::int64_t>(newWidth, -1, kMaxImageSide + 1);
    newHeight = std::clamp<std::int64_t>(newHeight, -1, kMaxImageSide + 1);
    ResampleTo(bitmap, int(newWidth), int(newHeight));
}

void StretchInto(const TBitmap32& src, TBitmap32& dest, int width, int height)
{
    MakeBlank(dest, width, height);
    if (dest.Empty() || src.Empty()) return;
    dest.Draw(dest.BoundsRect(), src.BoundsRect(), OpaqueView(src));
}

namespace {

// Nine-slice: corners unscaled, edges stretched one way, the centre both ways.
void ResizeFull(const TBitmap32& src, TBitmap32& dest, int w, int h, int ml, int mr, int mt, int mb)
{
    const int sw = src.Width();
    const int sh = src.Height();
    CopyBlock(src, {0, 0}, ml, mt, dest, {0, 0});
    CopyBlock(src, {sw - mr, 0}, mr, mt, dest, {w - mr, 0});
    CopyBlock(src, {0, sh - mb}, ml, mb, dest, {0, h - mb});
    CopyBlock(src, {sw - mr, sh - mb}, mr, mb, dest, {w - mr, h - mb});
    StretchBlock(src, {ml, 0}, sw - ml - mr, mt, dest, {ml, 0}, w - ml - mr, mt);
    StretchBlock(src, {ml, sh - mb}, sw - ml - mr, mb, dest, {ml, h - mb}, w - ml - mr, mb);
    StretchBlock(src, {0, mt}, ml, sh - mt - mb, dest, {0, mt}, ml, h - mt - mb);
    StretchBlock(src, {sw - mr, mt}, mr, sh - mt - mb, dest, {w - mr, mt}, mr, h - mt - mb);
    StretchBlock(src, {ml, mt}, sw - ml - mr, sh - mt - mb, dest, {ml, mt}, w - ml - mr, h - mt - mb);
}

// Three-slice across the top mt rows: caps unscaled, the middle stretched across.
void ResizeHorizontal(const TBitmap32& src, TBitmap32& dest, int w, int ml, int mr, int mt)
{
    const int sw = src.Width();
    CopyBlock(src, {0, 0}, ml, mt, dest, {0, 0});
    CopyBlock(src, {sw - mr, 0}, mr, mt, dest, {w - mr, 0});
    StretchBlock(src, {ml, 0}, sw - ml - mr, mt, dest, {ml, 0}, w - ml - mr, mt);
}

// Three-slice down: caps ml wide, the middle stretched down at the full source width.
void ResizeVertical(const TBitmap32& src, TBitmap32& dest, int h, int ml, int mt, int mb)
{
    const int sw = src.Width();
    const int sh = src.Height();
    CopyBlock(src, {0, 0}, ml, mt, dest, {0, 0});
    CopyBlock(src, {0, sh - mb}, ml, mb, dest, {0, h - mb});
    StretchBlock(src, {0, mt}, sw, sh - mt - mb, dest, {0, mt}, sw, h - mt - mb);
}

} // namespace

void ResizeImage(const TBitmap32& src, TBitmap32& dest, int width, int height, const TResizeParams& params)
{
    const int ml = std::clamp(params.MarginLeft, 0, src.Width());
    const int mr = std::clamp(params.MarginRight, 0, src.Width());
    const int mt = std::clamp(params.MarginTop, 0, src.Height());
    const int mb = std::clamp(params.MarginBottom, 0, src.Height());
    switch (params.ResizeType) {
    case rmFull:
        MakeBlank(dest, width, height);
        if (!dest.Empty()) ResizeFull(src, dest, width, height, ml, mr, mt, mb);
        break;
    case rmHorizontal:
        MakeBlank(dest, width, height);
        if (!dest.Empty()) ResizeHorizontal(src, dest, width, ml, mr, mt);
        break;
    case rmVertical:
        MakeBlank(dest, width, height);
        if (!dest.Empty()) ResizeVertical(src, dest, height, ml, mt, mb);
        break;
    case rmStretch:
        StretchInto(src, dest, width, height);
        break;
    case rmStretchProp: {
        const TFont font = dest.Font;
        dest = src;
        dest.Font = font;
        ResampleProportional(dest, width, height);
        break;
    }
    case rmNone: {
        const TFont font = dest.Font;
        dest = src;
        dest.Font = font;
        break;
    }
    }
    dest.DrawMode = TDrawMode::dmBlend;
}
