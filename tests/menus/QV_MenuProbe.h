#pragma once
// Menu items for the tests: plain controls made from an item's parameter
// string, as the command registry makes buttons, that write down the clicks
// they take. Installing TMenuWorld gives a control manager whose default
// factory makes them for every command but "Nothing" (and none for an empty one), and a smart menu that
// knows them as its buttons.

#include "controls/QV_CtrlManager.h"
#include "foundation/QV_Context.h"
#include "menus/QV_SmartMenu.h"
#include "support/QV_TestSupport.h"

#include <QStringList>

#include <functional>

class TMenuItemProbe : public TSmartCtrl {
    QV_SMART_CLASS(TMenuItemProbe, TSmartCtrl)
public:
    explicit TMenuItemProbe(QStringList* log) : Log(log) {}

    QStringList* Log;
    QString Caption;
    TMenuItemLook Look = mlIcon;
    bool HasLook = false;
    // Runs on a left release, after the click is written down.
    std::function<void(TMenuItemProbe*)> OnClick;

    void SetParams(const TParamString& Params) override
    {
        TSmartCtrl::SetParams(Params);
        Caption = Params.GetValue(QStringLiteral("Caption"), Params.GetValue(QStringLiteral("CMD"), QString()));
    }
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        TSmartCtrl* took = TSmartCtrl::On_MouseUp(Button, Shift, X, Y);
        if (Log) Log->append(SC_ID + (Button == mbLeft ? ".Left" : Button == mbRight ? ".Right" : ".Middle"));
        if (Button == mbLeft && OnClick) OnClick(this);
        return took;
    }
};

struct TMenuWorld {
    TMenuWorld()
    {
        Manager.SetDefaultFactory([this](TSmartCtrl*, const TParamString& params) -> TSmartCtrl* {
            const QString command = params.GetValue(QStringLiteral("CMD"), QString());
            if (command.isEmpty() || command == QLatin1String("Nothing")) return nullptr;
            auto* item = new TMenuItemProbe(&Log);
            if (MakeItem) MakeItem(item);
            return item;
        });
        Manager.On_Resize(800, 600);
        Menu = static_cast<TSmartMenu*>(Manager.AddControl(QStringLiteral("SmartMenu"), new TSmartMenu));
        Menu->ItemTraits.IsButton = [](const TSmartCtrl* item) { return item->ClassIs<TMenuItemProbe>(); };
        Menu->ItemTraits.SetLook = [](TSmartCtrl* item, TMenuItemLook look) {
            if (!item->ClassIs<TMenuItemProbe>()) return;
            static_cast<TMenuItemProbe*>(item)->Look = look;
            static_cast<TMenuItemProbe*>(item)->HasLook = true;
        };
        Menu->ItemTraits.Caption = [](const TSmartCtrl* item) {
            return item->ClassIs<TMenuItemProbe>() ? static_cast<const TMenuItemProbe*>(item)->Caption : QString();
        };
    }

    // The built program folder, for the menu's theme.
    TAliasScope Aliases{BuildDir()};
    QStringList Log;
    std::function<void(TMenuItemProbe*)> MakeItem;
    TCtrlManager Manager;
    TQvContextScope Scope{{.CtrlManager = &Manager}};
    TSmartMenu* Menu = nullptr;
};

// The identifiers of the holder's items, in order.
inline QStringList ItemIds(const TMenuHolder* holder)
{
    QStringList ids;
    if (!holder) return ids;
    for (int i = 0; i < holder->MH_LIST->Count(); ++i) ids.append(holder->MH_LIST->Control(i)->SC_ID);
    return ids;
}
