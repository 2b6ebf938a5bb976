// Reads the delivered themes back the way the program will and reports what the
// program would miss or draw wrongly. The tables state the names the program asks
// for, independently of the painters that wrote them.
#include "Canvas.h"
#include "Generators.h"

#include <QDebug>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool Near(QRgb a, QRgb b) {
  const int tolerance = 2;  // faint shadows may wobble by a level or two
  return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
         qAbs(qBlue(a) - qBlue(b)) <= tolerance && qAbs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

// A nine-slice image stretches its middle columns across and its middle rows down:
// each must be one repeated line, or the stretch smears whatever varies there.
QString StretchFault(const QImage& image, const Insets& m) {
  const QImage img = image.convertToFormat(QImage::Format_ARGB32);
  const int w = img.width(), h = img.height();
  for (int y = 0; y < h; ++y)
    for (int x = m.left + 1; x < w - m.right; ++x)
      if (!Near(img.pixel(x, y), img.pixel(m.left, y))) return QStringLiteral("column %1 differs in row %2").arg(x).arg(y);
  for (int x = 0; x < w; ++x)
    for (int y = m.top + 1; y < h - m.bottom; ++y)
      if (!Near(img.pixel(x, y), img.pixel(x, m.top))) return QStringLiteral("row %1 differs in column %2").arg(y).arg(x);
  return {};
}

class Checker {
 public:
  bool ok = true;

  void Fail(const QString& what) {
    qWarning().noquote() << "check:" << what;
    ok = false;
  }

  QImage Picture(const QString& path, int minSide = 1) {
    const QImage image(path);
    if (image.isNull()) Fail("missing or undecodable " + path);
    else if (image.width() < minSide || image.height() < minSide) Fail(QStringLiteral("%1 smaller than %2 px").arg(path).arg(minSide));
    return image;
  }

  void About(const QString& dir) {
    ThemeFile file;
    if (!file.Load(dir + "/ThemeData.QVS")) return Fail("no ThemeData.QVS in " + dir);
    for (const char* key : {"Name", "Author", "Ver", "Date", "Desc"})
      if (file.Value("About", key).value_or("").isEmpty()) Fail(dir + ": About has no " + key);
    Picture(dir + "/Preview.png");
  }

  // An image entry and its pictures: the slices must leave a middle to stretch.
  ParsedEntry Image(const ThemeFile& qvs, const QString& dir, const QString& section, const QString& key,
                    const QStringList& files) {
    const auto value = qvs.Value(section, key);
    if (!value) {
      Fail(section + " has no " + key);
      return {};
    }
    const ParsedEntry e = ParseEntry(*value);
    const QString where = section + " " + key;
    if (!e.mode) Fail(where + ": draw mode the skin buffer does not know");
    for (int v : {e.margins.left, e.margins.top, e.margins.right, e.margins.bottom, e.offset.left, e.offset.top,
                  e.offset.right, e.offset.bottom})
      if (v < 0) Fail(where + ": negative margin or offset");
    for (const auto& f : files) {
      const QImage image = Picture(dir + "/" + f);
      if (image.isNull() || e.mode != DrawMode::Full) continue;
      if (e.margins.left + e.margins.right >= image.width() || e.margins.top + e.margins.bottom >= image.height())
        Fail(QStringLiteral("%1: margins leave no middle in %2 (%3 x %4)")
                 .arg(where, f)
                 .arg(image.width())
                 .arg(image.height()));
      else if (const QString fault = StretchFault(image, e.margins); !fault.isEmpty())
        Fail(where + ": " + f + " does not stretch cleanly, " + fault);
    }
    return e;
  }

  void Font(const ThemeFile& qvs, const QString& section, const QString& id) {
    const QString where = section + " Font(" + id + ")";
    const auto value = qvs.Value(section, "Font(" + id + ")");
    if (!value) return Fail(where + " missing");
    static const QRegularExpression color("^\\$[0-9A-Fa-f]{6}$");
    if (ParamValue(*value, "Name").value_or("").isEmpty()) Fail(where + ": no Name");
    if (!color.match(ParamValue(*value, "Color").value_or("")).hasMatch()) Fail(where + ": Color not $BBGGRR");
    if (ParamValue(*value, "Size").value_or("0").toInt() <= 0) Fail(where + ": no Size");
    const QString bold = ParamValue(*value, "Bold").value_or("0");
    if (bold != "0" && bold != "1") Fail(where + ": Bold not 0 or 1");
  }
};

void CheckControls(Checker& c, const QString& dir) {
  c.About(dir);
  ThemeFile qvs;
  if (!qvs.Load(dir + "/ThemeData.QVS")) return;

  // Controls whose content rectangle comes from their Background entry.
  const struct {
    QString section, folder, back;
    QStringList fonts;
  } controls[] = {
      {"SmartTabs", "SmartTabs", "ControlBack.png", {"Tab.Normal", "Tab.Hot", "Tab.Active", "Tab.HotActive", "Button.Normal", "Button.Hot"}},
      {"QuickBar", "QuickBar", "ControlBack.png", {}},
      {"PathBar", "PathBar", "ControlBack.png", {}},
      {"ActionBar", "ActionBar", "ControlBack.png", {}},
      {"SmartScroll", "SmartScroll", "ControlBack.png", {}},
      {"SmartMenu", "SmartMenu", "ControlBack.png", {"Button.Normal", "Button.Hot"}},
      {"SmartTip", "SmartTip", "ControlBack.png", {"Text.Normal"}},
      {"ProgressBar", "ProgressBar", "ControlBack.png", {}},
      {"SearchBar", "SearchBar", "ControlBack.png", {"Text.Status"}},
      {"SearchBar2", "SearchBar2", "ControlBack.png", {"Text.Normal"}},
      {"SmartEdit", "SmartEdit", "ControlBack.png", {"Text.Normal", "Text.Focused"}},
      {"PathEdit", "PathEdit", "ControlBackNormal.png", {"Text.Normal", "Text.Focused"}},
  };
  for (const auto& k : controls) {
    const ParsedEntry e = c.Image(qvs, dir, k.section, "Image(Background)", {k.folder + "/" + k.back});
    if (!qvs.Value(k.section, "Image(Background)").value_or("").contains("WorkArea(", Qt::CaseInsensitive))
      c.Fail(k.section + ": Background has no WorkArea");
    if (k.section == "SmartMenu" && e.workArea.top < 30) c.Fail("SmartMenu: work area overlaps the title row");
    for (const auto& f : k.fonts) c.Font(qvs, k.section, f);
  }
  // The view reads the select tip's entry for a second picture.
  c.Image(qvs, dir, "SelectTip", "Image(Background)", {"SelectTip/ControlBack.png", "SelectTip/Background.png"});
  c.Font(qvs, "SelectTip", "Text.Normal");
  c.Font(qvs, "SmartProgress", "Text.Normal");

  const struct {
    QString section, key, file;
  } images[] = {
      {"SmartTabs", "Image(Tab.Normal)", "SmartTabs/TabNormal.png"},
      {"SmartTabs", "Image(Tab.Hot)", "SmartTabs/TabHot.png"},
      {"SmartTabs", "Image(Tab.Active)", "SmartTabs/TabActive.png"},
      {"SmartTabs", "Image(Tab.HotActive)", "SmartTabs/TabHotActive.png"},
      {"SmartTabs", "Image(Button.Normal)", "SmartTabs/ButtonNormal.png"},
      {"SmartTabs", "Image(Button.Hot)", "SmartTabs/ButtonHot.png"},
      {"QuickBar", "Image(Item.Back)", "QuickBar/ItemBack.png"},
      {"PathBar", "Image(Item.Back)", "PathBar/ItemBack.png"},
      {"ActionBar", "Image(Item.Back)", "ActionBar/ItemBack.png"},
      {"SmartScroll", "Image(ScrollButton)", "SmartScroll/ScrollButton.png"},
      {"SmartMenu", "Image(Item.Back)", "SmartMenu/ItemBack.png"},
      {"SmartMenu", "Image(Item.Menu)", "SmartMenu/SubMenu.png"},
      {"ProgressBar", "Image(Progress)", "ProgressBar/ProgressBack.png"},
      {"SearchBar", "Image(Item.Back)", "SearchBar/ItemBack.png"},
      {"SearchBar2", "Image(Item.Back)", "SearchBar2/ItemBack.png"},
      {"SmartEdit", "Image(Cursor)", "SmartEdit/Cursor.png"},
      {"SmartEdit", "Image(Select)", "SmartEdit/Select.png"},
      {"PathEdit", "Image(Background.Edit)", "PathEdit/ControlBackEdit.png"},
      {"PathEdit", "Image(Cursor)", "PathEdit/Cursor.png"},
      {"FileHolder", "Image(Item.Normal)", "Items/ItemNormalBack.png"},
      {"FileHolder", "Image(Item.Hot)", "Items/ItemHotBack.png"},
      {"FileHolder", "Image(Item.Selected)", "Items/ItemSelBack.png"},
      {"FileHolder", "Image(Item.HotSelected)", "Items/ItemHotSelBack.png"},
      {"FileHolder", "Image(Group.Normal)", "Items/GroupNormalBack.png"},
      {"FileHolder", "Image(Group.Hot)", "Items/GroupHotBack.png"},
      {"FileHolder", "Image(Group.Selected)", "Items/GroupSelBack.png"},
      {"FileHolder", "Image(Group.HotSelected)", "Items/GroupHotSelBack.png"},
  };
  for (const auto& i : images) c.Image(qvs, dir, i.section, i.key, {i.file});

  const ParsedEntry hotActive = ParseEntry(qvs.Value("SmartTabs", "Image(Tab.HotActive)").value_or(""));
  if (hotActive.offset.left || hotActive.offset.top || hotActive.offset.right || hotActive.offset.bottom)
    c.Fail("SmartTabs: Tab.HotActive offsets would shift the tab icons");
  const QString pan = qvs.Value("SmartScroll", "Image(ScrollButton)").value_or("");
  const ParsedEntry panEntry = ParseEntry(pan);
  const int panWidth = ParamValue(pan, "Width").value_or("22").toInt();
  if (panEntry.margins.left + panEntry.margins.right >= panWidth) c.Fail("SmartScroll: pan narrower than its margins");

  for (const QString holder : {"FileHolder", "QuickDrive", "SearchHolder"}) {
    for (const QString state : {"Normal", "Hot", "Selected", "HotSelected"}) c.Font(qvs, holder, "Item." + state);
    if (!qvs.Value(holder, "Image(Background)").value_or("").contains("Align(")) c.Fail(holder + ": no Align");
    c.Picture(dir + "/Backgrounds/" + holder + ".bmp");
  }
}

void CheckButtons(Checker& c, const QString& dir) {
  c.About(dir);
  const QStringList commands{
      "Places.Computer", "Places.MyDocuments", "Places.RecycleBin", "RecycleBin.Empty", "RecycleBin.Restore",
      "RecycleBin.Delete", "Item.Properties",
      "Item.Copy", "Item.Cut", "Item.Delete", "Item.Paste", "Item.Rename", "Item.SysMenu", "Item.Group",
      "Item.Group.Name", "Item.Group.Ext", "Item.Group.Path", "Item.SelectAll", "Item.InTab", "Item.InExplorer",
      "Navigate.Back", "Navigate.Forward", "Navigate.Up", "Tabs.AddSearch", "Tabs.AddFile", "Tabs.Close",
      "Tabs.CloseAll", "Tabs.Clone", "Create.Folder", "Show.Menu", "SmartMenu.Back", "Search.Toggle", "Search.Stop",
      "Dialog.SearchBrowse", "Dialog.OpenWith", "Control.Settings", "Qorvel.Menu", "Qorvel.Settings",
      "Qorvel.About", "Text.Copy", "Text.Cut", "Text.Paste", "Text.Delete", "Customize.Folder",
      "Recent.Tabs.Item", "Recent.Tabs", "Recent.Tabs.Clear"};
  for (const auto& cmd : commands) c.Picture(dir + "/" + cmd + ".png", 48);
  for (const QString f : {"FileTab", "SearchTab", "NewTab", "Unknown"}) c.Picture(dir + "/" + f + ".png", 24);

  const QString bin = dir + "/Places.RecycleBin";
  ThemeFile theme;
  if (!theme.Load(bin + "/Theme.qvs")) return c.Fail("no Places.RecycleBin/Theme.qvs");
  for (const QString image : {"RecycleBin.Full", "RecycleBin.Empty", "TipBack"})
    c.Image(theme, bin, "Theme", "Image(" + image + ")", {image + ".png"});
  if (!theme.Value("Theme", "Files.Count")) c.Fail("Places.RecycleBin: no Files.Count font");
  c.Font(theme, "Theme", "Files.Count");
}

void CheckFileIcons(Checker& c, const QString& dir) {
  c.About(dir);
  const QStringList names{"folder", "harddrive", "removable", "cdrom", "ramdisk", "remote", "unknown",
                          "UnknownExe", "Unknown", "txt", "pdf", "png", "jpg", "jpeg", "gif", "bmp", "svg",
                          "zip", "tar", "gz", "7z", "mp3", "ogg", "flac", "wav", "mp4", "mkv", "avi", "webm",
                          "html", "css", "js", "json", "xml", "cpp", "c", "h", "py", "sh", "desktop", "doc",
                          "docx", "odt", "xls", "xlsx", "ods", "ppt", "pptx", "odp", "iso", "deb", "rpm", "md",
                          "log", "ini", "csv", "ttf", "exe"};
  for (const auto& n : names) c.Picture(dir + "/" + n + ".png", 128);
}

}  // namespace

bool CheckThemes(const QString& root) {
  Checker c;
  CheckControls(c, root + "/Controls/Default");
  CheckButtons(c, root + "/Buttons/Default");
  CheckFileIcons(c, root + "/FileIcons/Default");
  return c.ok;
}
