// Where recording and playback of dialog values meet the dialog machinery.
#pragma once

#include "dialogs/dialog.h"

// Writes the values of the dialog's named items to the log file, when one is set; called as a dialog
// ends (a push button returned non-zero, Escape, or the window closed without a result).
void DlgRecordValues(Dialog* dialog);
// Logs the use of a named push button or menu command.
void DlgRecordAction(const wchar_t* name);
// Applies the queued name=value assignments to a dialog that has just started, emptying the queue.
void DlgDrainQueuedAssignments(Dialog* dialog);
// The next DlgRun builds and initialises its dialog, applies queued assignments and returns 1 without
// showing the dialog or waiting for input. One-shot: the run clears it.
void DlgSetNoWait();
