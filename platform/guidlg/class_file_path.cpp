#include "class_file_path.h"

#include <windows.h>

#include <stdio.h>
#include <wchar.h>

namespace {

bool IsFile(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "C:\...", "C:..." and "\..." (also UNC) do not depend on the folder.
bool IsRooted(const wchar_t* path) {
    if (path[0] == L'\\' || path[0] == L'/') return true;
    return path[0] && path[1] == L':';
}

bool Copy(const wchar_t* source, wchar_t* target, size_t capacity) {
    int written = swprintf(target, capacity, L"%ls", source);
    return written >= 0 && static_cast<size_t>(written) < capacity;
}

} // namespace

int ClassFileLocate(const wchar_t* classFile, const wchar_t* folder, wchar_t* path, size_t capacity) {
    if (!path || capacity == 0) return 0;
    path[0] = 0;
    if (!classFile || !*classFile) return 0;
    if (IsFile(classFile)) return Copy(classFile, path, capacity) ? 1 : (path[0] = 0, 0);
    if (IsRooted(classFile) || !folder || !*folder) return 0;
    size_t folderLength = wcslen(folder);
    bool separated = folder[folderLength - 1] == L'\\' || folder[folderLength - 1] == L'/';
    int written = swprintf(path, capacity, separated ? L"%ls%ls" : L"%ls\\%ls", folder, classFile);
    if (written < 0 || static_cast<size_t>(written) >= capacity || !IsFile(path)) {
        path[0] = 0;
        return 0;
    }
    return 1;
}
