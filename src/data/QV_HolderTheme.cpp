// The holders' theme loading on a worker.

#include "data/QV_DataHolder.h"

#include "controls/QV_Repaint.h"
#include "platform/QV_Threads.h"

namespace {

const QString ThemeTask = QStringLiteral("ThemeLoad");

}  // namespace

void TDataHolder::LoadTheme(TThemePlace Place, const QString& Folder)
{
    // The worker starts from the fonts and alignment shown now (an entry may
    // change only part of them) and the picture path loaded now.
    TFolderTheme start;
    const TFolderTheme& current = *DH_FOLDER_THEME;
    start.FT_PATH = current.FT_PATH;
    start.FT_BACK_ALIGN = current.FT_BACK_ALIGN;
    start.FT_FONT_NORMAL = current.FT_FONT_NORMAL;
    start.FT_FONT_HOT = current.FT_FONT_HOT;
    start.FT_FONT_SEL = current.FT_FONT_SEL;
    start.FT_FONT_HOTSEL = current.FT_FONT_HOTSEL;
    if (current.PictureCut()) {
        start.FT_BACK_SOURCE = current.FT_BACK_SOURCE;
        start.PictureSize = current.PictureSize;
        start.PictureAlign = current.PictureAlign;
    }
    const QSize view(DH_WIDTH, DH_HEIGHT);
    TSmartTask* task = TaskManager->CreateTask(ThemeTask);
    task->OnExecuteEvent([this, start, Place, Folder, view](TSmartTask* run) {
        TFolderTheme theme = start;
        const bool picture = LoadFolderTheme(theme, FolderThemeSource(Place, Folder), view);
        if (!run->Active()) return;
        Synchronize([&] {
            if (run->Active()) TakeTheme(theme, picture);
        });
    });
    task->Start();
}

void TDataHolder::TakeTheme(const TFolderTheme& Loaded, bool Picture)
{
    TFolderTheme& theme = *DH_FOLDER_THEME;
    theme.FT_FONT_NORMAL = Loaded.FT_FONT_NORMAL;
    theme.FT_FONT_HOT = Loaded.FT_FONT_HOT;
    theme.FT_FONT_SEL = Loaded.FT_FONT_SEL;
    theme.FT_FONT_HOTSEL = Loaded.FT_FONT_HOTSEL;
    theme.FT_BACK_ALIGN = Loaded.FT_BACK_ALIGN;
    if (Picture) {
        theme.FT_PATH = Loaded.FT_PATH;
        theme.FT_BACK_SOURCE = Loaded.FT_BACK_SOURCE;
        theme.PictureSize = Loaded.PictureSize;
        theme.PictureAlign = Loaded.PictureAlign;
    }
    RequestRepaint();
}
