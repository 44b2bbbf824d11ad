#include "runtime/out_file.h"
#include "runtime/file_replace.h"
#include "runtime/memory.h"

#include <cstring>

namespace {

// Large writes go to the system in pieces of this size at most.
constexpr size_t kDirectPiece = 61440;
// Zero fill for a null source comes from a small block of this size.
constexpr size_t kZeroPiece = 4096;

const DWORD kCreation[] = {CREATE_ALWAYS, OPEN_ALWAYS, OPEN_EXISTING};
const DWORD kAccess[] = {GENERIC_WRITE, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};

size_t BufferBytes(int bufferKb) {
    if (bufferKb < kOutFileMinBufferKb) bufferKb = kOutFileMinBufferKb;
    if (bufferKb > kOutFileMaxBufferKb) bufferKb = kOutFileMaxBufferKb;
    return static_cast<size_t>(bufferKb) * 1024;
}

int WriteToHandle(OutFile* file, const void* bytes, size_t count) {
    DWORD written = 0;
    if (!WriteFile(file->handle, bytes, static_cast<DWORD>(count), &written, nullptr) || written != count) {
        file->failed = 1;
        return 0;
    }
    return 1;
}

// Writes straight to the file, bypassing the buffer, in pieces the system handles comfortably.
int WriteDirect(OutFile* file, const void* bytes, size_t count) {
    static const unsigned char zeros[kZeroPiece] = {};
    const unsigned char* source = static_cast<const unsigned char*>(bytes);
    size_t piece = source ? kDirectPiece : kZeroPiece;
    while (count > 0) {
        size_t now = count < piece ? count : piece;
        if (!WriteToHandle(file, source ? source : zeros, now)) return 0;
        if (source) source += now;
        count -= now;
    }
    return 1;
}

void ClearRecord(OutFile* file) {
    memset(file, 0, sizeof *file);
    file->handle = INVALID_HANDLE_VALUE;
}

HANDLE OpenReplacing(OutFile* file, const wchar_t* path) {
    auto* replacement = static_cast<FileReplacement*>(MemAlloc(sizeof(FileReplacement), "OutRpl"));
    if (!replacement) return INVALID_HANDLE_VALUE;
    if (!FileReplaceBegin(replacement, path)) {
        MemFree(replacement);
        return INVALID_HANDLE_VALUE;
    }
    file->replacement = replacement;
    return replacement->handle;
}

HANDLE OpenHandle(OutFile* file, const wchar_t* path, int mode) {
    if (mode == kOutFileReplace && !FileIsDevicePath(path)) return OpenReplacing(file, path);
    if (mode == kOutFileReplace) mode = kOutFileCreate;
    return CreateFileW(path, kAccess[mode], FILE_SHARE_READ, nullptr, kCreation[mode], FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// Closes the file; a replacing file takes its target's place only when everything before went well.
bool CloseHandleOf(OutFile* file, bool complete) {
    FileReplacement* replacement = file->replacement;
    if (!replacement) return CloseHandle(file->handle) != 0;
    bool replaced = false;
    if (complete)
        replaced = FileReplaceCommit(replacement) == 1;
    else
        FileReplaceAbandon(replacement);
    MemFree(replacement);
    file->replacement = nullptr;
    return replaced;
}

} // namespace

int OutFileOpen(OutFile* file, int bufferKb, const wchar_t* path, int mode) {
    ClearRecord(file);
    if (!path || mode < kOutFileCreate || mode > kOutFileReplace) return kOutFileFailed;
    HANDLE handle = OpenHandle(file, path, mode);
    if (handle == INVALID_HANDLE_VALUE) return kOutFileFailed;
    if (mode == kOutFileAppend && SetFilePointer(handle, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR) {
        CloseHandle(handle);
        return kOutFileFailed;
    }
    file->handle = handle;
    size_t capacity = BufferBytes(bufferKb);
    file->buffer = static_cast<unsigned char*>(MemAlloc(capacity, "OutFile"));
    if (!file->buffer) return kOutFileUnbuffered;
    file->capacity = capacity;
    return kOutFileBuffered;
}

int OutFileFlush(OutFile* file) {
    if (file->used == 0) return 1;
    size_t used = file->used;
    file->used = 0;
    return WriteToHandle(file, file->buffer, used);
}

int OutFileWrite(OutFile* file, const void* bytes, size_t count) {
    if (file->handle == INVALID_HANDLE_VALUE) return 0;
    file->bytesWritten += count;
    if (count > file->capacity - file->used && !OutFileFlush(file)) return 0;
    if (count >= file->capacity) return WriteDirect(file, bytes, count);
    if (bytes)
        memcpy(file->buffer + file->used, bytes, count);
    else
        memset(file->buffer + file->used, 0, count);
    file->used += count;
    return 1;
}

int OutFileWriteBits(OutFile* file, unsigned int value, int bitCount) {
    if (bitCount < 0 || bitCount > 32) return 0;
    int ok = 1;
    for (int bit = bitCount - 1; bit >= 0; --bit) {
        file->bits = (file->bits << 1) | ((value >> bit) & 1u);
        if (++file->bitCount == 8) {
            unsigned char byte = static_cast<unsigned char>(file->bits);
            file->bits = 0;
            file->bitCount = 0;
            if (!OutFileWrite(file, &byte, 1)) ok = 0;
        }
    }
    return ok;
}

int OutFileFlushBits(OutFile* file) {
    if (file->bitCount == 0) return 1;
    unsigned char byte = static_cast<unsigned char>(file->bits << (8 - file->bitCount));
    file->bits = 0;
    file->bitCount = 0;
    return OutFileWrite(file, &byte, 1);
}

int OutFileClose(OutFile* file) {
    if (file->handle == INVALID_HANDLE_VALUE) return 0;
    // A half-filled byte of the bit writer is data the caller handed over; it must not vanish.
    OutFileFlushBits(file);
    OutFileFlush(file);
    MemFree(file->buffer);
    int closed = CloseHandleOf(file, !file->failed) ? 1 : 0;
    int ok = closed && !file->failed;
    unsigned long long written = file->bytesWritten;
    ClearRecord(file);
    file->bytesWritten = written;
    return ok;
}
