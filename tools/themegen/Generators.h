// The steps of the generator; each returns false after printing what failed.
#pragma once

#include <QString>

bool BuildControlTheme(const QString& themeDir, const QString& breezeDir);
bool BuildButtonTheme(const QString& themeDir, const QString& breezeDir);
bool BuildFileIconTheme(const QString& themeDir, const QString& breezeDir);

// Previews read back what the steps above wrote, through the theme file. The control
// preview is drawn at twice its size; `fullSizeCopy`, when given, keeps that drawing.
bool BuildControlPreview(const QString& themesRoot, const QString& fullSizeCopy);
bool BuildIconPreview(const QString& themeDir, const QStringList& files, int cell);

// Reads the delivered themes and reports every missing key, missing or undecodable
// image and margin that does not fit its image.
bool CheckThemes(const QString& themesRoot);

// "About" section shared by the three themes.
class ThemeFile;
void WriteAbout(ThemeFile& file, const QString& description);
