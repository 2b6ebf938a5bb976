// Any bytes as a folder picture: a picture within the limits or an error, never
// a crash, and never more pixels than the header check allowed.
#include "platform/image/QV_Picture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const TPictureLimits limits{1 << 20, 512 * 512};
    const TImageResult result = DecodePicture(bytes, limits);
    if (result.Ok() == result.Bitmap.Empty()) __builtin_trap();
    if (result.Ok() && qint64(result.Bitmap.Width()) * result.Bitmap.Height() > limits.MaxPixels) __builtin_trap();
    return 0;
}
