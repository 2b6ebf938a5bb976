// Clipboard file lists from other programs: any bytes in any of the formats
// must decode without crashing, and every path that comes out must be an
// absolute local path that encodes back to a URI decoding to itself.
#include "shell/QV_ClipboardFormats.h"

#include "platform/fs/QV_FileNames.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    // The first byte picks the format the rest is offered as.
    const QStringList names = FileClipFormatNames();
    const QString format = names[data[0] % names.size()];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const TClipFiles files = DecodeClipFiles({{format, bytes}, {QStringLiteral("application/x-kde-cutselection"), bytes.left(1)}});
    for (const QString& path : files.Paths) {
        if (!path.startsWith(QLatin1Char('/'))) std::abort();
        QString back;
        if (!FileUriToPath(PathToFileUri(path), back) || EncodeFileName(back) != EncodeFileName(path)) std::abort();
    }
    return 0;
}
