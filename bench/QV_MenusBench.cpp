// Menus: from a right click on a selection of 1,000 items of 30 types to the
// painted menu, against one 16 ms frame; and popping up and painting a menu
// of 40 items against drawing the same 40 prepared item pictures.

#include "QV_BenchSupport.h"

#include "controls/QV_CtrlManager.h"
#include "data/QV_DataHolder.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Context.h"
#include "menus/QV_ExtManager.h"
#include "menus/QV_MenuManager.h"
#include "menus/QV_SmartMenu.h"
#include "platform/image/QV_Bitmap32.h"
#include "platform/ini/QV_IniFile.h"

#include <QGuiApplication>

#include <memory>

namespace {

// A menu row as the command buttons draw it: a prepared icon and a caption.
class TBenchItem : public TSmartCtrl {
public:
    explicit TBenchItem(const TBitmap32* icon) : icon_(icon) {}
    QString Caption;
    void SetParams(const TParamString& Params) override
    {
        TSmartCtrl::SetParams(Params);
        Caption = Params.GetValue(QStringLiteral("CMD"), QString());
    }
    void On_Paint(TBitmap32& canvas) override
    {
        if (!SC_VISIBLE) return;
        canvas.Draw(SC_POS.x(), SC_POS.y(), *icon_);
        canvas.DrawText(QRect(SC_POS.x() + SC_HEIGHT + 8, SC_POS.y(), SC_WIDTH - SC_HEIGHT - 10, SC_HEIGHT), Caption,
                        tfVCenter | tfSingleLine | tfNoPrefix | tfEndEllipsis);
    }

private:
    const TBitmap32* icon_;
};

class TBenchHost : public THolderHost {
public:
    TBenchHost(const TExtManager& types, TSmartMenu& menu) : types_(types), menu_(menu) {}
    TSkinBuffer* ItemSkin() override { return nullptr; }
    TDataHolder* AddFileTab(const QString&, bool) override { return nullptr; }
    TDataHolder* AddSearchTab(const QString&, bool) override { return nullptr; }
    bool RemHolder(const QString&) override { return false; }
    void ShowPropDialog() override {}
    void FilesDelete() override {}
    void SwitchMode(const QString&) override {}
    void ShowMessage(const QString&) override {}
    void PopUpMenu(int, int, const TStringArray&) override {}
    void PopUpTypeMenu(int X, int Y, const TStringArray& keys) override { types_.PopUpMenu(&menu_, X, Y, keys); }

private:
    const TExtManager& types_;
    TSmartMenu& menu_;
};

TItemList SelectedItems(const QStringList& extensions, int count)
{
    TItemList items;
    for (int i = 0; i < count; ++i) {
        auto item = std::make_unique<TFileItem>();
        const QString ext = extensions[i % extensions.size()];
        item->ID_FILE_DATA.FD_NAME = QStringLiteral("file %1%2").arg(i).arg(ext);
        item->ID_FILE_DATA.FD_EXT = ext;
        item->CreateCaption();
        item->ID_STATE = isSel;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    TBitmap32 icon(23, 23);
    icon.Clear(0xFF3060C0);
    TCtrlManager controls;
    TQvContextScope scope({.CtrlManager = &controls});
    controls.SetDefaultFactory([&](TSmartCtrl*, const TParamString& params) -> TSmartCtrl* {
        return params.GetValue(QStringLiteral("CMD"), QString()).isEmpty() ? nullptr : new TBenchItem(&icon);
    });
    controls.On_Resize(1280, 800);
    auto* menu = static_cast<TSmartMenu*>(controls.AddControl(QStringLiteral("SmartMenu"), new TSmartMenu));
    TBitmap32 canvas(1280, 800);

    // The shipped types: 30 extensions of different kinds, each with its parents.
    const TExtManager types(TMemIniFile(QStringLiteral(QV_SOURCE_DIR "/data/Data/Types.QVS")));
    QStringList extensions;
    for (const auto& type : types.EM_LIST)
        if (type->ED_ISTYPE && extensions.size() < 30) extensions.append(type->ED_EXTENSION);
    TBenchHost host(types, *menu);
    TQvContextScope hostScope({.CtrlManager = &controls, .HolderHost = &host});
    TDataHolder holder;
    holder.HandOverItems(SelectedItems(extensions, 1000));
    holder.On_Resize(1280, 800);
    const QPoint at = holder.Item_Get(0)->ItemRect(&holder).center();
    const double rightClick = MedianMicros(15, [&] {
        menu->PopDown();
        holder.On_MouseUp(mbRight, 0, at.x(), at.y());
        holder.On_Paint(canvas);
        controls.PaintControls(canvas);
    });
    if (!menu->SM_SHOWING) return 1;
    PrintFigureLimit("menu_right_click_1000_items_30_types", rightClick / 1000.0, "ms", 16);

    // A menu of 40 items against the same 40 rows drawn straight.
    QByteArray file = "[Forty]\n";
    for (int i = 0; i < 40; ++i) file += "Item" + QByteArray::number(i) + "=CMD(Command." + QByteArray::number(i) + ")\n";
    const TMenuManager menus(TMemIniFile::FromBytes(file));
    const double open = MedianMicros(25, [&] {
        menu->PopDown();
        menus.PopUpMenu(menu, 200, 20, {QStringLiteral("Forty")});
        menu->On_Paint(canvas);
    });
    if (menu->SM_HOLDER->MH_LIST->Count() != 40) return 1;
    std::vector<std::unique_ptr<TBenchItem>> rows;
    for (int i = 0; i < 40; ++i) {
        auto row = std::make_unique<TBenchItem>(&icon);
        row->Caption = QStringLiteral("Command.%1").arg(i);
        row->SC_POS = QPoint(208, 60 + i * 28);
        row->SC_WIDTH = 234;
        row->SC_HEIGHT = 23;
        rows.push_back(std::move(row));
    }
    const double straight = MedianMicros(25, [&] {
        for (const auto& row : rows) row->On_Paint(canvas);
    });
    PrintComparison("menu_open_40_items_vs_painting_40_rows", open, straight, "us");
    menu->PopDown();
    return 0;
}
