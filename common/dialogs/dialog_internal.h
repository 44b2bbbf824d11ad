// Pieces of the dialog machinery shared between the files that make it up.
#pragma once

#include "dialogs/dialog.h"

// Window properties that lead from a window back to its toolkit record.
#define DLG_PROP_DIALOG L"NimboDialog"
#define DLG_PROP_ITEM L"NimboItem"

// Posted to a dialog to move the focus to the tab-stop item after item wParam (text boxes never keep it).
enum { DLG_MSG_FOCUS_AFTER = WM_APP + 0x100 };

// A free record of the table (cleared), or null when 50 dialogs are in use.
Dialog* DialogTakeRecord();
// Clears a record for a new dialog (command counter at 20000).
void DialogClearRecord(Dialog* dialog);
// Frees items and tables of a dialog whose window is gone and marks the record free.
void DialogReleaseRecord(Dialog* dialog);
// The record that CreateWindowEx is building; its first messages arrive before the window is stored.
void DialogSetCreating(Dialog* dialog);
Dialog* DialogCreating();

// Modal runs: the stack of running dialogs and the results of runs whose window went away.
bool DialogIsRunning(const Dialog* dialog);
// Stores the end result of a run; also kept when the record is released before the run notices.
void DialogSetResult(Dialog* dialog, int result);

// The dialog's push button whose callback is the standard OK callback, or null.
DialogItem* DialogOkButton(Dialog* dialog);
// The first enabled, visible tab-stop item after the given one (from the start when null), or null.
DialogItem* DialogNextTabItem(Dialog* dialog, DialogItem* after);
// Enter pressed in an item control (edit fields, toggles, choices, push buttons).
void DialogHandleEnter(DialogItem* item);
// Runs the layout hook and moves every item it placed.
void DialogRelayout(Dialog* dialog);
// The callback of a push button or menu command, between the command hooks; ends the run on non-zero.
void DialogRunCommand(Dialog* dialog, DlgCallback callback, const wchar_t* name);
// Put a label 4 pixels left of its control and a unit text one column right of the item, each as wide
// as its text.
void ItemPlaceLabel(DialogItem* item);
void ItemPlaceUnit(DialogItem* item);
// Creates the label (or unit text) window of an item and places it.
HWND ItemCreateLabel(DialogItem* item, const wchar_t* text);
HWND ItemCreateUnit(DialogItem* item, const wchar_t* text);
// The subclass every item control gets, so that the dialog sees Enter and Tab first.
LRESULT CALLBACK ItemSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Whether the item is one of the edit kinds (string and number fields).
bool ItemIsEdit(const DialogItem* item);
