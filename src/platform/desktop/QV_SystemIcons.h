#pragma once
// The icon the desktop associates with a file: its content type from the shared
// MIME database (GIO), the type's icon names, and their lookup in the desktop's
// icon theme (QV_IconTheme.h). LoadSystemIcon is declared in QV_Icons.h.
//
// Rendering uses QSvgRenderer and QPainter on a QImage, never QIcon, so it runs on
// worker threads; icons holding text would need the application's fonts, which
// the theme icons asked for here do not.

#include "platform/image/QV_Icons.h"

#include <QStringList>

// The icon names for the file at `path`, most specific first: those of its
// content type (read from the file; guessed from the name alone when it cannot
// be read), the type's generic icon, "folder" for folders, and the names of an
// unknown file last.
QStringList SystemIconNames(const QString& path);

// An icon theme's PNG or SVG file drawn size pixels square, with its proportions
// kept and centred.
TIconResult RenderIconFile(const QString& file, int size);
