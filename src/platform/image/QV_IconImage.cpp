#include "platform/image/QV_IconImage.h"

#include "platform/image/QV_BmpCodec.h"
#include "platform/image/QV_ImageFile.h"
#include "platform/image/QV_PngCodec.h"

#include <algorithm>

namespace {

const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

void Put32(QByteArray& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}

TIconResult Invalid() { return TIconResult::Failure(QLatin1String(kInvalidIconFormat)); }

TIconResult FromBitmap(TBitmap32 bitmap)
{
    TIconResult result;
    result.Width = bitmap.Width();
    result.Height = bitmap.Height();
    result.Bitmap = std::move(bitmap);
    return result;
}

TIconResult DecodePngImage(const QByteArray& stored)
{
    TImageResult png = DecodePng(stored);
    if (!png.Ok()) return Invalid();
    TIconResult result = FromBitmap(std::move(png.Bitmap));
    result.IsPng = true;
    result.Png = stored;
    return result;
}

// An icon bitmap is a bitmap file without its file header, twice as high as the
// image because the AND mask's rows are counted too, and with the mask after the
// colour rows. The colour part goes through the bitmap reader behind a made-up
// file header; the mask is applied here.
TIconResult DecodeDibImage(const QByteArray& stored)
{
    const auto* p = reinterpret_cast<const uchar*>(stored.constData());
    const std::uint64_t size = std::uint64_t(stored.size());
    if (size < 40) return Invalid();
    const std::uint32_t headerSize = ReadU32(stored, 0);
    const std::int64_t width = std::int32_t(ReadU32(stored, 4));
    const std::int64_t doubleHeight = std::int32_t(ReadU32(stored, 8));
    const int bits = ReadU16(stored, 14);
    const std::uint32_t compression = ReadU32(stored, 16);
    const std::uint32_t colorsUsed = ReadU32(stored, 32);
    if (headerSize < 40 || headerSize > size || width <= 0 || doubleHeight < 2) return Invalid();
    const std::int64_t height = doubleHeight / 2;
    if (!CheckImageSize(width, height).isEmpty()) return Invalid();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return Invalid();
    const bool bitFields = compression == 3 && (bits == 16 || bits == 32);
    if (compression != 0 && !bitFields) return Invalid();

    const std::uint64_t maxColors = bits <= 8 ? 1u << bits : 0;
    const std::uint64_t colors = colorsUsed == 0 || colorsUsed > maxColors ? maxColors : colorsUsed;
    const std::uint64_t colorStart = headerSize + (bitFields && headerSize == 40 ? 12 : 0) + colors * 4;
    const std::uint64_t colorStride = ((std::uint64_t(width) * bits + 31) / 32) * 4;
    const std::uint64_t colorEnd = colorStart + colorStride * std::uint64_t(height);
    if (colorEnd > size) return Invalid();

    QByteArray file("BM");
    Put32(file, std::uint32_t(14 + colorEnd));
    Put32(file, 0);
    Put32(file, std::uint32_t(14 + colorStart));
    file.append(stored.constData(), qsizetype(colorEnd));
    uchar* patched = reinterpret_cast<uchar*>(file.data()) + 14 + 8;
    for (int i = 0; i < 4; ++i) patched[i] = uchar((std::uint32_t(height) >> (8 * i)) & 0xFF);
    TImageResult decoded = DecodeBmp(file);
    if (!decoded.Ok()) return Invalid();
    TBitmap32& bitmap = decoded.Bitmap;

    bool alpha = false;
    if (bits == 32 && !bitFields) {
        for (std::uint64_t i = colorStart + 3; i < colorEnd && !alpha; i += 4) alpha = p[i] != 0;
    } else if (bits == 32) {
        for (int y = 0; y < bitmap.Height() && !alpha; ++y)
            for (int x = 0; x < bitmap.Width() && !alpha; ++x) alpha = AlphaOf(bitmap.ScanLine(y)[x]) != 0xFF;
    }
    if (!alpha) {
        const std::uint64_t maskStride = ((std::uint64_t(width) + 31) / 32) * 4;
        if (colorEnd + maskStride * std::uint64_t(height) > size) return Invalid();
        for (int row = 0; row < int(height); ++row) {
            const uchar* mask = p + colorEnd + maskStride * std::uint64_t(row);
            std::uint32_t* line = bitmap.ScanLine(int(height) - 1 - row);
            for (int x = 0; x < int(width); ++x)
                if ((mask[x >> 3] >> (7 - (x & 7))) & 1) line[x] = 0;
        }
    }
    return FromBitmap(std::move(bitmap));
}

} // namespace

int ChooseIconImage(const std::vector<TIconEntry>& entries, int desiredSize)
{
    auto side = [](const TIconEntry& e) { return std::max(e.Width, e.Height); };
    auto better = [&](const TIconEntry& a, const TIconEntry& b) {
        const int sa = side(a), sb = side(b);
        if (sa == sb) return a.BitCount > b.BitCount;
        const bool aFits = desiredSize > 0 && sa >= desiredSize;
        const bool bFits = desiredSize > 0 && sb >= desiredSize;
        if (aFits != bFits) return aFits;
        return aFits ? sa < sb : sa > sb;
    };
    int best = -1;
    for (int i = 0; i < int(entries.size()); ++i)
        if (best < 0 || better(entries[std::size_t(i)], entries[std::size_t(best)])) best = i;
    return best;
}

namespace {

int HeaderBitCount(const QByteArray& header)
{
    if (header.startsWith(kPngSignature)) {
        if (header.size() < 26 || header.mid(12, 4) != "IHDR") return 0;
        const int depth = uchar(header[24]);
        switch (uchar(header[25])) { // colour type: the channels a pixel has
        case 0: case 3: return depth;
        case 2: return depth * 3;
        case 4: return depth * 2;
        case 6: return depth * 4;
        default: return 0;
        }
    }
    if (header.size() < 16 || ReadU32(header, 0) < 40) return 0;
    return ReadU16(header, 14);
}

} // namespace

TIconEntry ReadIconEntry(const QByteArray& directory, qsizetype at, const TByteSource& source, std::uint64_t offset,
                         std::uint64_t size)
{
    constexpr std::uint64_t kPeekSize = 32; // enough for either kind of header
    TIconEntry entry;
    entry.Width = uchar(directory[at]) ? uchar(directory[at]) : 256;
    entry.Height = uchar(directory[at + 1]) ? uchar(directory[at + 1]) : 256;
    entry.Offset = offset;
    entry.Size = size;
    QByteArray header;
    source.Read(offset, std::min(size, kPeekSize), header);
    entry.BitCount = HeaderBitCount(header);
    if (entry.BitCount == 0) entry.BitCount = ReadU16(directory, at + 6);
    return entry;
}

TIconResult DecodeIconImage(const QByteArray& stored)
{
    return stored.startsWith(kPngSignature) ? DecodePngImage(stored) : DecodeDibImage(stored);
}

TIconResult TIconSet::Decode(int index) const
{
    if (!Ok()) return TIconResult::Failure(Error);
    if (index < 0 || index >= int(Entries.size())) return Invalid();
    const TIconEntry& entry = Entries[std::size_t(index)];
    QByteArray stored;
    if (entry.Size > std::uint64_t(kMaxImageFileBytes) || !Source->Read(entry.Offset, entry.Size, stored))
        return Invalid();
    return DecodeIconImage(stored);
}

TIconResult TIconSet::DecodeBest(int desiredSize) const
{
    if (!Ok()) return TIconResult::Failure(Error);
    return Decode(ChooseIconImage(Entries, desiredSize));
}

TIconResult LoadIconSet(const QString& path, int desiredSize, TIconSetReader reader)
{
    QString error;
    std::shared_ptr<const TByteSource> source = OpenFileSource(path, error);
    if (!source) return TIconResult::Failure(error);
    return reader(std::move(source)).DecodeBest(desiredSize);
}
