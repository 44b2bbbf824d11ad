#include "runtime/file_replace.h"

#include "runtime/path.h"
#include "runtime/text.h"

#include <cwchar>

namespace {

// A name that another program (or a second run of this one) happens to use is skipped; after this many
// the folder is taken to refuse new files.
constexpr int kNameAttempts = 64;

volatile LONG nameCounter;

bool TemporaryPathFor(wchar_t* temporary, const wchar_t* target) {
    wchar_t folder[kComposedPathCapacity];
    if (!PathSplit(folder, nullptr, target, kComposedPathCapacity)) return false;
    wchar_t name[64];
    unsigned long number = static_cast<unsigned long>(InterlockedIncrement(&nameCounter));
    int length = swprintf(name, 64, FILE_REPLACE_PREFIX L"%08lx-%08lx.tmp", GetCurrentProcessId(), number);
    if (length <= 0) return false;
    return PathJoin(temporary, folder, name, kComposedPathCapacity) != 0;
}

void ClearRecord(FileReplacement* replacement) {
    replacement->handle = INVALID_HANDLE_VALUE;
    replacement->target[0] = 0;
    replacement->temporary[0] = 0;
}

} // namespace

int FileReplaceBegin(FileReplacement* replacement, const wchar_t* target) {
    if (!replacement) return 0;
    ClearRecord(replacement);
    if (!target || !*target || TextLength(target) >= kComposedPathCapacity) return 0;
    TextCopyMax(replacement->target, kComposedPathCapacity - 1, target);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        if (!TemporaryPathFor(replacement->temporary, target)) break;
        // CREATE_NEW: an existing file of that name is never opened, let alone overwritten.
        HANDLE handle = CreateFileW(replacement->temporary, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            replacement->handle = handle;
            return 1;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    ClearRecord(replacement);
    return 0;
}

int FileReplaceCommit(FileReplacement* replacement) {
    if (!replacement || replacement->handle == INVALID_HANDLE_VALUE) return 0;
    // The move must not reach the disk before the contents do, or a power loss leaves an empty target.
    bool flushed = FlushFileBuffers(replacement->handle) != 0;
    bool closed = CloseHandle(replacement->handle) != 0;
    replacement->handle = INVALID_HANDLE_VALUE;
    bool moved = flushed && closed &&
                 MoveFileExW(replacement->temporary, replacement->target,
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!moved) DeleteFileW(replacement->temporary);
    ClearRecord(replacement);
    return moved ? 1 : 0;
}

void FileReplaceAbandon(FileReplacement* replacement) {
    if (!replacement || replacement->handle == INVALID_HANDLE_VALUE) return;
    CloseHandle(replacement->handle);
    DeleteFileW(replacement->temporary);
    ClearRecord(replacement);
}

int FileIsDevicePath(const wchar_t* path) {
    return path && path[0] == L'\\' && path[1] == L'\\' && path[2] == L'.' && path[3] == L'\\';
}
