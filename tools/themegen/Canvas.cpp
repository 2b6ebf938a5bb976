#include "Canvas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainterPath>
#include <QtEndian>

QImage NewImage(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void BeginPaint(QPainter& p, QImage& image) {
  p.begin(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

static QPainterPath RoundedPath(const QRectF& r, qreal rTop, qreal rBottom) {
  QPainterPath path;
  path.moveTo(r.left() + rTop, r.top());
  path.lineTo(r.right() - rTop, r.top());
  path.arcTo(QRectF(r.right() - 2 * rTop, r.top(), 2 * rTop, 2 * rTop), 90, -90);
  path.lineTo(r.right(), r.bottom() - rBottom);
  path.arcTo(QRectF(r.right() - 2 * rBottom, r.bottom() - 2 * rBottom, 2 * rBottom, 2 * rBottom), 0, -90);
  path.lineTo(r.left() + rBottom, r.bottom());
  path.arcTo(QRectF(r.left(), r.bottom() - 2 * rBottom, 2 * rBottom, 2 * rBottom), 270, -90);
  path.lineTo(r.left(), r.top() + rTop);
  path.arcTo(QRectF(r.left(), r.top(), 2 * rTop, 2 * rTop), 180, -90);
  path.closeSubpath();
  return path;
}

void FillRounded(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill, const QColor& border) {
  FillRoundedTop(p, rect, radius, radius, fill, border, true);
}

void FillRoundedTop(QPainter& p, const QRectF& rect, qreal rTop, qreal rBottom, const QColor& fill,
                    const QColor& border, bool borderBottom) {
  p.save();
  p.setPen(Qt::NoPen);
  if (border.alpha() == 0) {
    p.setBrush(fill);
    p.drawPath(RoundedPath(rect, rTop, rBottom));
  } else {
    // Border first as the outer shape, fill as the shape inset by one pixel: both
    // edges stay on the pixel grid, so the straight runs are exactly 1 px.
    p.setBrush(border);
    p.drawPath(RoundedPath(rect, rTop, rBottom));
    QRectF inner = rect.adjusted(1, 1, -1, borderBottom ? -1 : 0);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setBrush(fill);
    p.drawPath(RoundedPath(inner, qMax<qreal>(0, rTop - 1), borderBottom ? qMax<qreal>(0, rBottom - 1) : rBottom));
  }
  p.restore();
}

void SoftShadow(QPainter& p, const QRectF& rect, qreal radius, int extent, int alpha, qreal dy) {
  p.save();
  p.setPen(Qt::NoPen);
  for (int i = extent; i >= 1; --i) {
    const qreal t = 1.0 - qreal(i) / (extent + 1);
    p.setBrush(QColor(0, 0, 0, int(alpha * t * t / extent * 2.2)));
    p.drawRoundedRect(rect.adjusted(-i, -i + dy, i, i + dy), radius + i, radius + i);
  }
  p.restore();
}

bool SavePng(const QImage& image, const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  // Quality 0 asks the PNG writer for its strongest compression.
  return image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG", 0);
}

bool SaveBmp24(const QImage& image, const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  {
    QPainter p(&flat);
    p.drawImage(0, 0, image);
  }
  const int w = flat.width(), h = flat.height();
  const int stride = (w * 3 + 3) & ~3;
  const quint32 dataSize = quint32(stride) * quint32(h);
  QByteArray out(54, '\0');
  auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, out.data() + at); };
  auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, out.data() + at); };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, 54 + dataSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, quint32(w));
  put32(22, quint32(h));
  put16(26, 1);
  put16(28, 24);
  put32(34, dataSize);
  put32(38, 2835);  // 72 dpi
  put32(42, 2835);
  QByteArray row(stride, '\0');
  for (int y = h - 1; y >= 0; --y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      row[3 * x] = char(qBlue(line[x]));
      row[3 * x + 1] = char(qGreen(line[x]));
      row[3 * x + 2] = char(qRed(line[x]));
    }
    out += row;
  }
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

static void Piece(QPainter& p, const QImage& src, QRect from, QRect to) {
  if (from.width() <= 0 || from.height() <= 0 || to.width() <= 0 || to.height() <= 0) return;
  p.drawImage(to, src, from);
}

QImage ResizeForEntry(const QImage& src, const ParsedEntry& e, int w, int h) {
  const int sw = src.width(), sh = src.height();
  int ml = e.margins.left, mr = e.margins.right, mt = e.margins.top, mb = e.margins.bottom;
  const DrawMode mode = e.mode.value_or(DrawMode::None);
  if (mode == DrawMode::None) return src;
  if (mode == DrawMode::Full) {
    w = qMax(w, ml + mr + 1);
    h = qMax(h, 2 * mt + 1);
  }
  if (mode == DrawMode::Horiz) mt = sh;
  if (mode == DrawMode::Vert) ml = sw;
  QImage dest = NewImage(w, h);
  QPainter p(&dest);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  switch (mode) {
    case DrawMode::Stretch: p.drawImage(QRect(0, 0, w, h), src); break;
    case DrawMode::Full:
      Piece(p, src, {0, 0, ml, mt}, {0, 0, ml, mt});
      Piece(p, src, {sw - mr, 0, mr, mt}, {w - mr, 0, mr, mt});
      Piece(p, src, {0, sh - mb, ml, mb}, {0, h - mb, ml, mb});
      Piece(p, src, {sw - mr, sh - mb, mr, mb}, {w - mr, h - mb, mr, mb});
      Piece(p, src, {ml, 0, sw - ml - mr, mt}, {ml, 0, w - ml - mr, mt});
      Piece(p, src, {ml, sh - mb, sw - ml - mr, mb}, {ml, h - mb, w - ml - mr, mb});
      Piece(p, src, {0, mt, ml, sh - mt - mb}, {0, mt, ml, h - mt - mb});
      Piece(p, src, {sw - mr, mt, mr, sh - mt - mb}, {w - mr, mt, mr, h - mt - mb});
      Piece(p, src, {ml, mt, sw - ml - mr, sh - mt - mb}, {ml, mt, w - ml - mr, h - mt - mb});
      break;
    case DrawMode::Horiz:
      Piece(p, src, {0, 0, ml, mt}, {0, 0, ml, mt});
      Piece(p, src, {sw - mr, 0, mr, mt}, {w - mr, 0, mr, mt});
      Piece(p, src, {ml, 0, sw - ml - mr, mt}, {ml, 0, w - ml - mr, mt});
      break;
    case DrawMode::Vert:
      Piece(p, src, {0, 0, ml, mt}, {0, 0, ml, mt});
      Piece(p, src, {0, sh - mb, ml, mb}, {0, h - mb, ml, mb});
      Piece(p, src, {0, mt, sw, sh - mt - mb}, {0, mt, sw, h - mt - mb});
      break;
    case DrawMode::None: break;
  }
  return dest;
}

void DrawEntry(QPainter& p, const QImage& src, const ParsedEntry& e, const QRect& r) {
  if (src.isNull()) return;
  const int w = r.width() + e.offset.left + e.offset.right;
  const int h = r.height() + e.offset.top + e.offset.bottom;
  if (w <= 0 || h <= 0) return;
  p.drawImage(r.left() - e.offset.left, r.top() - e.offset.top, ResizeForEntry(src, e, w, h));
}
