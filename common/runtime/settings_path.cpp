#include "runtime/settings_path.h"

#include "runtime/text.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

const wchar_t* const kSettingsPathFileName = L"settings_path.txt";

namespace {

// Composed file names may be longer than a settings path: the program's folder and the step up.
constexpr int kComposedPathChars = 1024;
constexpr int kProgramFormMaxChars = kSettingsPathChars - 1;
constexpr int kInstallerFormMaxChars = kSettingsPathChars - 2;

bool Append(wchar_t* dest, int capacity, const wchar_t* text) {
    size_t used = wcslen(dest);
    size_t count = wcslen(text);
    if (used + count >= static_cast<size_t>(capacity)) return false;
    memcpy(dest + used, text, (count + 1) * sizeof(wchar_t));
    return true;
}

// Reads the first line of the file, cut to maxChars, without its line end, widened byte by byte:
// the installer writes each character of the folder as one byte. false when the file cannot be opened.
bool ReadFirstLine(wchar_t* line, int maxChars, const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char bytes[kSettingsPathChars + 1];
    DWORD total = 0;
    while (total < static_cast<DWORD>(maxChars)) {
        DWORD done = 0;
        if (!ReadFile(file, bytes + total, static_cast<DWORD>(maxChars) - total, &done, nullptr) || done == 0)
            break;
        total += done;
    }
    CloseHandle(file);
    bytes[total] = 0;
    // A path never holds a line break, so a lone carriage return ends the line as well.
    for (DWORD i = 0; i < total; ++i)
        if (bytes[i] == '\r' || bytes[i] == '\n') bytes[i] = 0;
    TextWidenBytes(line, static_cast<size_t>(maxChars) + 1, bytes);
    return true;
}

} // namespace

int SettingsPathRead(wchar_t* path, const wchar_t* ownFilePath) {
    if (!path || !ownFilePath) return 0;
    wchar_t file[kComposedPathChars] = L"";
    const wchar_t* lastSlash = nullptr;
    for (const wchar_t* p = ownFilePath; *p; ++p)
        if (*p == L'\\' || *p == L'/') lastSlash = p;
    if (lastSlash) {
        size_t folderChars = static_cast<size_t>(lastSlash - ownFilePath) + 1;
        if (folderChars >= kComposedPathChars) return 0;
        memcpy(file, ownFilePath, folderChars * sizeof(wchar_t));
        file[folderChars] = 0;
    }
    if (!Append(file, kComposedPathChars, L"..\\") ||
        !Append(file, kComposedPathChars, kSettingsPathFileName))
        return 0;
    wchar_t line[kSettingsPathChars];
    if (!ReadFirstLine(line, kProgramFormMaxChars, file)) return 0;
    TextCopyMax(path, kSettingsPathChars - 1, line);
    return wcslen(path) > 3 ? 1 : 0;
}

int SettingsPathReadFolder(wchar_t* path, const wchar_t* folder) {
    if (!path || !folder) return 0;
    wchar_t file[kComposedPathChars] = L"";
    if (!Append(file, kComposedPathChars, folder)) return 0;
    size_t folderChars = wcslen(file);
    if (folderChars > 0 && file[folderChars - 1] != L'\\' && file[folderChars - 1] != L'/' &&
        !Append(file, kComposedPathChars, L"\\"))
        return 0;
    if (!Append(file, kComposedPathChars, kSettingsPathFileName)) return 0;
    wchar_t line[kSettingsPathChars];
    if (!ReadFirstLine(line, kInstallerFormMaxChars, file)) return 0;
    TextTrimEnd(line);
    TextStripTrailing(line, L'\\');
    TextCopyMax(path, kSettingsPathChars - 1, line);
    return path[0] != 0 ? 1 : 0;
}
