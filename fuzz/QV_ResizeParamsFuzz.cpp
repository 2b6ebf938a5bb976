// Theme image entries on arbitrary text: parsing the resize parameters and the
// work area, then fitting a small picture with them, in every mode and through
// the skin buffer with its draw offsets. Nothing may crash or grow a picture
// beyond its target or its source.

#include "foundation/QV_PaintUtils.h"
#include "platform/fs/QV_FileNames.h"
#include "theme/QV_SkinBuffer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

TBitmap32 Fixture()
{
    TBitmap32 b(5, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 5; ++x) b.SetPixel(x, y, Argb(std::uint8_t(40 * x + 30), std::uint8_t(30 * y), 90, 200));
    return b;
}

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const TBitmap32 source = Fixture();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = DecodeFileName(bytes.constData(), bytes.size());

    TResizeParams params;
    try {
        params = ParseResizeParams(TParamString{text});
    } catch (const EConvertError&) {
        return 0;
    }

    // The same text as a theme file's entry: a line break in it may start new keys
    // or sections, which the reader must take in its stride.
    const QString file = dir.filePath(QStringLiteral("ThemeData.QVS"));
    {
        QFile out(file);
        if (out.open(QIODevice::WriteOnly)) out.write("[Bar]\nImage(Background)=" + bytes + "\n");
    }
    try {
        (void)ReadWorkArea(file, QStringLiteral("Bar"), QStringLiteral("Image(Background)"), QString());
        (void)ReadResizeParams(file, QStringLiteral("Bar"), QStringLiteral("Image(Background)"), QString());
    } catch (const EConvertError&) {
    }

    static const QSize kSizes[] = {{1, 1}, {9, 4}, {40, 33}, {0, 5}};
    for (const TResizeMode mode : {rmNone, rmFull, rmStretch, rmStretchProp, rmHorizontal, rmVertical}) {
        TResizeParams p = params;
        p.ResizeType = mode;
        for (const QSize size : kSizes) {
            TBitmap32 dest;
            ResizeImage(source, dest, size.width(), size.height(), p);
            if (mode != rmStretchProp) {
                Check(dest.Width() <= std::max(size.width(), source.Width()));
                Check(dest.Height() <= std::max(size.height(), source.Height()));
            }
        }
    }

    TSkinBuffer skin;
    skin.LoadImage(QStringLiteral("Image"), source, params);
    TBitmap32 canvas(48, 48);
    for (const QSize size : kSizes) skin.DrawImage(QStringLiteral("Image"), canvas, 3, 2, size.width(), size.height());
    skin.DrawImage(QStringLiteral("Image"), canvas, 3, 2);
    return 0;
}
