// "SaveSession": the engine writes its own view, project and class state; the plug-in hands back the
// values the last loaded session gave it, so that a session saved again keeps its image list and
// class file.
#include "commands.h"
#include "sessions.h"

#include "engine_start.h"
#include "plugin.h"
#include "projects.h"
#include "settings.h"

#include "dialogs/message_box.h"
#include "pcv.h"
#include "runtime/files.h"
#include "runtime/path_chooser.h"

SessionStateRecord SessionState;

namespace {

bool SessionSave(const wchar_t* path) {
    if (SessionState.loaded)
        return pcvSaveSession(path, SessionState.engineValue, SessionState.cameraMask, SessionState.classFile,
                              SessionState.imageList, SessionState.imageListAux);
    return pcvSaveSession(path, 0, 0, OcularSettings.DefaultPtcFile, L"", L"");
}

} // namespace

void CmdSaveSession(const wchar_t*) {
    ResetCurrentTransform();
    wchar_t filter[kFileFilterCapacity];
    FileFilterAdd(filter, L"Session files", L"*.tss", nullptr, 0);
    wchar_t path[kProjectPathChars];
    path[0] = L'\0';
    // The remembered name may be a project's; the save starts from it as a ".tss" file.
    if (FileSaveDialog(path, filter, L"tss", L"Save Ocularis Session", &HostPreferences, L"Session File", 1,
                       TopWindow) != 1)
        return;
    bool saved = SessionSave(path);
    MsgInfo(TopWindow, saved ? L"Session succesfully saved" : L"Error - Session was not saved", L"");
}
