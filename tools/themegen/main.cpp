// themegen: draws the default control theme and renders the default button and
// file-icon themes from Breeze into a Themes folder, then checks the result.
//
//   themegen [--check-only] [--breeze DIR] [--full-preview FILE] THEMES_DIR
#include "Generators.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QGuiApplication>

int main(int argc, char** argv) {
  // Text for the previews needs a font database but no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  bool checkOnly = false;
  QString breeze = "/usr/share/icons/breeze";
  QString root, fullPreview;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == "--check-only") checkOnly = true;
    else if (args[i] == "--breeze" && i + 1 < args.size()) breeze = args[++i];
    else if (args[i] == "--full-preview" && i + 1 < args.size()) fullPreview = args[++i];
    else root = args[i];
  }
  if (root.isEmpty()) {
    qWarning("usage: themegen [--check-only] [--breeze DIR] [--full-preview FILE] THEMES_DIR");
    return 2;
  }
  root = QDir(root).absolutePath();
  bool ok = true;
  if (!checkOnly) {
    if (!QDir(breeze + "/actions").exists()) {
      qWarning().noquote() << "no Breeze icon theme at" << breeze << "(package breeze-icon-theme)";
      return 1;
    }
    ok &= BuildControlTheme(root + "/Controls/Default", breeze);
    ok &= BuildButtonTheme(root + "/Buttons/Default", breeze);
    ok &= BuildFileIconTheme(root + "/FileIcons/Default", breeze);
    ok &= BuildControlPreview(root, fullPreview);
  }
  ok &= CheckThemes(root);
  qInfo(ok ? "themes ok" : "themes FAILED");
  return ok ? 0 : 1;
}
