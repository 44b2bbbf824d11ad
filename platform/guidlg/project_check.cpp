#include "project_check.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

const char kProjectHeader[] = "[Ocularis project]";
const char kSessionHeader[] = "[Ocularis session]";

namespace {

constexpr DWORD kFirstLineBytes = 256;

bool FirstLineIs(const char* text, size_t length, const char* header) {
    size_t headerLength = strlen(header);
    if (length < headerLength || memcmp(text, header, headerLength) != 0) return false;
    for (size_t i = headerLength; i < length; ++i) {
        if (text[i] == '\r' || text[i] == '\n') return true;
        if (text[i] != ' ' && text[i] != '\t') return false;
    }
    return true;
}

void SystemText(DWORD code, wchar_t* text, size_t capacity) {
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, text, static_cast<DWORD>(capacity), nullptr);
    while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L'.'))
        text[--length] = 0;
    if (length == 0) swprintf(text, capacity, L"system error %lu", static_cast<unsigned long>(code));
}

} // namespace

ProjectKind ProjectKindOfText(const char* text, size_t length) {
    if (length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        text += 3;
        length -= 3;
    }
    while (length > 0 && (*text == ' ' || *text == '\t')) {
        ++text;
        --length;
    }
    if (FirstLineIs(text, length, kProjectHeader)) return ProjectKindProject;
    if (FirstLineIs(text, length, kSessionHeader)) return ProjectKindSession;
    return ProjectKindNone;
}

ProjectKind ProjectFileCheck(const wchar_t* path, wchar_t* reason, size_t capacity) {
    if (!path || !*path) {
        swprintf(reason, capacity, L"No project or session file was named.");
        return ProjectKindNone;
    }
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        swprintf(reason, capacity, L"The file \"%ls\" does not exist.", path);
        return ProjectKindNone;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        swprintf(reason, capacity, L"\"%ls\" is a folder, not a project or session file.", path);
        return ProjectKindNone;
    }
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        wchar_t system[256];
        SystemText(GetLastError(), system, 256);
        swprintf(reason, capacity, L"The file \"%ls\" cannot be opened: %ls.", path, system);
        return ProjectKindNone;
    }
    char start[kFirstLineBytes];
    DWORD read = 0;
    BOOL ok = ReadFile(file, start, kFirstLineBytes, &read, nullptr);
    CloseHandle(file);
    if (!ok) {
        swprintf(reason, capacity, L"The file \"%ls\" cannot be read.", path);
        return ProjectKindNone;
    }
    if (read == 0) {
        swprintf(reason, capacity, L"The file \"%ls\" is empty.", path);
        return ProjectKindNone;
    }
    ProjectKind kind = ProjectKindOfText(start, read);
    if (kind == ProjectKindNone)
        swprintf(reason, capacity,
                 L"The file \"%ls\" is neither a Lidora project (its first line would be \"%hs\") nor an "
                 L"Ocularis session (first line \"%hs\").",
                 path, kProjectHeader, kSessionHeader);
    return kind;
}
