#include "platform/image/QV_BmpCodec.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

namespace {

void U16(QByteArray& out, std::uint32_t v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
void U32(QByteArray& out, std::uint32_t v) { U16(out, v & 0xFFFF), U16(out, v >> 16); }

// A bitmap file from its parts: header fields, an optional table (palette or
// masks) and the pixel bytes exactly as stored.
struct TBmp {
    TBmp(int width, int height, int bits) : Width(width), Height(height), Bits(bits) {}
    int Width = 0, Height = 0, Bits = 24;
    std::uint32_t Compression = 0, HeaderSize = 40, ColorsUsed = 0;
    QByteArray Table, Pixels;

    QByteArray Bytes() const
    {
        QByteArray info;
        U32(info, HeaderSize);
        if (HeaderSize == 12) {
            U16(info, std::uint32_t(Width)), U16(info, std::uint32_t(Height)), U16(info, 1), U16(info, std::uint32_t(Bits));
        } else {
            U32(info, std::uint32_t(Width)), U32(info, std::uint32_t(Height));
            U16(info, 1), U16(info, std::uint32_t(Bits));
            U32(info, Compression), U32(info, std::uint32_t(Pixels.size())), U32(info, 0), U32(info, 0);
            U32(info, ColorsUsed), U32(info, 0);
            info.append(QByteArray(qsizetype(HeaderSize) - info.size(), '\0'));
        }
        QByteArray out("BM");
        const std::uint32_t offset = std::uint32_t(14 + info.size() + Table.size());
        U32(out, offset + std::uint32_t(Pixels.size())), U32(out, 0), U32(out, offset);
        return out + info + Table + Pixels;
    }
};

QByteArray Palette(std::initializer_list<TColor32> colours, int entrySize = 4)
{
    QByteArray out;
    for (TColor32 c : colours) {
        out.append(char(BlueOf(c))).append(char(GreenOf(c))).append(char(RedOf(c)));
        if (entrySize == 4) out.append('\0');
    }
    return out;
}

constexpr TColor32 R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, K = 0xFF000000;

void ExpectPixels(const QByteArray& file, int w, int h, std::initializer_list<TColor32> rows, const char* label)
{
    const TImageResult result = DecodeBmp(file);
    ASSERT_TRUE(result.Ok()) << label << ": " << result.Error.toStdString();
    ASSERT_EQ(result.Bitmap.Width(), w) << label;
    ASSERT_EQ(result.Bitmap.Height(), h) << label;
    auto want = rows.begin();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, ++want) EXPECT_EQ(result.Bitmap.Pixel(x, y), *want) << label << " at " << x << "," << y;
}

} // namespace

TEST(BmpCodec, DecodesPaletteAndTrueColourLayouts)
{
    // Rows are stored bottom-up; the pictures after the first show R G B / W K R.
    TBmp one{3, 2, 1};
    one.Table = Palette({K, W});
    one.Pixels = QByteArray::fromHex("40000000" "c0000000");
    ExpectPixels(one.Bytes(), 3, 2, {W, W, K, K, W, K}, "1 bit");

    TBmp four{3, 2, 4};
    four.Table = Palette({R, G, B, W, K});
    four.ColorsUsed = 5;
    four.Pixels = QByteArray::fromHex("3400" "0000" "0120" "0000");
    ExpectPixels(four.Bytes(), 3, 2, {R, G, B, W, K, R}, "4 bit");

    TBmp eight{3, 2, 8};
    eight.Table = Palette({R, G, B, W, K});
    eight.Pixels = QByteArray::fromHex("030400 00" "000102 00");
    ExpectPixels(eight.Bytes(), 3, 2, {R, G, B, W, K, R}, "8 bit");

    TBmp os2{3, 2, 8};
    os2.HeaderSize = 12;
    os2.Table = Palette({R, G, B, W, K, K, K, K, K, K, K, K, K, K, K, K}, 3); // 3-byte entries, full table
    os2.Table += QByteArray(3 * 240, '\0');
    os2.Pixels = eight.Pixels;
    ExpectPixels(os2.Bytes(), 3, 2, {R, G, B, W, K, R}, "OS/2 header");

    TBmp rgb{3, 2, 24};
    rgb.Pixels = QByteArray::fromHex("ffffff 000000 0000ff 000000" "0000ff 00ff00 ff0000 000000");
    ExpectPixels(rgb.Bytes(), 3, 2, {R, G, B, W, K, R}, "24 bit bottom-up");

    TBmp topDown = rgb;
    topDown.Height = -2;
    topDown.Pixels = QByteArray::fromHex("0000ff 00ff00 ff0000 000000" "ffffff 000000 0000ff 000000");
    ExpectPixels(topDown.Bytes(), 3, 2, {R, G, B, W, K, R}, "24 bit top-down");

    TBmp sixteen{3, 2, 16};
    sixteen.Pixels = QByteArray::fromHex("ff7f 0000 007c 0000" "007c e003 1f00 0000"); // 5-5-5
    ExpectPixels(sixteen.Bytes(), 3, 2, {R, G, B, W, K, R}, "16 bit");
}

TEST(BmpCodec, ThirtyTwoBitsUseAlphaOnlyWhenAnyIsSet)
{
    TBmp opaque{2, 1, 32};
    opaque.Pixels = QByteArray::fromHex("0000ff00" "ff000000"); // alpha bytes all zero
    ExpectPixels(opaque.Bytes(), 2, 1, {R, B}, "unused alpha byte");

    TBmp alpha = opaque;
    alpha.Pixels = QByteArray::fromHex("0000ff80" "ff000000");
    const TImageResult result = DecodeBmp(alpha.Bytes());
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.Bitmap.Pixel(0, 0), 0x80FF0000u);
    EXPECT_EQ(result.Bitmap.Pixel(1, 0), 0u);

    // Bit fields in any order: here 5-6-5 after a 40-byte header, and A-B-G-R bytes.
    TBmp rgb565{3, 1, 16};
    rgb565.Compression = 3;
    U32(rgb565.Table, 0xF800), U32(rgb565.Table, 0x07E0), U32(rgb565.Table, 0x001F);
    rgb565.Pixels = QByteArray::fromHex("00f8 e007 1f00 0000");
    ExpectPixels(rgb565.Bytes(), 3, 1, {R, G, B}, "5-6-5 bit fields");

    TBmp abgr{2, 1, 32};
    abgr.Compression = 3;
    abgr.HeaderSize = 108; // masks inside the header: build it by hand below
    QByteArray file = abgr.Bytes();
    const QByteArray masks = QByteArray::fromHex("ff000000" "00ff0000" "0000ff00" "000000ff"); // R, G, B, A
    file.replace(14 + 40, 16, masks);
    file += QByteArray::fromHex("ff0000ff" "0000ffff");
    const TImageResult fields = DecodeBmp(file);
    ASSERT_TRUE(fields.Ok()) << fields.Error.toStdString();
    EXPECT_EQ(fields.Bitmap.Pixel(0, 0), R);
    EXPECT_EQ(fields.Bitmap.Pixel(1, 0), B);
}

TEST(BmpCodec, DecodesRunLengthData)
{
    TBmp rle8{4, 2, 8};
    rle8.Compression = 1;
    rle8.Table = Palette({R, G, B, W});
    // Bottom row: 1 x W, then a padded literal run W G B; end of line; top row: 4 x R; end.
    rle8.Pixels = QByteArray::fromHex("0103" "000303010200" "0000" "0400" "0001");
    ExpectPixels(rle8.Bytes(), 4, 2, {R, R, R, R, W, W, G, B}, "RLE8");

    TBmp rle4{4, 2, 4};
    rle4.Compression = 2;
    rle4.Table = Palette({R, G, B, W});
    // Bottom row: 4 pixels alternating W B; end of line; a delta skips to (1, 1); G; end.
    rle4.Pixels = QByteArray::fromHex("0432" "0000" "00020100" "0111" "0001");
    ExpectPixels(rle4.Bytes(), 4, 2, {0, G, 0, 0, W, B, W, B}, "RLE4 with delta");
}

// A part is the same pixels the whole picture has there, for every layout:
// bottom-up and top-down rows, palette, true colour, bit fields and runs.
TEST(BmpCodec, PartKeepsThePixelsTheWholePictureHasThere)
{
    TBmp eight{3, 2, 8};
    eight.Table = Palette({R, G, B, W, K});
    eight.Pixels = QByteArray::fromHex("030400 00" "000102 00");
    TBmp topDown{3, -2, 24};
    topDown.Pixels = QByteArray::fromHex("0000ff 00ff00 ff0000 000000" "ffffff 000000 0000ff 000000");
    TBmp thirtyTwo{3, 2, 32};
    thirtyTwo.Pixels = QByteArray::fromHex("0000ff80 00ff0000 ff000000" "ffffffff 00000000 0000ff00");
    TBmp rle8{4, 2, 8};
    rle8.Compression = 1;
    rle8.Table = Palette({R, G, B, W});
    rle8.Pixels = QByteArray::fromHex("0103" "000303010200" "0000" "0400" "0001");
    for (const TBmp* bmp : {&eight, &topDown, &thirtyTwo, &rle8}) {
        const QByteArray file = bmp->Bytes();
        const TImageResult whole = DecodeBmp(file);
        ASSERT_TRUE(whole.Ok());
        const QRect bounds = whole.Bitmap.BoundsRect();
        for (const QRect part : {QRect(1, 0, 2, 1), QRect(0, 1, 1, 1), QRect(1, 1, 5, 5), bounds}) {
            const TImageResult cut = DecodeBmp(file, part);
            ASSERT_TRUE(cut.Ok());
            const QRect kept = part.intersected(bounds);
            ASSERT_EQ(cut.Bitmap.BoundsRect().size(), kept.size()) << bmp->Bits;
            for (int y = 0; y < kept.height(); ++y)
                for (int x = 0; x < kept.width(); ++x)
                    EXPECT_EQ(cut.Bitmap.Pixel(x, y), whole.Bitmap.Pixel(kept.x() + x, kept.y() + y))
                        << bmp->Bits << " bits at " << kept.x() + x << "," << kept.y() + y;
        }
    }
}

TEST(BmpCodec, BadInputGivesAnErrorNotAPicture)
{
    TBmp rgb{3, 2, 24};
    rgb.Pixels = QByteArray(24, '\0');
    const QByteArray good = rgb.Bytes();
    TBmp huge{20000, 1, 24};
    TBmp area{10000, -10000, 32};
    TBmp depth{1, 1, 7};
    depth.Pixels = QByteArray(4, '\0');
    TBmp compression{1, 1, 24};
    compression.Compression = 4; // embedded JPEG
    compression.Pixels = QByteArray(4, '\0');
    TBmp rleTruncated{4, 2, 8};
    rleTruncated.Compression = 1;
    rleTruncated.Table = Palette({R});
    rleTruncated.Pixels = QByteArray::fromHex("0400 0000 04"); // no end marker
    TBmp fieldsOn24{1, 1, 24};
    fieldsOn24.Compression = 3;
    fieldsOn24.Pixels = QByteArray(4, '\0');
    TBmp negativeWidth{-3, 2, 24};
    negativeWidth.Pixels = QByteArray(16, '\0');

    struct {
        const char* label;
        QByteArray data;
    } const cases[] = {
        {"empty", QByteArray()},
        {"file header only", good.left(14)},
        {"truncated header", good.left(30)},
        {"truncated pixels", good.left(good.size() - 1)},
        {"wider than the limit", huge.Bytes()},
        {"larger than the memory limit", area.Bytes()},
        {"unknown bit depth", depth.Bytes()},
        {"unsupported compression", compression.Bytes()},
        {"run-length data without end", rleTruncated.Bytes()},
        {"bit fields on 24 bits", fieldsOn24.Bytes()},
        {"negative width", negativeWidth.Bytes()},
        {"other format", QByteArray("GIF89a012345678901234567890123456789")},
    };
    for (const auto& c : cases) {
        const TImageResult result = DecodeBmp(c.data);
        EXPECT_FALSE(result.Ok()) << c.label;
        EXPECT_TRUE(result.Bitmap.Empty()) << c.label;
    }
}

TEST(BmpCodec, WriterRoundTripsBothFormats)
{
    TBitmap32 b(5, 3); // odd width: 24-bit rows need padding
    b.Clear(0xFF204060);
    b.SetPixel(0, 0, 0xFFFF0000);
    b.SetPixel(4, 2, 0xFF0000FF);
    b.SetPixel(2, 1, 0x80FFFFFF);
    for (TBmpFormat format : {TBmpFormat::bf24, TBmpFormat::bf32}) {
        const TImageResult back = DecodeBmp(EncodeBmp(b, format));
        ASSERT_TRUE(back.Ok()) << back.Error.toStdString();
        ASSERT_EQ(back.Bitmap.Width(), 5);
        ASSERT_EQ(back.Bitmap.Height(), 3);
        EXPECT_EQ(back.Bitmap.Pixel(0, 0), 0xFFFF0000u);
        EXPECT_EQ(back.Bitmap.Pixel(4, 2), 0xFF0000FFu);
        EXPECT_EQ(back.Bitmap.Pixel(1, 1), 0xFF204060u);
        const TColor32 translucent = format == TBmpFormat::bf32 ? b.Pixel(2, 1) : 0xFF808080u; // 24 bits: onto black
        EXPECT_EQ(back.Bitmap.Pixel(2, 1), translucent);
    }
    EXPECT_TRUE(EncodeBmp(TBitmap32()).isEmpty());

    // A wholly transparent picture stays transparent: its alpha mask is declared.
    const TImageResult clear = DecodeBmp(EncodeBmp(TBitmap32(3, 2), TBmpFormat::bf32));
    ASSERT_TRUE(clear.Ok());
    EXPECT_EQ(clear.Bitmap.Pixel(1, 1), 0u);

    TTestDir dir;
    const QString path = dir.WriteFile(QStringLiteral("Folder.QVB"), EncodeBmp(b, TBmpFormat::bf24));
    EXPECT_TRUE(LoadBmpFile(path).Ok());
}
