#pragma once
// Builders for the icon tests: icon bitmaps as icon files store them, icon
// files, and small Windows program files with a resource section.

#include "platform/image/QV_Color.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// A picture in straight ARGB, row by row from the top.
struct TPicture {
    int Width = 0, Height = 0;
    std::vector<TColor32> Pixels;
    TColor32 At(int x, int y) const { return Pixels[std::size_t(y) * std::size_t(Width) + std::size_t(x)]; }
};

enum class TAlphaBytes { abKept, abZero };

// The picture as an icon bitmap of `bits` bits a pixel (1, 4, 8, 24, 32): header
// with the doubled height, a palette of the picture's colours, the colour rows
// bottom-up and the AND mask marking the fully transparent pixels. With abZero a
// 32-bit image stores zero alpha bytes, leaving transparency to the mask.
QByteArray IconBitmap(const TPicture& picture, int bits, TAlphaBytes alpha = TAlphaBytes::abKept);

// A one-colour opaque picture stored as bitmap (bits) or, for bits 0, as PNG.
QByteArray SolidImage(int width, int height, int bits, TColor32 colour);

struct TIcoImage {
    int Width = 0, Height = 0; // 256 is written as 0
    int BitCount = 0;          // as the directory states it
    QByteArray Stored;
};

QByteArray IcoFile(const std::vector<TIcoImage>& images);

// The group-icon resource for the images, naming icon resources firstId, firstId + 1, ...
QByteArray IconGroup(const std::vector<TIcoImage>& images, int firstId);

struct TResource {
    std::uint32_t Type = 0;
    std::uint32_t Id = 0;     // for numbered resources
    QString Name;             // named resource when not empty
    QByteArray Data;
};

enum class TPeKind { pkPe32, pkPe32Plus };

// The resource section starts at this file offset; its root directory's entries,
// one per type in order of first appearance, at kResourceOffset + 16 + 8 * i.
inline constexpr int kResourceOffset = 0x200;

// A program file with one section holding the resources; types appear in the
// order of their first resource, entries within a type as listed.
QByteArray ProgramFile(const std::vector<TResource>& resources, TPeKind kind = TPeKind::pkPe32);

// The resources of a program whose icon group holds the images, as icon
// resources 1, 2, ...
std::vector<TResource> IconResources(const std::vector<TIcoImage>& images);

void PutU16(QByteArray& out, std::uint32_t v);
void PutU32(QByteArray& out, std::uint32_t v);
void PatchU32(QByteArray& bytes, qsizetype at, std::uint32_t v);
