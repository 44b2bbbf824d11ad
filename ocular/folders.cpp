#include "folders.h"

#include <wchar.h>

wchar_t ModulePath[kModulePathChars] = L"c:\\nimbo64\\app\\ocular.ix";
wchar_t SettingsFolder[kSettingsFolderChars] = L"c:\\nimbo64";

namespace {

constexpr const wchar_t* kHostPreferenceFolder = L"ocular";
constexpr const wchar_t* kHostPreferenceFile = L"ocularObx.upf";

// Appends text at *used when all of it and the terminator fit in pathChars; otherwise leaves path
// alone and answers false.
bool AppendWhole(wchar_t* path, size_t pathChars, size_t* used, const wchar_t* text, size_t textChars) {
    if (textChars >= pathChars - *used) return false;
    wmemcpy(path + *used, text, textChars);
    *used += textChars;
    path[*used] = L'\0';
    return true;
}

bool AppendText(wchar_t* path, size_t pathChars, size_t* used, const wchar_t* text) {
    if (!text) return true;
    return AppendWhole(path, pathChars, used, text, wcsnlen(text, pathChars));
}

bool Refuse(wchar_t* path, size_t pathChars) {
    if (path && pathChars) path[0] = L'\0';
    return false;
}

// Characters of the folder that holds folderPart's last folder: folderPart ends in a backslash and the
// result does too; a folder part without a backslash before its last one (a drive root) stays whole.
size_t ParentFolderChars(const wchar_t* folderPart, size_t folderChars) {
    if (folderChars < 2) return folderChars;
    for (size_t index = folderChars - 1; index > 0; --index)
        if (folderPart[index - 1] == L'\\') return index;
    return folderChars;
}

} // namespace

bool ComposeSettingsPath(wchar_t* path, size_t pathChars, const wchar_t* suffix1, const wchar_t* suffix2) {
    if (!path || pathChars == 0) return false;
    size_t used = 0;
    path[0] = L'\0';
    size_t folderChars = wcsnlen(SettingsFolder, kSettingsFolderChars);
    if (!AppendWhole(path, pathChars, &used, SettingsFolder, folderChars)) return Refuse(path, pathChars);
    if (!AppendText(path, pathChars, &used, suffix1)) return Refuse(path, pathChars);
    if (!AppendText(path, pathChars, &used, suffix2)) return Refuse(path, pathChars);
    return true;
}

bool HostPreferencePath(wchar_t* path, size_t pathChars) {
    if (!path || pathChars == 0) return false;
    size_t folderChars = wcsnlen(SettingsFolder, kSettingsFolderChars);
    while (folderChars > 0 && SettingsFolder[folderChars - 1] != L'\\') --folderChars;
    size_t parentChars = ParentFolderChars(SettingsFolder, folderChars);
    size_t used = 0;
    path[0] = L'\0';
    if (!AppendWhole(path, pathChars, &used, SettingsFolder, parentChars) ||
        !AppendText(path, pathChars, &used, kHostPreferenceFolder) ||
        !AppendText(path, pathChars, &used, L"\\") ||
        !AppendText(path, pathChars, &used, kHostPreferenceFile))
        return Refuse(path, pathChars);
    return true;
}
