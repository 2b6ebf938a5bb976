#include "platform/QV_IcoReader.h"

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
        TIconEntry entry;
        entry.Width = uchar(table[at]) ? uchar(table[at]) : 256;
        entry.Height = uchar(table[at + 1]) ? uchar(table[at + 1]) : 256;
        entry.Offset = ReadU32(table, at + 12);
        // Stored sizes that run past the end are common in files from careless
        // writers; the image's own header decides whether what is there suffices.
        const std::uint64_t stated = ReadU32(table, at + 8);
        if (entry.Offset >= size || stated == 0) continue;
        entry.Size = std::min(stated, size - entry.Offset);
        entry.BitCount = StoredBitCount(*source, entry.Offset, entry.Size, ReadU16(table, at + 6));
        set.Entries.push_back(entry);
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
    QString error;
    std::shared_ptr<const TByteSource> source = OpenFileSource(path, error);
    if (!source) return TIconResult::Failure(error);
    return ReadIconDirectory(std::move(source)).DecodeBest(desiredSize);
}
