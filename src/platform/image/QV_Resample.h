#pragma once
// Scaling of premultiplied ARGB pictures. Every sample read stays inside the
// source rectangle, so a piece of a larger picture never bleeds its neighbours in.

#include <QImage>
#include <QRect>

enum class TResampler {
    // Reductions average whole blocks of source pixels (block edges rounded to
    // pixels); the fast choice for icons, backgrounds and theme images.
    rsDraft,
    // Reductions weigh every source pixel by the part of it a target pixel covers.
    rsSmooth,
};
// Enlargements interpolate linearly between the nearest source pixels in both modes.

// `srcRect` of the premultiplied `src` scaled to a new premultiplied image of
// width x height. A rectangle reaching outside `src` is cut to it first; an empty
// rectangle or a non-positive size gives a null image.
QImage ResampleImage(const QImage& src, QRect srcRect, int width, int height, TResampler kind);
