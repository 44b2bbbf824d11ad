#include "file_copy.h"

#include "config_files.h"
#include "message_pump.h"
#include "prompts.h"
#include "setup_text.h"

#include "runtime/file_replace.h"
#include "runtime/memory.h"

#include <windows.h>

#include <cwchar>

namespace {

bool CopyBlocks(HANDLE source, HANDLE target, char* buffer) {
    while (true) {
        DWORD got = 0;
        if (!ReadFile(source, buffer, kCopyBlockBytes, &got, nullptr)) return false;
        if (got == 0) return true;
        DWORD written = 0;
        if (!WriteFile(target, buffer, got, &written, nullptr) || written != got) return false;
    }
}

// Source and target are one file when the media folder is also a target folder (in another spelling,
// perhaps): copying it onto itself would empty it. Asked of the open source and of the target opened only
// to look at it, so nothing has been changed yet.
bool IsSameFile(HANDLE source, const wchar_t* target) {
    HANDLE existing =
        CreateFileW(target, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION a, b;
    bool same = GetFileInformationByHandle(source, &a) && GetFileInformationByHandle(existing, &b) &&
                a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(existing);
    return same;
}

void GiveWriteTimeOf(HANDLE source, HANDLE target) {
    FILETIME written;
    if (GetFileTime(source, nullptr, nullptr, &written)) SetFileTime(target, nullptr, nullptr, &written);
}

// A file that did not exist before is written in place: a failed copy removes it again, which leaves the
// folder as it was.
CopyResult CopyIntoNewFile(HANDLE source, HANDLE target, const wchar_t* path, char* buffer) {
    bool copied = CopyBlocks(source, target, buffer);
    if (copied) GiveWriteTimeOf(source, target);
    copied = CloseHandle(target) && copied;
    if (copied) return CopyOk;
    DeleteFileW(path);
    return CopyTargetNotWritable;
}

// An installed file is replaced by a copy made in a temporary file beside it, which takes its place in
// one move only when complete: a failed read or write (a full disk, a network drop) leaves the installed
// version as it was. A target that cannot be replaced (a program holds it open) fails at the move.
CopyResult CopyOverExistingFile(HANDLE source, const wchar_t* target, char* buffer) {
    FileReplacement replacement;
    if (!FileReplaceBegin(&replacement, target)) return CopyTargetNotWritable;
    if (!CopyBlocks(source, replacement.handle, buffer)) {
        FileReplaceAbandon(&replacement);
        return CopyTargetNotWritable;
    }
    // Moving keeps the time, so the installed file carries the source's last-write time.
    GiveWriteTimeOf(source, replacement.handle);
    return FileReplaceCommit(&replacement) ? CopyOk : CopyTargetNotWritable;
}

CopyResult CopyIntoPlace(HANDLE source, const wchar_t* target, char* buffer) {
    // CREATE_NEW: a file that appears meanwhile is never truncated, it takes the replacing way.
    HANDLE fresh = CreateFileW(target, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (fresh != INVALID_HANDLE_VALUE) return CopyIntoNewFile(source, fresh, target, buffer);
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return CopyTargetNotWritable;
    return CopyOverExistingFile(source, target, buffer);
}

bool IsExistingFile(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Modules that a running program holds open are left alone when they are already up to date.
bool IsModule(const wchar_t* source) {
    const wchar_t* dot = wcsrchr(source, L'.');
    return dot && (SetupEqualNoCase(dot, L".DLL") || SetupEqualNoCase(dot, L".IX"));
}

bool ReadLocalWriteTime(const wchar_t* path, SYSTEMTIME* time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    FILETIME local;
    return GetFileAttributesExW(path, GetFileExInfoStandard, &data) &&
           FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, time);
}

bool SameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

bool ReadSize(const wchar_t* path, LONGLONG* size) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER bytes;
    bool known = GetFileSizeEx(file, &bytes) != 0;
    CloseHandle(file);
    *size = bytes.QuadPart;
    return known;
}

// What the user wants after a failed copy: 1 copy again, 0 go on without the file, -1 stop.
int AskAfterFailure(Dialog* status, CopyResult result, const wchar_t* source, const wchar_t* target) {
    switch (result) {
        case CopySourceMissing:
            if (PromptYesNo(status, L"Source file %s not found. Do you want to continue installation?",
                            source))
                return 0;
            g_setup.userEnded = true;
            return -1;
        case CopyNoMemory:
            PromptInfo(PromptStatusHandle(status), L"Not enough memory to copy a file.", nullptr);
            return -1;
        default: {
            int answer = PromptRetrySkipCancel(
                status,
                L"Unable to write file %s. Do you want to continue, skip this file or cancel installation?",
                target);
            if (answer < 0) g_setup.userEnded = true;
            return answer;
        }
    }
}

} // namespace

CopyResult FileCopyData(const wchar_t* source, const wchar_t* target) {
    char* buffer = static_cast<char*>(MemAlloc(kCopyBlockBytes, "SetCopy"));
    if (buffer == nullptr) return CopyNoMemory;
    HANDLE sourceFile = CreateFileW(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (sourceFile == INVALID_HANDLE_VALUE) {
        MemFree(buffer);
        return CopySourceMissing;
    }
    CopyResult result = IsSameFile(sourceFile, target) ? CopyOk : CopyIntoPlace(sourceFile, target, buffer);
    CloseHandle(sourceFile);
    MemFree(buffer);
    return result;
}

bool FileSameVersion(const wchar_t* source, const wchar_t* target) {
    SYSTEMTIME sourceTime, targetTime;
    if (ReadLocalWriteTime(source, &sourceTime) && ReadLocalWriteTime(target, &targetTime) &&
        !SameSecond(sourceTime, targetTime))
        return false;
    LONGLONG sourceSize = 0, targetSize = 0;
    return ReadSize(source, &sourceSize) && ReadSize(target, &targetSize) && sourceSize != 0 &&
           sourceSize == targetSize;
}

bool FileCopyListed(Dialog* status, const wchar_t* folder, const FileEntry* entry) {
    wchar_t target[kSetupPathChars];
    wchar_t source[kSetupPathChars];
    bool targetFits = SetupJoinPath(target, kSetupPathChars, folder, entry->file);
    bool sourceFits = SetupTextCopy(source, kSetupPathChars, g_setup.moduleFolder) &&
                      SetupTextAppend(source, kSetupPathChars, entry->file);
    PromptStatusLine(status, 1, source);
    bool keep = (entry->flags & FileFlags::KeepExisting) != 0;
    while (true) {
        SetupPumpMessages();
        if (keep && targetFits && IsExistingFile(target)) return true;
        CopyResult result = !sourceFits   ? CopySourceMissing
                            : !targetFits ? CopyTargetNotWritable
                                          : FileCopyData(source, target);
        if (result == CopyOk || keep) return true;
        if (result == CopyTargetNotWritable && IsModule(source) && FileSameVersion(source, target))
            return true;
        if (status == nullptr) return false;
        int answer = AskAfterFailure(status, result, source, target);
        if (answer <= 0) return answer == 0;
    }
}

bool FileCopyList(Dialog* status, const wchar_t* folder, const FileEntry* list, int count) {
    PromptStatusLine(status, 0, L"Copying files...");
    for (int i = 0; i < count; ++i) {
        if (list[i].flags & FileFlags::ConfigTemplate) {
            ConfigInstallTemplate(list[i].file);
            continue;
        }
        if (!FileCopyListed(status, folder, &list[i])) return false;
    }
    return true;
}
