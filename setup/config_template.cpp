#include "config_files.h"

#include "config_text.h"
#include "setup_state.h"
#include "setup_text.h"

#include <shlobj.h>
#include <windows.h>

#include <cwchar>

namespace {

bool ReadWholeFile(const wchar_t* path, std::string* bytes) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char chunk[16384];
    DWORD got = 0;
    bool complete = true;
    while (true) {
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            complete = false;
            break;
        }
        if (got == 0) break;
        bytes->append(chunk, got);
    }
    CloseHandle(file);
    return complete;
}

bool StartsWithNoCase(const std::string& text, size_t at, const char* word) {
    for (size_t i = 0; word[i]; ++i) {
        if (at + i >= text.size()) return false;
        char c = text[at + i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != word[i]) return false;
    }
    return true;
}

bool IsTrailingBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One template line, whole however long its expansion gets.
void ExpandLine(const std::string& line, const std::string& settingsForm, const std::string& exeForm,
                std::string* out) {
    size_t at = 0;
    while (at < line.size()) {
        if (StartsWithNoCase(line, at, "%NIMBODIR%")) {
            *out += settingsForm;
            at += 10;
        } else if (StartsWithNoCase(line, at, "%EXEDIR%")) {
            *out += exeForm;
            at += 8;
        } else {
            out->push_back(line[at++]);
        }
    }
}

} // namespace

bool ConfigExpandTemplate(const wchar_t* target, const wchar_t* source, const wchar_t* settingsFolder,
                          const wchar_t* exeFolder) {
    std::string settingsForm, exeForm, text;
    if (!ConfigSlashForm(settingsFolder, &settingsForm) || !ConfigSlashForm(exeFolder, &exeForm))
        return false;
    if (!ReadWholeFile(source, &text)) return false;
    std::string expanded;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && IsTrailingBlank(line.back())) line.pop_back();
        ExpandLine(line, settingsForm, exeForm, &expanded);
        expanded += "\r\n";
        start = end + 1;
    }
    return ConfigWriteWholeFile(target, expanded);
}

bool ConfigOrbisaIncludesFolder(wchar_t* folder, int capacity) {
    wchar_t profile[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile) != S_OK) return false;
    return SetupJoinPath(folder, static_cast<size_t>(capacity), profile, L"Orbisa\\config\\includes\\");
}

bool ConfigInstallTemplate(const wchar_t* file) {
    wchar_t source[kSetupPathChars];
    if (!SetupTextCopy(source, kSetupPathChars, g_setup.moduleFolder) ||
        !SetupTextAppend(source, kSetupPathChars, file))
        return false;
    const wchar_t* backslash = wcsrchr(file, L'\\');
    const wchar_t* name = backslash ? backslash + 1 : file;
    wchar_t target[kSetupPathChars];
    // The includes folder belongs to the Orbisa host: when it is not there the host is not set up for this
    // user, and the template is left out rather than creating the folder.
    if (!ConfigOrbisaIncludesFolder(target, kSetupPathChars) ||
        !SetupTextAppend(target, kSetupPathChars, name))
        return false;
    return ConfigExpandTemplate(target, source, g_setup.settingsFolder, g_setup.exeFolder);
}
