// Trash information files are written by any program: parsing and decoding
// must take any bytes, and a decoded path must encode back to the same bytes.
#include "platform/fs/QV_Trash.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray path, date, bytes, again;
    if (ParseTrashInfo(text, path, date) && DecodeTrashPath(path, bytes)) {
        if (!DecodeTrashPath(EncodeTrashPath(bytes), again) || again != bytes) std::abort();
    }
    return 0;
}
