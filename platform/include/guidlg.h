// GuiDlg.dll: the dialogs and project preparation that sit between the viewer and its engine. Class
// files (the names, colours and visibility of point classes), project conversion and loading through
// the engine, the channel and class visibility dialog and the snap settings dialog.
#pragma once

#include "pcv.h"
#include "platform_export.h"

#ifdef GUIDLG_BUILD
#define GUIDLG_API PLATFORM_EXPORT
#else
#define GUIDLG_API PLATFORM_IMPORT
#endif

extern "C" {

// Sets mask from the class file (classFile as given, or relative to folder); a missing file leaves
// every class visible. 1 when a class file was read, 0 otherwise.
GUIDLG_API int GuiDlg_initClassificationMaskForProject(ClassificationMask256* mask, const wchar_t* file,
                                                       const wchar_t* folder, const wchar_t* classFile);
// Opens a project or session file: converts what has no storage yet or is older than its source,
// then loads it, all on the engine's worker thread. 1 when the engine took the work, 0 after showing
// the user why not.
GUIDLG_API int GuiDlg_ConvertLidoraProject(const wchar_t* file, bool reserved1, bool reserved2,
                                           int reserved3);
// Checks *channel against the loaded project (falling back to a channel it has) and applies it; with
// showDialog, first lets the user choose the channel and the visible classes. OK writes mask and
// *channel; Cancel leaves them. option is the dialog's own remembered choice. 1 on OK or without the
// dialog, 0 on Cancel or without a project.
GUIDLG_API int GuiDlg_setVisibility(ClassificationMask256* mask, unsigned int* channel, unsigned int* option,
                                    bool showDialog, int maxChannelWidth);
// One check box per view over *snappingMask (bit n: view n). OK writes the mask, Cancel does not;
// snapRadius and snapType are shown and edited when given. 1 on OK, 0 on Cancel.
GUIDLG_API int GuiDlg_openSnapSettings(int* snappingMask, double* snapRadius, int* snapType);
// Colours of classes 0..255 for the visibility dialog: red, green, blue, one byte each in 32 bits.
GUIDLG_API int GuiDlg_updateClassificationColorTable(const unsigned int table[256][3]);

} // extern "C"
