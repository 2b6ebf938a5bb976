// Any bytes: a picture or an error, never a crash, a hang or an allocation past
// the limits; a decoded picture survives the encoder unchanged in size.
#include "platform/image/QV_PngCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const TImageResult result = DecodePng(bytes);
    if (result.Ok() == result.Bitmap.Empty()) __builtin_trap();
    if (result.Ok() && result.Bitmap.Width() * result.Bitmap.Height() <= 256 * 256) {
        const TImageResult again = DecodePng(EncodePng(result.Bitmap));
        if (!again.Ok() || again.Bitmap.Width() != result.Bitmap.Width()) __builtin_trap();
    }
    return 0;
}
