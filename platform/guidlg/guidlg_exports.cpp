// The exported functions of GuiDlg.dll: they gather what the engine knows of the loaded project and
// what the viewer handed over (class file, class colours), and run the dialogs on it.
#include "guidlg.h"

#include "channel_table.h"
#include "class_file.h"
#include "class_file_path.h"
#include "class_listing.h"
#include "class_mask.h"
#include "owner_window.h"
#include "project_check.h"
#include "snap_dialog.h"
#include "visibility_dialog.h"

#include <stdio.h>
#include <string.h>

namespace {

const wchar_t kClassFileCaption[] = L"Point Classes";
const wchar_t kProjectCaption[] = L"Lidora Project";

// A conversion stores every channel the source has.
constexpr unsigned long long kEveryChannel = 0;

// What the viewer handed over; the host calls everything on its one thread.
struct GuiDlgState {
    PointClassTable classes; // of the last class file read; none defined before
    unsigned int colours[kClassCount][3];
    bool hasColours;
};
GuiDlgState g_state;

void ReportClassFile(const wchar_t* path, const ClassFileError& error) {
    wchar_t text[1024 + 2 * kClassErrorChars];
    if (error.line > 0)
        swprintf(text, sizeof text / sizeof text[0],
                 L"The class file \"%ls\" cannot be used: line %d: %ls.\n\nEvery class is shown.", path,
                 error.line, error.reason);
    else
        swprintf(text, sizeof text / sizeof text[0],
                 L"The class file \"%ls\" cannot be used: %ls.\n\nEvery class is shown.", path, error.reason);
    OwnerMessage(kClassFileCaption, text, MB_ICONWARNING);
}

void ReportEngineRefusal() {
    wchar_t error[PCV_TEXT_CHARS] = L"";
    if (!pcvGetError(error) || !error[0])
        swprintf(error, PCV_TEXT_CHARS, L"The viewing engine did not start.");
    OwnerMessage(kProjectCaption, error, MB_ICONERROR);
}

// The channels offered: those the project carries that are no wider than maxChannelWidth bytes per
// point (any width when it is 0 or less). The engine's own maximum is left alone: a session may have
// raised it above the viewer's setting.
unsigned long long OfferedChannels(int maxChannelWidth) {
    unsigned long long offered = 0, carried = pcvGetProjectChannelMask();
    for (int i = 0; i < kChannelCount; ++i) {
        unsigned int number = kChannels[i].number;
        if (!ChannelInMask(number, carried)) continue;
        if (maxChannelWidth > 0 && pcvGetChannelWidth(1u << number) > maxChannelWidth) continue;
        offered |= 1ull << number;
    }
    return offered;
}

} // namespace

extern "C" {

GUIDLG_API int GuiDlg_initClassificationMaskForProject(ClassificationMask256* mask, const wchar_t* /*file*/,
                                                       const wchar_t* folder, const wchar_t* classFile) {
    memset(&g_state.classes, 0, sizeof g_state.classes);
    if (!mask) return 0;
    ClassMaskShowAll(mask);
    wchar_t path[PCV_TEXT_CHARS];
    if (!ClassFileLocate(classFile, folder, path, PCV_TEXT_CHARS)) return 0;
    PointClassTable table;
    ClassFileError error{};
    ClassFileStatus status = ClassFileLoad(path, &table, &error);
    if (status == ClassFileMissing) return 0;
    if (status != ClassFileOk) {
        ReportClassFile(path, error);
        return 0;
    }
    ClassMaskFromTable(mask, table);
    g_state.classes = table;
    return 1;
}

GUIDLG_API int GuiDlg_ConvertLidoraProject(const wchar_t* file, bool /*reserved1*/, bool /*reserved2*/,
                                           int /*reserved3*/) {
    wchar_t reason[PCV_TEXT_CHARS + 256];
    if (ProjectFileCheck(file, reason, sizeof reason / sizeof reason[0]) == ProjectKindNone) {
        OwnerMessage(kProjectCaption, reason, MB_ICONERROR);
        return 0;
    }
    if (pcvConvertLidoraProject(file, kEveryChannel, nullptr, 0, false, false) != 1) {
        ReportEngineRefusal();
        return 0;
    }
    return 1;
}

GUIDLG_API int GuiDlg_setVisibility(ClassificationMask256* mask, unsigned int* channel, unsigned int* option,
                                    bool showDialog, int maxChannelWidth) {
    if (!mask || !channel || !pcvIsProjectLoaded()) return 0;
    unsigned long long offered = OfferedChannels(maxChannelWidth);
    if (!showDialog) {
        *channel = ChannelAvailable(*channel, offered);
        return 1;
    }
    static unsigned long long counts[kClassCount];
    pcvGetProjectClassCounts(counts);
    static ClassListing listing;
    ClassListingBuild(counts, &g_state.classes, g_state.hasColours ? g_state.colours : nullptr, &listing);
    VisibilityRequest request{};
    request.channelMask = offered;
    request.classes = &listing;
    request.channel = ChannelAvailable(*channel, offered);
    request.mask = *mask;
    request.option = option ? *option : 0;
    VisibilityChoice choice{};
    if (VisibilityDialogRun(OwnerWindow(), request, &choice) != 1) return 0;
    *mask = choice.mask;
    *channel = choice.channel;
    if (option) *option = choice.option;
    return 1;
}

GUIDLG_API int GuiDlg_openSnapSettings(int* snappingMask, double* snapRadius, int* snapType) {
    if (!snappingMask) return 0;
    SnapSettings settings{};
    settings.mask = *snappingMask;
    settings.hasRadius = snapRadius != nullptr;
    settings.radius = snapRadius ? *snapRadius : 0;
    settings.hasType = snapType != nullptr;
    settings.type = snapType ? *snapType : 0;
    if (SnapDialogRun(OwnerWindow(), &settings) != 1) return 0;
    *snappingMask = settings.mask;
    if (snapRadius) *snapRadius = settings.radius;
    if (snapType) *snapType = settings.type;
    return 1;
}

GUIDLG_API int GuiDlg_updateClassificationColorTable(const unsigned int table[256][3]) {
    if (!table) {
        g_state.hasColours = false;
        return 0;
    }
    memcpy(g_state.colours, table, sizeof g_state.colours);
    g_state.hasColours = true;
    return 1;
}

} // extern "C"
