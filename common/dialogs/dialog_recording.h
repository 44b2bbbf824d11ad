// Recording and playback of dialog values. Items given a variable name can be logged (every named
// push button or menu command used writes an action line, every dialog that ends writes the values of
// its named items) and can be set from name=value assignments, at once or queued for the next dialog
// that starts. With the no-wait switch a dialog runs to completion without being shown, which is how
// a host replays recorded dialogs.
#pragma once

#include "dialogs/dialog.h"

// ---- Where the dialog machinery calls in ----

// Writes the values of the dialog's named items to the log file, when one is set; called as a dialog
// ends (a push button returned non-zero, Escape, or the window closed without a result).
void DlgRecordValues(Dialog* dialog);
// Logs the use of a named push button or menu command (an empty or null name logs nothing).
void DlgRecordAction(const wchar_t* name);
// The same for a command known by its callback and own name: without a name of its own, the plug-in
// logs it under the name registered for the callback.
void DlgRecordCommand(DlgCallback callback, const wchar_t* name);
// Applies the queued name=value assignments to a dialog that has just started, emptying the queue;
// each line that set nothing is logged as failed. A dialog started by a no-wait run (not shown) ends
// here with 1, recorded as an OK would be.
void DlgDrainQueuedAssignments(Dialog* dialog);
// The next DlgRun builds and initialises its dialog, applies queued assignments and returns 1 without
// showing the dialog or waiting for input. One-shot: the run clears it.
void DlgSetNoWait();

// ---- Recording ----

enum { DlgLogPathLength = 1024 };

// Sets the log file; null or empty switches recording off. A path too long to keep whole also switches
// it off (recording into a cut path would write some other file). Returns 1 when recording is on.
int DlgSetLogFile(const wchar_t* path);
// The log file, empty when recording is off.
const wchar_t* DlgLogFile();

// ---- Playback ----

enum DlgValueType { DlgValueInt = 0, DlgValueUInt = 1, DlgValueDouble = 2, DlgValueString = 3 };
enum { DlgQueueLength = 8000, DlgAssignNameLength = 100, DlgAssignTextLength = 800 };

// Applies "name=value" to every named item of every open dialog (and the spare records); queues the
// text when nothing matched and queueIfUnmatched is set. Returns the first item set, or null (also for
// a text without "=").
DialogItem* DlgAssign(const wchar_t* text, int queueIfUnmatched);
// As DlgAssign with a typed value that only items of the matching kind take (int: toggle, int field,
// choice, slider; unsigned: unsigned field; double: double field; string: string field). Returns 1 when
// at least one item took it, 2 when it was queued as text, 0 when nothing was done.
int DlgAssignValue(const wchar_t* name, const void* value, int type);
// Appends the assignment to the queue; 0 when it has no "=" or the queue has no room for it.
int DlgQueueAssignment(const wchar_t* text);
// Empties the queue without applying it.
void DlgClearQueuedAssignments();
// The queued lines, each ended by a line feed.
const wchar_t* DlgQueuedAssignments();

// ---- Lookups for hosts ----

// The first item with that name across the open dialogs; its dialog goes to *dialog when not null.
DialogItem* DlgFindItemByName(const wchar_t* name, Dialog** dialog);
// The first menu entry with that name across the open dialogs.
DlgMenuEntry* DlgFindMenuEntryByName(const wchar_t* name, Dialog** dialog);
// Refreshes every item of every open dialog bound to the variable, calling its dialog's change hook
// with it. Returns the number of items refreshed.
int DlgRefreshBoundVariable(const void* variable);
// Refreshes the other items of the item's dialog that are bound to the same variable.
int DlgRefreshSiblings(DialogItem* item);
// Closes the modeless dialog with that name (its window title when it has no name), calling its
// destroy hook first. 1 when one was closed. A dialog in a modal run is left alone.
int DlgCloseByName(const wchar_t* name);
// Runs the callback for a modeless dialog; a non-zero result ends and closes the dialog as a push
// button would (values recorded, restored when negative). Returns the callback's result.
int DlgEndWithCallback(Dialog* dialog, DlgCallback callback);

// ---- Shared by the recording and playback code ----

// Walks the open dialogs in the order playback applies to them: the table, then the spare records.
// Start with *cursor = 0; null when there are no more.
Dialog* DlgNextOpenDialog(int* cursor);
// The name an item is recorded and replayed under (the plug-in's registered name when it has none);
// empty when it takes no part.
const wchar_t* DlgRecordedName(const DialogItem* item);
// One "name=value (label) type" line for an item without its line feed; 0 (and an empty line) when
// the item is not recorded.
int DlgFormatRecordedItem(const DialogItem* item, wchar_t* line, int capacity);
// Sets the item's variable from a value text as playback does; 1 when it was set.
int DlgSetItemFromText(DialogItem* item, const wchar_t* value);
// Splits "name=value": the name (cut to 100 characters) into name, and where the value starts, after
// blanks, tabs, carriage returns and line feeds. 0 when there is no "=".
int DlgParseAssignment(const wchar_t* text, wchar_t name[DlgAssignNameLength + 1], const wchar_t** value);
// Logs a playback line that set no item.
void DlgRecordFailedAssignment(const wchar_t* line);
