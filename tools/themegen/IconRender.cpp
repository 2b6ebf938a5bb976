#include "IconRender.h"

#include <QFile>
#include <QFileInfo>
#include <QSvgRenderer>

QString FindIcon(const QString& breezeDir, const QString& name, IconStyle style) {
  const QStringList monoContexts{"actions", "places", "devices", "status", "mimetypes", "apps"};
  const QStringList colourContexts{"places", "devices", "mimetypes", "apps", "status", "preferences"};
  const QStringList monoSizes{"22", "32", "16"};
  const QStringList colourSizes{"64", "48", "32"};
  const auto& contexts = style == IconStyle::Mono ? monoContexts : colourContexts;
  const auto& sizes = style == IconStyle::Mono ? monoSizes : colourSizes;
  for (const auto& size : sizes) {
    for (const auto& context : contexts) {
      const QString path = QStringLiteral("%1/%2/%3/%4.svg").arg(breezeDir, context, size, name);
      if (QFileInfo::exists(path)) return path;
    }
  }
  return {};
}

QImage RenderIcon(const QString& breezeDir, const QString& name, IconStyle style, int size, int glyph,
                  const QColor& ink) {
  const QString path = FindIcon(breezeDir, name, style);
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return {};
  QByteArray svg = file.readAll();
  if (style == IconStyle::Mono) {
    // Breeze glyphs take their colour from the colour-scheme classes; swapping the
    // scheme's text and highlight colours recolours them cleanly.
    svg.replace("#232629", ink.name().toLatin1());
    svg.replace("#3daee9", palette::kAccent.name().toLatin1());
    svg.replace("#da4453", palette::kNegative.name().toLatin1());
  }
  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) return {};
  Sheet sheet(size, size);
  const qreal at = (size - glyph) / 2.0;
  renderer.render(&sheet.p, QRectF(at, at, glyph, glyph));
  return sheet.Done();
}
