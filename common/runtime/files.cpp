#include "runtime/files.h"
#include "runtime/text.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

bool ReadLocalTime(const wchar_t* path, SYSTEMTIME* time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    FILETIME local;
    return GetFileAttributesExW(path, GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, time);
}

int CompareField(WORD a, WORD b) {
    return a < b ? 1 : (a > b ? -1 : 0);
}

// Skips the rest of a line that did not fit, so that it does not come back as a line of its own.
void SkipRestOfLine(FILE* stream, bool narrow) {
    if (narrow) {
        int c;
        while ((c = fgetc(stream)) != EOF && c != '\n') {
        }
    } else {
        wint_t c;
        while ((c = fgetwc(stream)) != WEOF && c != L'\n') {
        }
    }
}

int ReadNarrowLine(wchar_t* out, size_t capacity, FILE* stream) {
    char bytes[kNarrowLineBytes + 1];
    if (!fgets(bytes, sizeof bytes, stream)) return 0;
    size_t length = strlen(bytes);
    if (length == kNarrowLineBytes && bytes[length - 1] != '\n') SkipRestOfLine(stream, true);
    TextWidenBytes(out, capacity, bytes);
    return 1;
}

int ReadWideLine(wchar_t* out, size_t capacity, FILE* stream) {
    int count = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(capacity);
    if (!fgetws(out, count, stream)) return 0;
    size_t length = TextLength(out);
    if (length + 1 == static_cast<size_t>(count) && out[length - 1] != L'\n') SkipRestOfLine(stream, false);
    return 1;
}

bool IsFolder(const WIN32_FIND_DATAW& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Calls back for the matching files of one folder; path is a scratch buffer of the composed size.
int WalkFiles(FileWalkCallback callback, const wchar_t* folder, const wchar_t* pattern, void* context,
              wchar_t* path) {
    if (!PathJoin(path, folder, pattern, kComposedPathCapacity)) return 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path, &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int result = 0;
    do {
        if (IsFolder(data) || !PathJoin(path, folder, data.cFileName, kComposedPathCapacity)) continue;
        result = callback(path, context);
    } while (result == 0 && FindNextFileW(find, &data));
    FindClose(find);
    return result;
}

int WalkSubfolders(FileWalkCallback callback, const wchar_t* folder, const wchar_t* pattern, void* context,
                   wchar_t* path) {
    if (!PathJoin(path, folder, L"*", kComposedPathCapacity)) return 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path, &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int result = 0;
    do {
        if (!IsFolder(data) || data.cFileName[0] == L'.') continue;
        if (!PathJoin(path, folder, data.cFileName, kComposedPathCapacity)) continue;
        result = FilesWalk(callback, path, pattern, 1, context);
    } while (result == 0 && FindNextFileW(find, &data));
    FindClose(find);
    return result;
}

// Position of the final terminator of a double-zero-terminated list, or capacity when it has none
// within capacity.
size_t FilterListEnd(const wchar_t* list, size_t capacity) {
    size_t at = 0;
    while (at < capacity && list[at]) {
        while (at < capacity && list[at]) ++at;
        ++at;
    }
    return at < capacity ? at : capacity;
}

void PutString(wchar_t* list, size_t& at, const wchar_t* text) {
    for (size_t i = 0; text && text[i]; ++i) list[at++] = text[i];
    list[at++] = 0;
}

} // namespace

int FileExists(const wchar_t* path) {
    if (!path || !*path) return 0;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int FolderExists(const wchar_t* path) {
    wchar_t folder[kComposedPathCapacity];
    if (TextLength(path) >= kComposedPathCapacity) return kFolderMissing;
    TextCopyMax(folder, kComposedPathCapacity - 1, path);
    TextStripTrailing(folder, L'\\');
    size_t length = TextLength(folder);
    if (length == 0 || folder[length - 1] == L':') return kFolderDriveRoot;
    DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return kFolderMissing;
    return kFolderFound;
}

int FileTimeCompare(const wchar_t* a, const wchar_t* b) {
    SYSTEMTIME timeA, timeB;
    if (!a || !b || !ReadLocalTime(a, &timeA) || !ReadLocalTime(b, &timeB)) return 0;
    const WORD fieldsA[] = {timeA.wYear, timeA.wMonth, timeA.wDay, timeA.wHour, timeA.wMinute, timeA.wSecond};
    const WORD fieldsB[] = {timeB.wYear, timeB.wMonth, timeB.wDay, timeB.wHour, timeB.wMinute, timeB.wSecond};
    for (size_t i = 0; i < sizeof fieldsA / sizeof fieldsA[0]; ++i) {
        int order = CompareField(fieldsA[i], fieldsB[i]);
        if (order) return order;
    }
    return 0;
}

unsigned long long FileSize(const wchar_t* path) {
    if (!path) return 0;
    HANDLE file =
        CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size;
    bool known = GetFileSizeEx(file, &size) != 0;
    CloseHandle(file);
    return known ? static_cast<unsigned long long>(size.QuadPart) : 0;
}

int FileCopy(const wchar_t* destination, const wchar_t* source) {
    if (!destination || !source) return 0;
    return CopyFileW(source, destination, FALSE) != 0;
}

int FileMove(const wchar_t* destination, const wchar_t* source) {
    if (!destination || !source) return 0;
    return MoveFileExW(source, destination, MOVEFILE_COPY_ALLOWED) != 0;
}

int TempFolder(wchar_t* out, size_t capacity) {
    if (capacity == 0) return 0;
    DWORD size = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(capacity);
    DWORD length = GetTempPathW(size, out);
    if (length == 0 || length >= size) {
        out[0] = 0;
        return 0;
    }
    return 1;
}

int TextReadLine(wchar_t* out, size_t capacity, FILE* stream, int narrow) {
    if (!out || capacity < 2 || !stream) {
        if (out && capacity > 0) out[0] = 0;
        return 0;
    }
    int read = narrow ? ReadNarrowLine(out, capacity, stream) : ReadWideLine(out, capacity, stream);
    if (!read) {
        out[0] = 0;
        return 0;
    }
    TextTrimEnd(out);
    return 1;
}

int FilesWalk(FileWalkCallback callback, const wchar_t* folder, const wchar_t* pattern, int recurse,
              void* context) {
    if (!callback || !folder || TextLength(folder) >= kPathCapacity) return 0;
    if (!pattern || !*pattern) pattern = L"*";
    wchar_t path[kComposedPathCapacity];
    int result = WalkFiles(callback, folder, pattern, context, path);
    if (result == 0 && recurse) result = WalkSubfolders(callback, folder, pattern, context, path);
    return result;
}

int FileFilterAdd(wchar_t* list, const wchar_t* description, const wchar_t* pattern, const wchar_t* allFiles,
                  int append, size_t capacity) {
    if (!list || capacity == 0) return 0;
    size_t at = append ? FilterListEnd(list, capacity) : 0;
    size_t needed = TextLength(description) + 1 + TextLength(pattern) + 1 + 1;
    if (allFiles) needed += TextLength(allFiles) + 1 + 3 + 1;
    if (at >= capacity || needed > capacity - at) return 0;
    PutString(list, at, description);
    PutString(list, at, pattern);
    if (allFiles) {
        PutString(list, at, allFiles);
        PutString(list, at, L"*.*");
    }
    list[at] = 0;
    return 1;
}
