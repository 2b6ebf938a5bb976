#pragma once
// The icon decoding library: the icons of icon files, of program files and the
// ones the desktop associates with a file, each as one image chosen for a
// requested size and copied into a 32-bit bitmap with alpha.
//
// Which image is chosen: of the images at least as large as the requested size
// (the longer side counts), the smallest; when none is, the largest. Among images
// of that size the one with the most bits a pixel wins, then the first stored.
// A desiredSize of 0 or less asks for the largest image.
//
// Every function reads only regular files, refuses pictures above the decoding
// limits of QV_ImageFile.h and may be called from any thread.

#include "platform/image/QV_Bitmap32.h"

#include <QByteArray>
#include <QString>

// Damaged icon data: a broken icon directory, icon group or image.
inline constexpr char kInvalidIconFormat[] = "Invalid icon format";
// Not a program file, or a program file without an icon group.
inline constexpr char kNoIconResources[] = "Invalid module or no icon resources";

struct TIconResult {
    TBitmap32 Bitmap;     // the chosen image with its alpha channel
    int Width = 0;        // the chosen image's size in pixels (the bitmap's)
    int Height = 0;
    bool IsPng = false;   // the image is stored as a PNG stream ...
    QByteArray Png;       // ... which is handed over here as stored
    QString Error;        // empty on success; otherwise the bitmap is empty

    bool Ok() const { return Error.isEmpty(); }
    static TIconResult Failure(const QString& error)
    {
        TIconResult result;
        result.Error = error;
        return result;
    }
};

// An icon file (.ico). Errors: kInvalidIconFormat for damaged data, or the
// reason the file could not be read.
TIconResult LoadIconFile(const QString& path, int desiredSize);

// The icon group at resource index 0 of a Windows program file (.exe, .dll;
// PE32 and PE32+). Errors: kNoIconResources, kInvalidIconFormat, or the reason
// the file could not be read.
TIconResult LoadProgramIcon(const QString& path, int desiredSize);

// The icon the desktop shows for the file or folder at `path` (which need not
// exist: then its name decides), rendered desiredSize pixels square from the
// desktop's icon theme. Fails only when no theme has a usable icon.
TIconResult LoadSystemIcon(const QString& path, int desiredSize);
