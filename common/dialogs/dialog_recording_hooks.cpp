// Recording is off until a log file and its writer exist; these keep the dialog machinery's calls
// in place meanwhile.
#include "dialogs/dialog_recording.h"

void DlgRecordValues(Dialog*) {}

void DlgRecordAction(const wchar_t*) {}

void DlgDrainQueuedAssignments(Dialog*) {}
