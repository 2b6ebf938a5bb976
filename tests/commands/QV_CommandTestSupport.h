#pragma once
// What the command tests share: a stand-in for the view that records every
// operation a button asks for (and, given a file holder, really navigates it),
// and a program folder with a buttons theme and a language file.

#include "data/QV_FileHolder.h"
#include "data/QV_HolderHost.h"
#include "foundation/QV_Settings.h"
#include "support/QV_TestSupport.h"

#include "controls/QV_SmartCtrl.h"

#include <QFile>
#include <QStringList>

#include <memory>
#include <ostream>

// Texts in the failure messages of these tests.
inline std::ostream& operator<<(std::ostream& os, const QString& text) { return os << text.toStdString(); }

class TRecordingView : public THolderHost {
public:
    QStringList Calls;
    // The sound setting at each navigation, "on" or "off".
    QStringList Sounds;
    // A file holder that GoToPath and GoBack really navigate.
    TFileHolder* Holder = nullptr;
    bool OpenSelectedAnswer = false;
    std::unique_ptr<TControlList> MenuItems;
    TSmartCtrl* MenuSender = nullptr;

    void Record(const QString& call) { Calls << call; }
    void Navigated() { Sounds << (Settings().Media.PlayNavSound ? "on" : "off"); }

    TSkinBuffer* ItemSkin() override { return nullptr; }
    TDataHolder* AddFileTab(const QString& Path, bool Active) override
    {
        Record(QStringLiteral("AddFileTab(%1,%2)").arg(Path).arg(Active));
        return nullptr;
    }
    TDataHolder* AddSearchTab(const QString& Path, bool Active) override
    {
        Record(QStringLiteral("AddSearchTab(%1,%2)").arg(Path).arg(Active));
        return nullptr;
    }
    bool RemHolder(const QString& ID) override
    {
        Record("RemHolder(" + ID + ")");
        return true;
    }
    void ShowPropDialog() override { Record("ShowPropDialog"); }
    void FilesDelete(bool) override { Record("FilesDelete"); }
    void SwitchMode(const QString& Mode) override { Record("SwitchMode(" + Mode + ")"); }
    void ShowMessage(const QString& Text) override { Record("ShowMessage(" + Text + ")"); }
    void PopUpMenu(int, int, const TStringArray& Menus) override { Record("PopUpMenu(" + Menus.join(',') + ")"); }
    void PopUpTypeMenu(int, int, const TStringArray&) override { Record("PopUpTypeMenu"); }

    void GoToPath(const QString& Path) override
    {
        Record("GoToPath(" + Path + ")");
        Navigated();
        if (Holder) Holder->Path_GoTo(Path);
    }
    void GoBack() override
    {
        Record("GoBack");
        Navigated();
        if (Holder) Holder->Path_GoBack();
    }
    void GoFwrd() override { Record("GoFwrd"); }
    void GoUp() override { Record("GoUp"); }
    void RemoveTabs() override { Record("RemoveTabs"); }
    void OpenInNewTab() override { Record("OpenInNewTab"); }
    void DuplicateHolder(const QString& ID) override { Record("DuplicateHolder(" + ID + ")"); }
    void ClipboardCopy() override { Record("ClipboardCopy"); }
    void ClipboardCut() override { Record("ClipboardCut"); }
    void ClipboardPaste() override { Record("ClipboardPaste"); }
    void FilesRename(bool FromClipboard) override { Record(QStringLiteral("FilesRename(%1)").arg(FromClipboard)); }
    void FilesSelectAll() override { Record("FilesSelectAll"); }
    void CreateFolder() override { Record("CreateFolder"); }
    void GroupItems(const QString& By) override { Record("GroupItems(" + By + ")"); }
    void SystemMenu(QPoint Pos) override { Record(QStringLiteral("SystemMenu(%1,%2)").arg(Pos.x()).arg(Pos.y())); }
    void OpenInExplorer() override { Record("OpenInExplorer"); }
    bool OpenSelected(const QString& App, const QString& Verb) override
    {
        Record("OpenSelected(" + App + "," + Verb + ")");
        return OpenSelectedAnswer;
    }
    void ToggleSearch() override { Record("ToggleSearch"); }
    void DialogFolder() override { Record("DialogFolder"); }
    void DialogOpenWith() override { Record("DialogOpenWith"); }
    void DialogSearchFolder() override { Record("DialogSearchFolder"); }
    void ShowSettings() override { Record("ShowSettings"); }
    void ShowAboutDialog() override { Record("ShowAboutDialog"); }
    void ShowControlItems(const QString& ID) override { Record("ShowControlItems(" + ID + ")"); }
    void RecycleBinOpen() override { Record("RecycleBinOpen"); }
    void RecycleBinRestore() override { Record("RecycleBinRestore"); }
    void RecycleBinEmpty(bool) override { Record("RecycleBinEmpty"); }
    void PopUpButtonMenu(TSmartCtrl* Sender, const TStringArray& Menus) override
    {
        MenuSender = Sender;
        Record("PopUpButtonMenu(" + Menus.join(',') + ")");
    }
    void PopUpMenuItems(TSmartCtrl* Sender, const QString& Caption, std::unique_ptr<TControlList> Items,
                        int Width) override
    {
        MenuSender = Sender;
        MenuItems = std::move(Items);
        Record(QStringLiteral("PopUpMenuItems(%1,%2)").arg(Caption).arg(Width));
    }
    void PopDownMenu() override { Record("PopDownMenu"); }
};

// A PNG of the shipped buttons theme, as bytes.
inline QByteArray ShippedIcon(const QString& name)
{
    QFile file(SourceDir() + "/data/Data/Themes/Buttons/Default/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
