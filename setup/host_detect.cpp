#include "host_detect.h"

#include "setup_text.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

constexpr DWORD kCommandBytes = 400;

// The first value of the key as 8-bit text, terminated even when the stored value is not.
bool ReadFirstValue(const wchar_t* key, char* text) {
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    static char name[16384];
    DWORD nameLength = sizeof name;
    DWORD type = 0;
    DWORD length = kCommandBytes;
    LONG status =
        RegEnumValueA(handle, 0, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(text), &length);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS) return false;
    text[length < kCommandBytes ? length : kCommandBytes] = 0;
    return true;
}

// Hosts register their commands in UTF-8 or in the system code page; UTF-8 is tried first.
bool DecodeCommand(const char* text, wchar_t* wide) {
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, kSetupPathChars + 1) > 0)
        return true;
    return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kSetupPathChars + 1) > 0;
}

} // namespace

bool HostReadCommand(const wchar_t* key, wchar_t* folder) {
    char text[kCommandBytes + 1];
    if (!ReadFirstValue(key, text)) return false;
    char* exe = strstr(text, ".exe");
    if (exe == nullptr) return false;
    exe[4] = 0;
    const char* program = (text[0] == '"') ? text + 1 : text;
    wchar_t wide[kSetupPathChars + 1];
    if (!DecodeCommand(program, wide)) return false;
    wchar_t* backslash = wcsrchr(wide, L'\\');
    if (backslash) *backslash = 0;
    return SetupTextCopy(folder, kSetupPathChars, wide);
}

void HostDetect(InstallKind kind) {
    wchar_t folder[kSetupPathChars];
    if (kind == InstallKind::MicroStation) {
        if (HostReadCommand(L"Bentley MicroStation Design\\shell\\open\\command", folder))
            SetupTextCopy(g_setup.microStationFolder, kSetupPathChars, folder);
    } else if (kind == InstallKind::Orbisa) {
        if (HostReadCommand(L"Orbisa File\\shell\\open\\command", folder))
            SetupTextCopy(g_setup.orbisaFolder, kSetupPathChars, folder);
    }
}
