// The command registry on arbitrary parameter strings: whatever the text, a
// button is made or not, applies its parameters twice, lays out, paints and
// goes again (its icon load stopped) without crashing or hanging. Nothing is
// clicked: a command may name a real program.

#include "commands/QV_ButtonManager.h"
#include "platform/fs/QV_FileNames.h"
#include "platform/image/QV_Bitmap32.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <memory>

// Captions are measured and drawn, which needs the application's fonts. The
// font system keeps what it allocates for new glyphs for the life of the
// process, as the tests' leak suppressions say.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libQt6Gui\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TParamString params{DecodeFileName(reinterpret_cast<const char*>(data), qsizetype(size))};
    const TButtonManager registry;
    std::unique_ptr<TActionButton> button(registry.CreateButton(nullptr, params));
    if (!button) return 0;
    button->SetParams(params);
    button->SetPosition(QPoint(2, 2));
    button->On_Resize(64, 64);
    button->SetWidth(button->Width() % 300);
    TBitmap32 canvas(64, 64);
    button->On_Enter(3, 3);
    button->On_Paint(canvas);
    button->On_Leave(100, 100);
    if (button->AB_CAPTION.size() > params.PS_STRING.size() + 64) __builtin_trap();
    return 0;
}
