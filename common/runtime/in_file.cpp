#include "runtime/in_file.h"
#include "runtime/memory.h"

#include <cstring>

namespace {

// Large reads go to the system in pieces of this size at most.
constexpr size_t kDirectPiece = 61440;

void ClearRecord(InpFile* file) {
    memset(file, 0, sizeof *file);
    file->handle = INVALID_HANDLE_VALUE;
}

size_t BufferBytes(int bufferKb, int maximumKb) {
    if (bufferKb < kInpFileMinBufferKb) bufferKb = kInpFileMinBufferKb;
    if (bufferKb > maximumKb) bufferKb = maximumKb;
    return static_cast<size_t>(bufferKb) * 1024;
}

// Reads up to count bytes from the file itself; returns the bytes read (0 at the end).
size_t ReadFromHandle(InpFile* file, void* dest, size_t count) {
    DWORD want = count > kDirectPiece ? static_cast<DWORD>(kDirectPiece) : static_cast<DWORD>(count);
    DWORD got = 0;
    if (!ReadFile(file->handle, dest, want, &got, nullptr)) {
        file->failed = 1;
        return 0;
    }
    return got;
}

bool Refill(InpFile* file) {
    file->next = 0;
    file->filled = 0;
    while (file->filled < file->capacity) {
        size_t got = ReadFromHandle(file, file->buffer + file->filled, file->capacity - file->filled);
        if (got == 0) break;
        file->filled += got;
    }
    return file->filled > 0;
}

int OpenWithLimit(InpFile* file, int bufferKb, const wchar_t* path, unsigned long long offset,
                  int maximumKb) {
    ClearRecord(file);
    if (!path) return kInpFileFailed;
    HANDLE handle = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return kInpFileFailed;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (offset && !SetFilePointerEx(handle, position, nullptr, FILE_BEGIN)) {
        CloseHandle(handle);
        return kInpFileFailed;
    }
    file->handle = handle;
    size_t capacity = BufferBytes(bufferKb, maximumKb);
    file->buffer = static_cast<unsigned char*>(MemAlloc(capacity, "InpFile"));
    if (!file->buffer) return kInpFileUnbuffered;
    file->capacity = capacity;
    return kInpFileBuffered;
}

} // namespace

int InpFileOpen(InpFile* file, int bufferKb, const wchar_t* path) {
    return OpenWithLimit(file, bufferKb, path, 0, kInpFileMaxBufferKb);
}

int InpFileOpenAt(InpFile* file, int bufferKb, const wchar_t* path, unsigned long long offset) {
    return OpenWithLimit(file, bufferKb, path, offset, kInpFileMaxBufferKbAt);
}

size_t InpFileRead(InpFile* file, void* dest, size_t count) {
    if (file->handle == INVALID_HANDLE_VALUE) return 0;
    unsigned char* out = static_cast<unsigned char*>(dest);
    size_t done = 0;
    while (done < count) {
        if (file->next < file->filled) {
            size_t now = file->filled - file->next;
            if (now > count - done) now = count - done;
            if (out) memcpy(out + done, file->buffer + file->next, now);
            file->next += now;
            done += now;
        } else if (file->buffer && count - done < file->capacity) {
            if (!Refill(file)) break;
        } else {
            // As large as the buffer: straight into the caller's memory, or through the buffer
            // when the bytes are only skipped.
            unsigned char scratch[4096];
            size_t want =
                out ? count - done : (count - done < sizeof scratch ? count - done : sizeof scratch);
            size_t got = ReadFromHandle(file, out ? out + done : scratch, want);
            if (got == 0) break;
            done += got;
        }
    }
    file->bytesRead += done;
    return done;
}

int InpFileReadByte(InpFile* file) {
    unsigned char byte;
    return InpFileRead(file, &byte, 1) == 1 ? byte : -1;
}

int InpFileClose(InpFile* file) {
    if (file->handle == INVALID_HANDLE_VALUE) return 0;
    MemFree(file->buffer);
    int ok = CloseHandle(file->handle) != 0 && !file->failed;
    ClearRecord(file);
    return ok;
}
