// The sample product's program: shows where it was installed and where its settings live, which is what
// the Start-menu shortcut of a basic installation opens.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

// settings_path.txt beside the program names the settings folder; its first line is enough here.
void ReadSettingsFolder(const wchar_t* programFolder, wchar_t* settings, size_t capacity) {
    wchar_t path[MAX_PATH];
    settings[0] = 0;
    if (swprintf(path, MAX_PATH, L"%lssettings_path.txt", programFolder) < 0) return;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char bytes[400];
    DWORD got = 0;
    ReadFile(file, bytes, sizeof bytes - 1, &got, nullptr);
    CloseHandle(file);
    DWORD length = 0;
    while (length < got && bytes[length] != '\r' && bytes[length] != '\n') ++length;
    int made = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), settings,
                                   static_cast<int>(capacity) - 1);
    settings[made > 0 ? made : 0] = 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    wchar_t folder[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    wchar_t* slash = wcsrchr(folder, L'\\');
    if (slash) slash[1] = 0;
    wchar_t settings[400];
    ReadSettingsFolder(folder, settings, 400);
    wchar_t text[1024];
    swprintf(text, 1024, L"Nimbo Photo is installed in\n%ls\n\nIts settings are in\n%ls", folder,
             settings[0] ? settings : L"(settings_path.txt not found)");
    MessageBoxW(nullptr, text, L"Nimbo Photo", MB_OK | MB_ICONINFORMATION);
    return 0;
}
