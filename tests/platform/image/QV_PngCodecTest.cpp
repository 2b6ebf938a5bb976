#include "platform/image/QV_PngCodec.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace {

// A minimal PNG writer, so that every colour type, depth and the Adam7 layout
// can be produced exactly, independent of the decoder under test.
struct TPngLayout {
    int Width = 0, Height = 0;
    int ColorType = 0; // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
    int Depth = 8;
    bool Interlaced = false;
    std::vector<std::uint16_t> Samples; // row-major, Channels() per pixel
    QByteArray Palette;                 // RGB triples
    QByteArray Transparency;            // tRNS contents as stored

    int Channels() const { return ColorType == 2 ? 3 : ColorType == 4 ? 2 : ColorType == 6 ? 4 : 1; }
};

void PutU32(QByteArray& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.append(char((v >> shift) & 0xFF));
}

void Chunk(QByteArray& out, const char* type, const QByteArray& data)
{
    PutU32(out, std::uint32_t(data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    out += body;
    PutU32(out, std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
}

// Packs the pixels (x0 + k*dx, y) of one row, preceded by filter type 0.
void PackRow(QByteArray& raw, const TPngLayout& s, int y, int x0, int dx)
{
    raw.append('\0');
    int bits = 0, acc = 0;
    for (int x = x0; x < s.Width; x += dx) {
        for (int c = 0; c < s.Channels(); ++c) {
            const std::uint16_t v = s.Samples[(std::size_t(y) * s.Width + x) * s.Channels() + c];
            if (s.Depth == 16) {
                raw.append(char(v >> 8)).append(char(v & 0xFF));
            } else if (s.Depth == 8) {
                raw.append(char(v));
            } else {
                acc = (acc << s.Depth) | v;
                bits += s.Depth;
                if (bits == 8) raw.append(char(acc)), bits = 0, acc = 0;
            }
        }
    }
    if (bits) raw.append(char(acc << (8 - bits)));
}

QByteArray MakePng(const TPngLayout& s)
{
    QByteArray raw;
    if (s.Samples.empty()) {
        // Header tests: the pixel data is never reached.
    } else if (!s.Interlaced) {
        for (int y = 0; y < s.Height; ++y) PackRow(raw, s, y, 0, 1);
    } else {
        const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        for (const auto& p : passes)
            if (p[0] < s.Width)
                for (int y = p[1]; y < s.Height; y += p[3]) PackRow(raw, s, y, p[0], p[2]);
    }
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray packed(qsizetype(size), '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
             uLong(raw.size()));
    packed.resize(qsizetype(size));

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    PutU32(header, std::uint32_t(s.Width));
    PutU32(header, std::uint32_t(s.Height));
    header.append(char(s.Depth)).append(char(s.ColorType)).append('\0').append('\0').append(char(s.Interlaced));
    Chunk(out, "IHDR", header);
    if (!s.Palette.isEmpty()) Chunk(out, "PLTE", s.Palette);
    if (!s.Transparency.isEmpty()) Chunk(out, "tRNS", s.Transparency);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});
    return out;
}

// Pseudo-random samples of the given depth.
std::vector<std::uint16_t> Samples(std::size_t count, int depth)
{
    std::vector<std::uint16_t> v(count);
    std::uint32_t seed = 99;
    const std::uint32_t max = (1u << depth) - 1;
    for (auto& s : v) s = std::uint16_t(((seed = seed * 1664525u + 1013904223u) >> 12) % (max + 1));
    return v;
}

std::uint8_t To8(std::uint16_t v, int depth)
{
    return std::uint8_t((std::uint32_t(v) * 255 + ((1u << depth) - 1) / 2) / ((1u << depth) - 1));
}

// What the decoder should give for pixel i, straight alpha.
TColor32 Expected(const TPngLayout& s, std::size_t i)
{
    const std::uint16_t* p = &s.Samples[i * s.Channels()];
    const int d = s.Depth;
    switch (s.ColorType) {
    case 0: {
        const std::uint8_t g = To8(p[0], d);
        const bool clear = s.Transparency.size() == 2 && ((uchar(s.Transparency[0]) << 8) | uchar(s.Transparency[1])) == p[0];
        return Argb(clear ? 0 : 255, g, g, g);
    }
    case 2: return Argb(255, To8(p[0], d), To8(p[1], d), To8(p[2], d));
    case 3: {
        const std::uint8_t a = p[0] < s.Transparency.size() ? uchar(s.Transparency[p[0]]) : 255;
        return Argb(a, uchar(s.Palette[p[0] * 3]), uchar(s.Palette[p[0] * 3 + 1]), uchar(s.Palette[p[0] * 3 + 2]));
    }
    case 4: return Argb(To8(p[1], d), To8(p[0], d), To8(p[0], d), To8(p[0], d));
    default: return Argb(To8(p[3], d), To8(p[0], d), To8(p[1], d), To8(p[2], d));
    }
}

// Decoded pixels match within premultiplication's rounding (none when opaque).
void ExpectDecodes(const TPngLayout& s, const char* label)
{
    const TImageResult result = DecodePng(MakePng(s));
    ASSERT_TRUE(result.Ok()) << label << ": " << result.Error.toStdString();
    ASSERT_EQ(result.Bitmap.Width(), s.Width) << label;
    ASSERT_EQ(result.Bitmap.Height(), s.Height) << label;
    for (int y = 0; y < s.Height; ++y)
        for (int x = 0; x < s.Width; ++x) {
            const TColor32 want = Expected(s, std::size_t(y) * s.Width + x);
            const TColor32 got = result.Bitmap.Pixel(x, y);
            ASSERT_EQ(AlphaOf(got), AlphaOf(want)) << label << " at " << x << "," << y;
            if (AlphaOf(want) == 0) continue;
            const int slack = AlphaOf(want) == 255 ? 0 : 255 / AlphaOf(want) + 1;
            for (int shift : {0, 8, 16})
                ASSERT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), slack)
                    << label << " at " << x << "," << y;
        }
}

TPngLayout Layout(int colorType, int depth, bool interlaced = false)
{
    TPngLayout s;
    s.Width = 13; // odd sizes exercise partial bytes and empty Adam7 passes
    s.Height = 11;
    s.ColorType = colorType;
    s.Depth = depth;
    s.Interlaced = interlaced;
    s.Samples = Samples(std::size_t(s.Width) * s.Height * s.Channels(), depth);
    if (colorType == 3) {
        for (int i = 0; i < (1 << depth); ++i) s.Palette.append(char(i * 7)).append(char(255 - i)).append(char(i * 3));
    }
    return s;
}

} // namespace

TEST(PngCodec, DecodesEveryColourTypeAndDepth)
{
    struct {
        int colorType;
        std::vector<int> depths;
    } const table[] = {{0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (const auto& row : table)
        for (int depth : row.depths)
            for (bool interlaced : {false, true}) {
                TPngLayout s = Layout(row.colorType, depth, interlaced);
                if (depth == 16) // exact 8-bit values survive the reduction unambiguously
                    for (auto& v : s.Samples) v = std::uint16_t((v >> 8) * 257);
                const std::string label = "type " + std::to_string(row.colorType) + " depth " + std::to_string(depth) +
                                          (interlaced ? " interlaced" : "");
                ExpectDecodes(s, label.c_str());
            }
}

TEST(PngCodec, TransparencyChunksBecomeAlpha)
{
    TPngLayout palette = Layout(3, 4);
    palette.Transparency = QByteArray::fromHex("00 80 ff 10"); // entries past 3 stay opaque
    ExpectDecodes(palette, "palette + tRNS");

    TPngLayout gray = Layout(0, 8);
    gray.Samples[5] = 77;
    gray.Transparency = QByteArray::fromHex("004d"); // gray 77 is transparent
    ExpectDecodes(gray, "gray + tRNS");

    TPngLayout rgb = Layout(2, 8, true);
    rgb.Samples[0] = 1, rgb.Samples[1] = 2, rgb.Samples[2] = 3;
    rgb.Transparency = QByteArray::fromHex("000100020003");
    const TImageResult result = DecodePng(MakePng(rgb));
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.Bitmap.Pixel(0, 0), 0u);
    EXPECT_EQ(AlphaOf(result.Bitmap.Pixel(1, 0)), 255);
}

TEST(PngCodec, BadInputGivesAnErrorNotAPicture)
{
    const QByteArray good = MakePng(Layout(6, 8));
    QByteArray badCrc = good;
    badCrc[29] = char(badCrc[29] ^ 0x55); // inside IHDR's CRC
    TPngLayout huge = Layout(0, 1);
    huge.Width = 20000;
    huge.Height = 1;
    huge.Samples.clear();
    TPngLayout bigArea = Layout(0, 1);
    bigArea.Width = bigArea.Height = 9000; // each side allowed, the area is not
    bigArea.Samples.clear();

    struct {
        const char* label;
        QByteArray data;
    } const cases[] = {
        {"empty", QByteArray()},
        {"signature only", good.left(8)},
        {"truncated in the header", good.left(20)},
        {"truncated in the pixels", good.left(good.size() - 20)},
        {"corrupt header checksum", badCrc},
        {"wider than the limit", MakePng(huge)},
        {"larger than the memory limit", MakePng(bigArea)},
        {"not a PNG", QByteArray("GIF89a...")},
        // Once made the decoder ask for 2 GB: a chunk declaring more bytes than exist.
        {"chunk longer than the data", QByteArray::fromHex("89504e470d0a1a0a0000000d494844520000000900000009100200000148647d920000000467414d41ffffff0e0bfc6105000000206348524d00007a26000080840000fa00000080e8000075320000ea6000003a0000206348524d00007a2600257445587464247489504e470d1a0a3184d3d4304e")},
    };
    for (const auto& c : cases) {
        const TImageResult result = DecodePng(c.data);
        EXPECT_FALSE(result.Ok()) << c.label;
        EXPECT_FALSE(result.Error.isEmpty()) << c.label;
        EXPECT_TRUE(result.Bitmap.Empty()) << c.label;
    }
}

TEST(PngCodec, EncodedPicturesDecodeToTheSamePixels)
{
    TBitmap32 b(5, 3);
    b.SetPixel(0, 0, 0xFFFF0000);
    b.SetPixel(4, 2, 0x8000FF00);
    b.SetPixel(2, 1, 0xFF123456);
    const TImageResult back = DecodePng(EncodePng(b));
    ASSERT_TRUE(back.Ok());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(back.Bitmap.Pixel(x, y), b.Pixel(x, y));
    EXPECT_TRUE(EncodePng(TBitmap32()).isEmpty());
}

TEST(PngCodec, LoadsFilesThroughTheNameCodec)
{
    TTestDir dir;
    const QString name = dir.Path() + QStringLiteral("/b\u00e4d name.png");
    dir.WriteFile(QStringLiteral("b\u00e4d name.png"), MakePng(Layout(2, 8)));
    EXPECT_TRUE(LoadPngFile(name).Ok());
    EXPECT_FALSE(LoadPngFile(dir.Sub(QStringLiteral("missing.png"))).Ok());
}
