#include "config_files.h"

#include "config_text.h"
#include "prompts.h"
#include "setup_message.h"
#include "setup_state.h"
#include "setup_text.h"

#include <windows.h>

namespace {

bool IsFolder(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

const char* const kCfgRule = "#-------------------------------------------------------------------";

} // namespace

bool ConfigWriteSettingsPath(const wchar_t* exeFolder, const wchar_t* settingsFolder) {
    wchar_t path[kSetupPathChars];
    std::string bytes;
    if (!SetupJoinPath(path, kSetupPathChars, exeFolder, L"settings_path.txt") ||
        !ConfigNarrow(settingsFolder, &bytes))
        return false;
    bytes += "\r\n";
    return ConfigWriteWholeFile(path, bytes);
}

bool ConfigWriteCfg(const wchar_t* path, const wchar_t* exeFolder, const wchar_t* settingsFolder) {
    std::string settingsForm, exeForm;
    if (!ConfigSlashForm(settingsFolder, &settingsForm) || !ConfigSlashForm(exeFolder, &exeForm))
        return false;
    const std::string lines[] = {
        kCfgRule,
        "#",
        "#  NIMBO.CFG - Configuration for Nimbo Applications",
        "#",
        kCfgRule,
        "",
        "NIMBODIR=" + settingsForm,
        "NIMBOEXEDIR=" + exeForm,
        "NIMBOCFG=$(NIMBODIR)config/",
        "",
        "MS_MDLAPPS < $(NIMBOEXEDIR)ma/",
        "MS_HELPPATH < $(NIMBODIR)docs/",
        "MS_LIBRARY_PATH < $(NIMBOEXEDIR)ma/",
        "",
        "%if exists ($(NIMBOCFG)*.cfg)",
        "%   include $(NIMBOCFG)*.cfg",
        "%endif",
    };
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return ConfigWriteWholeFile(path, bytes);
}

bool ConfigWriteMicroStation(Dialog* status, const wchar_t* exeFolder, const wchar_t* settingsFolder) {
    if (g_setup.microStationFolder[0] == 0) return true;
    wchar_t local[kSetupPathChars];
    if (SetupJoinPath(local, kSetupPathChars, settingsFolder, L"nimbo.cfg")) {
        PromptStatusLine(status, 0, L"Writing configuration...");
        PromptStatusLine(status, 1, local);
        ConfigWriteCfg(local, exeFolder, settingsFolder);
    }
    wchar_t appl[kSetupPathChars];
    bool applFits = SetupJoinPath(appl, kSetupPathChars, g_setup.microStationFolder, L"config\\appl");
    if (applFits && IsFolder(appl)) {
        wchar_t target[kSetupPathChars];
        if (SetupJoinPath(target, kSetupPathChars, appl, L"nimbo.cfg")) {
            PromptStatusLine(status, 0, L"Writing configuration...");
            PromptStatusLine(status, 1, target);
            if (ConfigWriteCfg(target, exeFolder, settingsFolder)) return true;
        }
        if (status)
            SetupMessage(
                PromptStatusHandle(status),
                L"Failed to write \\config\\appl\\nimbo.cfg into MicroStation folder. Please copy file "
                L"manually from %s.",
                kSetupStyleNotice, local);
        return true;
    }
    if (status)
        SetupMessage(PromptStatusHandle(status),
                     L"Configuration directory %s not found. This application will not be fully configured.",
                     kSetupStyleNotice, appl);
    return true;
}
