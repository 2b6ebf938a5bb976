#include "dialogs/QV_DialogSupport.h"

#include "commands/QV_ButtonManager.h"
#include "controls/QV_CtrlManager.h"
#include "controls/QV_Repaint.h"
#include "data/QV_DataCore.h"
#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"
#include "foundation/QV_Utils.h"
#include "locale/QV_LocaleManager.h"
#include "platform/QV_Report.h"

#include <QWidget>

namespace {

const QString DialogsSection = QStringLiteral("Dialogs");

// What a file holder's listing is made from; a change lists the folder again.
struct TListingInputs {
    bool HideHidden, HideSystem, HideFileExtension, ShowFoldersFirst, HideFloppy, HideFloppyA, HideFloppyB;
    bool operator==(const TListingInputs&) const = default;

    static TListingInputs Now()
    {
        const auto& b = Settings().Browsing;
        return {b.HideHidden, b.HideSystem, b.HideFileExtension, b.ShowFoldersFirst,
                b.HideFloppy, b.HideFloppyA, b.HideFloppyB};
    }
};

} // namespace

QString DlgText(const char* section, const char* key, const char* def)
{
    return Localized(QString::fromLatin1(section), QString::fromLatin1(key), QString::fromUtf8(def));
}

void RestoreDialogSize(QWidget* dialog, const QString& name)
{
    TParamString size;
    size.PS_STRING = ReadSetting(DialogsSection, name, QString());
    try {
        const int w = size.GetInt(QStringLiteral("Width"), 0);
        const int h = size.GetInt(QStringLiteral("Height"), 0);
        // Nothing smaller than the dialog's own minimum, nothing absurd.
        if (w > 0 && h > 0 && w < 10000 && h < 10000)
            dialog->resize(qMax(w, dialog->minimumWidth()), qMax(h, dialog->minimumHeight()));
    } catch (const EConvertError& error) {
        ReportFailure("Dialog size", QString::fromUtf8(error.what()));
    }
}

void RememberDialogSize(const QWidget* dialog, const QString& name)
{
    TParamString size;
    size.SetInt(QStringLiteral("Width"), dialog->width());
    size.SetInt(QStringLiteral("Height"), dialog->height());
    size.SaveToIni(QStringLiteral("SettingsFile:\\"), DialogsSection, name);
}

void ApplySettings()
{
    const QString lang = Settings().General.Lang;
    const auto themes = [] {
        const auto& t = Settings().Theming;
        return QStringList{t.ControlTheme, t.ButtonTheme, t.FilesTheme};
    };
    const QStringList themesBefore = themes();
    const TListingInputs listing = TListingInputs::Now();
    const int itemWidth = Settings().Browsing.ItemWidth;
    const int itemHeight = Settings().Browsing.ItemHeight;

    LoadSettings();

    if (lang != QString(Settings().General.Lang))
        if (TLocaleManager* locale = LocaleManager()) locale->Load();
    if (themes() != themesBefore)
        if (THolderHost* host = HolderHost()) host->ReloadThemes();
    if (TCtrlManager* manager = CtrlManager()) manager->On_Resize();
    if (TDataCore* core = DataCore()) {
        const bool relist = !(listing == TListingInputs::Now());
        const bool relayout = itemWidth != Settings().Browsing.ItemWidth || itemHeight != Settings().Browsing.ItemHeight;
        for (const auto& holder : core->DC_LIST) {
            auto* files = dynamic_cast<TFileHolder*>(holder.get());
            if (relist && files) files->On_FolderChanged(nullptr);
            else if (relayout) holder->Arrange();
        }
    }
    RequestRepaint();
}

void ReloadActiveTheme()
{
    TDataCore* core = DataCore();
    if (!core || !core->DC_HOLDER) return;
    core->DC_HOLDER->DH_FOLDER_THEME->FT_PATH.clear();
    core->DC_HOLDER->ThemeLoad();
    RequestRepaint();
}

QStringList CommandIdentifiers() { return TButtonManager::KnownCommands(); }
