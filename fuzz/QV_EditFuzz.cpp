// The edit fields' text handling on arbitrary input: the first byte of each
// pair picks an editing key, the second an amount; whatever remains after a
// NUL is typed text. The caret and the anchor must always be places of the
// text, never inside a surrogate pair, and the text never grows past the
// limit. The same bytes also go through the path field's reading.

#include "widgets/QV_EditModel.h"
#include "widgets/QV_PathInput.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    size_t split = 0;
    while (split < size && bytes[split] != '\0') ++split;
    const QString typed = split < size ? QString::fromUtf8(bytes + split + 1, qsizetype(size - split - 1)) : QString();

    (void)ExpandPathInput(QString::fromUtf8(bytes, qsizetype(split)), QStringLiteral("/home/u"),
                          QStringLiteral("/data"));
    (void)ExpandPathInput(typed, QString(), QString());

    TEditModel m;
    for (size_t i = 0; i + 1 < split; i += 2) {
        const int amount = static_cast<unsigned char>(bytes[i + 1]);
        const bool flag = amount & 1;
        switch (static_cast<unsigned char>(bytes[i]) % 12) {
        case 0: m.Insert(typed.mid(amount % (typed.size() + 1), amount % 7)); break;
        case 1: m.Backspace(flag); break;
        case 2: m.Delete(flag); break;
        case 3: m.MoveLeft(flag, amount & 2); break;
        case 4: m.MoveRight(flag, amount & 2); break;
        case 5: m.MoveHome(flag); break;
        case 6: m.MoveEnd(flag); break;
        case 7: m.Select(amount - 128, amount % 13); break;
        case 8: m.DeleteSelection(); break;
        case 9: m.Undo(); break;
        case 10: m.MoveTo(amount - 64, flag); break;
        case 11: m.Insert(typed); break;
        }
        if (m.Caret() < 0 || m.Caret() > m.Length() || m.Anchor() < 0 || m.Anchor() > m.Length()) __builtin_trap();
        if (m.Length() > TEditModel::MaxLength) __builtin_trap();
        for (int p : {m.Caret(), m.Anchor()})
            if (p > 0 && p < m.Length() && m.Text().at(p).isLowSurrogate() && m.Text().at(p - 1).isHighSurrogate())
                __builtin_trap();
    }
    return 0;
}
