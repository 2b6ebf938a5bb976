#include "platform/image/QV_JpegCodec.h"

#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <csetjmp>
#include <cstring>
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// As for PNG: all state of a decode sits in this struct, so the frame that calls
// setjmp owns nothing that a longjmp would skip destroying.
struct TJpegJob {
    jpeg_decompress_struct Info {};
    jpeg_error_mgr Errors {};
    jpeg_progress_mgr Progress {};
    std::jmp_buf Jump {};
    char Message[JMSG_LENGTH_MAX] = {};
    const unsigned char* Data = nullptr;
    unsigned long Size = 0;
    int ScaleDenom = 1;
    int MinWidth = 0, MinHeight = 0; // when positive, pick the scale from these
    bool Fast = false;
    std::unique_ptr<QImage> Image;
    std::vector<unsigned char> CmykRow;
};

TJpegJob* JobOf(j_common_ptr info) { return static_cast<TJpegJob*>(info->client_data); }

[[noreturn]] void JpegFail(j_common_ptr info)
{
    TJpegJob* job = JobOf(info);
    if (!job->Message[0]) info->err->format_message(info, job->Message);
    std::longjmp(job->Jump, 1);
}

void JpegMessage(j_common_ptr info, int level)
{
    if (level >= 0) return;
    // A file that ends early is truncated, not a picture to show half of.
    if (info->err->msg_code == JWRN_JPEG_EOF) JpegFail(info);
    if (++info->err->num_warnings > 1000) JpegFail(info);
}

void JpegProgress(j_common_ptr info)
{
    auto* decoder = reinterpret_cast<j_decompress_ptr>(info);
    if (decoder->input_scan_number > kMaxJpegScans) {
        std::snprintf(JobOf(info)->Message, JMSG_LENGTH_MAX, "Too many progressive scans");
        JpegFail(info);
    }
}

bool Refuse(TJpegJob* job, const QString& reason)
{
    std::strncpy(job->Message, reason.toUtf8().constData(), JMSG_LENGTH_MAX - 1);
    return false;
}

// Outside the setjmp frame: checks and allocations after the header is known.
bool PrepareJpegOutput(TJpegJob* job)
{
    jpeg_decompress_struct& info = job->Info;
    // The picture's own sides are bounded; its memory limit applies to what is
    // decoded, so a large photograph still loads at a reduced scale. Progressive
    // files need buffers for the whole picture: max_memory_to_use bounds those.
    if (info.image_width > unsigned(kMaxImageSide) || info.image_height > unsigned(kMaxImageSide))
        return Refuse(job, CheckImageSize(info.image_width, info.image_height));
    const QString output = CheckImageSize(info.output_width, info.output_height);
    if (!output.isEmpty()) return Refuse(job, output);
    job->Image = std::make_unique<QImage>(int(info.output_width), int(info.output_height),
                                          QImage::Format_ARGB32_Premultiplied);
    if (job->Image->isNull()) return Refuse(job, QStringLiteral("Out of memory"));
    if (info.out_color_space == JCS_CMYK) job->CmykRow.resize(std::size_t(info.output_width) * 4);
    return true;
}

void StoreCmykRow(TJpegJob* job, int y)
{
    // Files written with an Adobe marker store CMYK inverted, as nearly all do.
    const bool inverted = job->Info.saw_Adobe_marker;
    const unsigned char* in = job->CmykRow.data();
    auto* out = reinterpret_cast<std::uint32_t*>(job->Image->scanLine(y));
    for (unsigned x = 0; x < job->Info.output_width; ++x, in += 4) {
        std::uint32_t c = in[0], m = in[1], ye = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
        }
        out[x] = Argb(0xFF, std::uint8_t(MulDiv255(c, k)), std::uint8_t(MulDiv255(m, k)), std::uint8_t(MulDiv255(ye, k)));
    }
}

void ChooseScale(TJpegJob* job)
{
    jpeg_decompress_struct& info = job->Info;
    if (job->MinWidth > 0 || job->MinHeight > 0)
        job->ScaleDenom = JpegScaleDenomFor(int(info.image_width), int(info.image_height), job->MinWidth, job->MinHeight);
    info.scale_num = 1;
    info.scale_denom = unsigned(job->ScaleDenom);
    if (job->Fast) {
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
}

bool RunJpeg(TJpegJob* job)
{
    jpeg_decompress_struct* info = &job->Info;
    info->err = jpeg_std_error(&job->Errors);
    job->Errors.error_exit = JpegFail;
    job->Errors.emit_message = JpegMessage;
    if (setjmp(job->Jump)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_create_decompress(info);
    info->client_data = job;
    info->mem->max_memory_to_use = long(kMaxImageBytes);
    job->Progress.progress_monitor = JpegProgress;
    info->progress = &job->Progress;
    jpeg_mem_src(info, job->Data, job->Size);
    jpeg_read_header(info, TRUE);
    ChooseScale(job);
    jpeg_calc_output_dimensions(info);
    if (!PrepareJpegOutput(job)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_start_decompress(info);
    while (info->output_scanline < info->output_height) {
        const int y = int(info->output_scanline);
        JSAMPROW row = info->out_color_space == JCS_CMYK ? job->CmykRow.data() : job->Image->scanLine(y);
        if (jpeg_read_scanlines(info, &row, 1) != 1) break;
        if (info->out_color_space == JCS_CMYK) StoreCmykRow(job, y);
    }
    const bool complete = info->output_scanline == info->output_height;
    jpeg_destroy_decompress(info);
    return complete || Refuse(job, QStringLiteral("Truncated JPEG data"));
}

TImageResult Decode(const QByteArray& data, int scaleDenom, int minWidth, int minHeight, TJpegSpeed speed)
{
    if (data.size() < 3 || uchar(data[0]) != 0xFF || uchar(data[1]) != 0xD8)
        return TImageResult::Failure(QStringLiteral("Not a JPEG file"));
    auto job = std::make_unique<TJpegJob>();
    job->Data = reinterpret_cast<const unsigned char*>(data.constData());
    job->Size = static_cast<unsigned long>(data.size());
    job->ScaleDenom = (scaleDenom == 2 || scaleDenom == 4 || scaleDenom == 8) ? scaleDenom : 1;
    job->MinWidth = minWidth;
    job->MinHeight = minHeight;
    job->Fast = speed == TJpegSpeed::jsFast;
    if (!RunJpeg(job.get())) return TImageResult::Failure(QStringLiteral("Invalid JPEG image: ") + QString::fromUtf8(job->Message));
    return {TBitmap32(*job->Image), {}};
}

} // namespace

int JpegScaleDenomFor(int width, int height, int minWidth, int minHeight)
{
    for (int denom : {8, 4, 2}) {
        const int w = (width + denom - 1) / denom, h = (height + denom - 1) / denom;
        if (w >= minWidth && h >= minHeight) return denom;
    }
    return 1;
}

TImageResult DecodeJpeg(const QByteArray& data, int scaleDenom, TJpegSpeed speed)
{
    return Decode(data, scaleDenom, 0, 0, speed);
}

TImageResult DecodeJpegQuarter(const QByteArray& data)
{
    return Decode(data, 4, 0, 0, TJpegSpeed::jsFast);
}

TImageResult DecodeJpegAtLeast(const QByteArray& data, int minWidth, int minHeight, TJpegSpeed speed)
{
    return Decode(data, 1, std::max(minWidth, 1), std::max(minHeight, 1), speed);
}

TImageResult LoadJpegFile(const QString& path, int scaleDenom, TJpegSpeed speed)
{
    QByteArray data;
    const QString error = ReadPictureFile(path, data);
    if (!error.isEmpty()) return TImageResult::Failure(error);
    return DecodeJpeg(data, scaleDenom, speed);
}

namespace {

struct TJpegEncodeJob {
    jpeg_compress_struct Info {};
    jpeg_error_mgr Errors {};
    std::jmp_buf Jump {};
    unsigned char* Buffer = nullptr;
    unsigned long Size = 0;
};

[[noreturn]] void JpegEncodeFail(j_common_ptr info)
{
    std::longjmp(static_cast<TJpegEncodeJob*>(info->client_data)->Jump, 1);
}

bool RunJpegEncode(TJpegEncodeJob* job, const QImage* image, int quality)
{
    jpeg_compress_struct* info = &job->Info;
    info->err = jpeg_std_error(&job->Errors);
    job->Errors.error_exit = JpegEncodeFail;
    if (setjmp(job->Jump)) {
        jpeg_destroy_compress(info);
        return false;
    }
    jpeg_create_compress(info);
    info->client_data = job;
    jpeg_mem_dest(info, &job->Buffer, &job->Size);
    info->image_width = JDIMENSION(image->width());
    info->image_height = JDIMENSION(image->height());
    info->input_components = 4;
    info->in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = const_cast<uchar*>(image->constScanLine(int(info->next_scanline)));
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    jpeg_destroy_compress(info);
    return true;
}

} // namespace

QByteArray EncodeJpeg(const TBitmap32& bitmap, int quality)
{
    if (bitmap.Empty()) return {};
    // Flattened onto black, which is what dropping premultiplied alpha amounts to.
    const QImage& image = bitmap.Image();
    auto job = std::make_unique<TJpegEncodeJob>();
    QByteArray out;
    if (RunJpegEncode(job.get(), &image, std::clamp(quality, 1, 100)))
        out = QByteArray(reinterpret_cast<const char*>(job->Buffer), qsizetype(job->Size));
    std::free(job->Buffer);
    return out;
}
