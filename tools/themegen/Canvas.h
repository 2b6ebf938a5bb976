// Drawing helpers shared by the theme painters, the file writers, and the slicing
// the skin buffer applies, reproduced here so the preview shows images as the
// program will stretch them.
#pragma once

#include "ThemeFile.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>

namespace palette {
// One neutral ramp and one accent; every control image draws from these.
inline const QColor kInk{0x1f, 0x23, 0x28};
inline const QColor kInkSoft{0x4b, 0x53, 0x60};
inline const QColor kMuted{0x8a, 0x91, 0x9b};
inline const QColor kIcon{0x3a, 0x41, 0x4b};
inline const QColor kWhite{0xff, 0xff, 0xff};
inline const QColor kBar{0xf6, 0xf7, 0xf9};
inline const QColor kStrip{0xe4, 0xe7, 0xeb};
inline const QColor kTabIdle{0xd9, 0xdd, 0xe2};
inline const QColor kTabHot{0xee, 0xf0, 0xf3};
inline const QColor kLine{0xd6, 0xda, 0xe0};
inline const QColor kBorder{0xc3, 0xc9, 0xd1};
inline const QColor kAccent{0x3b, 0x7d, 0xd8};
inline const QColor kAccentDark{0x2a, 0x62, 0xb3};
inline const QColor kAccentPale{0xee, 0xf4, 0xfd};
inline const QColor kAccentLight{0xdd, 0xe9, 0xfb};
inline const QColor kAccentSoft{0xc9, 0xdc, 0xf7};
inline const QColor kAccentLine{0x9c, 0xbf, 0xef};
inline const QColor kAccentFill{0x86, 0xb4, 0xec};
inline const QColor kTip{0x33, 0x38, 0x3f};
inline const QColor kNegative{0xd6, 0x45, 0x4f};
}  // namespace palette

inline QColor WithAlpha(QColor c, int alpha) {
  c.setAlpha(alpha);
  return c;
}

// A transparent ARGB image.
QImage NewImage(int w, int h);

// Starts anti-aliased painting on an image.
void BeginPaint(QPainter& p, QImage& image);

// A transparent image with an anti-aliased painter on it.
struct Sheet {
  QImage image;
  QPainter p;
  Sheet(int w, int h) : image(NewImage(w, h)) { BeginPaint(p, image); }
  QImage Done() {
    p.end();
    return image;
  }
};

// A rounded rectangle whose 1-px border sits on whole pixels: `rect` is the outer
// edge of the shape in pixel coordinates.
void FillRounded(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill,
                 const QColor& border = Qt::transparent);

// Same with independent corners: top corners `rTop`, bottom corners `rBottom`.
void FillRoundedTop(QPainter& p, const QRectF& rect, qreal rTop, qreal rBottom, const QColor& fill,
                    const QColor& border = Qt::transparent, bool borderBottom = true);

// A soft shadow spreading `extent` pixels around `rect`.
void SoftShadow(QPainter& p, const QRectF& rect, qreal radius, int extent, int alpha, qreal dy = 0);

bool SavePng(const QImage& image, const QString& path);
// 24-bit uncompressed bottom-up BMP, the plainest form any reader takes; the image
// is flattened on white first.
bool SaveBmp24(const QImage& image, const QString& path);

// The skin buffer's scaling of a theme image to W x H under its entry.
QImage ResizeForEntry(const QImage& src, const ParsedEntry& e, int w, int h);
// The skin buffer's scaled draw: grown by the draw offsets, then placed.
void DrawEntry(QPainter& p, const QImage& src, const ParsedEntry& e, const QRect& r);
