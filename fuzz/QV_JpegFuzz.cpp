// Any bytes: a picture or an error, never a crash, a hang or an allocation past
// the limits, at full size and at the fast quarter size.
#include "platform/image/QV_JpegCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const TImageResult quarter = DecodeJpegQuarter(bytes);
    if (quarter.Ok() == quarter.Bitmap.Empty()) __builtin_trap();
    const TImageResult full = DecodeJpeg(bytes, 1, TJpegSpeed::jsAccurate);
    if (full.Ok() == full.Bitmap.Empty()) __builtin_trap();
    return 0;
}
