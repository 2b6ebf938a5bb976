#include "platform/image/QV_BmpCodec.h"

#include <bit>
#include <cstring>
#include <vector>

namespace {

enum : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

std::uint32_t U32(const uchar* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t U16(const uchar* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

// Extracts one channel under a bit mask and widens it to 8 bits.
struct TChannel {
    std::uint32_t Mask = 0;
    int Shift = 0;
    std::uint64_t Max = 0;

    explicit TChannel(std::uint32_t mask = 0) : Mask(mask)
    {
        if (!mask) return;
        Shift = std::countr_zero(mask);
        Max = (std::uint64_t(1) << (32 - std::countl_zero(mask) - Shift)) - 1;
    }
    std::uint32_t Get(std::uint32_t pixel) const
    {
        if (!Mask) return 0;
        return std::uint32_t(std::uint64_t((pixel & Mask) >> Shift) * 255 / Max);
    }
};

struct THeader {
    std::int64_t Width = 0, Height = 0;
    bool TopDown = false;
    int Bits = 0;
    std::uint32_t Compression = kRgb;
    TChannel Red, Green, Blue, Alpha;
    bool DeclaredAlpha = false; // an alpha mask named in the file, not assumed
    std::vector<std::uint32_t> Palette; // opaque ARGB
};

class TBmpReader {
public:
    explicit TBmpReader(const QByteArray& data) : data_(reinterpret_cast<const uchar*>(data.constData())), size_(std::size_t(data.size())) {}

    // Part: the rectangle of the picture (rows top-down) to keep; empty keeps it all.
    TImageResult Read(QRect part)
    {
        if (size_ < 26 || data_[0] != 'B' || data_[1] != 'M') return Fail("Not a BMP file");
        const std::uint32_t pixelOffset = U32(data_ + 10);
        const std::uint32_t headerSize = U32(data_ + 14);
        THeader h;
        if (!ReadHeader(headerSize, h)) return Fail(error_);
        const QString refused = CheckImageSize(h.Width, h.Height);
        if (!refused.isEmpty()) return TImageResult::Failure(refused);
        const std::size_t start = pixelOffset == 0 ? paletteEnd_ : pixelOffset;
        if (start >= size_) return Fail("Truncated BMP data");

        const bool rle = h.Compression == kRle8 || h.Compression == kRle4;
        if (!rle) {
            const std::uint64_t stride = ((std::uint64_t(h.Width) * h.Bits + 31) / 32) * 4;
            if (stride * std::uint64_t(h.Height) > size_ - start) return Fail("Truncated BMP data");
        }
        const QRect whole(0, 0, int(h.Width), int(h.Height));
        part_ = part.isEmpty() ? whole : part.intersected(whole);
        if (part_.isEmpty()) part_ = whole;
        TBitmap32 bitmap(part_.width(), part_.height());
        if (bitmap.Empty()) return Fail("Out of memory");
        const bool ok = rle ? ReadRle(h, data_ + start, size_ - start, bitmap) : ReadRows(h, data_ + start, bitmap);
        if (!ok) return Fail(error_);
        return {bitmap, {}};
    }

private:
    TImageResult Fail(const QString& reason) { return TImageResult::Failure(QStringLiteral("Invalid BMP image: ") + reason); }

    bool Error(const char* reason)
    {
        error_ = QString::fromLatin1(reason);
        return false;
    }

    bool ReadHeader(std::uint32_t headerSize, THeader& h)
    {
        const std::size_t at = 14;
        if (headerSize < 12 || headerSize > size_ - at) return Error("Invalid header");
        const uchar* p = data_ + at;
        int paletteEntrySize = 4;
        std::uint32_t colorsUsed = 0;
        if (headerSize == 12) { // OS/2 core header
            h.Width = U16(p + 4);
            h.Height = U16(p + 6);
            h.Bits = U16(p + 10);
            paletteEntrySize = 3;
        } else {
            if (headerSize < 40) return Error("Invalid header");
            h.Width = std::int32_t(U32(p + 4));
            h.Height = std::int32_t(U32(p + 8));
            h.Bits = U16(p + 14);
            h.Compression = U32(p + 16);
            colorsUsed = U32(p + 32);
        }
        if (h.Height < 0) {
            h.TopDown = true;
            h.Height = -h.Height;
        }
        std::size_t next = at + headerSize;
        switch (h.Bits) {
        case 1: case 4: case 8: case 24: break;
        case 16: h.Red = TChannel(0x7C00), h.Green = TChannel(0x03E0), h.Blue = TChannel(0x001F); break;
        case 32: h.Red = TChannel(0xFF0000), h.Green = TChannel(0xFF00), h.Blue = TChannel(0xFF), h.Alpha = TChannel(0xFF000000u); break;
        default: return Error("Unsupported bit depth");
        }
        switch (h.Compression) {
        case kRgb: break;
        case kRle8: if (h.Bits != 8 || h.TopDown) return Error("Invalid RLE8 header"); break;
        case kRle4: if (h.Bits != 4 || h.TopDown) return Error("Invalid RLE4 header"); break;
        case kBitFields:
        case kAlphaBitFields: {
            if (h.Bits != 16 && h.Bits != 32) return Error("Invalid bit fields");
            // The masks follow a 40-byte header; larger headers carry them inside.
            const int count = h.Compression == kAlphaBitFields || headerSize >= 56 ? 4 : 3;
            const std::size_t masks = at + 40;
            if (masks + count * 4 > size_) return Error("Truncated BMP data");
            h.Red = TChannel(U32(data_ + masks));
            h.Green = TChannel(U32(data_ + masks + 4));
            h.Blue = TChannel(U32(data_ + masks + 8));
            h.Alpha = TChannel(count == 4 ? U32(data_ + masks + 12) : 0);
            h.DeclaredAlpha = h.Alpha.Mask != 0;
            if (headerSize == 40) next += std::size_t(count) * 4;
            break;
        }
        default: return Error("Unsupported compression");
        }
        if (h.Bits <= 8) {
            const std::uint32_t maxColors = 1u << h.Bits;
            const std::uint32_t colors = colorsUsed == 0 || colorsUsed > maxColors ? maxColors : colorsUsed;
            h.Palette.assign(maxColors, 0xFF000000u);
            for (std::uint32_t i = 0; i < colors && next + paletteEntrySize <= size_; ++i, next += paletteEntrySize) {
                const uchar* e = data_ + next;
                h.Palette[i] = Argb(0xFF, e[2], e[1], e[0]);
            }
        }
        paletteEnd_ = next;
        return true;
    }

    bool ReadRows(const THeader& h, const uchar* pixels, TBitmap32& bitmap)
    {
        const std::size_t stride = ((std::size_t(h.Width) * h.Bits + 31) / 32) * 4;
        const int width = part_.width(), left = part_.left();
        bool anyAlpha = false;
        // Whether the fourth byte is alpha is the whole picture's matter, not the part's.
        if (h.Bits >= 16 && !h.DeclaredAlpha && part_.size() != QSize(int(h.Width), int(h.Height)))
            for (int row = 0; row < int(h.Height) && !anyAlpha; ++row)
                for (int x = 0; x < int(h.Width) && !anyAlpha; ++x) {
                    const uchar* in = pixels + stride * std::size_t(row);
                    anyAlpha = h.Alpha.Get(h.Bits == 16 ? U16(in + x * 2) : U32(in + x * 4)) != 0;
                }
        for (int y = part_.top(); y <= part_.bottom(); ++y) {
            const uchar* in = pixels + stride * std::size_t(h.TopDown ? y : int(h.Height) - 1 - y);
            std::uint32_t* out = bitmap.ScanLine(y - part_.top());
            for (int x = left; x < left + width; ++x) {
                switch (h.Bits) {
                case 1: out[x - left] = h.Palette[(in[x >> 3] >> (7 - (x & 7))) & 1]; break;
                case 4: out[x - left] = h.Palette[(in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
                case 8: out[x - left] = h.Palette[in[x]]; break;
                case 24: out[x - left] = Argb(0xFF, in[x * 3 + 2], in[x * 3 + 1], in[x * 3]); break;
                default: {
                    const std::uint32_t v = h.Bits == 16 ? U16(in + x * 2) : U32(in + x * 4);
                    const std::uint32_t a = h.Alpha.Get(v);
                    anyAlpha |= a != 0;
                    out[x - left] = (a << 24) | (h.Red.Get(v) << 16) | (h.Green.Get(v) << 8) | h.Blue.Get(v);
                }
                }
            }
        }
        // Without a declared alpha mask, a fourth byte that is zero everywhere is
        // unused, not a transparent picture. Straight values are premultiplied.
        const bool useAlpha = anyAlpha || h.DeclaredAlpha;
        if (h.Bits >= 16) {
            for (int y = 0; y < bitmap.Height(); ++y) {
                std::uint32_t* line = bitmap.ScanLine(y);
                for (int x = 0; x < width; ++x) line[x] = useAlpha ? Premultiply(line[x]) : (line[x] | 0xFF000000u);
            }
        }
        return true;
    }

    // Run-length data: rows go bottom-up; pixels a run or delta skips stay
    // transparent. Data that ends before its end marker is truncated.
    bool ReadRle(const THeader& h, const uchar* in, std::size_t size, TBitmap32& bitmap)
    {
        const int width = int(h.Width), height = int(h.Height);
        const bool four = h.Compression == kRle4;
        int x = 0, y = 0;
        std::size_t i = 0;
        auto put = [&](int index) {
            if (x < width && y < height && part_.contains(x, height - 1 - y))
                bitmap.ScanLine(height - 1 - y - part_.top())[x - part_.left()] = h.Palette[index & (four ? 0xF : 0xFF)];
            ++x;
        };
        while (i + 2 <= size) {
            const uchar count = in[i], value = in[i + 1];
            i += 2;
            if (count > 0) {
                for (int k = 0; k < count; ++k) put(four ? (k & 1 ? value & 0xF : value >> 4) : value);
                continue;
            }
            if (value == 0) { // end of line
                x = 0;
                if (++y >= height) return true;
            } else if (value == 1) { // end of bitmap
                return true;
            } else if (value == 2) { // delta
                if (i + 2 > size) break;
                x += in[i];
                y += in[i + 1];
                i += 2;
                if (y >= height) return true;
            } else { // literal run of `value` pixels, padded to 16 bits
                const std::size_t bytes = four ? (value + 1) / 2 : value;
                if (i + bytes > size) break;
                for (int k = 0; k < value; ++k) put(four ? (k & 1 ? in[i + k / 2] & 0xF : in[i + k / 2] >> 4) : in[i + k]);
                i += bytes + (bytes & 1);
            }
        }
        return Error("Truncated BMP data");
    }

    const uchar* data_;
    std::size_t size_;
    QRect part_;
    std::size_t paletteEnd_ = 0;
    QString error_;
};

void Put16(QByteArray& out, std::uint16_t v)
{
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

void Put32(QByteArray& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}

} // namespace

TImageResult DecodeBmp(const QByteArray& data, const QRect& part)
{
    return TBmpReader(data).Read(part);
}

TImageResult LoadBmpFile(const QString& path)
{
    QByteArray data;
    const QString error = ReadPictureFile(path, data);
    if (!error.isEmpty()) return TImageResult::Failure(error);
    return DecodeBmp(data);
}

QByteArray EncodeBmp(const TBitmap32& bitmap, TBmpFormat format)
{
    if (bitmap.Empty()) return {};
    const bool alpha = format == TBmpFormat::bf32;
    const std::uint32_t headerSize = alpha ? 108 : 40;
    const std::uint32_t stride = alpha ? std::uint32_t(bitmap.Width()) * 4 : ((std::uint32_t(bitmap.Width()) * 3 + 3) & ~3u);
    const std::uint32_t imageSize = stride * std::uint32_t(bitmap.Height());
    const std::uint32_t offset = 14 + headerSize;
    QByteArray out;
    out.reserve(qsizetype(offset + imageSize));
    out.append("BM");
    Put32(out, offset + imageSize);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, headerSize);
    Put32(out, std::uint32_t(bitmap.Width()));
    Put32(out, std::uint32_t(bitmap.Height()));
    Put16(out, 1);
    Put16(out, alpha ? 32 : 24);
    Put32(out, alpha ? kBitFields : kRgb);
    Put32(out, imageSize);
    Put32(out, 3780); // 96 dpi in pixels a metre
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);
    if (alpha) {
        for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Put32(out, mask);
        Put32(out, 0x73524742); // 'sRGB'
        out.append(QByteArray(48, '\0')); // endpoints and gamma, unused for sRGB
    }
    for (int y = bitmap.Height() - 1; y >= 0; --y) {
        const std::uint32_t* line = bitmap.ScanLine(y);
        const qsizetype rowStart = out.size();
        for (int x = 0; x < bitmap.Width(); ++x) {
            const TColor32 c = alpha ? Unpremultiply(line[x]) : line[x];
            out.append(char(BlueOf(c))).append(char(GreenOf(c))).append(char(RedOf(c)));
            if (alpha) out.append(char(AlphaOf(c)));
        }
        while (out.size() - rowStart < qsizetype(stride)) out.append('\0');
    }
    return out;
}
