// The button theme (one icon per command) and the file-icon theme (one icon per
// type extension), rendered from Breeze.
#include "Canvas.h"
#include "Generators.h"
#include "IconRender.h"

#include <QDebug>
#include <QDir>

namespace {

struct Icon {
  QString file;  // without ".png"
  QString breeze;
  IconStyle style;
};

// Renders each icon into a `size` square with its artwork scaled to `glyph`.
bool RenderAll(const QString& dir, const QString& breezeDir, const QList<Icon>& icons, int size,
               int (*glyph)(IconStyle, int), QStringList* written) {
  bool ok = true;
  for (const auto& icon : icons) {
    const QImage image = RenderIcon(breezeDir, icon.breeze, icon.style, size, glyph(icon.style, size));
    if (image.isNull() || !SavePng(image, dir + "/" + icon.file + ".png")) {
      qWarning().noquote() << "icons: cannot make" << icon.file << "from" << icon.breeze;
      ok = false;
      continue;
    }
    if (written) *written << icon.file + ".png";
  }
  return ok;
}

// Buttons stretch their icon over the whole icon box, so the breathing room around
// the glyph is part of the picture: about 30 % of a 48-px square, which leaves a
// 25-px glyph in the quick bar and a 12-px one in the 24-px bars.
int ButtonGlyph(IconStyle style, int size) { return style == IconStyle::Mono ? size * 34 / 48 : size * 32 / 48; }

// Tab icons sit in a square as high as the tab (24 px): the glyph keeps a third of
// the square free so it does not touch the tab's rounded edge.
int TabGlyph(IconStyle, int size) { return size * 2 / 3; }

// File icons carry the padding of their own artwork.
int FullGlyph(IconStyle, int size) { return size; }

constexpr auto M = IconStyle::Mono;
constexpr auto C = IconStyle::Colour;

// Every command identifier of the command registry, then the two identifiers that
// become edit fields (their icons serve the item editors).
const QList<Icon> kCommands = {
    {"Places.Computer", "computer", C},
    {"Places.MyDocuments", "folder-documents", C},
    {"Places.RecycleBin", "user-trash", C},
    {"RecycleBin.Empty", "trash-empty", M},
    {"Item.Properties", "document-properties", M},
    {"Item.Copy", "edit-copy", M},
    {"Item.Cut", "edit-cut", M},
    {"Item.Delete", "edit-delete", M},
    {"RecycleBin.Restore", "edit-undo", M},
    {"RecycleBin.Delete", "edit-delete-shred", M},
    {"Item.Paste", "edit-paste", M},
    {"Item.Rename", "edit-rename", M},
    {"Item.SysMenu", "overflow-menu", M},
    {"Item.Group", "view-group", M},
    {"Item.Group.Name", "view-sort-ascending-name", M},
    {"Item.Group.Ext", "view-sort", M},
    {"Item.Group.Path", "view-list-tree", M},
    {"Item.SelectAll", "edit-select-all", M},
    {"Item.InTab", "tab-new-background", M},
    {"Item.InExplorer", "document-open-folder", M},
    {"Navigate.Back", "go-previous", M},
    {"Navigate.Forward", "go-next", M},
    {"Navigate.Up", "go-up", M},
    {"Tabs.AddSearch", "system-search", M},
    {"Tabs.AddFile", "tab-new", M},
    {"Tabs.Close", "window-close", M},
    {"Tabs.CloseAll", "edit-clear-all", M},
    {"Tabs.Clone", "tab-duplicate", M},
    {"Create.Folder", "folder-new", M},
    {"Show.Menu", "application-menu", M},
    {"SmartMenu.Back", "go-previous", M},
    {"Search.Toggle", "edit-find", M},
    // The search bar's start button while a search runs.
    {"Search.Stop", "process-stop", M},
    {"Dialog.SearchBrowse", "document-open-folder", M},
    {"Dialog.OpenWith", "document-open", M},
    {"Control.Settings", "configure-toolbars", M},
    {"Qorvel.Menu", "application-menu", M},
    {"Qorvel.Settings", "configure", M},
    {"Qorvel.About", "help-about", M},
    {"Text.Copy", "edit-copy", M},
    {"Text.Cut", "edit-cut", M},
    {"Text.Paste", "edit-paste", M},
    {"Text.Delete", "edit-clear", M},
    {"Customize.Folder", "color-management", M},
    {"Recent.Tabs.Item", "folder", C},
    {"Recent.Tabs", "document-open-recent", M},
    {"Recent.Tabs.Clear", "edit-clear-history", M},
    {"QuickFilter", "view-filter", M},
    {"PathEdit", "edit-entry", M},
    {"Unknown", "image-missing", C},
};

QImage CountBadge() {
  Sheet sheet(15, 16);
  FillRounded(sheet.p, QRectF(0, 0.5, 15, 15), 7.5, palette::kAccent, palette::kWhite);
  return sheet.Done();
}

// Type extension (lower case, no dot) to Breeze mime-type artwork.
const QList<QPair<QString, QString>> kTypes = {
    // text and documents
    {"txt", "text-plain"}, {"md", "text-markdown"}, {"log", "text-x-log"}, {"ini", "text-plain"},
    {"conf", "text-plain"}, {"cfg", "text-plain"}, {"toml", "text-plain"}, {"yaml", "text-plain"},
    {"yml", "text-plain"}, {"csv", "text-csv"}, {"tex", "text-x-tex"}, {"rtf", "text-rtf"},
    {"pdf", "application-pdf"}, {"epub", "application-epub+zip"}, {"ps", "application-postscript"},
    {"doc", "application-msword"}, {"docx", "application-vnd.openxmlformats-officedocument.wordprocessingml.document"},
    {"odt", "application-vnd.oasis.opendocument.text"}, {"xls", "application-vnd.ms-excel"},
    {"xlsx", "application-vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
    {"ods", "application-vnd.oasis.opendocument.spreadsheet"}, {"ppt", "application-vnd.ms-powerpoint"},
    {"pptx", "application-vnd.ms-powerpoint"}, {"odp", "application-vnd.oasis.opendocument.presentation"},
    {"odg", "application-vnd.oasis.opendocument.graphics"}, {"vcf", "text-x-vcard"}, {"ics", "text-calendar"},
    {"srt", "application-x-subrip"}, {"po", "text-x-po"},
    // pictures
    {"png", "image-png"}, {"jpg", "image-jpeg"}, {"jpeg", "image-jpeg"}, {"gif", "image-gif"},
    {"bmp", "image-bmp"}, {"svg", "image-svg+xml"}, {"webp", "image-x-generic"}, {"tif", "image-tiff"},
    {"tiff", "image-tiff"}, {"ico", "image-x-icon"}, {"psd", "image-x-psd"}, {"xcf", "image-x-xcf"},
    {"eps", "image-x-eps"}, {"kra", "image-x-krita"},
    // archives and packages
    {"zip", "application-zip"}, {"tar", "application-x-tar"}, {"gz", "application-gzip"},
    {"tgz", "application-x-compressed-tar"}, {"bz2", "application-x-bzip"}, {"xz", "application-x-archive"},
    {"zst", "application-x-archive"}, {"7z", "application-x-7z-compressed"}, {"rar", "application-x-rar"},
    {"jar", "application-x-java-archive"}, {"apk", "android-package-archive"},
    {"deb", "application-vnd.debian.binary-package"}, {"rpm", "application-x-rpm"},
    {"appimage", "application-vnd.appimage"},
    {"iso", "application-x-cd-image"}, {"img", "application-x-raw-disk-image"},
    {"qcow2", "application-x-qemu-disk"}, {"torrent", "application-x-bittorrent"},
    // sound and video
    {"mp3", "audio-mp3"}, {"ogg", "audio-x-generic"}, {"oga", "audio-x-generic"}, {"opus", "audio-x-generic"},
    {"flac", "audio-x-flac"}, {"wav", "audio-x-wav"}, {"m4a", "audio-mp4"}, {"aac", "audio-mp4"},
    {"mid", "audio-midi"}, {"midi", "audio-midi"}, {"aiff", "audio-x-aiff"}, {"mp4", "video-mp4"},
    {"m4v", "video-mp4"}, {"mkv", "video-x-matroska"}, {"avi", "video-x-msvideo"}, {"webm", "video-webm"},
    {"mov", "video-x-generic"}, {"mpg", "video-x-generic"}, {"mpeg", "video-x-generic"}, {"wmv", "video-x-wmv"},
    {"flv", "video-x-flv"}, {"ogv", "video-x-theora+ogg"},
    // web and code
    {"html", "text-html"}, {"htm", "text-html"}, {"css", "text-css"}, {"js", "text-javascript"},
    {"json", "application-json"}, {"xml", "text-xml"}, {"cpp", "text-x-c++src"}, {"cc", "text-x-c++src"},
    {"cxx", "text-x-c++src"}, {"hpp", "text-x-c++hdr"}, {"hh", "text-x-c++hdr"}, {"c", "text-x-csrc"},
    {"h", "text-x-chdr"}, {"py", "text-x-python"}, {"sh", "application-x-shellscript"},
    {"bash", "application-x-shellscript"}, {"java", "text-x-java"}, {"kt", "text-x-kotlin"},
    {"rs", "text-rust"}, {"go", "text-x-go"}, {"rb", "application-x-ruby"}, {"php", "application-x-php"},
    {"pl", "application-x-perl"}, {"lua", "text-x-lua"}, {"cs", "text-x-csharp"}, {"qml", "text-x-qml"},
    {"sql", "application-sql"}, {"cmake", "text-x-cmake"}, {"patch", "text-x-patch"}, {"diff", "text-x-patch"},
    {"desktop", "application-x-desktop"},
    // fonts, binaries, keys, databases
    {"ttf", "font-ttf"}, {"otf", "font-otf"}, {"woff", "font-ttf"}, {"woff2", "font-ttf"},
    {"exe", "application-x-ms-dos-executable"}, {"msi", "application-x-msdownload"},
    {"so", "application-x-sharedlib"}, {"o", "application-x-object"}, {"bin", "application-octet-stream"},
    {"pem", "application-x-pem-key"}, {"key", "application-x-pem-key"}, {"crt", "application-x-x509-ca-cert"},
    {"sqlite", "application-vnd.sqlite3"}, {"db", "application-vnd.sqlite3"},
};

}  // namespace

bool BuildButtonTheme(const QString& themeDir, const QString& breezeDir) {
  bool ok = true;
  QStringList written;
  ok &= RenderAll(themeDir, breezeDir, kCommands, 48, ButtonGlyph, &written);
  ok &= RenderAll(themeDir, breezeDir,
                  {{"FileTab", "folder", C}, {"SearchTab", "system-search", M}, {"NewTab", "list-add", M}}, 48,
                  TabGlyph, nullptr);

  // The recycle-bin button reads its own folder, named after its command.
  const QString bin = themeDir + "/Places.RecycleBin";
  ok &= RenderAll(bin, breezeDir, {{"RecycleBin.Full", "user-trash-full", C}, {"RecycleBin.Empty", "user-trash", C}},
                  48, ButtonGlyph, nullptr);
  ok &= SavePng(CountBadge(), bin + "/TipBack.png");
  ThemeFile binTheme;
  const ImageEntry stretch{DrawMode::Stretch, {0, 0, 0, 0}, {}, std::nullopt, {}};
  binTheme.Set("Theme", "Image(RecycleBin.Full)", stretch.Text());
  binTheme.Set("Theme", "Image(RecycleBin.Empty)", stretch.Text());
  binTheme.Set("Theme", "Image(TipBack)", stretch.Text());
  const QString badgeFont = FontStyle{"Calibri", palette::kWhite, 8, true}.Text();
  // The badge font is named "Files.Count"; written under the plain name and in the
  // font-key form, so either reading finds it.
  binTheme.Set("Theme", "Files.Count", badgeFont);
  binTheme.Set("Theme", "Font(Files.Count)", badgeFont);
  ok &= binTheme.Save(bin + "/Theme.qvs");

  ThemeFile about;
  WriteAbout(about, "Breeze glyphs in one slate ink, colour artwork for places, 48 px.");
  ok &= about.Save(themeDir + "/ThemeData.QVS");

  written.removeAll("Unknown.png");
  written.removeAll("QuickFilter.png");
  written.removeAll("PathEdit.png");
  ok &= BuildIconPreview(themeDir, written, 48);
  if (!ok) qWarning() << "buttons: failed";
  return ok;
}

bool BuildFileIconTheme(const QString& themeDir, const QString& breezeDir) {
  QList<Icon> icons{
      {"folder", "folder", C},
      {"harddrive", "drive-harddisk", C},
      {"removable", "drive-removable-media-usb", C},
      {"cdrom", "drive-optical", C},
      {"ramdisk", "media-flash-memory-stick", C},
      {"remote", "network-server", C},
      // A type icon that cannot be obtained.
      {"unknown", "unknown", C},
      // A program or icon file without a usable icon.
      {"UnknownExe", "application-x-executable", C},
      // A picture that cannot be decoded.
      {"Unknown", "image-missing", C},
      // Names without an extension share the type key "", whose picture is ".png".
      {"", "text-x-generic", C},
  };
  for (const auto& [ext, breeze] : kTypes) icons.append({ext, breeze, C});
  bool ok = RenderAll(themeDir, breezeDir, icons, 128, FullGlyph, nullptr);
  ThemeFile about;
  WriteAbout(about, "Breeze file-type and drive artwork, 128 px.");
  ok &= about.Save(themeDir + "/ThemeData.QVS");
  QStringList shown{"folder.png", "harddrive.png", "removable.png", "txt.png", "pdf.png", "png.png",
                    "zip.png", "mp3.png", "mp4.png", "html.png", "cpp.png", "py.png",
                    "docx.png", "xlsx.png", "odp.png", "deb.png", "iso.png", "unknown.png"};
  ok &= BuildIconPreview(themeDir, shown, 64);
  return ok;
}
