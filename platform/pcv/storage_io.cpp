#include "storage_io.h"

#include <string.h>

#include <atomic>

namespace {

constexpr size_t kWriteBufferBytes = 4u << 20;

std::atomic<uint64_t> writeLimit{0}; // bytes left before the simulated full disk; 0: no limit
std::atomic<bool> writeLimitSet{false};

bool Reserve(size_t count) {
    if (!writeLimitSet) return true;
    uint64_t left = writeLimit.load();
    while (true) {
        if (left < count) {
            writeLimit = 0;
            return false;
        }
        if (writeLimit.compare_exchange_weak(left, left - count)) return true;
    }
}

bool WriteAll(StorageWriter* writer, const uint8_t* bytes, size_t count) {
    while (count > 0) {
        DWORD piece = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!Reserve(piece)) {
            writer->failed = true;
            writer->failure = ERROR_DISK_FULL;
            return false;
        }
        if (!WriteFile(writer->handle, bytes, piece, &written, nullptr) || written != piece) {
            writer->failed = true;
            writer->failure =
                written != piece && GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL : GetLastError();
            return false;
        }
        bytes += piece;
        count -= piece;
    }
    return true;
}

bool Flush(StorageWriter* writer) {
    if (writer->failed) return false;
    if (writer->used == 0) return true;
    bool ok = WriteAll(writer, writer->buffer, writer->used);
    writer->used = 0;
    return ok;
}

} // namespace

void StorageErrorText(wchar_t* error, size_t errorChars, const wchar_t* text, const wchar_t* path,
                      DWORD code) {
    if (!error || errorChars == 0) return;
    TextCopy(error, errorChars, text);
    TextAppend(error, errorChars, L" ");
    TextAppend(error, errorChars, path);
    if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) {
        TextAppend(error, errorChars, L": the disk is full.");
        return;
    }
    wchar_t reason[256] = L"";
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, reason, 256, nullptr);
    while (length > 0 && (reason[length - 1] == L'\n' || reason[length - 1] == L'\r' ||
                          reason[length - 1] == L' ' || reason[length - 1] == L'.'))
        reason[--length] = 0;
    if (length > 0) {
        TextAppend(error, errorChars, L": ");
        TextAppend(error, errorChars, reason);
    }
    TextAppend(error, errorChars, L".");
}

bool StorageWriterCreate(StorageWriter* writer, const wchar_t* path, wchar_t* error, size_t errorChars) {
    *writer = StorageWriter{};
    writer->handle = INVALID_HANDLE_VALUE;
    if (!TextCopy(writer->path, kPathChars, path)) {
        StorageErrorText(error, errorChars, L"The path is too long:", path, ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    writer->handle =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (writer->handle == INVALID_HANDLE_VALUE) {
        StorageErrorText(error, errorChars, L"Could not create", path, GetLastError());
        return false;
    }
    writer->buffer =
        static_cast<uint8_t*>(VirtualAlloc(nullptr, kWriteBufferBytes, MEM_COMMIT, PAGE_READWRITE));
    writer->capacity = writer->buffer ? kWriteBufferBytes : 0;
    return true;
}

bool StorageWrite(StorageWriter* writer, const void* bytes, size_t count) {
    if (writer->failed) return false;
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    writer->position += count;
    if (!writer->buffer) {
        static const uint8_t zeros[4096] = {};
        if (p) return WriteAll(writer, p, count);
        while (count > 0) {
            size_t piece = count < sizeof(zeros) ? count : sizeof(zeros);
            if (!WriteAll(writer, zeros, piece)) return false;
            count -= piece;
        }
        return true;
    }
    while (count > 0) {
        size_t room = writer->capacity - writer->used;
        size_t piece = count < room ? count : room;
        if (p) {
            memcpy(writer->buffer + writer->used, p, piece);
            p += piece;
        } else {
            memset(writer->buffer + writer->used, 0, piece);
        }
        writer->used += piece;
        count -= piece;
        if (writer->used == writer->capacity && !Flush(writer)) return false;
    }
    return true;
}

bool StorageWriteAt(StorageWriter* writer, uint64_t offset, const void* bytes, size_t count) {
    if (!Flush(writer)) return false;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(writer->handle, to, nullptr, FILE_BEGIN)) {
        writer->failed = true;
        writer->failure = GetLastError();
        return false;
    }
    bool ok = WriteAll(writer, static_cast<const uint8_t*>(bytes), count);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(writer->position);
    if (ok && !SetFilePointerEx(writer->handle, end, nullptr, FILE_BEGIN)) {
        writer->failed = true;
        writer->failure = GetLastError();
        ok = false;
    }
    return ok;
}

bool StorageWriterClose(StorageWriter* writer, bool keep, wchar_t* error, size_t errorChars) {
    if (writer->handle == INVALID_HANDLE_VALUE || !writer->handle) return false;
    bool ok = Flush(writer);
    if (!CloseHandle(writer->handle) && ok) {
        writer->failed = true;
        writer->failure = GetLastError();
        ok = false;
    }
    writer->handle = INVALID_HANDLE_VALUE;
    if (writer->buffer) VirtualFree(writer->buffer, 0, MEM_RELEASE);
    writer->buffer = nullptr;
    // A failed write is reported whether or not the caller meant to keep the file.
    if ((keep || writer->failed) && !ok) StorageErrorText(error, errorChars, L"Could not write", writer->path, writer->failure);
    if (!keep || !ok) DeleteFileW(writer->path);
    return keep && ok;
}

void StorageSetWriteLimitForTests(uint64_t limit) {
    writeLimit = limit;
    writeLimitSet = limit != 0;
}

bool StorageReaderOpen(StorageReader* reader, const wchar_t* path) {
    *reader = StorageReader{};
    reader->handle = INVALID_HANDLE_VALUE;
    if (!TextCopy(reader->path, kPathChars, path)) return false;
    reader->handle = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (reader->handle == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(reader->handle, &size)) {
        StorageReaderClose(reader);
        return false;
    }
    reader->size = static_cast<uint64_t>(size.QuadPart);
    return true;
}

bool StorageReadAt(StorageReader* reader, uint64_t offset, void* to, size_t count) {
    if (reader->handle == INVALID_HANDLE_VALUE || offset > reader->size || count > reader->size - offset)
        return false;
    uint8_t* p = static_cast<uint8_t*>(to);
    while (count > 0) {
        DWORD piece = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!ReadFile(reader->handle, p, piece, &read, &at) || read != piece) return false;
        p += piece;
        offset += piece;
        count -= piece;
    }
    return true;
}

void StorageReaderClose(StorageReader* reader) {
    if (reader->handle != INVALID_HANDLE_VALUE && reader->handle) CloseHandle(reader->handle);
    reader->handle = INVALID_HANDLE_VALUE;
}

bool StorageDelete(const wchar_t* path) {
    if (DeleteFileW(path)) return true;
    DWORD code = GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

bool StorageFileExists(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
