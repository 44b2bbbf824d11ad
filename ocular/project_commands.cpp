// "LoadProject", "Reload" and "UpdateLoaded". A load starts from a clean engine and an all-classes
// mask, so nothing of the previous project (its classes, its channel) leaks into the next one.
#include "commands.h"
#include "projects.h"

#include "engine_start.h"
#include "folders.h"
#include "plugin.h"
#include "sessions.h"
#include "settings.h"
#include "view.h"

#include "dialogs/message_box.h"
#include "guidlg.h"
#include "pcv.h"
#include "runtime/files.h"
#include "runtime/path_chooser.h"
#include "runtime/text.h"

ClassificationMask256 VisibilityMask;
ClassificationMask256 SessionClassMask;
uint32_t VisibilityOption = 2;

namespace {

// A fresh project is shown in elevation colours until the channel is chosen for it.
constexpr uint32_t kProjectChannelMask = 1;

// The file a load asks for: false when there is none (dialog cancelled, path refused).
bool ProjectFileChoose(wchar_t* file, const wchar_t* argument) {
    file[0] = L'\0';
    switch (ProjectArgumentKindOf(argument)) {
        case kProjectArgumentReload:
            if (OcularSettings.LastSessionFile[0]) {
                TextCopyMax(file, kProjectPathChars - 1, OcularSettings.LastSessionFile);
                return true;
            }
            return ComposeSettingsPath(file, kProjectPathChars, kLoadedPointsSuffix);
        case kProjectArgumentPath:
            TextCopyMax(file, kProjectPathChars - 1, argument);
            return true;
        case kProjectArgumentTooLong:
            return false;
        case kProjectArgumentAsk:
            break;
    }
    wchar_t filter[kFileFilterCapacity];
    FileFilterAdd(filter, L"Project or session files", L"*.prj;*.tss", nullptr, 0);
    return FileOpenDialog(file, filter, L"prj", L"Open Lidora Project or Ocularis Session", &HostPreferences,
                          L"Project/Session File", TopWindow) == 1;
}

void VisibilityMaskShowAll() {
    VisibilityMask.active = 1;
    for (uint32_t& word : VisibilityMask.classes) word = 0xFFFFFFFFu;
}

} // namespace

void ClassMaskPrepare(const wchar_t* file, const wchar_t* classFile) {
    // GuiDlg is handed a copy: whatever it does with the folder, SettingsFolder stays as start-up set it.
    wchar_t folder[kSettingsFolderChars];
    TextCopyMax(folder, kSettingsFolderChars - 1, SettingsFolder);
    GuiDlg_initClassificationMaskForProject(&VisibilityMask, file, folder, classFile);
}

void LoadProject(const wchar_t* argument) {
    // A refused path leaves everything as it was, the host's transform included.
    if (ProjectArgumentKindOf(argument) == kProjectArgumentTooLong) {
        MsgInfo(TopWindow, L"The path is too long.", nullptr);
        return;
    }
    ResetCurrentTransform();
    wchar_t file[kProjectPathChars];
    if (!ProjectFileChoose(file, argument)) return;

    pcvReInit();
    VisibilityMaskShowAll();
    ClassMaskPrepare(file, OcularSettings.DefaultPtcFile);
    uint32_t channelMask = kProjectChannelMask;
    bool session = IsSessionFile(file);
    if (session) {
        if (!SessionLoadSteps(file, &channelMask)) return;
    } else {
        SessionState.loaded = false;
    }
    if (!GuiDlg_ConvertLidoraProject(file, false, false, 0)) return;
    EngineWait();
    if (session) SessionAttachImageList();

    wchar_t error[PCV_TEXT_CHARS];
    error[0] = L'\0';
    if (pcvGetError(error)) {
        // The engine's text as it stands: no format, so a "%" in it is shown, not interpreted.
        MsgInfo(TopWindow, error, nullptr);
        return;
    }
    CurrentChannel = 0;
    ApplyChannel(channelMask);
}

void CmdLoadProject(const wchar_t* argument) {
    LoadProject(argument);
}

void CmdReload(const wchar_t*) {
    LoadProject(L"RELOAD");
}

void CmdUpdateLoaded(const wchar_t*) {
    ConvertMemoryPoints();
}
