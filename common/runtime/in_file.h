// Buffered input file: reads a file in large blocks and hands it out in pieces of any size.
#pragma once

#include <windows.h>

#include <cstddef>

// Results of the open operations.
enum InpFileOpenResult {
    kInpFileFailed = 0,
    kInpFileUnbuffered = 1, // no buffer could be allocated; every read goes to the file directly
    kInpFileBuffered = 2,
};

constexpr int kInpFileMinBufferKb = 32;
constexpr int kInpFileMaxBufferKb = 32768;
constexpr int kInpFileMaxBufferKbAt = 8192; // for InpFileOpenAt

struct InpFile {
    HANDLE handle;
    unsigned char* buffer;        // null when unbuffered
    size_t capacity;              // bytes of buffer
    size_t filled;                // bytes of buffer holding file data
    size_t next;                  // next byte of buffer to hand out
    unsigned long long bytesRead; // bytes handed out so far
    int failed;                   // 1 once reading the file failed (as opposed to reaching its end)
};

// Opens an existing file for reading with a buffer of bufferKb kilobytes (limited to 32..32768).
// Returns kInpFileFailed, kInpFileUnbuffered or kInpFileBuffered.
int InpFileOpen(InpFile* file, int bufferKb, const wchar_t* path);
// As InpFileOpen, starting at a byte offset; the buffer is limited to 32..8192 KB.
int InpFileOpenAt(InpFile* file, int bufferKb, const wchar_t* path, unsigned long long offset);
// Reads up to count bytes into dest (which may be null to skip them); returns the bytes read,
// fewer than count only at the end of the file or when reading failed (see failed).
size_t InpFileRead(InpFile* file, void* dest, size_t count);
// The next byte, or -1 at the end of the file.
int InpFileReadByte(InpFile* file);
// Frees the buffer and closes the file; 0 when reading had failed or the close failed.
int InpFileClose(InpFile* file);
