#include "platform/image/QV_PeIcons.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupIcon = 14;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr int kSectionSize = 40;
constexpr int kMaxSections = 96; // the most the system's loader accepts
constexpr int kGroupHeaderSize = 6;
constexpr int kGroupEntrySize = 14;

TIconSet Fail(const char* error)
{
    TIconSet set;
    set.Error = QLatin1String(error);
    return set;
}

struct TSection {
    std::uint64_t VirtualAddress = 0, RawSize = 0, RawOffset = 0;
};

// One entry of a resource directory: a name or number, and the offset (from the
// start of the resources) of a further directory or of a data entry.
struct TResourceEntry {
    bool Named = false;
    std::uint32_t Id = 0;
    std::uint32_t Target = 0;
    bool Directory = false;
};

// Where a resource's bytes lie in the file.
struct TResourceData {
    std::uint64_t Offset = 0, Size = 0;
};

class TProgramFile {
public:
    explicit TProgramFile(const TByteSource& source) : source_(source) {}

    // Reads the headers and the section table; false for what is no program file.
    bool Open()
    {
        QByteArray dos, head, optional, table;
        if (!source_.Read(0, 64, dos) || !dos.startsWith("MZ")) return false;
        const std::uint64_t pe = ReadU32(dos, 0x3C);
        if (!source_.Read(pe, 24, head) || !head.startsWith(QByteArray("PE\0\0", 4))) return false;
        const int sectionCount = ReadU16(head, 6);
        const int optionalSize = ReadU16(head, 20);
        if (sectionCount > kMaxSections || optionalSize < 2 || !source_.Read(pe + 24, std::uint64_t(optionalSize), optional)) return false;
        const int magic = ReadU16(optional, 0);
        const int countAt = magic == 0x10B ? 92 : magic == 0x20B ? 108 : -1; // PE32, PE32+
        if (countAt < 0 || optionalSize < countAt + 4) return false;
        const qsizetype resourceAt = countAt + 4 + 2 * 8; // the third data directory
        if (ReadU32(optional, countAt) > 2 && optionalSize >= resourceAt + 8)
            resourceRva_ = ReadU32(optional, resourceAt);
        if (!source_.Read(pe + 24 + std::uint64_t(optionalSize), std::uint64_t(sectionCount) * kSectionSize, table))
            return false;
        for (int i = 0; i < sectionCount; ++i) {
            const qsizetype at = qsizetype(i) * kSectionSize;
            sections_.push_back({ReadU32(table, at + 12), ReadU32(table, at + 16), ReadU32(table, at + 20)});
        }
        return true;
    }

    bool HasResources() const { return resourceRva_ != 0; }

    // The file offset of `length` bytes at a virtual address, all inside one
    // section's stored bytes.
    bool Locate(std::uint64_t rva, std::uint64_t length, std::uint64_t& offset) const
    {
        for (const TSection& s : sections_) {
            if (rva < s.VirtualAddress || rva - s.VirtualAddress >= s.RawSize) continue;
            const std::uint64_t inside = rva - s.VirtualAddress;
            if (length > s.RawSize - inside) return false;
            offset = s.RawOffset + inside;
            return true;
        }
        return false;
    }

    bool ReadRva(std::uint64_t rva, std::uint64_t length, QByteArray& out) const
    {
        std::uint64_t offset = 0;
        return Locate(rva, length, offset) && source_.Read(offset, length, out);
    }

    // The entries of the resource directory at `offset` from the resources' start,
    // at most `limit` of them.
    bool ReadDirectory(std::uint32_t offset, std::vector<TResourceEntry>& entries, std::uint64_t limit = 0x20000) const
    {
        entries.clear();
        QByteArray head, table;
        const std::uint64_t at = std::uint64_t(resourceRva_) + offset;
        if (!ReadRva(at, 16, head)) return false;
        const std::uint64_t count = std::min(std::uint64_t(ReadU16(head, 12)) + ReadU16(head, 14), limit);
        if (!ReadRva(at + 16, count * 8, table)) return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint32_t name = ReadU32(table, qsizetype(i * 8));
            const std::uint32_t target = ReadU32(table, qsizetype(i * 8 + 4));
            entries.push_back({(name & kHighBit) != 0, name & ~kHighBit, target & ~kHighBit, (target & kHighBit) != 0});
        }
        return true;
    }

    // The data of a named or numbered resource: below a name lies one directory
    // of languages, of which the first is taken. Anything deeper is damage, so a
    // directory that points back at itself or an ancestor ends here too.
    bool Data(TResourceEntry entry, TResourceData& data) const
    {
        for (int level = 0; entry.Directory; ++level) {
            std::vector<TResourceEntry> below;
            if (level == 1 || !ReadDirectory(entry.Target, below, 1) || below.empty()) return false;
            entry = below.front();
        }
        QByteArray record;
        if (!ReadRva(std::uint64_t(resourceRva_) + entry.Target, 16, record)) return false;
        data.Size = ReadU32(record, 4);
        return Locate(ReadU32(record, 0), data.Size, data.Offset);
    }

    // The directory of all resources of one numbered type.
    bool TypeDirectory(std::uint32_t type, std::vector<TResourceEntry>& entries) const
    {
        std::vector<TResourceEntry> types;
        if (!ReadDirectory(0, types)) return false;
        const auto found = std::find_if(types.begin(), types.end(),
                                        [type](const TResourceEntry& e) { return !e.Named && e.Id == type; });
        return found != types.end() && found->Directory && ReadDirectory(found->Target, entries);
    }

private:
    const TByteSource& source_;
    std::uint32_t resourceRva_ = 0;
    std::vector<TSection> sections_;
};

} // namespace

TIconSet ReadProgramIconGroup(std::shared_ptr<const TByteSource> source)
{
    TProgramFile file(*source);
    std::vector<TResourceEntry> groups, icons;
    if (!file.Open() || !file.HasResources() || !file.TypeDirectory(kRtGroupIcon, groups) || groups.empty())
        return Fail(kNoIconResources);

    TResourceData groupData;
    QByteArray group;
    if (!file.Data(groups.front(), groupData) || groupData.Size < kGroupHeaderSize) return Fail(kInvalidIconFormat);
    const std::uint64_t largest = kGroupHeaderSize + std::uint64_t(0xFFFF) * kGroupEntrySize;
    if (!source->Read(groupData.Offset, std::min(groupData.Size, largest), group)) return Fail(kInvalidIconFormat);
    const int count = ReadU16(group, 4);
    if (ReadU16(group, 0) != 0 || ReadU16(group, 2) != 1 || count == 0
        || group.size() < kGroupHeaderSize + qsizetype(count) * kGroupEntrySize || !file.TypeDirectory(kRtIcon, icons))
        return Fail(kInvalidIconFormat);

    std::unordered_map<std::uint32_t, TResourceEntry> iconById;
    for (const TResourceEntry& e : icons)
        if (!e.Named) iconById.emplace(e.Id, e);
    TIconSet set;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = kGroupHeaderSize + qsizetype(i) * kGroupEntrySize;
        const auto icon = iconById.find(ReadU16(group, at + 12));
        TResourceData data;
        if (icon == iconById.end() || !file.Data(icon->second, data) || data.Size == 0) continue;
        set.Entries.push_back(ReadIconEntry(group, at, *source, data.Offset, data.Size));
    }
    if (set.Entries.empty()) return Fail(kInvalidIconFormat);
    set.Source = std::move(source);
    return set;
}

TIconResult DecodeProgramIcon(const QByteArray& bytes, int desiredSize)
{
    return ReadProgramIconGroup(MemorySource(bytes)).DecodeBest(desiredSize);
}

TIconResult LoadProgramIcon(const QString& path, int desiredSize)
{
    return LoadIconSet(path, desiredSize, ReadProgramIconGroup);
}
