// Buffered output file: collects small writes into one large buffer so that files made of many
// short records are written in few system calls. Also a bit writer for packed data.
#pragma once

#include <windows.h>

#include <cstddef>

struct FileReplacement;

// Open modes.
enum OutFileMode {
    kOutFileCreate = 0, // create or truncate
    kOutFileAppend = 1, // open or create, write at the end
    kOutFileUpdate = 2, // open an existing file for reading and writing, write at the start
    // Write a temporary file beside the path; OutFileClose puts it in the path's place only when every
    // byte reached the disk, so a failed write leaves the previous file (or none) exactly as it was.
    // A device or pipe path (\\.\...) is written in place as with kOutFileCreate.
    kOutFileReplace = 3,
};

// Results of OutFileOpen.
enum OutFileOpenResult {
    kOutFileFailed = 0,
    kOutFileUnbuffered = 1, // no buffer could be allocated; every write goes to the file directly
    kOutFileBuffered = 2,
};

constexpr int kOutFileMinBufferKb = 32;
constexpr int kOutFileMaxBufferKb = 8192;

struct OutFile {
    HANDLE handle;
    unsigned char* buffer;           // null when unbuffered
    size_t capacity;                 // bytes of buffer
    size_t used;                     // bytes waiting in buffer
    unsigned long long bytesWritten; // bytes accepted by OutFileWrite and the bit writer
    unsigned int bits;               // pending bits of the bit writer, in the low bitCount bits
    int bitCount;
    int failed;                   // 1 once a write to the file has failed; the file is then incomplete
    FileReplacement* replacement; // kOutFileReplace: the temporary file and its target (tag "OutRpl")
};

// Opens path in the given mode with a buffer of bufferKb kilobytes (limited to 32..8192).
// Returns kOutFileFailed, kOutFileUnbuffered or kOutFileBuffered.
int OutFileOpen(OutFile* file, int bufferKb, const wchar_t* path, int mode);
// Writes count bytes; a null source writes count zero bytes. 1 ok, 0 when the file refused data
// (then the failure is also remembered in the record and reported again by OutFileClose).
int OutFileWrite(OutFile* file, const void* bytes, size_t count);
// Appends the low bitCount (0..32) bits of value, most significant first.
int OutFileWriteBits(OutFile* file, unsigned int value, int bitCount);
// Writes a pending partial byte, padded with zero bits at the low end.
int OutFileFlushBits(OutFile* file);
// Hands everything buffered to the file.
int OutFileFlush(OutFile* file);
// Flushes pending bits and the buffer, frees the buffer and closes the file. 1 when every byte
// since opening reached the file and the file closed cleanly, 0 otherwise. In kOutFileReplace mode the
// file then replaces its target; 0 means the target was not touched and no temporary file is left.
int OutFileClose(OutFile* file);
