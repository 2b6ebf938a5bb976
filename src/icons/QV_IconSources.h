#pragma once
// Decoding the picture of one source: the type icon of an extension and the
// icon or thumbnail of one file, with the theme's fallback pictures. Safe on
// any thread.

#include "platform/image/QV_Bitmap32.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <optional>

// Sources are limited to this many pixels a side; icons are asked for at it.
inline constexpr int kSourceSide = 128;

// The file-icon theme folder, whose pictures are found without regard to
// letter case (the theme's files were named for a case-blind file system).
class TThemePictures {
public:
    explicit TThemePictures(const QString& folder);
    // The path of the picture named so in any letter case, or empty.
    QString Find(const QString& name) const;

private:
    QHash<QString, QString> byLowerName_;
};

struct TSourceCounters {
    std::atomic<int>& Decodes;
    std::atomic<int>& SystemLookups;
};

// The type icon of ext: the theme's picture "<ext without dot>.png", else the
// desktop's icon for path, else the theme's unknown.png. None when even the
// fallback cannot be read, which ends the pass that asked.
std::optional<TBitmap32> BuildTypeSource(const QString& ext, const QString& path, const TThemePictures& theme,
                                         int itemHeight, const TSourceCounters& counters);

// The picture of one file by its type extension (".exe", ".ico", ".bmp", ".jpg",
// ".jpeg", ".png"), falling back to UnknownExe.png or Unknown.png; none when
// the fallback cannot be read. An icon file that fails for another reason than
// damaged data gives an empty picture.
std::optional<TBitmap32> BuildFileSource(const QString& ext, const QString& path, const TThemePictures& theme,
                                         int itemHeight, const TSourceCounters& counters);

// ".exe", ".ico", ".jpg", ".jpeg", ".bmp", ".png" in any letter case.
bool IsPerFileExtension(const QString& ext);

// The size the longer side of a w x h picture takes when fitted to width x
// height with its proportions kept (an empty picture counts as 32 x 32).
QSize ProportionalSize(int w, int h, int width, int height);
