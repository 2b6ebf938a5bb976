#include "foundation/QV_Settings.h"

#include "foundation/QV_System.h"
#include "foundation/QV_Utils.h"
#include "platform/QV_Report.h"
#include "platform/fs/QV_ProgramFolder.h"
#include "platform/ini/QV_IniFile.h"

#include <algorithm>

namespace {

const QString SettingsFile = QStringLiteral("SettingsFile:\\");
const QString MainSection = QStringLiteral("Qorvel");

// Reads the groups of one loaded settings file; a value that does not convert
// takes the key's default, so one typo cannot stop the program from starting.
class TGroupReader {
public:
    TGroupReader(const TMemIniFile& ini, const char* group)
    {
        params_.PS_STRING = ini.ReadString(MainSection, QString::fromLatin1(group), QString());
    }
    void Read(TSettingText& value, const char* key, const QString& def) const
    {
        value = params_.GetValue(QString::fromLatin1(key), def);
    }
    void Read(TSettingInt& value, const char* key, int def) const
    {
        try {
            value = params_.GetInt(QString::fromLatin1(key), def);
        } catch (const EConvertError& error) {
            ReportFailure("Settings value", QString::fromUtf8(error.what()));
            value = def;
        }
    }
    // A count that only makes sense within bounds is kept within them.
    void Read(TSettingInt& value, const char* key, int def, int least, int most) const
    {
        Read(value, key, def);
        value = std::clamp(int(value), least, most);
    }
    void Read(TSettingBool& value, const char* key, bool def) const
    {
        try {
            value = params_.GetBool(QString::fromLatin1(key), def);
        } catch (const EConvertError& error) {
            ReportFailure("Settings value", QString::fromUtf8(error.what()));
            value = def;
        }
    }

private:
    TParamString params_;
};

void ReadBar(const TMemIniFile& ini, const char* group, TBarSettings& bar, int itemSize)
{
    const TGroupReader g(ini, group);
    g.Read(bar.ShowHint, "ShowHint", true);
    g.Read(bar.ItemSize, "ItemSize", itemSize);
    g.Read(bar.ItemSpacing, "ItemSpacing", 10);
}

} // namespace

TQvSettings& Settings()
{
    static TQvSettings settings;
    return settings;
}

QString ReadSetting(const QString& section, const QString& ident, const QString& def)
{
    return TMemIniFile(ResolvePath(SettingsFile)).ReadString(section, ident, def);
}

void LoadSettings()
{
    TQvSettings& s = Settings();
    TAliasNames names = AliasNames();
    names.AppPath = FindProgramFolder();
    SetAliasNames(names);

    // One read of the file serves every group.
    const TMemIniFile ini(ResolvePath(SettingsFile));
    {
        const TGroupReader g(ini, "Theming");
        g.Read(s.Theming.ControlTheme, "ControlTheme", QStringLiteral("Default"));
        g.Read(s.Theming.FilesTheme, "FilesTheme", QStringLiteral("Default"));
        g.Read(s.Theming.ButtonTheme, "ButtonTheme", QStringLiteral("Default"));
    }
    {
        const TGroupReader g(ini, "StartUp");
        g.Read(s.StartUp.RestoreLastSession, "RestoreLastSession", true);
        g.Read(s.StartUp.RestorePosition, "RestorePosition", false);
        g.Read(s.StartUp.RestoreWH, "RestoreWH", false);
    }
    {
        // A reload keeps the current sound when the keys are missing.
        const TGroupReader g(ini, "Media");
        g.Read(s.Media.NavSound, "NavSound", s.Media.NavSound);
        g.Read(s.Media.PlayNavSound, "PlayNavSound", s.Media.PlayNavSound);
    }
    {
        const TGroupReader g(ini, "Window");
        g.Read(s.Window.PosX, "PosX", 10);
        g.Read(s.Window.PosY, "PosY", 10);
        g.Read(s.Window.Width, "Width", 900);
        g.Read(s.Window.Height, "Height", 600);
        g.Read(s.Window.Maximized, "Maximized", false);
    }
    {
        const TGroupReader g(ini, "Mouse");
        g.Read(s.Mouse.ClickDelay, "ClickDelay", 250);
        g.Read(s.Mouse.ClickScroll, "ClickScroll", 10);
        g.Read(s.Mouse.StickyScroll, "StickyScroll", true);
        g.Read(s.Mouse.WheelScroll, "WheelScroll", 5);
    }
    {
        const TGroupReader g(ini, "Browsing");
        g.Read(s.Browsing.HideHidden, "HideHidden", true);
        g.Read(s.Browsing.HideSystem, "HideSystem", true);
        g.Read(s.Browsing.HideFileExtension, "HideFileExtension", false);
        g.Read(s.Browsing.ShowFoldersFirst, "ShowFoldersFirst", true);
        g.Read(s.Browsing.ItemWidth, "ItemWidth", 150);
        g.Read(s.Browsing.ItemHeight, "ItemHeight", 40);
        g.Read(s.Browsing.HideFloppy, "HideFloppy", true);
        g.Read(s.Browsing.HideFloppyA, "HideFloppyA", true);
        g.Read(s.Browsing.StrictClicks, "StrictClicks", false);
        g.Read(s.Browsing.HideFloppyB, "HideFloppyB", true);
        g.Read(s.Browsing.Executables, "Executables", QStringLiteral("Ask"));
    }
    {
        const TGroupReader g(ini, "General");
        g.Read(s.General.Lang, "Lang", QStringLiteral("English"));
        g.Read(s.General.TipDistance, "TipDistance", 10);
        g.Read(s.General.FolderGroup, "FolderGroup", true);
    }
    ReadBar(ini, "QuickBar", s.QuickBar, 48);
    ReadBar(ini, "ActionBar", s.ActionBar, 24);
    ReadBar(ini, "PathBar", s.PathBar, 24);
    {
        const TGroupReader g(ini, "SmartEdit");
        g.Read(s.SmartEdit.PreviewSelected, "PreviewSelected", true);
        g.Read(s.SmartEdit.MenuAutoShow, "MenuAutoShow", true);
    }
    {
        const TGroupReader g(ini, "SmartTabs");
        g.Read(s.SmartTabs.Height, "Height", 28);
        g.Read(s.SmartTabs.TabPreview, "TabPreview", true);
        g.Read(s.SmartTabs.StickTabPreview, "StickTabPreview", false);
        g.Read(s.SmartTabs.SmallTabsLeft, "SmallTabsLeft", false);
        g.Read(s.SmartTabs.SmallTabsRight, "SmallTabsRight", false);
        g.Read(s.SmartTabs.SmallButtonsLeft, "SmallButtonsLeft", false);
        g.Read(s.SmartTabs.SmallButtonsRight, "SmallButtonsRight", true);
        g.Read(s.SmartTabs.ShowAddTab, "ShowAddTab", true);
        g.Read(s.SmartTabs.TabSpacing, "TabSpacing", 2);
        g.Read(s.SmartTabs.ButtonSpacing, "ButtonSpacing", 2);
        g.Read(s.SmartTabs.ButtonToTabSpacing, "ButtonToTabSpacing", 2);
        g.Read(s.SmartTabs.ButtonWidthMax, "ButtonWidthMax", 115);
        g.Read(s.SmartTabs.TabWidthMin, "TabWidthMin", 26);
        g.Read(s.SmartTabs.TabWidthMax, "TabWidthMax", 150);
        g.Read(s.SmartTabs.SaveRecent, "SaveRecent", true);
        g.Read(s.SmartTabs.MaxRecent, "MaxRecent", 8, 0, MaxRecentLimit);
    }
    {
        const TGroupReader g(ini, "SmartMenu");
        g.Read(s.SmartMenu.PopUpOffset, "PopUpOffset", 0);
        g.Read(s.SmartMenu.ItemSize, "ItemSize", 23);
        g.Read(s.SmartMenu.ItemSpacing, "ItemSpacing", 5);
        g.Read(s.SmartMenu.MenuWidth, "MenuWidth", 250);
    }

    names.ControlTheme = s.Theming.ControlTheme;
    names.ButtonTheme = s.Theming.ButtonTheme;
    names.FilesTheme = s.Theming.FilesTheme;
    names.Lang = s.General.Lang;
    SetAliasNames(names);
}

void SaveSettingValue(const QString& group, const QString& name, const QString& value)
{
    TParamString p;
    p.PS_STRING = ReadSetting(MainSection, group, QString());
    p.SetValue(name, value);
    p.SaveToIni(SettingsFile, MainSection, group);
}

void SaveWindowState(const TWindowState& state)
{
    TQvSettings& s = Settings();
    s.Window.Maximized = state.Maximized;
    const QString window = QStringLiteral("Window");

    // Each step reads the group afresh so that it changes only its own entries.
    auto update = [&](auto change) {
        TParamString p;
        p.PS_STRING = ReadSetting(MainSection, window, QString());
        change(p);
        p.SaveToIni(SettingsFile, MainSection, window);
    };
    update([&](TParamString& p) { p.SetBool(QStringLiteral("Maximized"), state.Maximized); });
    if (s.StartUp.RestorePosition && !state.Maximized) {
        update([&](TParamString& p) {
            p.SetInt(QStringLiteral("PosX"), state.Left);
            p.SetInt(QStringLiteral("PosY"), state.Top);
        });
    }
    if (s.StartUp.RestoreWH && !state.Maximized) {
        update([&](TParamString& p) {
            p.SetInt(QStringLiteral("Width"), state.ClientWidth);
            p.SetInt(QStringLiteral("Height"), state.ClientHeight);
        });
    }
}
