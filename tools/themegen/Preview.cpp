// Preview.png of each theme. The control preview is a miniature window put together
// from the written theme file and images, sliced the way the skin buffer slices
// them, so a wrong margin or offset shows up here first.
#include "Canvas.h"
#include "Generators.h"

#include <QDebug>
#include <QFont>
#include <QFontMetrics>

namespace {

class Skin {
 public:
  Skin(const QString& controls, const QString& buttons, const QString& files)
      : controls_(controls), buttons_(buttons), files_(files) {
    ok_ = qvs_.Load(controls + "/ThemeData.QVS");
  }
  bool Ok() const { return ok_; }

  void Draw(QPainter& p, const QString& section, const QString& key, const QString& file, const QRect& r) {
    const QImage image(controls_ + "/" + file);
    if (image.isNull()) {
      qWarning().noquote() << "preview: missing" << file;
      ok_ = false;
      return;
    }
    DrawEntry(p, image, Entry(section, key), r);
  }
  ParsedEntry Entry(const QString& section, const QString& key) const {
    return ParseEntry(qvs_.Value(section, key).value_or(QString()));
  }
  QRect WorkArea(const QString& section, const QString& key, const QRect& r) const {
    const Insets w = Entry(section, key).workArea;
    return r.adjusted(w.left, w.top, -w.right, -w.bottom);
  }

  // The font text of a theme key, at the 96-dpi pixel size the program draws at.
  void UseFont(QPainter& p, const QString& section, const QString& id) const {
    const QString text = qvs_.Value(section, "Font(" + id + ")").value_or(QString());
    QFont font(ParamValue(text, "Name").value_or("Calibri"));
    font.setPixelSize(qRound(ParamValue(text, "Size").value_or("11").toInt() * 96 / 72.0));
    font.setBold(ParamValue(text, "Bold").value_or("0") == "1");
    p.setFont(font);
    const uint bgr = ParamValue(text, "Color").value_or("$000000").mid(1).toUInt(nullptr, 16);
    p.setPen(QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff));
  }

  void Icon(QPainter& p, const QString& file, const QRect& r, bool fileIcon = false) const {
    const QImage image((fileIcon ? files_ : buttons_) + "/" + file);
    p.drawImage(r, image);
  }
  QImage Picture(const QString& file) const { return QImage(controls_ + "/" + file); }

 private:
  QString controls_, buttons_, files_;
  ThemeFile qvs_;
  bool ok_ = false;
};

void Text(QPainter& p, const QRect& r, const QString& text, int flags) {
  const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, r.width());
  p.drawText(r, flags | Qt::TextSingleLine, shown);
}

void Tab(QPainter& p, Skin& s, const QRect& r, const QString& state, const QString& icon, const QString& caption) {
  s.Draw(p, "SmartTabs", "Image(Tab." + state + ")", "SmartTabs/Tab" + state + ".png", r);
  s.Icon(p, icon, QRect(r.left(), r.top(), r.height(), r.height()));
  if (caption.isEmpty()) return;
  s.UseFont(p, "SmartTabs", "Tab." + state);
  Text(p, QRect(r.left() + r.height() + 4, r.top(), r.width() - r.height() - 6, r.height()), caption,
       Qt::AlignCenter);
}

void Button(QPainter& p, Skin& s, const QString& section, const QString& hotFile, const QRect& r, const QString& cmd,
            bool hot) {
  if (hot) s.Draw(p, section, "Image(Item.Back)", hotFile, r);
  s.Icon(p, cmd + ".png", r);
}

void Item(QPainter& p, Skin& s, const QRect& r, const QString& state, const QString& file, const QString& icon,
          const QString& caption) {
  s.Draw(p, "FileHolder", "Image(Item." + state + ")", "Items/Item" + file + "Back.png", r);
  s.Icon(p, icon, QRect(r.left(), r.top(), r.height(), r.height()), true);
  s.UseFont(p, "FileHolder", "Item." + state);
  Text(p, r.adjusted(r.height() + 5, 0, 0, 0), caption, Qt::AlignCenter);
}

void Edit(QPainter& p, Skin& s, const QString& section, const QString& key, const QString& file, const QRect& r,
          const QString& text, bool focused) {
  s.Draw(p, section, key, file, r);
  s.UseFont(p, section, focused ? "Text.Focused" : "Text.Normal");
  const QRect work = s.WorkArea(section, "Image(Background)", r);
  Text(p, work, text, Qt::AlignVCenter);
  if (!focused) return;
  const int caret = work.left() + p.fontMetrics().horizontalAdvance(text) - 2;
  s.Draw(p, "SmartEdit", "Image(Select)", "SmartEdit/Select.png",
         {work.left(), work.top(), p.fontMetrics().horizontalAdvance(text.left(4)), work.height()});
  s.Draw(p, section, "Image(Cursor)", section + "/Cursor.png", {caret, work.top(), 5, work.height()});
}

// Search mode, for a close look only: the two search bars, their fields and the
// progress bar.
QImage SearchShot(Skin& s, int W, int H) {
  QImage shot(W, H, QImage::Format_ARGB32_Premultiplied);
  shot.fill(Qt::white);
  QPainter p;
  BeginPaint(p, shot);
  const QImage back = s.Picture("Backgrounds/SearchHolder.bmp");
  p.drawImage(W - back.width(), H - back.height(), back);
  const QRect strip(0, 0, W, 28);
  s.Draw(p, "SmartTabs", "Image(Background)", "SmartTabs/ControlBack.png", strip);
  const QRect tabs = s.WorkArea("SmartTabs", "Image(Background)", strip);
  Tab(p, s, {tabs.left(), tabs.top(), 150, tabs.height()}, "Normal", "FileTab.png", "Documents");
  Tab(p, s, {tabs.right() + 1 - 150, tabs.top(), 150, tabs.height()}, "HotActive", "SearchTab.png", "report");

  const QRect bar(0, 28, W, 78);
  s.Draw(p, "SearchBar", "Image(Background)", "SearchBar/ControlBack.png", bar);
  const QRect ba = s.WorkArea("SearchBar", "Image(Background)", bar);
  Button(p, s, "SearchBar", "SearchBar/ItemBack.png", {ba.left(), ba.top(), 48, 48}, "Search.Toggle", true);
  const QRect name(ba.left() + 58, ba.top() + 5, 200, 22);
  Edit(p, s, "SmartEdit", "Image(Background)", "SmartEdit/ControlBack.png", name, "report", true);
  const QRect progress(name.left(), name.bottom() + 1 + 5, ba.right() + 1 - 10 - name.left(), 18);
  s.Draw(p, "ProgressBar", "Image(Background)", "ProgressBar/ControlBack.png", progress);
  const QRect pw = s.WorkArea("ProgressBar", "Image(Background)", progress);
  s.Draw(p, "ProgressBar", "Image(Progress)", "ProgressBar/ProgressBack.png", {pw.left(), pw.top(), pw.width() * 2 / 5, pw.height()});
  s.UseFont(p, "SmartProgress", "Text.Normal");
  Text(p, pw.adjusted(5, 0, 0, 0), "/home/ada/Documents/projects", Qt::AlignVCenter);
  s.UseFont(p, "SearchBar", "Text.Status");
  p.drawText(QRect(name.right() + 9, bar.top() + 17, 200, 20), Qt::AlignLeft | Qt::AlignTop, "Found:  12");

  Item(p, s, {60, 130, 150, 40}, "Hot", "Hot", "pdf.png", "report-2025");
  Item(p, s, {240, 130, 150, 40}, "Selected", "Sel", "odt.png", "report draft");
  Item(p, s, {420, 130, 150, 40}, "Normal", "Normal", "folder.png", "reports");

  const QRect bottom(0, H - 33, W, 33);
  s.Draw(p, "SearchBar2", "Image(Background)", "SearchBar2/ControlBack.png", bottom);
  const QRect bb = s.WorkArea("SearchBar2", "Image(Background)", bottom);
  const QRect filter(bb.right() + 1 - 160, bb.top() + (bb.height() - 22) / 2, 160, 22);
  const QRect browse(filter.left() - 10 - 90, bb.top(), 90, bb.height());
  const QRect folders(bb.left(), filter.top(), browse.left() - 10 - bb.left(), 22);
  Edit(p, s, "SmartEdit", "Image(Background)", "SmartEdit/ControlBack.png", folders, "/home/ada/Documents", false);
  s.Draw(p, "SearchBar2", "Image(Item.Back)", "SearchBar2/ItemBack.png", browse);
  s.Icon(p, "Dialog.SearchBrowse.png", {browse.left(), browse.top(), browse.height(), browse.height()});
  s.UseFont(p, "SearchBar2", "Text.Normal");
  Text(p, browse.adjusted(browse.height() + 8, 0, -2, 0), "Browse", Qt::AlignVCenter);
  s.Draw(p, "SmartEdit", "Image(Background)", "SmartEdit/ControlBack.png", filter);
  s.UseFont(p, "SmartEdit", "Text.Normal");
  Text(p, s.WorkArea("SmartEdit", "Image(Background)", filter), "Quick filter", Qt::AlignVCenter);

  const QRect pathEdit(60, 250, 300, 22);
  Edit(p, s, "PathEdit", "Image(Background.Edit)", "PathEdit/ControlBackEdit.png", pathEdit, "/home/ada/Music", true);
  p.end();
  return shot;
}

}  // namespace

bool BuildControlPreview(const QString& root, const QString& fullSizeCopy) {
  Skin s(root + "/Controls/Default", root + "/Buttons/Default", root + "/FileIcons/Default");
  if (!s.Ok()) return false;
  const int W = 640, H = 400;
  QImage shot(W, H, QImage::Format_ARGB32_Premultiplied);
  shot.fill(Qt::white);
  QPainter p;
  BeginPaint(p, shot);

  const QImage back = s.Picture("Backgrounds/FileHolder.bmp");
  p.drawImage(W - back.width(), H - back.height(), back);

  // Folder view: one group row and a few items in each state.
  const int left = 60;
  s.Draw(p, "FileHolder", "Image(Group.Normal)", "Items/GroupNormalBack.png", QRect(left, 100, W - left - 50, 20));
  s.UseFont(p, "FileHolder", "Item.Normal");
  Text(p, QRect(left + 40, 100, W - left - 90, 20), "Documents", Qt::AlignCenter);
  Item(p, s, {left, 140, 150, 40}, "Normal", "Normal", "folder.png", "Projects");
  Item(p, s, {left + 180, 140, 150, 40}, "Hot", "Hot", "pdf.png", "Report");
  Item(p, s, {left + 360, 140, 150, 40}, "Normal", "Normal", "txt.png", "notes");
  Item(p, s, {left, 210, 150, 40}, "Selected", "Sel", "png.png", "holiday");
  Item(p, s, {left + 180, 210, 150, 40}, "HotSelected", "HotSel", "mp3.png", "song");
  Item(p, s, {left + 360, 210, 150, 40}, "Selected", "Sel", "zip.png", "backup");
  s.Draw(p, "FileHolder", "Image(Group.Selected)", "Items/GroupSelBack.png", QRect(left, 280, W - left - 50, 20));
  s.UseFont(p, "FileHolder", "Item.Selected");
  Text(p, QRect(left + 40, 280, W - left - 90, 20), "Pictures", Qt::AlignCenter);
  Item(p, s, {left, 320, 150, 40}, "Normal", "Normal", "docx.png", "letter");

  // Tab strip: 28 px, tabs in its work area.
  const QRect strip(0, 0, W, 28);
  s.Draw(p, "SmartTabs", "Image(Background)", "SmartTabs/ControlBack.png", strip);
  const QRect tabs = s.WorkArea("SmartTabs", "Image(Background)", strip);
  Tab(p, s, {tabs.left(), tabs.top(), 150, tabs.height()}, "Active", "FileTab.png", "Documents");
  Tab(p, s, {tabs.left() + 152, tabs.top(), 150, tabs.height()}, "Hot", "FileTab.png", "Downloads");
  Tab(p, s, {tabs.left() + 304, tabs.top(), 100, tabs.height()}, "Normal", "SearchTab.png", "report");
  Tab(p, s, {tabs.left() + 406, tabs.top(), 26, tabs.height()}, "Normal", "NewTab.png", "");
  const QRect menuButton(tabs.right() + 1 - tabs.height(), tabs.top(), tabs.height(), tabs.height());
  s.Draw(p, "SmartTabs", "Image(Button.Hot)", "SmartTabs/ButtonHot.png", menuButton);
  s.Icon(p, "Qorvel.Menu.png", s.WorkArea("SmartTabs", "Image(Button.Normal)", menuButton));

  // Quick bar: 48-px buttons, one hot.
  const QRect quick(0, 28, W, 59);
  s.Draw(p, "QuickBar", "Image(Background)", "QuickBar/ControlBack.png", quick);
  const QRect qa = s.WorkArea("QuickBar", "Image(Background)", quick);
  const QStringList quickItems{"Navigate.Back", "Navigate.Forward", "Navigate.Up", "Item.Copy",
                               "Item.Cut",      "Item.Paste",       "Item.Delete", "Create.Folder"};
  for (int i = 0; i < quickItems.size(); ++i)
    Button(p, s, "QuickBar", "QuickBar/ItemBack.png", {qa.left() + i * 58, qa.top(), 48, 48}, quickItems[i], i == 3);
  Button(p, s, "QuickBar", "QuickBar/ItemBack.png", {qa.right() + 1 - 48, qa.top(), 48, 48}, "Qorvel.Settings",
         false);

  // Path bar at the bottom with the path field between its buttons.
  const QRect path(0, H - 33, W, 33);
  s.Draw(p, "PathBar", "Image(Background)", "PathBar/ControlBack.png", path);
  const QRect pa = s.WorkArea("PathBar", "Image(Background)", path);
  Button(p, s, "PathBar", "PathBar/ItemBack.png", {pa.left(), pa.top(), 24, 24}, "Places.Computer", false);
  Button(p, s, "PathBar", "PathBar/ItemBack.png", {pa.left() + 34, pa.top(), 24, 24}, "Places.MyDocuments", true);
  Button(p, s, "PathBar", "PathBar/ItemBack.png", {pa.right() + 1 - 24, pa.top(), 24, 24}, "Places.RecycleBin",
         false);
  const QRect field(pa.left() + 68, pa.top() + 1, pa.width() - 68 - 34, 22);
  s.Draw(p, "PathEdit", "Image(Background)", "PathEdit/ControlBackNormal.png", field);
  s.UseFont(p, "PathEdit", "Text.Normal");
  Text(p, s.WorkArea("PathEdit", "Image(Background)", field), "/home/ada/Documents", Qt::AlignVCenter);

  // Action bar docked left, centred between the bars.
  const QRect action(0, 87 + (H - 33 - 87 - 180) / 2, 34, 180);
  s.Draw(p, "ActionBar", "Image(Background)", "ActionBar/ControlBack.png", action);
  const QRect aa = s.WorkArea("ActionBar", "Image(Background)", action);
  const QStringList actionItems{"Item.SelectAll", "Item.Rename", "Item.Properties", "Item.Group", "Tabs.AddSearch"};
  for (int i = 0; i < actionItems.size(); ++i)
    Button(p, s, "ActionBar", "ActionBar/ItemBack.png", {aa.left(), aa.top() + i * 34, 24, 24}, actionItems[i],
           i == 1);

  // Scroll bar under the pointer: track and pan.
  const QRect scroll(W - 40, 87, 40, H - 33 - 87);
  s.Draw(p, "SmartScroll", "Image(Background)", "SmartScroll/ControlBack.png", scroll);
  const QRect sa = s.WorkArea("SmartScroll", "Image(Background)", scroll);
  s.Draw(p, "SmartScroll", "Image(ScrollButton)", "SmartScroll/ScrollButton.png", {sa.left(), sa.top() + 60, 10, 44});

  // Hint under the hot quick-bar button, and the selection tip.
  const QRect tip(qa.left() + 3 * 58 - 6, 97, 60, 23);
  s.Draw(p, "SmartTip", "Image(Background)", "SmartTip/ControlBack.png", tip);
  s.UseFont(p, "SmartTip", "Text.Normal");
  Text(p, s.WorkArea("SmartTip", "Image(Background)", tip), "Copy", Qt::AlignCenter);
  const QRect select(left + 345, 292, 104, 37);
  s.Draw(p, "SelectTip", "Image(Background)", "SelectTip/ControlBack.png", select);
  s.UseFont(p, "SelectTip", "Text.Normal");
  const QRect st = s.WorkArea("SelectTip", "Image(Background)", select);
  p.drawText(st.topLeft() + QPoint(0, 11), "Selected:");
  p.drawText(st.topLeft() + QPoint(56, 11), "3");
  p.drawText(st.topLeft() + QPoint(0, 25), "Size:");
  p.drawText(st.topLeft() + QPoint(56, 25), "1.5 MB");

  // An open menu with a hot item and an item that opens a further menu.
  const QRect menu(300, 118, 210, 40 + 4 * 28 + 6);
  s.Draw(p, "SmartMenu", "Image(Background)", "SmartMenu/ControlBack.png", menu);
  p.setFont(QFont("Calibri"));
  QFont title("Calibri");
  title.setPixelSize(15);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::black);
  Text(p, QRect(menu.left() + 8 + 35, menu.top() + 11, menu.width() - 16 - 70, 19), "Edit", Qt::AlignCenter);
  const QRect ma = s.WorkArea("SmartMenu", "Image(Background)", menu);
  const QStringList menuItems{"Item.Copy", "Item.Paste", "Item.Rename", "Item.Group"};
  const QStringList menuCaptions{"Copy", "Paste", "Rename", "Group by"};
  for (int i = 0; i < menuItems.size(); ++i) {
    const QRect item(ma.left(), ma.top() + i * 28, ma.width(), 23);
    const bool hot = i == 1;
    if (hot) s.Draw(p, "SmartMenu", "Image(Item.Back)", "SmartMenu/ItemBack.png", item);
    s.Icon(p, menuItems[i] + ".png", QRect(item.left(), item.top(), 23, 23));
    s.UseFont(p, "SmartMenu", hot ? "Button.Hot" : "Button.Normal");
    Text(p, item.adjusted(31, 0, -2, 0), menuCaptions[i], Qt::AlignVCenter);
    if (i == 3)
      s.Draw(p, "SmartMenu", "Image(Item.Menu)", "SmartMenu/SubMenu.png", {item.right() + 1 - 23, item.top(), 23, 23});
  }
  p.end();

  if (!fullSizeCopy.isEmpty()) {
    SavePng(shot, fullSizeCopy);
    SavePng(SearchShot(s, W, H), QString(fullSizeCopy).replace(".png", "-search.png"));
  }
  const QImage small = shot.scaled(320, 200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return s.Ok() && SavePng(small, root + "/Controls/Default/Preview.png");
}

bool BuildIconPreview(const QString& themeDir, const QStringList& files, int cell) {
  const int W = 320, H = 200, pad = 8;
  QImage shot(W, H, QImage::Format_ARGB32_Premultiplied);
  shot.fill(palette::kBar);
  QPainter p;
  BeginPaint(p, shot);
  const int step = cell + pad;
  const int cols = (W - pad) / step, rows = (H - pad) / step;
  const int x0 = (W - cols * step + pad) / 2, y0 = (H - rows * step + pad) / 2;
  for (int i = 0; i < files.size() && i < cols * rows; ++i) {
    const QImage icon(themeDir + "/" + files[i]);
    p.drawImage(QRect(x0 + (i % cols) * step, y0 + (i / cols) * step, cell, cell), icon);
  }
  p.end();
  return SavePng(shot, themeDir + "/Preview.png");
}
