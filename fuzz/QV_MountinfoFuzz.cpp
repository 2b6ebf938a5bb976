// Feeds arbitrary bytes to the mount-table parser and the label unescaper.

#include "platform/fs/QV_Mounts.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::vector<TMountEntry> mounts = ParseMountInfo(bytes);
    for (const TMountEntry& m : mounts) {
        if (!m.MountPoint.startsWith('/')) __builtin_trap();
        TMountEntry holder;
        MountOfPath(mounts, m.MountPoint + QStringLiteral("/x"), holder);
        ShouldDisplayMount(m, QStringLiteral("user"), QStringLiteral("/home/user"));
    }
    UnescapeLabel(bytes);
    return 0;
}
