// Any bytes as an icon file: images or "Invalid icon format", never a crash, a
// hang or an allocation past the limits.
#include "platform/image/QV_IcoReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

void Check(const TIconResult& result)
{
    if (result.Ok() == result.Bitmap.Empty()) __builtin_trap();
    if (!result.Ok() && result.Error != QLatin1String(kInvalidIconFormat)) __builtin_trap();
    if (result.Ok() && (result.Width != result.Bitmap.Width() || result.IsPng == result.Png.isEmpty())) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const TIconSet set = ReadIconDirectory(MemorySource(bytes));
    if (set.Ok() == set.Entries.empty()) __builtin_trap();
    Check(set.DecodeBest(32));
    for (int i = 0; i < std::min(int(set.Entries.size()), 8); ++i) Check(set.Decode(i));
    return 0;
}
