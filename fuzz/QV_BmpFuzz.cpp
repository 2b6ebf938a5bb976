// Any bytes: a picture or an error, never a crash or an allocation past the
// limits; a decoded picture comes back from the writer with the same pixels.
#include "platform/image/QV_BmpCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const TImageResult result = DecodeBmp(bytes);
    if (result.Ok() == result.Bitmap.Empty()) __builtin_trap();
    if (result.Ok() && result.Bitmap.Width() * result.Bitmap.Height() <= 256 * 256) {
        const TImageResult again = DecodeBmp(EncodeBmp(result.Bitmap, TBmpFormat::bf32));
        if (!again.Ok() || again.Bitmap.Image() != result.Bitmap.Image()) __builtin_trap();
    }
    return 0;
}
