#pragma once
// What icon files and program icon groups share: a directory of images, each
// stored either as a device-independent bitmap followed by its AND mask or as a
// PNG stream, the choice of one image for a size, and its decoding.

#include "platform/image/QV_ByteSource.h"
#include "platform/image/QV_Icons.h"

#include <cstdint>
#include <memory>
#include <vector>

// Little-endian fields of icon and program file structures; the caller has
// checked that they lie inside `bytes`.
inline std::uint16_t ReadU16(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + at;
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t ReadU32(const QByteArray& bytes, qsizetype at)
{
    return ReadU16(bytes, at) | (std::uint32_t(ReadU16(bytes, at + 2)) << 16);
}

struct TIconEntry {
    int Width = 0;          // as the directory states it, 0 read as 256
    int Height = 0;
    int BitCount = 0;       // bits a pixel of the stored image, else as the directory states
    std::uint64_t Offset = 0; // where the stored image lies in its source
    std::uint64_t Size = 0;
};

// The entry best suited to desiredSize by the rule of QV_Icons.h, or -1 when
// there is none. A non-positive desiredSize asks for the largest image.
int ChooseIconImage(const std::vector<TIconEntry>& entries, int desiredSize);

// One stored image. A bitmap without alpha takes its transparency from the AND
// mask; a 32-bit bitmap whose alpha bytes are all zero counts as without alpha.
// Damaged data fails with kInvalidIconFormat, and so does a picture above the
// decoding limits: for the caller both are an icon that cannot be shown.
TIconResult DecodeIconImage(const QByteArray& stored);

// The entry for the image stored at offset, size in `source`, described at `at`
// in `directory`: icon files and icon groups start their entries alike (width,
// height, colours, reserved, planes, bits a pixel). The bits a pixel are the
// stored image's own when its header can be read.
TIconEntry ReadIconEntry(const QByteArray& directory, qsizetype at, const TByteSource& source, std::uint64_t offset,
                         std::uint64_t size);

// The images of one icon and the source their bytes are read from.
struct TIconSet {
    std::shared_ptr<const TByteSource> Source;
    std::vector<TIconEntry> Entries;
    QString Error; // empty when Entries holds at least one image

    bool Ok() const { return Error.isEmpty(); }
    TIconResult Decode(int index) const;
    TIconResult DecodeBest(int desiredSize) const;
};

using TIconSetReader = TIconSet (*)(std::shared_ptr<const TByteSource> source);

// The image best suited to desiredSize of the icon the reader finds in a file.
TIconResult LoadIconSet(const QString& path, int desiredSize, TIconSetReader reader);
