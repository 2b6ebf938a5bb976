// Renders Breeze icons (SVG) to images.
#pragma once

#include "Canvas.h"

#include <QImage>
#include <QString>

enum class IconStyle {
  Mono,    // the monochrome action glyphs, recoloured to one ink
  Colour,  // full-colour artwork (places, devices, mime types), left as drawn
};

// Path of the best source for `name`: monochrome glyphs prefer their 22-px design,
// colour artwork its largest. Empty when Breeze has no such icon.
QString FindIcon(const QString& breezeDir, const QString& name, IconStyle style);

// The icon's artwork scaled to `glyph` pixels, centred in a `size` square image.
// A null image when the icon is missing or does not render.
QImage RenderIcon(const QString& breezeDir, const QString& name, IconStyle style, int size, int glyph,
                  const QColor& ink = palette::kIcon);
