#pragma once
// The command registry: turns a parameter string whose "CMD" is a command
// identifier, or the path of a program, file or folder, into the right button
// class, and lists the identifiers the settings dialogs offer.
//
// Threads: CreateButton may run on a worker (a bar filling a detached list);
// the registry has no state.

#include "commands/QV_ActionButton.h"

#include <QStringList>

class TCtrlManager;
class TControlList;

class TButtonManager {
public:
    // Nothing for an empty command or one that is neither an identifier of the
    // command table nor an existing path on a ready volume; a command
    // identifier wins over a path written the same way. The button gets
    // SC_PARENT := Sender, then its parameters.
    TActionButton* CreateButton(TSmartCtrl* Sender, const TParamString& Params) const;
    // The same, added to List (which takes it); false when nothing was made.
    bool CreateButton(TSmartCtrl* Sender, const TParamString& Params, TControlList* List) const;

    // The command table's identifiers in order, then "QuickFilter" and "PathEdit".
    static QStringList KnownCommands();
};

// Makes the registry the control manager's maker of every command without a
// maker of its own. The registry must outlive the manager's use of it.
void RegisterCommandControls(TCtrlManager& Manager, const TButtonManager& Registry);
