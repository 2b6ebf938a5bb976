#include "QV_IconFixtures.h"

#include "platform/image/QV_Bitmap32.h"
#include "platform/image/QV_PngCodec.h"

#include <algorithm>
#include <map>

void PutU16(QByteArray& out, std::uint32_t v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
void PutU32(QByteArray& out, std::uint32_t v) { PutU16(out, v & 0xFFFF), PutU16(out, v >> 16); }

void PatchU32(QByteArray& bytes, qsizetype at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = char((v >> (8 * i)) & 0xFF);
}

namespace {

void Align(QByteArray& out, int to)
{
    while (out.size() % to) out.append('\0');
}

} // namespace

QByteArray IconBitmap(const TPicture& picture, int bits, TAlphaBytes alpha)
{
    std::vector<TColor32> palette;
    if (bits <= 8) {
        palette.push_back(0xFF000000u);
        for (TColor32 c : picture.Pixels)
            if (AlphaOf(c) && std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
        palette.resize(std::size_t(1) << bits, 0xFF000000u);
    }
    QByteArray out;
    PutU32(out, 40), PutU32(out, std::uint32_t(picture.Width)), PutU32(out, std::uint32_t(picture.Height * 2));
    PutU16(out, 1), PutU16(out, std::uint32_t(bits));
    for (int i = 0; i < 6; ++i) PutU32(out, 0);
    for (TColor32 c : palette) PutU32(out, c & 0xFFFFFF);
    for (int y = picture.Height - 1; y >= 0; --y) {
        const qsizetype start = out.size();
        int acc = 0, filled = 0;
        for (int x = 0; x < picture.Width; ++x) {
            const TColor32 c = picture.At(x, y);
            if (bits <= 8) {
                const auto index = AlphaOf(c) ? std::find(palette.begin(), palette.end(), c) - palette.begin() : 0;
                acc = (acc << bits) | int(index);
                if ((filled += bits) == 8) out.append(char(acc)), acc = 0, filled = 0;
            } else {
                out.append(char(BlueOf(c))).append(char(GreenOf(c))).append(char(RedOf(c)));
                if (bits == 32) out.append(alpha == TAlphaBytes::abKept ? char(AlphaOf(c)) : '\0');
            }
        }
        if (filled) out.append(char(acc << (8 - filled)));
        while ((out.size() - start) % 4) out.append('\0');
    }
    for (int y = picture.Height - 1; y >= 0; --y) {
        QByteArray row((picture.Width + 31) / 32 * 4, '\0');
        for (int x = 0; x < picture.Width; ++x)
            if (AlphaOf(picture.At(x, y)) == 0) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

QByteArray SolidImage(int width, int height, int bits, TColor32 colour)
{
    TPicture picture{width, height, std::vector<TColor32>(std::size_t(width) * std::size_t(height), colour)};
    if (bits != 0) return IconBitmap(picture, bits);
    TBitmap32 bitmap(width, height);
    bitmap.Clear(colour);
    return EncodePng(bitmap);
}

QByteArray IcoFile(const std::vector<TIcoImage>& images)
{
    QByteArray out;
    PutU16(out, 0), PutU16(out, 1), PutU16(out, std::uint32_t(images.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    for (const TIcoImage& image : images) {
        out.append(char(image.Width & 0xFF)).append(char(image.Height & 0xFF)).append('\0').append('\0');
        PutU16(out, 1), PutU16(out, std::uint32_t(image.BitCount));
        PutU32(out, std::uint32_t(image.Stored.size())), PutU32(out, offset);
        offset += std::uint32_t(image.Stored.size());
    }
    for (const TIcoImage& image : images) out.append(image.Stored);
    return out;
}

QByteArray IconGroup(const std::vector<TIcoImage>& images, int firstId)
{
    QByteArray out;
    PutU16(out, 0), PutU16(out, 1), PutU16(out, std::uint32_t(images.size()));
    int id = firstId;
    for (const TIcoImage& image : images) {
        out.append(char(image.Width & 0xFF)).append(char(image.Height & 0xFF)).append('\0').append('\0');
        PutU16(out, 1), PutU16(out, std::uint32_t(image.BitCount));
        PutU32(out, std::uint32_t(image.Stored.size())), PutU16(out, std::uint32_t(id++));
    }
    return out;
}

std::vector<TResource> IconResources(const std::vector<TIcoImage>& images)
{
    std::vector<TResource> resources{{14, 1, {}, IconGroup(images, 1)}};
    for (std::size_t i = 0; i < images.size(); ++i) resources.push_back({3, std::uint32_t(i + 1), {}, images[i].Stored});
    return resources;
}

namespace {

constexpr std::uint32_t kSectionRva = 0x1000;

// The resource tree: root, one directory per type, one per resource holding its
// single language (US English), the data entries, the names, then the data.
QByteArray ResourceSection(const std::vector<TResource>& resources)
{
    std::vector<std::pair<std::uint32_t, std::vector<std::size_t>>> types;
    for (std::size_t i = 0; i < resources.size(); ++i) {
        auto type = std::find_if(types.begin(), types.end(), [&](const auto& t) { return t.first == resources[i].Type; });
        if (type == types.end()) type = types.insert(types.end(), {resources[i].Type, {}});
        type->second.push_back(i);
    }
    std::uint32_t at = 16 + 8 * std::uint32_t(types.size());
    std::vector<std::uint32_t> typeDir, nameDir(resources.size()), dataEntry(resources.size()),
        name(resources.size()), data(resources.size());
    for (const auto& type : types) typeDir.push_back(at), at += 16 + 8 * std::uint32_t(type.second.size());
    for (auto& n : nameDir) n = at, at += 16 + 8;
    for (auto& d : dataEntry) d = at, at += 16;
    for (std::size_t i = 0; i < resources.size(); ++i)
        if (!resources[i].Name.isEmpty()) name[i] = at, at += (2 + 2 * std::uint32_t(resources[i].Name.size()) + 3) & ~3u;
    for (std::size_t i = 0; i < resources.size(); ++i) data[i] = at, at += (std::uint32_t(resources[i].Data.size()) + 3) & ~3u;

    QByteArray out;
    auto directory = [&out](int named, int numbered) {
        PutU32(out, 0), PutU32(out, 0), PutU32(out, 0), PutU16(out, std::uint32_t(named)), PutU16(out, std::uint32_t(numbered));
    };
    directory(0, int(types.size()));
    for (std::size_t t = 0; t < types.size(); ++t) PutU32(out, types[t].first), PutU32(out, 0x80000000u | typeDir[t]);
    for (const auto& type : types) {
        const auto named = std::count_if(type.second.begin(), type.second.end(), [&](std::size_t i) { return !resources[i].Name.isEmpty(); });
        directory(int(named), int(type.second.size() - std::size_t(named)));
        for (std::size_t i : type.second) {
            PutU32(out, resources[i].Name.isEmpty() ? resources[i].Id : 0x80000000u | name[i]);
            PutU32(out, 0x80000000u | nameDir[i]);
        }
    }
    for (std::size_t i = 0; i < resources.size(); ++i) directory(0, 1), PutU32(out, 1033), PutU32(out, dataEntry[i]);
    for (std::size_t i = 0; i < resources.size(); ++i)
        PutU32(out, kSectionRva + data[i]), PutU32(out, std::uint32_t(resources[i].Data.size())), PutU32(out, 0), PutU32(out, 0);
    for (const TResource& r : resources) {
        if (r.Name.isEmpty()) continue;
        PutU16(out, std::uint32_t(r.Name.size()));
        for (QChar c : r.Name) PutU16(out, c.unicode());
        Align(out, 4);
    }
    for (const TResource& r : resources) out.append(r.Data), Align(out, 4);
    return out;
}

} // namespace

QByteArray ProgramFile(const std::vector<TResource>& resources, TPeKind kind)
{
    const bool plus = kind == TPeKind::pkPe32Plus;
    const QByteArray section = resources.empty() ? QByteArray() : ResourceSection(resources);
    QByteArray out("MZ");
    out.append(QByteArray(0x3C - 2, '\0'));
    PutU32(out, 0x40);
    out.append("PE\0\0", 4);
    const int directoriesAt = plus ? 112 : 96;
    PutU16(out, plus ? 0x8664 : 0x14C), PutU16(out, 1), PutU32(out, 0), PutU32(out, 0), PutU32(out, 0);
    PutU16(out, std::uint32_t(directoriesAt + 16 * 8)), PutU16(out, 0x0102);
    QByteArray optional(directoriesAt + 16 * 8, '\0');
    PatchU32(optional, 0, plus ? 0x20B : 0x10B);
    PatchU32(optional, directoriesAt - 4, 16);
    if (!section.isEmpty()) {
        PatchU32(optional, directoriesAt + 16, kSectionRva);
        PatchU32(optional, directoriesAt + 20, std::uint32_t(section.size()));
    }
    out.append(optional);
    out.append(".rsrc\0\0\0", 8);
    PutU32(out, std::uint32_t(section.size())), PutU32(out, kSectionRva);
    PutU32(out, std::uint32_t((section.size() + 0x1FF) & ~0x1FF)), PutU32(out, kResourceOffset);
    for (int i = 0; i < 4; ++i) PutU32(out, 0);
    out.append(QByteArray(kResourceOffset - out.size(), '\0'));
    out.append(section);
    Align(out, 0x200);
    return out;
}
