#pragma once
// The progress bar of the search bar: filled to the active search's
// percentage and labelled with its status text. Without an active search it
// keeps its last percentage and label.

#include "controls/QV_SmartCtrl.h"

#include <functional>
#include <memory>

class TSmartProgress : public TSmartCtrl {
    QV_SMART_CLASS(TSmartProgress, TSmartCtrl)
public:
    TSmartProgress();
    ~TSmartProgress() override;

    int SP_POS = 50;
    int SP_DONE = 50;
    QString SP_TEXT;
    // Where the percentage and the label come from while painting; the search
    // bar points it at the active search. False: keep the last ones.
    std::function<bool(int& Done, QString& Text)> ProgressSource;

    void LoadTheme();
    // The filled width: 0 for nothing done, else the share of the work area.
    int PosToWidth() const;
    void SetPos(int Value) { SP_DONE = Value; }

    void On_Paint(TBitmap32& SC_CANVAS) override;
    void On_Arrange() override {}

private:
    std::unique_ptr<TSkinBuffer> skin_;
};
