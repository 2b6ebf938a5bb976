#pragma once
// The trash button: opens the trash, offers the "RecycleBin" menu, and shows
// how many entries the trash holds (a badge) and how much (in its caption),
// with a full or an empty picture. It counts again whenever "FolderChanged" is
// broadcast and once its pictures have loaded; the count runs on a worker.
//
// It keeps a skin buffer of its own as SC_SKIN (a bar's skin only lends it the
// hot background) and its pictures come from its own folder of the buttons theme.

#include "commands/QV_ActionButton.h"

class TBGoToRecycleBin : public TActionButton {
    QV_SMART_CLASS(TBGoToRecycleBin, TActionButton)
public:
    TBGoToRecycleBin();
    ~TBGoToRecycleBin() override;

    qint64 RB_SIZE = 0;
    qint64 RB_COUNT = 0;

    void EventNotify(const QString& ID) override;
    // The button, then the count badge on an icon-style button larger than 32 pixels.
    void On_Paint(TBitmap32& SC_CANVAS) override;
    // "RecycleBin.Full" while the trash holds something, else "RecycleBin.Empty".
    void On_DrawImage(TBitmap32& Dest, int X, int Y, int W, int H) override;
    // Keeps its own skin; takes only the hot background from Value.
    void On_SetSkin(TSkinBuffer* Value) override;
    void SetParams(const TParamString& Params) override;
    // Left opens the trash; right also offers the "RecycleBin" menu.
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void LoadImage_Task(TSmartTask* SmartTask) override;
    void LoadImage_Task_Terminate(TTaskThread* Sender) override;
    std::function<void(TSmartTask*)> IconLoader() override
    {
        return [this](TSmartTask* task) { TBGoToRecycleBin::LoadImage_Task(task); };
    }

    // Starts counting the trash; the figures and the caption change when it ends.
    void Refresh();
    // A count is running.
    bool Counting() const;

protected:
    bool KeepsPicture() const override { return false; }  // full or empty by its count

private:
    std::unique_ptr<TSkinBuffer> ownSkin_;
    std::unique_ptr<TSmartTask> countTask_;
    QString baseCaption_;  // the caption without the size suffix
};
