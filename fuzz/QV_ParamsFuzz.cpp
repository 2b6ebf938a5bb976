// Parameter-string reading and writing on arbitrary text and names. The input is
// split at its first NUL byte into the source and the name.

#include "foundation/QV_Utils.h"
#include "platform/fs/QV_FileNames.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    size_t split = 0;
    while (split < size && bytes[split] != '\0') ++split;
    const QString source = DecodeFileName(bytes, qsizetype(split));
    const QString name = split < size ? DecodeFileName(bytes + split + 1, qsizetype(size - split - 1)) : QString();

    for (const bool brackets : {false, true}) {
        const QString value = ExtractValue(source, name, QStringLiteral("d"), brackets);
        if (value != QStringLiteral("d") && value.size() >= source.size()) __builtin_trap();
    }
    const QString replaced = ReplaceValue(source, name, QStringLiteral("v(1)"));
    // A value just written is found again unless an earlier entry shadows the name.
    (void)ExtractValue(replaced, name, {}, false);
    (void)ReplaceValue(source, name, QString());
    (void)FindValueEnd(source, qsizetype(size % (source.size() + 2)));
    TParamString p{source};
    try {
        (void)p.GetSubInt(name, name, 3);
    } catch (const EConvertError&) {
    }
    try {
        (void)p.GetBool(name, true);
    } catch (const EConvertError&) {
    }
    return 0;
}
