// Any bytes as a program file: its icon or one of the two icon errors, never a
// crash, a hang (resource directories may loop) or an allocation past the limits.
#include "platform/image/QV_PeIcons.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const TIconSet set = ReadProgramIconGroup(MemorySource(bytes));
    if (!set.Ok() && set.Error != QLatin1String(kNoIconResources) && set.Error != QLatin1String(kInvalidIconFormat))
        __builtin_trap();
    for (int i = 0; i < std::min(int(set.Entries.size()), 8); ++i) {
        const TIconResult result = set.Decode(i);
        if (result.Ok() == result.Bitmap.Empty()) __builtin_trap();
        if (!result.Ok() && result.Error != QLatin1String(kInvalidIconFormat)) __builtin_trap();
    }
    return 0;
}
