#include "commands/QV_TrashButton.h"

#include "data/QV_HolderHost.h"
#include "foundation/QV_PaintUtils.h"
#include "foundation/QV_System.h"
#include "platform/QV_Report.h"
#include "platform/QV_Threads.h"
#include "platform/fs/QV_FileSystem.h"
#include "platform/fs/QV_TrashUsage.h"
#include "platform/image/QV_ImageFile.h"
#include "platform/ini/QV_IniFile.h"
#include "tasks/QV_SmartTask.h"
#include "theme/QV_SkinBuffer.h"

namespace {

const QString FullId = QStringLiteral("RecycleBin.Full");
const QString EmptyId = QStringLiteral("RecycleBin.Empty");
const QString TipId = QStringLiteral("TipBack");
const QString CountFontId = QStringLiteral("Files.Count");
// DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS
constexpr unsigned BadgeFlags = tfCenter | tfVCenter | tfSingleLine | tfNoPrefix | tfEndEllipsis;

QString ThemeFolder(const QString& command) { return ResolvePath(QStringLiteral("ButtonsTheme:\\") + command + '\\'); }

}  // namespace

TBGoToRecycleBin::TBGoToRecycleBin()
    : ownSkin_(std::make_unique<TSkinBuffer>()), countTask_(std::make_unique<TSmartTask>())
{
    SC_SKIN = ownSkin_.get();
}

TBGoToRecycleBin::~TBGoToRecycleBin()
{
    countTask_.reset();
    EndLoading();
}

void TBGoToRecycleBin::On_SetSkin(TSkinBuffer* Value)
{
    if (!SC_SKIN) SC_SKIN = Value;
    TImageDataPtr own;
    if (Value && SC_SKIN && SC_SKIN != Value && !SC_SKIN->GetImageData(QStringLiteral("ButtonHot"), own))
        SC_SKIN->CopyImageData(*Value, QStringLiteral("ButtonHot"));
}

void TBGoToRecycleBin::SetParams(const TParamString& Params)
{
    TActionButton::SetParams(Params);
    baseCaption_ = AB_CAPTION;
}

// --- Counting ---

void TBGoToRecycleBin::EventNotify(const QString& ID)
{
    TActionButton::EventNotify(ID);
    if (ID == QLatin1String("FolderChanged")) Refresh();
}

bool TBGoToRecycleBin::Counting() const { return countTask_ && countTask_->Running(); }

void TBGoToRecycleBin::Refresh()
{
    if (!IsMainThread()) {
        Synchronize([this] { Refresh(); });
        return;
    }
    if (!countTask_) return;
    countTask_->Stop();
    countTask_->Priority(tpLower);
    // The run's figures: written by its worker, read by its end on the
    // interface thread, which the task orders after the worker.
    auto figures = std::make_shared<TTrashUsage>();
    countTask_->OnExecuteEvent([figures](TSmartTask* task) {
        const TFsResult<TTrashUsage> usage = QueryTrashUsage([task] { return task->Active(); });
        // A failed query shows an empty trash.
        if (!usage) ReportFailure("Count trash", usage.Error().Message());
        else *figures = usage.Value();
    });
    countTask_->OnTerminatedEvent([this, figures](TTaskThread*) {
        RB_COUNT = figures->Count;
        RB_SIZE = figures->Size;
        AB_CAPTION = baseCaption_;
        if (RB_COUNT > 0 && RB_SIZE > 0) AB_CAPTION += QStringLiteral(" (") + SizeText(RB_SIZE) + QLatin1Char(')');
        ReDraw();
    });
    countTask_->Start();
}

// --- Painting ---

void TBGoToRecycleBin::On_DrawImage(TBitmap32& Dest, int X, int Y, int W, int H)
{
    if (!SC_VISIBLE || !AB_ImageLoaded) return;
    AB_SKIN->DrawImage(RB_COUNT > 0 ? FullId : EmptyId, Dest, X, Y, W, H);
}

void TBGoToRecycleBin::On_Paint(TBitmap32& SC_CANVAS)
{
    TActionButton::On_Paint(SC_CANVAS);
    if (RB_COUNT <= 0 || AB_STYLE != dsIcon || SC_WIDTH <= 32 || SC_HEIGHT <= 32) return;
    AB_SKIN->AssignFont(CountFontId, SC_CANVAS);
    const QRect badge(AB_RECT_ICON.Right() - 25, AB_RECT_ICON.Bottom() - 20, 15, 16);
    AB_SKIN->DrawImage(TipId, SC_CANVAS, badge);
    SC_CANVAS.DrawText(badge, QString::number(RB_COUNT), BadgeFlags);
}

// --- Mouse ---

TSmartCtrl* TBGoToRecycleBin::On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSmartCtrl* taken = TActionButton::On_MouseUp(Button, Shift, X, Y);
    if (!taken) return nullptr;
    if (THolderHost* host = HolderHost()) {
        if (Button == mbLeft) host->RecycleBinOpen();
        if (Button == mbRight) host->PopUpButtonMenu(this, {QStringLiteral("RecycleBin")});
    }
    return taken;
}

// --- Pictures ---

void TBGoToRecycleBin::LoadImage_Task(TSmartTask* SmartTask)
{
    QString command;
    SmartTask->GetParam(QStringLiteral("CMD"), command);
    const QString folder = ThemeFolder(command);
    const QString themeFile = folder + QStringLiteral("Theme.qvs");
    for (const QString& id : {FullId, EmptyId, TipId}) {
        if (!SmartTask->Active()) return;
        try {
            const TResizeParams params = ReadResizeParams(themeFile, QStringLiteral("Theme"),
                                                          QStringLiteral("Image(") + id + QLatin1Char(')'),
                                                          QStringLiteral("DrawMode(stretch)"));
            const QString file = folder + id + QStringLiteral(".png");
            if (PathKindOf(file) == TPathKind::pkFile) AB_SKIN->LoadImage(id, file, params);
        } catch (const EImageError& error) {
            ReportFailure("Trash picture", error.Message);
        } catch (...) {
            ReportCurrentException("Trash picture");
        }
    }
}

void TBGoToRecycleBin::LoadImage_Task_Terminate(TTaskThread* Sender)
{
    // Fonts belong to the interface thread, so the count's font loads here.
    if (!AB_SKIN->Font(CountFontId)) {
        const QString value = IniReadString(ThemeFolder(AB_CMD) + QStringLiteral("Theme.qvs"), QStringLiteral("Theme"),
                                            CountFontId, QStringLiteral("Name(Calibri), Color($000000), Size(11), Bold(1)"));
        try {
            AB_SKIN->LoadFont(CountFontId, TParamString{value});
        } catch (...) {
            ReportCurrentException("Trash count font");
        }
    }
    TActionButton::LoadImage_Task_Terminate(Sender);
    if (!Counting()) Refresh();
}
