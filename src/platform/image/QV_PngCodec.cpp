#include "platform/image/QV_PngCodec.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// Everything the decoding frame touches lives here, so that the frame that calls
// setjmp holds no object with a destructor: a longjmp out of libpng skips none.
struct TPngJob {
    const unsigned char* Data = nullptr;
    std::size_t Size = 0;
    std::size_t Position = 0;
    char Message[200] = {};
    std::unique_ptr<QImage> Image;
};

void PngFail(png_structp png, png_const_charp message)
{
    auto* job = static_cast<TPngJob*>(png_get_error_ptr(png));
    std::strncpy(job->Message, message ? message : "PNG error", sizeof job->Message - 1);
    png_longjmp(png, 1);
}

void PngWarn(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, png_size_t length)
{
    auto* job = static_cast<TPngJob*>(png_get_io_ptr(png));
    if (length > job->Size - job->Position) png_error(png, "Truncated PNG data");
    std::memcpy(out, job->Data + job->Position, length);
    job->Position += length;
}

// Outside the setjmp frame: the picture is created here, after the size check.
bool AllocatePngImage(TPngJob* job, png_uint_32 width, png_uint_32 height)
{
    const QString refused = CheckImageSize(width, height);
    if (!refused.isEmpty()) {
        std::strncpy(job->Message, refused.toUtf8().constData(), sizeof job->Message - 1);
        return false;
    }
    job->Image = std::make_unique<QImage>(int(width), int(height), QImage::Format_ARGB32);
    if (job->Image->isNull()) {
        std::strncpy(job->Message, "Out of memory", sizeof job->Message - 1);
        return false;
    }
    return true;
}

QImage* PngImage(TPngJob* job) { return job->Image.get(); }

// libpng allocates a chunk's declared length before it reads the chunk, so a few
// bytes declaring a huge chunk would cost gigabytes. Every chunk up to IEND must
// fit in the data we hold.
bool ChunksFitInData(const unsigned char* data, std::size_t size)
{
    std::size_t at = 8;
    while (at + 12 <= size) {
        const std::uint32_t length = (std::uint32_t(data[at]) << 24) | (std::uint32_t(data[at + 1]) << 16) |
                                     (std::uint32_t(data[at + 2]) << 8) | std::uint32_t(data[at + 3]);
        if (length > size - at - 12) return false;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
        at += 12 + std::size_t(length);
    }
    return false;
}

bool RunPng(TPngJob* job)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, PngFail, PngWarn);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, job, PngRead);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png, 8 << 20);
    png_read_info(png, info);

    const int colorType = png_get_color_type(png, info);
    const bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);
    png_set_scale_16(png);
    if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (!hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    // B, G, R, A in memory is 0xAARRGGBB on little-endian machines.
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4) png_error(png, "Unsupported PNG layout");
    if (!AllocatePngImage(job, width, height)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    QImage* image = PngImage(job);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, image->scanLine(int(y)), nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

TImageResult DecodePng(const QByteArray& data)
{
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "pixel byte order assumes a little-endian machine");
    TPngJob job;
    job.Data = reinterpret_cast<const unsigned char*>(data.constData());
    job.Size = std::size_t(data.size());
    if (job.Size < 8 || png_sig_cmp(job.Data, 0, 8) != 0) return TImageResult::Failure(QStringLiteral("Not a PNG file"));
    if (!ChunksFitInData(job.Data, job.Size)) return TImageResult::Failure(QStringLiteral("Invalid PNG image: Truncated PNG data"));
    if (!RunPng(&job)) {
        const QString reason = job.Message[0] ? QString::fromUtf8(job.Message) : QStringLiteral("Out of memory");
        return TImageResult::Failure(QStringLiteral("Invalid PNG image: ") + reason);
    }
    job.Image->convertTo(QImage::Format_ARGB32_Premultiplied);
    return {TBitmap32(*job.Image), {}};
}

TImageResult LoadPngFile(const QString& path)
{
    QByteArray data;
    const QString error = ReadPictureFile(path, data);
    if (!error.isEmpty()) return TImageResult::Failure(error);
    return DecodePng(data);
}

namespace {

void PngWrite(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(length));
}

void PngFlush(png_structp) {}

bool RunPngEncode(QByteArray* out, const QImage* image)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarn);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(image->width()), png_uint_32(image->height()), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < image->height(); ++y) png_write_row(png, image->constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

QByteArray EncodePng(const TBitmap32& bitmap)
{
    if (bitmap.Empty()) return {};
    const QImage straight = bitmap.Image().convertToFormat(QImage::Format_ARGB32);
    QByteArray out;
    if (!RunPngEncode(&out, &straight)) return {};
    return out;
}
