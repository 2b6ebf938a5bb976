#include "icons/QV_IconSources.h"

#include "platform/image/QV_BmpCodec.h"
#include "platform/fs/QV_DirList.h"
#include "platform/image/QV_Icons.h"
#include "platform/image/QV_JpegCodec.h"
#include "platform/image/QV_PngCodec.h"

namespace {

TBitmap32 LimitedToSourceSide(TBitmap32 bitmap)
{
    if (bitmap.Width() <= kSourceSide && bitmap.Height() <= kSourceSide) return bitmap;
    const QSize size = ProportionalSize(bitmap.Width(), bitmap.Height(), kSourceSide, kSourceSide);
    return bitmap.Resampled(size.width(), size.height(), TResampler::rsDraft);
}

std::optional<TBitmap32> ThemePicture(const TThemePictures& theme, const char* name, const TSourceCounters& counters)
{
    const QString path = theme.Find(QString::fromLatin1(name));
    if (path.isEmpty()) return std::nullopt;
    ++counters.Decodes;
    TImageResult result = LoadPngFile(path);
    if (!result.Ok()) return std::nullopt;
    return LimitedToSourceSide(std::move(result.Bitmap));
}

// An icon reported without a size still gets a square of the item height.
TBitmap32 IconBitmap(TIconResult& icon, int itemHeight)
{
    if (icon.Width <= 0) return TBitmap32(itemHeight, itemHeight);
    return std::move(icon.Bitmap);
}

} // namespace

TThemePictures::TThemePictures(const QString& folder)
{
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    // Of names that differ only in case, the first in name order wins.
    for (const TDirEntry& entry : ListDirectory(folder, TDirOrder::doByName).Entries) {
        const QString lower = entry.Name.toLower();
        if (!entry.Is(faDirectory) && !byLowerName_.contains(lower)) byLowerName_.insert(lower, base + entry.Name);
    }
}

QString TThemePictures::Find(const QString& name) const { return byLowerName_.value(name.toLower()); }

bool IsPerFileExtension(const QString& ext)
{
    static const QString kExtensions[] = {QStringLiteral(".exe"), QStringLiteral(".ico"), QStringLiteral(".jpg"),
                                          QStringLiteral(".jpeg"), QStringLiteral(".bmp"), QStringLiteral(".png")};
    for (const QString& known : kExtensions)
        if (ext.compare(known, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QSize ProportionalSize(int w, int h, int width, int height)
{
    if (w <= 0 || h <= 0) w = h = 32;
    const QSize size = h < w ? QSize(width, int(qint64(width) * h / w)) : QSize(int(qint64(height) * w / h), height);
    return size.expandedTo(QSize(1, 1));
}

std::optional<TBitmap32> BuildTypeSource(const QString& ext, const QString& path, const TThemePictures& theme,
                                         int itemHeight, const TSourceCounters& counters)
{
    const QString name = (ext.startsWith(QLatin1Char('.')) ? ext.mid(1) : ext) + QStringLiteral(".png");
    if (const QString picture = theme.Find(name); !picture.isEmpty()) {
        ++counters.Decodes;
        if (TImageResult result = LoadPngFile(picture); result.Ok()) return LimitedToSourceSide(std::move(result.Bitmap));
        // A damaged theme picture is treated as a missing one.
    }
    ++counters.SystemLookups;
    ++counters.Decodes;
    if (TIconResult icon = LoadSystemIcon(path, kSourceSide); icon.Ok())
        return LimitedToSourceSide(IconBitmap(icon, itemHeight));
    return ThemePicture(theme, "unknown.png", counters);
}

std::optional<TBitmap32> BuildFileSource(const QString& ext, const QString& path, const TThemePictures& theme,
                                         int itemHeight, const TSourceCounters& counters)
{
    ++counters.Decodes;
    if (ext == QLatin1String(".exe")) {
        TIconResult icon = LoadProgramIcon(path, kSourceSide);
        if (!icon.Ok()) return ThemePicture(theme, "UnknownExe.png", counters);
        return LimitedToSourceSide(IconBitmap(icon, itemHeight));
    }
    if (ext == QLatin1String(".ico")) {
        TIconResult icon = LoadIconFile(path, kSourceSide);
        if (icon.Ok()) return LimitedToSourceSide(IconBitmap(icon, itemHeight));
        if (icon.Error == QLatin1String(kInvalidIconFormat)) return ThemePicture(theme, "UnknownExe.png", counters);
        return TBitmap32();
    }
    TImageResult picture;
    if (ext == QLatin1String(".bmp")) picture = LoadBmpFile(path);
    else if (ext == QLatin1String(".jpg") || ext == QLatin1String(".jpeg")) picture = LoadJpegFile(path, 4, TJpegSpeed::jsFast);
    else if (ext == QLatin1String(".png")) picture = LoadPngFile(path);
    else return TBitmap32();  // a per-file extension in other letter case has no decoder of its own
    if (!picture.Ok()) return ThemePicture(theme, "Unknown.png", counters);
    return LimitedToSourceSide(std::move(picture.Bitmap));
}
