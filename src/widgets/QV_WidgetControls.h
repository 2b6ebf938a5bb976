#pragma once
// How the view meets this folder's controls: the makers the control manager
// uses for the edit-field commands of bar items, the top-level widgets it
// registers, and the walk to the control that holds the keyboard.

class TCtrlManager;
class TSmartCtrl;
class TSmartEdit;
class TFilterEdit;

// "QuickFilter" makes a TFilterEdit, "PathEdit" a TPathEdit.
void RegisterWidgetControls(TCtrlManager& Manager);

// The innermost focused control below the manager's focused one.
TSmartCtrl* FocusedLeaf(const TCtrlManager& Manager);
// The focused edit field, if the keyboard is in one.
TSmartEdit* FocusedEdit(const TCtrlManager& Manager);
// The first visible quick filter among the controls and their children.
TFilterEdit* FindQuickFilter(const TCtrlManager& Manager);
// Gives the keyboard to a control inside the tree of a registered one: every
// parent on the way focuses its child, the outermost through the manager.
void FocusControl(TCtrlManager& Manager, TSmartCtrl* Control);
