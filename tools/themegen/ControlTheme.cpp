// Draws every image of the control theme and writes its ThemeData.QVS.
#include "Canvas.h"
#include "Generators.h"
#include "IconRender.h"

#include <QDebug>
#include <QPainterPath>

namespace {

using namespace palette;

class Writer {
 public:
  Writer(const QString& dir) : dir_(dir) {}

  void Image(const QString& section, const QString& key, const QString& file, const QImage& image,
             const ImageEntry& entry) {
    if (!SavePng(image, dir_ + "/" + file)) Fail("cannot write " + file);
    const QString text = entry.Text();
    if (auto old = qvs_.Value(section, key); old && *old != text) Fail(section + " " + key + " written twice");
    qvs_.Set(section, key, text);
  }
  void Font(const QString& section, const QString& key, const FontStyle& font) {
    qvs_.Set(section, "Font(" + key + ")", font.Text());
  }
  void Set(const QString& section, const QString& key, const QString& value) { qvs_.Set(section, key, value); }
  void Bmp(const QString& file, const QImage& image) {
    if (!SaveBmp24(image, dir_ + "/" + file)) Fail("cannot write " + file);
  }
  bool Finish() {
    if (!qvs_.Save(dir_ + "/ThemeData.QVS")) Fail("cannot write ThemeData.QVS");
    return ok_;
  }
  ThemeFile& File() { return qvs_; }

 private:
  void Fail(const QString& what) {
    qWarning().noquote() << "controls:" << what;
    ok_ = false;
  }
  QString dir_;
  ThemeFile qvs_;
  bool ok_ = true;
};

ImageEntry Full(Insets margins, Insets offset = {}) { return {DrawMode::Full, margins, offset, std::nullopt, {}}; }
ImageEntry Stretch() { return {DrawMode::Stretch, {0, 0, 0, 0}, {}, std::nullopt, {}}; }
ImageEntry WithWorkArea(ImageEntry e, Insets workArea) {
  e.workArea = workArea;
  return e;
}
Insets Even(int n) { return {n, n, n, n}; }

FontStyle Font(const QColor& color, int size = 10, bool bold = false) { return {"Calibri", color, size, bold}; }

// A rounded plate filling the image.
QImage Plate(int w, int h, qreal radius, const QColor& fill, const QColor& border) {
  Sheet sheet(w, h);
  QPainter& p = sheet.p;
  FillRounded(p, QRectF(0, 0, w, h), radius, fill, border);
  return sheet.Done();
}

// A plate inside a soft shadow; the shadow lives in the draw offsets.
QImage Floating(int w, int h, const Insets& shadow, qreal radius, const QColor& fill, const QColor& border) {
  Sheet sheet(w, h);
  QPainter& p = sheet.p;
  const QRectF plate(shadow.left, shadow.top, w - shadow.left - shadow.right, h - shadow.top - shadow.bottom);
  SoftShadow(p, plate, radius, qMin(shadow.left, shadow.right) + 1, 70, (shadow.bottom - shadow.top) / 2.0);
  FillRounded(p, plate, radius, fill, border);
  return sheet.Done();
}

// A flat bar with a 1-px rule along its top or bottom edge.
QImage FlatBar(bool ruleOnTop, bool ruleBelow) {
  QImage image = NewImage(12, 12);
  QPainter p(&image);
  p.fillRect(image.rect(), kBar);
  if (ruleOnTop) p.fillRect(0, 0, 12, 1, kLine);
  if (ruleBelow) p.fillRect(0, 11, 12, 1, kLine);
  return image;
}

QImage HotButton(int size = 24) { return Plate(size, size, 6, kAccentLight, kAccentLine); }

enum class TabLook { Normal, Hot, Active, HotActive };

// Tabs: rounded top corners; the active tab reaches the strip's bottom edge so it
// flows into the quick bar, the others stop one pixel short and let the strip's
// rule show below them.
QImage Tab(TabLook look) {
  const int w = 40, h = 24;
  Sheet sheet(w, h);
  QPainter& p = sheet.p;
  const bool active = look == TabLook::Active || look == TabLook::HotActive;
  if (!active) {
    FillRoundedTop(p, QRectF(0, 0, w, h - 1), 6, 0, look == TabLook::Hot ? kTabHot : kTabIdle);
    return sheet.Done();
  }
  FillRoundedTop(p, QRectF(0, 0, w, h), 6, 0, look == TabLook::HotActive ? kWhite : kBar, kLine, false);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(1, 1, w - 2, h + 8), 5, 5);
  QPainterPath band;
  band.addRect(QRectF(0, 1, w, 2));
  p.setPen(Qt::NoPen);
  p.setBrush(kAccent);
  p.drawPath(shape.intersected(band));
  return sheet.Done();
}

QImage StripBack() {
  QImage image = NewImage(12, 28);
  QPainter p(&image);
  p.fillRect(image.rect(), kStrip);
  p.fillRect(0, 27, 12, 1, kLine);
  return image;
}

// Left-docked action bar: square on the window edge, rounded on its open side.
QImage ActionBarBack(const Insets& shadow) {
  const int w = 24, h = 33;
  Sheet sheet(w, h);
  QPainter& p = sheet.p;
  const QRectF plate(-10, shadow.top, w - shadow.right + 10, h - shadow.top - shadow.bottom);
  SoftShadow(p, plate, 8, shadow.right, 60, 1.5);
  FillRounded(p, plate, 8, kBar, kLine);
  return sheet.Done();
}

QImage ScrollTrack() {
  Sheet sheet(40, 40);
  QPainter& p = sheet.p;
  FillRounded(p, QRectF(14, 3, 12, 34), 6, QColor(0, 0, 0, 20));
  return sheet.Done();
}

QImage ScrollPan() {
  Sheet sheet(10, 20);
  QPainter& p = sheet.p;
  FillRounded(p, QRectF(0, 0, 10, 20), 5, QColor(0x9a, 0xa1, 0xab));
  return sheet.Done();
}

QImage MenuBack(const Insets& shadow) {
  const int w = 32, h = 62;
  Sheet sheet(w, h);
  QPainter& p = sheet.p;
  const QRectF plate(shadow.left, shadow.top, w - shadow.left - shadow.right, h - shadow.top - shadow.bottom);
  SoftShadow(p, plate, 8, 4, 80, 2);
  FillRounded(p, plate, 8, kWhite, kBorder);
  // Title band behind the caption row, closed by a rule.
  FillRoundedTop(p, QRectF(plate.left() + 1, plate.top() + 1, plate.width() - 2, 33), 7, 0, kBar);
  p.fillRect(QRectF(plate.left() + 1, plate.top() + 34, plate.width() - 2, 1), kLine);
  return sheet.Done();
}

QImage Chevron(int size) {
  Sheet sheet(size, size);
  QPainter& p = sheet.p;
  QPen pen(kMuted, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  const qreal c = size / 2.0;
  p.drawPolyline(QPolygonF({QPointF(c - 2, c - 4.5), QPointF(c + 2.5, c), QPointF(c - 2, c + 4.5)}));
  return sheet.Done();
}

QImage Caret() {
  QImage image = NewImage(5, 16);
  QPainter p(&image);
  p.fillRect(2, 0, 1, 16, kAccent);
  return image;
}

QImage Solid(int w, int h, const QColor& c) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(c);
  return image;
}

enum class RowLook { Normal, Hot, Selected, HotSelected };

// Group header rows are always 20 px high: the marker in the left margin is copied
// unscaled, the band between the margins stretches along the row.
QImage GroupRow(RowLook look) {
  const int w = 64, h = 20;
  Sheet sheet(w, h);
  QPainter& p = sheet.p;
  switch (look) {
    case RowLook::Normal: p.fillRect(QRectF(0, h - 1, w, 1), kLine); break;
    case RowLook::Hot: FillRounded(p, QRectF(0, 0, w, h), 4, kAccentPale, QColor(0xd9, 0xe6, 0xf9)); break;
    case RowLook::Selected: FillRounded(p, QRectF(0, 0, w, h), 4, kAccentLight, kAccentLine); break;
    case RowLook::HotSelected: FillRounded(p, QRectF(0, 0, w, h), 4, kAccentSoft, kAccent); break;
  }
  // Exactly the stretched rows, so stretching keeps it a clean bar.
  p.fillRect(QRectF(10, 5, 3, 10), kAccent);
  return sheet.Done();
}

QImage ItemBack(RowLook look) {
  switch (look) {
    case RowLook::Normal: return NewImage(24, 24);
    case RowLook::Hot: return Plate(24, 24, 6, kAccentPale, QColor(0xd9, 0xe6, 0xf9));
    case RowLook::Selected: return Plate(24, 24, 6, kAccentLight, kAccentLine);
    case RowLook::HotSelected: return Plate(24, 24, 6, kAccentSoft, kAccent);
  }
  return {};
}

// Holder backgrounds: a Breeze artwork washed out to a whisper of grey in the lower
// right corner of a white field, as a 24-bit bitmap (the holders read these through
// the bitmap loader, which has no alpha).
QImage Watermark(const QString& breezeDir, const QString& icon) {
  const QImage glyph = RenderIcon(breezeDir, icon, IconStyle::Colour, 150, 150);
  QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter p(&image);
  p.drawImage(25, 5, glyph);
  p.end();
  for (int y = 0; y < image.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int shade = 255 - (255 - qGray(line[x])) * 9 / 100;
      line[x] = qRgb(shade - (255 - shade) / 5, shade - (255 - shade) / 10, shade);
    }
  }
  return image;
}

}  // namespace

bool BuildControlTheme(const QString& themeDir, const QString& breezeDir) {
  Writer w(themeDir);
  WriteAbout(w.File(),
             "Light and quiet: soft grey bars, white menus and fields, one calm blue for "
             "selection and focus, rounded corners and Calibri text.");

  // Tab strip: 28 px high by default; the tabs fill the work area, 24 px high.
  w.Image("SmartTabs", "Image(Background)", "SmartTabs/ControlBack.png", StripBack(),
          WithWorkArea(Full({1, 1, 1, 2}), {6, 4, 6, 0}));
  w.Image("SmartTabs", "Image(Tab.Normal)", "SmartTabs/TabNormal.png", Tab(TabLook::Normal), Full({7, 7, 7, 2}));
  w.Image("SmartTabs", "Image(Tab.Hot)", "SmartTabs/TabHot.png", Tab(TabLook::Hot), Full({7, 7, 7, 2}));
  w.Image("SmartTabs", "Image(Tab.Active)", "SmartTabs/TabActive.png", Tab(TabLook::Active), Full({7, 7, 7, 2}));
  // The tab-kind icons inherit this entry's draw offsets: they stay zero.
  w.Image("SmartTabs", "Image(Tab.HotActive)", "SmartTabs/TabHotActive.png", Tab(TabLook::HotActive),
          Full({7, 7, 7, 2}));
  w.Image("SmartTabs", "Image(Button.Normal)", "SmartTabs/ButtonNormal.png",
          Plate(24, 24, 5, WithAlpha(kWhite, 90), Qt::transparent), WithWorkArea(Full(Even(6)), Even(3)));
  w.Image("SmartTabs", "Image(Button.Hot)", "SmartTabs/ButtonHot.png", Plate(24, 24, 5, kWhite, kBorder),
          Full(Even(6)));
  w.Font("SmartTabs", "Tab.Normal", Font(kInkSoft));
  w.Font("SmartTabs", "Tab.Hot", Font(kInk));
  w.Font("SmartTabs", "Tab.Active", Font(kInk, 10, true));
  w.Font("SmartTabs", "Tab.HotActive", Font(kInk, 10, true));
  w.Font("SmartTabs", "Button.Normal", Font(kInkSoft));
  w.Font("SmartTabs", "Button.Hot", Font(kInk));

  // Bars. Their buttons draw only the hot background; items are 48 px (quick bar)
  // and 24 px (path and action bar) squares.
  w.Image("QuickBar", "Image(Background)", "QuickBar/ControlBack.png", FlatBar(false, true),
          WithWorkArea(Full(Even(1)), {8, 5, 8, 6}));
  w.Image("QuickBar", "Image(Item.Back)", "QuickBar/ItemBack.png", HotButton(), Full(Even(7)));
  w.Image("PathBar", "Image(Background)", "PathBar/ControlBack.png", FlatBar(true, false),
          WithWorkArea(Full(Even(1)), {8, 5, 8, 4}));
  w.Image("PathBar", "Image(Item.Back)", "PathBar/ItemBack.png", HotButton(), Full(Even(7)));
  const Insets actionShadow{0, 2, 5, 5};
  w.Image("ActionBar", "Image(Background)", "ActionBar/ControlBack.png", ActionBarBack(actionShadow),
          WithWorkArea(Full({2, 11, 14, 14}, actionShadow), {4, 10, 6, 10}));
  w.Image("ActionBar", "Image(Item.Back)", "ActionBar/ItemBack.png", HotButton(), Full(Even(7)));

  // Scroll bar, 40 px wide: a track shown on hover and a slim pan centred on it.
  w.Image("SmartScroll", "Image(Background)", "SmartScroll/ControlBack.png", ScrollTrack(),
          WithWorkArea(Full({20, 9, 19, 9}), {15, 6, 15, 6}));
  ImageEntry pan = Full({4, 6, 4, 6});
  pan.extra = "Width(10), Height(44)";
  w.Image("SmartScroll", "Image(ScrollButton)", "SmartScroll/ScrollButton.png", ScrollPan(), pan);

  // Menu: the title row starts 11 px below the top; the work area starts below it.
  const Insets menuShadow{3, 2, 3, 6};
  w.Image("SmartMenu", "Image(Background)", "SmartMenu/ControlBack.png", MenuBack(menuShadow),
          WithWorkArea(Full({12, 39, 12, 15}, menuShadow), {8, 40, 8, 6}));
  w.Image("SmartMenu", "Image(Item.Back)", "SmartMenu/ItemBack.png", Plate(24, 24, 5, kAccentLight, kAccentLine),
          Full(Even(6)));
  w.Image("SmartMenu", "Image(Item.Menu)", "SmartMenu/SubMenu.png", Chevron(23), Stretch());
  w.Font("SmartMenu", "Button.Normal", Font(kInk));
  w.Font("SmartMenu", "Button.Hot", Font(kAccentDark));

  // Tips float over everything: dark for hints, the accent for the selection.
  const Insets tipShadow{2, 1, 2, 4};
  w.Image("SmartTip", "Image(Background)", "SmartTip/ControlBack.png",
          Floating(24, 26, tipShadow, 5, WithAlpha(kTip, 245), Qt::transparent),
          WithWorkArea(Full({8, 7, 8, 10}, tipShadow), {8, 3, 8, 4}));
  w.Font("SmartTip", "Text.Normal", Font(kWhite));
  const QImage selectTip = Floating(26, 28, tipShadow, 6, kAccent, Qt::transparent);
  const ImageEntry selectEntry = WithWorkArea(Full({9, 8, 9, 11}, tipShadow), {10, 6, 10, 7});
  w.Image("SelectTip", "Image(Background)", "SelectTip/ControlBack.png", selectTip, selectEntry);
  w.Image("SelectTip", "Image(Background)", "SelectTip/Background.png", selectTip, selectEntry);
  w.Font("SelectTip", "Text.Normal", Font(kWhite));

  // Progress bar inside the search bar: an 18-px track with a 14-px fill.
  w.Image("ProgressBar", "Image(Background)", "ProgressBar/ControlBack.png",
          Plate(24, 18, 5, QColor(0xe9, 0xec, 0xef), kLine), WithWorkArea(Full(Even(6)), Even(2)));
  w.Image("ProgressBar", "Image(Progress)", "ProgressBar/ProgressBack.png",
          Plate(16, 14, 4, kAccentFill, Qt::transparent), Full(Even(4)));
  w.Font("SmartProgress", "Text.Normal", Font(kInk, 9));

  // Search bars replace the quick bar and the path bar in search mode.
  w.Image("SearchBar", "Image(Background)", "SearchBar/ControlBack.png", FlatBar(false, true),
          WithWorkArea(Full(Even(1)), {8, 6, 8, 6}));
  w.Image("SearchBar", "Image(Item.Back)", "SearchBar/ItemBack.png", HotButton(), Full(Even(7)));
  w.Font("SearchBar", "Text.Status", Font(kInkSoft));
  w.Image("SearchBar2", "Image(Background)", "SearchBar2/ControlBack.png", FlatBar(true, false),
          WithWorkArea(Full(Even(1)), {8, 4, 8, 4}));
  w.Image("SearchBar2", "Image(Item.Back)", "SearchBar2/ItemBack.png", HotButton(), Full(Even(7)));
  w.Font("SearchBar2", "Text.Normal", Font(kInk));

  // Edit fields are 22 px high; the caret is 5 px wide and stretched to the text
  // height, the selection is a flat wash under the text.
  w.Image("SmartEdit", "Image(Background)", "SmartEdit/ControlBack.png", Plate(24, 22, 4, kWhite, kBorder),
          WithWorkArea(Full(Even(5)), {6, 2, 6, 2}));
  w.Image("SmartEdit", "Image(Cursor)", "SmartEdit/Cursor.png", Caret(), Stretch());
  w.Image("SmartEdit", "Image(Select)", "SmartEdit/Select.png", Solid(8, 8, WithAlpha(kAccent, 70)), Stretch());
  w.Font("SmartEdit", "Text.Normal", Font(kMuted));
  w.Font("SmartEdit", "Text.Focused", Font(kInk));
  w.Image("PathEdit", "Image(Background)", "PathEdit/ControlBackNormal.png", Plate(24, 22, 4, kWhite, kLine),
          WithWorkArea(Full(Even(5)), {8, 2, 8, 2}));
  w.Image("PathEdit", "Image(Background.Edit)", "PathEdit/ControlBackEdit.png", Plate(24, 22, 4, kWhite, kAccent),
          Full(Even(5)));
  w.Image("PathEdit", "Image(Cursor)", "PathEdit/Cursor.png", Caret(), Stretch());
  w.Font("PathEdit", "Text.Normal", Font(kInkSoft));
  w.Font("PathEdit", "Text.Focused", Font(kInk));

  // Items (150 x 40 by default) and group header rows of the folder views.
  const struct {
    RowLook look;
    QString state, file;
  } rows[] = {{RowLook::Normal, "Normal", "Normal"},
              {RowLook::Hot, "Hot", "Hot"},
              {RowLook::Selected, "Selected", "Sel"},
              {RowLook::HotSelected, "HotSelected", "HotSel"}};
  for (const auto& r : rows) {
    w.Image("FileHolder", "Image(Item." + r.state + ")", "Items/Item" + r.file + "Back.png", ItemBack(r.look),
            Full(Even(7)));
  }
  for (const auto& r : rows) {
    w.Image("FileHolder", "Image(Group." + r.state + ")", "Items/Group" + r.file + "Back.png", GroupRow(r.look),
            Full({20, 5, 5, 5}));
  }

  // Folder-view looks: fonts and the background placement. The pictures are the
  // default backgrounds the holders fall back to.
  const struct {
    QString section, picture, glyph;
  } holders[] = {{"FileHolder", "Backgrounds/FileHolder.bmp", "folder"},
                 {"QuickDrive", "Backgrounds/QuickDrive.bmp", "computer"},
                 {"SearchHolder", "Backgrounds/SearchHolder.bmp", "kfind"}};
  for (const auto& h : holders) {
    w.Font(h.section, "Item.Normal", Font(kInk));
    w.Font(h.section, "Item.Hot", Font(kInk));
    w.Font(h.section, "Item.Selected", Font(kInk));
    w.Font(h.section, "Item.HotSelected", Font(kInk));
    w.Set(h.section, "Image(Background)", "Align(BottomRight)");
    w.Bmp(h.picture, Watermark(breezeDir, h.glyph));
  }

  return w.Finish();
}

void WriteAbout(ThemeFile& file, const QString& description) {
  file.Set("About", "Name", "Default");
  file.Set("About", "Author", "Qorvel");
  file.Set("About", "Ver", "1.0");
  file.Set("About", "Date", "2026-12-10");
  file.Set("About", "Desc", description);
}
