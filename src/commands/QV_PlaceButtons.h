#pragma once
// The buttons of places: a program, file or folder named by its path (the
// command of a bar line that is no command identifier), the quick-drive view
// and the documents folder. Pointing at a folder place shows it in the active
// folder tab (a hover preview); moving away goes back, a click keeps it.
// Previews and their returns are silent: the navigation sound is off while
// they run and the user's setting is put back afterwards.

#include "commands/QV_ActionButton.h"

// The preview of one button: DefaultPath is the place the tab showed before,
// non-empty exactly while a preview is in effect.
struct THoverPreview {
    QString DefaultPath;

    // Shows target in the active holder when that is a plain file holder
    // showing another place.
    void Begin(const QString& Target);
    // Goes back when a preview is in effect.
    void End();
    // A click keeps the place: leaving no longer goes back.
    void Keep() { DefaultPath.clear(); }
};

class TExecButton : public TActionButton {
    QV_SMART_CLASS(TExecButton, TActionButton)
public:
    ~TExecButton() override;

    QString EB_CMD;  // the program, file or folder
    QString EB_P1;   // a verb; every verb opens on this system
    QString EB_P2;   // the program's command line
    THoverPreview Preview;

    // The action button's parameters, then "Button" as identifier, the target,
    // P1, P2, and the caption: the file's name, a folder's last component, or
    // a drive's kind and mount point; "Caption" overrides it.
    void SetParams(const TParamString& Params) override;
    void On_Enter(int X, int Y) override;
    void On_Leave(int X, int Y) override;
    // Left: a program opens the selected files (or starts itself with P2 when
    // none is selected), another file opens with its application, a folder is
    // shown. Middle: a file opens and its folder, or the folder, gets a new tab.
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // Without an "Image" override: a program's own icon, a drive's or a file
    // type's icon, and a picture file as its own preview.
    void LoadImage_Task(TSmartTask* SmartTask) override;

protected:
    void SetLoadParams(TSmartTask& Task) override;
    std::function<void(TSmartTask*)> IconLoader() override
    {
        return [this](TSmartTask* task) { TExecButton::LoadImage_Task(task); };
    }
};

class TBGoToMyPc : public TActionButton {
    QV_SMART_CLASS(TBGoToMyPc, TActionButton)
public:
    THoverPreview Preview;

    void SetParams(const TParamString& Params) override;
    void On_Enter(int X, int Y) override;
    void On_Leave(int X, int Y) override;
    // Needs a sender: left shows the quick-drive view, middle opens it in a tab.
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

class TBGoToMyDocs : public TActionButton {
    QV_SMART_CLASS(TBGoToMyDocs, TActionButton)
public:
    THoverPreview Preview;

    void SetParams(const TParamString& Params) override;
    void On_Enter(int X, int Y) override;
    void On_Leave(int X, int Y) override;
    // P1 when it names an existing place, else the documents folder.
    TSmartCtrl* On_MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// The caption of a drive root by its kind: "LocalDrive (/)", a removable or
// optical volume's label, or the kind's text when it has none.
QString DriveCaption(const QString& Root, const QString& Written);
