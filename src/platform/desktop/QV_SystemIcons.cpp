#include "platform/desktop/QV_SystemIcons.h"

#include "platform/fs/QV_FileNames.h"
#include "platform/desktop/QV_IconTheme.h"
#include "platform/image/QV_ImageFile.h"
#include "platform/image/QV_PngCodec.h"

#include <QPainter>
#include <QSvgRenderer>

// Qt's "signals" keyword macro would break a field of that name in GIO's headers.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <algorithm>
#include <cmath>

namespace {

// Theme files are small; a larger one is not an icon.
constexpr std::int64_t kMaxThemeFileBytes = 16 << 20;

gchar* ContentType(const QByteArray& local)
{
    gchar* type = nullptr;
    GFile* file = g_file_new_for_path(local.constData());
    if (GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE,
                                            nullptr, nullptr)) {
        if (const char* known = g_file_info_get_content_type(info)) type = g_strdup(known);
        g_object_unref(info);
    }
    g_object_unref(file);
    if (!type) {
        gchar* name = g_path_get_basename(local.constData());
        type = g_content_type_guess(name, nullptr, 0, nullptr);
        g_free(name);
    }
    return type;
}

TIconResult Rendered(QImage image)
{
    TIconResult result;
    result.Bitmap = TBitmap32(image);
    result.Width = result.Bitmap.Width();
    result.Height = result.Bitmap.Height();
    return result;
}

// The rectangle of a w x h picture fitted into a size x size square and centred.
QRectF Fitted(qreal w, qreal h, int size)
{
    if (w <= 0 || h <= 0) return QRectF(0, 0, size, size);
    const qreal scale = std::min(size / w, size / h);
    return QRectF((size - w * scale) / 2, (size - h * scale) / 2, w * scale, h * scale);
}

} // namespace

QStringList SystemIconNames(const QString& path)
{
    gchar* type = ContentType(EncodeFileName(path));
    QStringList names;
    if (GIcon* icon = g_content_type_get_icon(type)) {
        if (G_IS_THEMED_ICON(icon))
            for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name; ++name)
                names << QString::fromUtf8(*name);
        g_object_unref(icon);
    }
    if (gchar* generic = g_content_type_get_generic_icon_name(type)) {
        names << QString::fromUtf8(generic);
        g_free(generic);
    }
    if (g_content_type_is_a(type, "inode/directory")) names << QStringLiteral("folder");
    g_free(type);
    names << QStringLiteral("unknown") << QStringLiteral("application-octet-stream");
    names.removeDuplicates();
    return names;
}

TIconResult RenderIconFile(const QString& file, int size)
{
    const QString refused = CheckImageSize(size, size);
    if (!refused.isEmpty()) return TIconResult::Failure(refused);
    QByteArray data;
    const QString error = ReadPictureFile(file, data, kMaxThemeFileBytes);
    if (!error.isEmpty()) return TIconResult::Failure(error);

    if (file.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        TImageResult png = DecodePng(data);
        if (!png.Ok()) return TIconResult::Failure(png.Error);
        const QRect target = Fitted(png.Bitmap.Width(), png.Bitmap.Height(), size).toRect();
        TBitmap32 canvas(size, size);
        canvas.Draw(target, png.Bitmap.BoundsRect(), png.Bitmap);
        return Rendered(canvas.Image());
    }
    QSvgRenderer renderer(data);
    if (!renderer.isValid()) return TIconResult::Failure(QStringLiteral("Invalid SVG image"));
    const QSizeF natural = renderer.viewBoxF().isEmpty() ? QSizeF(renderer.defaultSize()) : renderer.viewBoxF().size();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, Fitted(natural.width(), natural.height(), size));
    painter.end();
    return Rendered(std::move(image));
}

TIconResult LoadSystemIcon(const QString& path, int desiredSize)
{
    static const QString theme = ReadDesktopIconTheme(TIconThemes::System());
    const QString file = TIconThemes::System().FindIcon(SystemIconNames(path), desiredSize, theme);
    if (file.isEmpty()) return TIconResult::Failure(QStringLiteral("No icon for this file type"));
    return RenderIconFile(file, desiredSize);
}
