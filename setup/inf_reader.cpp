#include "inf_reader.h"

#include "inf_path_check.h"
#include "setup_text.h"

#include <windows.h>

#include <cwchar>

namespace {

// A line is read whole however long it is; characters past this limit are dropped rather than parsed as a
// line of their own, which could turn the tail of a long comment into a file entry.
constexpr int kLineBytes = 4096;
constexpr int kLineChars = kLineBytes + 1;
constexpr int kMaxFields = 15;

struct InfLineReader {
    HANDLE file;
    char buffer[4096];
    DWORD used;
    DWORD length;
    bool ended;
};

bool NextByte(InfLineReader* reader, char* byte) {
    if (reader->used == reader->length) {
        if (reader->ended) return false;
        DWORD got = 0;
        if (!ReadFile(reader->file, reader->buffer, sizeof reader->buffer, &got, nullptr) || got == 0) {
            reader->ended = true;
            return false;
        }
        reader->used = 0;
        reader->length = got;
    }
    *byte = reader->buffer[reader->used++];
    return true;
}

// Reads one line up to and including its line feed. A carriage return before the line feed stays in the
// line and goes with the trailing whitespace, as a text-mode read would have it.
bool ReadLineBytes(InfLineReader* reader, char* bytes, int* count) {
    *count = 0;
    char byte = 0;
    bool any = false;
    while (NextByte(reader, &byte)) {
        any = true;
        if (byte == '\n') break;
        if (*count < kLineBytes) bytes[(*count)++] = byte;
    }
    return any;
}

// The format is ASCII; UTF-8 is taken when the line is valid UTF-8, any other byte stands for itself.
void DecodeLine(const char* bytes, int count, wchar_t* line) {
    line[0] = 0;
    if (count == 0) return;
    int made = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, count, line, kLineChars - 1);
    if (made > 0) {
        line[made] = 0;
        return;
    }
    int n = 0;
    for (; n < count && n < kLineChars - 1; ++n)
        line[n] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[n]));
    line[n] = 0;
}

// Cuts a field as the description's readers always have: 39 characters, then blanks trimmed.
int SplitFields(const wchar_t* line, wchar_t fields[kMaxFields][kSetupEntryFieldChars]) {
    int count = 0;
    const wchar_t* p = line;
    while (count < kMaxFields) {
        size_t n = 0;
        while (*p && *p != L',') {
            if (n < kSetupEntryFieldChars - 1) fields[count][n++] = *p;
            ++p;
        }
        fields[count][n] = 0;
        SetupTrimBlanks(fields[count]);
        ++count;
        if (*p != L',') break;
        ++p;
        if (*p == 0) break; // a comma at the very end opens no further field
    }
    return count;
}

void ParseApplicationLine(const wchar_t* line) {
    const wchar_t* equals = wcschr(line, L'=');
    if (equals == nullptr) return;
    wchar_t key[kLineChars];
    size_t keyLength = static_cast<size_t>(equals - line);
    wmemcpy(key, line, keyLength);
    key[keyLength] = 0;
    wchar_t value[kLineChars];
    SetupTextCopy(value, kLineChars, equals + 1);
    SetupTrimBlanks(value);
    if (SetupEqualNoCase(key, L"AppName"))
        SetupTextCopy(g_setup.appName, kSetupAppNameChars, value);
    else if (SetupEqualNoCase(key, L"DefDir"))
        SetupTextCopy(g_setup.defaultFolder, kSetupPathChars, value);
    else if (SetupEqualNoCase(key, L"Target"))
        g_setup.kind = InfTargetKind(value);
}

void AddFolder(FolderEntry* list, int* count, const wchar_t* name) {
    if (*count >= kSetupMaxFolders || !InfPathIsSafe(name)) return;
    SetupTextCopy(list[*count].name, kSetupEntryFieldChars, name);
    ++*count;
}

void AddFile(FileEntry* list, int* count, wchar_t fields[kMaxFields][kSetupEntryFieldChars]) {
    if (*count >= kSetupMaxFiles || !InfPathIsSafe(fields[1])) return;
    FileEntry* entry = &list[*count];
    SetupTextCopy(entry->name, sizeof entry->name / sizeof entry->name[0], fields[0]);
    SetupTextCopy(entry->file, sizeof entry->file / sizeof entry->file[0], fields[1]);
    entry->flags = InfFlags(fields[2]);
    ++*count;
}

} // namespace

int InfSection(const wchar_t* line) {
    static const wchar_t* const kHeaders[] = {L"[Application]", L"[Versions]", L"[ExeDirs]", L"[SetDirs]",
                                              L"[ExeFiles]",    L"[SetFiles]", L"[End]"};
    for (int i = 0; i < 7; ++i)
        if (SetupEqualNoCase(line, kHeaders[i])) return i + 1;
    return InfSectionNone;
}

InstallKind InfTargetKind(const wchar_t* value) {
    if (wcsstr(value, L"orbx") || wcsstr(value, L"ORBX")) return InstallKind::Orbisa;
    if (wcsstr(value, L"NONE") || wcsstr(value, L"none")) return InstallKind::None;
    if (wcsstr(value, L"SLAVE") || wcsstr(value, L"slave")) return InstallKind::Slave;
    return InstallKind::MicroStation;
}

uint32_t InfFlags(const wchar_t* letters) {
    struct LetterFlag {
        wchar_t letter;
        uint32_t flag;
    };
    static const LetterFlag kLetters[] = {
        {L'L', FileFlags::KeepExisting},
        {L'C', FileFlags::ConfigTemplate},
        {L'S', FileFlags::Service},
        {L'M', FileFlags::Shortcut},
    };
    uint32_t flags = 0;
    for (const wchar_t* p = letters; *p; ++p) {
        wchar_t upper = (*p >= L'a' && *p <= L'z') ? static_cast<wchar_t>(*p - L'a' + L'A') : *p;
        for (const LetterFlag& entry : kLetters)
            if (upper == entry.letter) flags |= entry.flag;
    }
    return flags;
}

void InfParseLine(int section, const wchar_t* line) {
    if (line[0] == L';') return;
    wchar_t fields[kMaxFields][kSetupEntryFieldChars];
    switch (section) {
        case InfSectionApplication:
            ParseApplicationLine(line);
            break;
        case InfSectionExeDirs:
            SplitFields(line, fields);
            AddFolder(g_setup.exeDirs, &g_setup.exeDirCount, fields[0]);
            break;
        case InfSectionSetDirs:
            SplitFields(line, fields);
            AddFolder(g_setup.setDirs, &g_setup.setDirCount, fields[0]);
            break;
        case InfSectionExeFiles:
            if (SplitFields(line, fields) == 3) AddFile(g_setup.exeFiles, &g_setup.exeFileCount, fields);
            break;
        case InfSectionSetFiles:
            if (SplitFields(line, fields) == 3) AddFile(g_setup.setFiles, &g_setup.setFileCount, fields);
            break;
        default:
            break;
    }
}

bool InfRead(const wchar_t* path) {
    InfLineReader reader{};
    reader.file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (reader.file == INVALID_HANDLE_VALUE) return false;
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    static char bytes[kLineBytes];
    static wchar_t line[kLineChars];
    int section = InfSectionNone;
    int count = 0;
    while (section != InfSectionEnd && ReadLineBytes(&reader, bytes, &count)) {
        DecodeLine(bytes, count, line);
        SetupTrimTrailingBlanks(line);
        if (line[0] == 0) continue;
        if (line[0] == L'[')
            section = InfSection(line);
        else
            InfParseLine(section, line);
    }
    SetCursor(previous);
    CloseHandle(reader.file);
    return true;
}
