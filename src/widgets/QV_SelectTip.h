#pragma once
// "SelectTip": a two-line box near the pointer with the number of selected
// items and their total size, shown by the folder view while items are
// selected. It sizes itself to its texts and stays inside the view.

#include "controls/QV_SmartCtrl.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Utils.h"

#include <memory>

class TSelectTip : public TSmartCtrl, public TSelectTipApi {
    QV_SMART_CLASS(TSelectTip, TSmartCtrl)
public:
    TSelectTip();
    ~TSelectTip() override;

    bool ST_SHOWING = false;
    TValueString ST_SELECT;
    TValueString ST_SIZE;
    int ST_SPACING_H = 5;
    int ST_SPACING_V = 4;
    int ST_VALUE_POS = 0;
    // The line advance: the text height of the tip's font.
    int ST_LINE_H = 8;

    void LoadTheme();
    void PopUp(int Selected, qint64 Size, int X, int Y) override;
    void PopDown() override;
    void On_Paint(TBitmap32& SC_CANVAS) override;

private:
    std::unique_ptr<TSkinBuffer> skin_;
};
