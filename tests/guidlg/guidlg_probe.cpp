// A test mini app that opens GuiDlg's dialogs and messages inside the host, so that a test can see
// whom they belong to: "probe snap FILE" runs the snap settings dialog on the mask 127 and writes
// "result mask" into FILE; "probe convert FILE" hands FILE to GuiDlg_ConvertLidoraProject.
#include "guidlg.h"

#include "orbisa_cface.h"

#include <stdio.h>

namespace {

void ProbeSnap(const wchar_t* path) {
    int mask = 127;
    int result = GuiDlg_openSnapSettings(&mask, nullptr, nullptr);
    FILE* out = nullptr;
    if (!path || _wfopen_s(&out, path, L"wb") != 0) return;
    fprintf(out, "%d %d\n", result, mask);
    fclose(out);
}

void ProbeConvert(const wchar_t* path) {
    GuiDlg_ConvertLidoraProject(path, false, false, 0);
}

const MAppCmdHook kCommands[] = {
    {1, ProbeSnap, "ProbeSnap", "Probe Snap"},
    {2, ProbeConvert, "ProbeConvert", "Probe Convert"},
    {0, nullptr, nullptr, nullptr},
};
const MAppSpaccel kKeyins[] = {
    {L"ProbeSnap", L"probe snap", nullptr},
    {L"ProbeConvert", L"probe convert", nullptr},
    {nullptr, nullptr, nullptr},
};

} // namespace

extern "C" __declspec(dllexport) int MiniAppMain(void) {
    MAppCmdHooksPublish(kCommands);
    MAppCmdSpaccelsPublish(kKeyins);
    return 0;
}
