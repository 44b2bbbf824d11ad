#include "las_reader.h"

#include "las_error.h"
#include "las_file_io.h"
#include "las_format.h"
#include "las_header_parse.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

// Batches of this size keep the system calls few and stay in the cache's neighbourhood.
constexpr uint32_t kReadBufferBytes = 2u << 20;

bool HasLazExtension(const wchar_t* path) {
    size_t length = wcslen(path);
    if (length < 4) return false;
    const wchar_t* tail = path + length - 4;
    const wchar_t* laz = L".laz";
    for (int i = 0; i < 4; ++i) {
        wchar_t c = tail[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != laz[i]) return false;
    }
    return true;
}

int ReadAndParseHeader(LasFile* file, wchar_t* error, int errorChars) {
    uint8_t bytes[las_header::kMaxSize];
    uint64_t want = file->fileSize < sizeof bytes ? file->fileSize : sizeof bytes;
    DWORD systemError = 0;
    uint64_t got = LasReadAt(file->handle, 0, bytes, want, &systemError);
    if (systemError)
        return LasFail(error, errorChars, L"Cannot read the file (system error %lu)", systemError);
    return LasParseHeader(bytes, got, file->fileSize, &file->header, error, errorChars);
}

int FailAndClose(LasFile* file) {
    LasClose(file);
    return 0;
}

} // namespace

int LasOpen(LasFile* file, const wchar_t* path, wchar_t* error, int errorChars) {
    if (!file) return LasFail(error, errorChars, L"No file record was given");
    memset(file, 0, sizeof *file);
    if (!path || !path[0]) return LasFail(error, errorChars, L"No file name was given");
    HANDLE handle = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return LasFail(error, errorChars, L"Cannot open the file (system error %lu)", GetLastError());
    file->handle = handle;
    if (HasLazExtension(path)) {
        LasFail(error, errorChars, L"Compressed LAZ files are not supported");
        return FailAndClose(file);
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size)) {
        LasFail(error, errorChars, L"Cannot read the file (system error %lu)", GetLastError());
        return FailAndClose(file);
    }
    file->fileSize = static_cast<uint64_t>(size.QuadPart);
    if (!ReadAndParseHeader(file, error, errorChars)) return FailAndClose(file);
    file->buffer = static_cast<uint8_t*>(malloc(kReadBufferBytes));
    if (!file->buffer) {
        LasFail(error, errorChars, L"Not enough memory for the read buffer");
        return FailAndClose(file);
    }
    file->bufferBytes = kReadBufferBytes;
    return 1;
}

int LasSeekPoint(LasFile* file, uint64_t index) {
    if (!file || !file->handle || index > file->header.pointCount) return 0;
    file->nextPoint = index;
    return 1;
}

void LasClose(LasFile* file) {
    if (!file) return;
    if (file->handle && file->handle != INVALID_HANDLE_VALUE) CloseHandle(file->handle);
    free(file->buffer);
    memset(file, 0, sizeof *file);
}
