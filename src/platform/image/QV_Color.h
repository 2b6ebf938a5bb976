#pragma once
// The two colour layouts of the program. Data files and fonts carry TColor,
// 0x00BBGGRR (red in the lowest byte); bitmaps take TColor32, 0xAARRGGBB with
// straight (not premultiplied) alpha. Premultiplication happens only inside
// TBitmap32's storage.

#include <cstdint>

using TColor = std::uint32_t;
using TColor32 = std::uint32_t;

constexpr TColor32 ToColor32(TColor color, std::uint8_t alpha = 0xFF)
{
    return (TColor32(alpha) << 24) | ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// Drops the alpha channel.
constexpr TColor ToColor(TColor32 argb)
{
    return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16);
}

constexpr TColor32 Argb(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return (TColor32(a) << 24) | (TColor32(r) << 16) | (TColor32(g) << 8) | b;
}

constexpr std::uint8_t AlphaOf(TColor32 c) { return std::uint8_t(c >> 24); }
constexpr std::uint8_t RedOf(TColor32 c) { return std::uint8_t(c >> 16); }
constexpr std::uint8_t GreenOf(TColor32 c) { return std::uint8_t(c >> 8); }
constexpr std::uint8_t BlueOf(TColor32 c) { return std::uint8_t(c); }

// x * a / 255, rounded, exact for all bytes.
constexpr std::uint32_t MulDiv255(std::uint32_t x, std::uint32_t a)
{
    const std::uint32_t t = x * a + 128;
    return (t + (t >> 8)) >> 8;
}

constexpr TColor32 Premultiply(TColor32 c)
{
    const std::uint32_t a = AlphaOf(c);
    if (a == 0xFF) return c;
    return (a << 24) | (MulDiv255(RedOf(c), a) << 16) | (MulDiv255(GreenOf(c), a) << 8) | MulDiv255(BlueOf(c), a);
}

constexpr TColor32 Unpremultiply(TColor32 p)
{
    const std::uint32_t a = AlphaOf(p);
    if (a == 0xFF) return p;
    if (a == 0) return 0;
    auto channel = [a](std::uint32_t v) { return std::uint32_t(v * 255 + a / 2) / a > 255 ? 255u : (v * 255 + a / 2) / a; };
    return (a << 24) | (channel(RedOf(p)) << 16) | (channel(GreenOf(p)) << 8) | channel(BlueOf(p));
}

// Source-over on premultiplied pixels: dst' = src + dst * (1 - srcAlpha).
constexpr TColor32 BlendPremultiplied(TColor32 src, TColor32 dst)
{
    const std::uint32_t sa = AlphaOf(src);
    if (sa == 0xFF) return src;
    if (sa == 0) return dst;
    const std::uint32_t inv = 255 - sa;
    std::uint32_t rb = (dst & 0x00FF00FF) * inv + 0x00800080;
    rb = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
    std::uint32_t ag = ((dst >> 8) & 0x00FF00FF) * inv + 0x00800080;
    ag = (ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00;
    return src + rb + ag;
}
