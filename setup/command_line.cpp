#include "command_line.h"

#include "setup_state.h"
#include "setup_text.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr size_t kArgumentBytes = kSetupPathChars - 1;

bool IsCommandBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool ContainsExeNoCase(const char* text) {
    for (const char* p = text; *p; ++p) {
        if (p[0] == '.' && (p[1] == 'e' || p[1] == 'E') && (p[2] == 'x' || p[2] == 'X') &&
            (p[3] == 'e' || p[3] == 'E'))
            return true;
    }
    return false;
}

// One argument, quoted or not. Returns false when it is longer than a folder can hold: cutting it would
// install into a different folder than the one asked for.
bool ReadArgument(const char** cursor, char* argument) {
    const char* p = *cursor;
    bool quoted = (*p == '"');
    if (quoted) ++p;
    size_t length = 0;
    while (*p && *p != '"' && (quoted || !IsCommandBlank(*p))) {
        if (length == kArgumentBytes) return false;
        argument[length++] = *p++;
    }
    argument[length] = 0;
    if (*p == '"') ++p;
    while (IsCommandBlank(*p)) ++p;
    *cursor = p;
    return true;
}

bool DecodeFolder(const char* argument, wchar_t* folder) {
    int made = MultiByteToWideChar(CP_UTF8, 0, argument, -1, folder, kSetupPathChars);
    if (made == 0) folder[0] = 0;
    return made > 0;
}

bool IsAbsolute(const wchar_t* folder) {
    bool driveRoot = ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z')) &&
                     folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
    bool network = (folder[0] == L'\\' && folder[1] == L'\\');
    return driveRoot || network;
}

} // namespace

bool SetupParseCommandLine(wchar_t* exeFolder, wchar_t* settingsFolder, wchar_t* hostFolder,
                           const char* commandLine, bool twoArguments) {
    if (commandLine == nullptr || commandLine[0] == 0) return false;
    const char* p = commandLine;
    if (ContainsExeNoCase(commandLine)) {
        while (*p && !IsCommandBlank(*p)) ++p;
        while (IsCommandBlank(*p)) ++p;
    }
    static char arguments[3][kSetupPathChars];
    int wanted = twoArguments ? 2 : 3;
    for (int i = 0; i < wanted; ++i) {
        if (!ReadArgument(&p, arguments[i]) || arguments[i][0] == 0) return false;
    }
    wchar_t* folders[3] = {exeFolder, settingsFolder, hostFolder};
    wchar_t decoded[kSetupPathChars];
    for (int i = 0; i < wanted; ++i) {
        if (!DecodeFolder(arguments[i], decoded)) return false;
    }
    for (int i = 0; i < wanted; ++i) {
        DecodeFolder(arguments[i], decoded);
        SetupTextCopy(folders[i], kSetupPathChars, decoded);
    }
    return true;
}

bool SetupMakeFolderAbsolute(wchar_t* folder, size_t capacity) {
    if (folder[0] == 0 || IsAbsolute(folder)) return true;
    wchar_t full[kSetupPathChars];
    DWORD length = GetFullPathNameW(folder, kSetupPathChars, full, nullptr);
    if (length == 0 || length >= kSetupPathChars) return false;
    return SetupTextCopy(folder, capacity, full);
}
