// PLACEHOLDER (H1): replaced by the feature's real code before it lands.
#include "folders.h"

wchar_t ModulePath[kModulePathChars] = L"c:\\nimbo64\\app\\ocular.ix";
wchar_t SettingsFolder[kSettingsFolderChars] = L"c:\\nimbo64";

bool ComposeSettingsPath(wchar_t* path, size_t, const wchar_t*, const wchar_t*) {
    path[0] = 0;
    return false;
}

bool HostPreferencePath(wchar_t* path, size_t) {
    path[0] = 0;
    return false;
}
