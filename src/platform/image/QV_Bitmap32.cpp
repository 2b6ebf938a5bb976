#include "platform/image/QV_Bitmap32.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

// Copies or blends rows of premultiplied pixels of equal size.
void Compose(QImage& dst, const QPoint& at, const QImage& src, const QRect& from, TDrawMode mode)
{
    const QRect target = QRect(at, from.size()).intersected(dst.rect());
    if (target.isEmpty()) return;
    const int sx = from.left() + (target.left() - at.x());
    const int sy = from.top() + (target.top() - at.y());
    for (int row = 0; row < target.height(); ++row) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(src.constScanLine(sy + row)) + sx;
        auto* out = reinterpret_cast<std::uint32_t*>(dst.scanLine(target.top() + row)) + target.left();
        if (mode == TDrawMode::dmOpaque) {
            std::copy(in, in + target.width(), out);
        } else {
            for (int x = 0; x < target.width(); ++x) out[x] = BlendPremultiplied(in[x], out[x]);
        }
    }
}

struct TMapping {
    void* Start;
    std::size_t Length;
};

void Unmap(void* info)
{
    auto* mapping = static_cast<TMapping*>(info);
    ::munmap(mapping->Start, mapping->Length);
    delete mapping;
}

// A cleared picture of the given size. A window-sized one comes straight from
// the kernel, already zeroed and in 2 MiB pages where the system allows: its
// first paint then takes a few page faults instead of one per 4 KiB, each of
// which costs microseconds on a virtual machine.
QImage ClearedImage(int width, int height)
{
    constexpr std::size_t kHuge = std::size_t(2) << 20;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    if (bytes < kHuge) {
        QImage image(width, height, kFormat);
        if (!image.isNull()) image.fill(0);
        return image;
    }
    const std::size_t length = (bytes + kHuge - 1) / kHuge * kHuge;
    void* raw = ::mmap(nullptr, length + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return QImage();  // as a failed allocation of QImage's own
    // Trimmed to a 2 MiB boundary, as only aligned ranges get large pages.
    const auto base = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (base + kHuge - 1) / kHuge * kHuge;
    if (aligned > base) ::munmap(raw, aligned - base);
    if (const std::size_t tail = base + length + kHuge - (aligned + length)) ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    void* start = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    ::madvise(start, length, MADV_HUGEPAGE);  // a refusal leaves ordinary pages
#endif
    auto* mapping = new TMapping{start, length};
    QImage image(static_cast<uchar*>(start), width, height, qsizetype(width) * 4, kFormat, Unmap, mapping);
    if (image.isNull()) Unmap(mapping);
    return image;
}

} // namespace

void PrefaultPixels(QImage& image)
{
    if (image.isNull() || !image.isDetached()) return;  // a shared picture is written through a copy
#ifdef MADV_POPULATE_WRITE
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page <= 0) return;
    const auto first = reinterpret_cast<std::uintptr_t>(image.bits());
    const std::uintptr_t start = first / std::uintptr_t(page) * std::uintptr_t(page);
    const std::uintptr_t end = first + std::uintptr_t(image.sizeInBytes());
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#endif
}

TBitmap32::TBitmap32(int width, int height)
{
    SetSize(width, height);
}

TBitmap32::TBitmap32(const QImage& image)
    : image_(image.format() == kFormat ? image : image.convertToFormat(kFormat))
{
}

void TBitmap32::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == Width() && height == Height()) return;
    if (width == 0 || height == 0) {
        image_ = QImage();
        return;
    }
    image_ = ClearedImage(width, height);
}

void TBitmap32::Clear(TColor32 color)
{
    if (!image_.isNull()) image_.fill(Premultiply(color));
}

void TBitmap32::FillRect(const QRect& rect, TColor32 color, TDrawMode mode)
{
    const QRect target = rect.intersected(image_.rect());
    if (target.isEmpty()) return;
    const std::uint32_t pixel = Premultiply(color);
    for (int y = target.top(); y <= target.bottom(); ++y) {
        std::uint32_t* out = ScanLine(y) + target.left();
        for (int x = 0; x < target.width(); ++x)
            out[x] = mode == TDrawMode::dmOpaque ? pixel : BlendPremultiplied(pixel, out[x]);
    }
}

void TBitmap32::FrameRect(const QRect& rect, TColor32 color, TDrawMode mode)
{
    if (rect.isEmpty()) return;
    FillRect(QRect(rect.left(), rect.top(), rect.width(), 1), color, mode);
    if (rect.height() > 1) FillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), color, mode);
    if (rect.height() > 2) {
        FillRect(QRect(rect.left(), rect.top() + 1, 1, rect.height() - 2), color, mode);
        if (rect.width() > 1) FillRect(QRect(rect.right(), rect.top() + 1, 1, rect.height() - 2), color, mode);
    }
}

void TBitmap32::Draw(int x, int y, const TBitmap32& src)
{
    if (image_.isNull() || src.Empty()) return;
    if (&src == this) {
        const TBitmap32 copy = src;
        Compose(image_, QPoint(x, y), copy.image_, copy.image_.rect(), src.DrawMode);
        return;
    }
    Compose(image_, QPoint(x, y), src.image_, src.image_.rect(), src.DrawMode);
}

void TBitmap32::Draw(const QRect& dstRect, const QRect& srcRect, const TBitmap32& src, TResampler kind)
{
    if (image_.isNull() || src.Empty() || dstRect.isEmpty() || srcRect.isEmpty()) return;
    const QRect from = srcRect.intersected(src.image_.rect());
    if (from.isEmpty()) return;
    // Map the surviving part of the source back onto the target rectangle.
    const double scaleX = double(dstRect.width()) / srcRect.width();
    const double scaleY = double(dstRect.height()) / srcRect.height();
    const int left = dstRect.left() + int(std::lround((from.left() - srcRect.left()) * scaleX));
    const int top = dstRect.top() + int(std::lround((from.top() - srcRect.top()) * scaleY));
    const int right = dstRect.left() + int(std::lround((from.left() + from.width() - srcRect.left()) * scaleX));
    const int bottom = dstRect.top() + int(std::lround((from.top() + from.height() - srcRect.top()) * scaleY));
    const QRect to(QPoint(left, top), QSize(right - left, bottom - top));
    if (to.isEmpty()) return;
    if (to.size() == from.size()) {
        const QImage source = src.image_; // shares pixels; safe when src is *this
        Compose(image_, to.topLeft(), source, from, src.DrawMode);
        return;
    }
    const QImage scaled = ResampleImage(src.image_, from, to.width(), to.height(), kind);
    if (!scaled.isNull()) Compose(image_, to.topLeft(), scaled, scaled.rect(), src.DrawMode);
}

TBitmap32 TBitmap32::Resampled(int width, int height, TResampler kind) const
{
    TBitmap32 result;
    result.DrawMode = DrawMode;
    result.Font = Font;
    if (!Empty()) result.image_ = ResampleImage(image_, image_.rect(), width, height, kind);
    return result;
}

void TBitmap32::TextOut(int x, int y, const QString& text)
{
    TextOutAt(image_, Font, x, y, text);
}

QRect TBitmap32::DrawText(const QRect& rect, const QString& text, unsigned flags)
{
    return DrawTextIn(image_, Font, rect, text, flags);
}

TColor32 TBitmap32::Pixel(int x, int y) const
{
    if (!image_.valid(x, y)) return 0;
    return Unpremultiply(ScanLine(y)[x]);
}

void TBitmap32::SetPixel(int x, int y, TColor32 color)
{
    if (image_.valid(x, y)) ScanLine(y)[x] = Premultiply(color);
}
