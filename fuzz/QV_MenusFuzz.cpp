// The menu file and the types file on arbitrary bytes: every menu and every
// type named in the file, and a few names that are not, build a holder that
// the smart menu shows and the keyboard walks; nothing may hang or crash.

#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Context.h"
#include "menus/QV_ExtManager.h"
#include "menus/QV_MenuManager.h"
#include "menus/QV_SmartMenu.h"
#include "platform/ini/QV_IniFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TCtrlManager controls;
    TQvContextScope scope({.CtrlManager = &controls});
    controls.SetDefaultFactory([](TSmartCtrl*, const TParamString& params) -> TSmartCtrl* {
        return params.GetValue(QStringLiteral("CMD"), QString()).isEmpty() ? nullptr : new TSmartCtrl;
    });
    controls.On_Resize(900, 665);
    auto* menu = static_cast<TSmartMenu*>(controls.AddControl(QStringLiteral("SmartMenu"), new TSmartMenu));

    const TMemIniFile file = TMemIniFile::FromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const TMenuManager menus(file);
    const TExtManager types(file);
    menu->OpenMenu = [&](TSmartCtrl* sender, const QString& id) { menus.PopUpMenu(sender, menu, {id}); };

    QStringList names = file.Sections().mid(0, 16);
    names << QStringLiteral("FILE") << QStringLiteral(".unknown") << QString();
    for (const QString& name : names) {
        menus.PopUpMenu(menu, 10, 10, {name});
        types.PopUpMenu(menu, 20, 20, {name, names.front()});
        for (TKeyCode key : {VK_DOWN, VK_RIGHT, VK_UP, VK_BACK, VK_DOWN}) menu->On_KeyDown(key, 0);
        QChar letter(QLatin1Char('a'));
        menu->On_KeyPress(letter);
        if (menu->SM_HOLDER_IDX < -1 || (menu->SM_SHOWING && !menu->SM_HOLDER)) __builtin_trap();
    }
    menu->PopDown();
    return 0;
}
