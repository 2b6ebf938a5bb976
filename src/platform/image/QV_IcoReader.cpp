#include "platform/image/QV_IcoReader.h"

#include <algorithm>

namespace {

constexpr int kHeaderSize = 6;
constexpr int kEntrySize = 16;

TIconSet Invalid()
{
    TIconSet set;
    set.Error = QLatin1String(kInvalidIconFormat);
    return set;
}

} // namespace

TIconSet ReadIconDirectory(std::shared_ptr<const TByteSource> source)
{
    QByteArray header;
    if (!source->Read(0, kHeaderSize, header)) return Invalid();
    const int count = ReadU16(header, 4);
    if (ReadU16(header, 0) != 0 || ReadU16(header, 2) != 1 || count == 0) return Invalid();
    QByteArray table;
    if (!source->Read(kHeaderSize, std::uint64_t(count) * kEntrySize, table)) return Invalid();

    TIconSet set;
    const std::uint64_t size = source->Size();
    for (int i = 0; i < count; ++i) {
        const qsizetype at = qsizetype(i) * kEntrySize;
        const std::uint64_t offset = ReadU32(table, at + 12);
        // Stored sizes that run past the end are common in files from careless
        // writers; the image's own header decides whether what is there suffices.
        const std::uint64_t stated = ReadU32(table, at + 8);
        if (offset >= size || stated == 0) continue;
        set.Entries.push_back(ReadIconEntry(table, at, *source, offset, std::min(stated, size - offset)));
    }
    if (set.Entries.empty()) return Invalid();
    set.Source = std::move(source);
    return set;
}

TIconResult DecodeIcon(const QByteArray& bytes, int desiredSize)
{
    return ReadIconDirectory(MemorySource(bytes)).DecodeBest(desiredSize);
}

TIconResult LoadIconFile(const QString& path, int desiredSize)
{
    return LoadIconSet(path, desiredSize, ReadIconDirectory);
}
