// A stand-in for a DLL that someone drops beside a program under a system DLL's name. Loading it leaves
// "<its own path>.loaded" behind, which is all a test needs to see that it was loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    const wchar_t suffix[] = L".loaded";
    for (size_t i = 0; i < sizeof suffix / sizeof suffix[0]; ++i) path[length + i] = suffix[i];
    HANDLE marker =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}
