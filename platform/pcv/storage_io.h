// Reading and writing the storage files: a buffered writer that remembers why a write failed (a
// full disk above all) and a reader that reads only inside the file. Every read checks its range
// against the file's size, so a truncated file is refused, never read past.
#pragma once

#include "engine_text.h"

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

struct StorageWriter {
    HANDLE handle;
    wchar_t path[kPathChars];
    uint8_t* buffer;
    size_t capacity;
    size_t used;
    uint64_t position; // bytes handed to the writer so far (where the next byte goes)
    bool failed;
    DWORD failure; // the system's error code of the first failed write
};

// Creates (or truncates) path for writing. False with the reason in error.
bool StorageWriterCreate(StorageWriter* writer, const wchar_t* path, wchar_t* error, size_t errorChars);
// Appends bytes; a null source appends zero bytes. False once any write failed.
bool StorageWrite(StorageWriter* writer, const void* bytes, size_t count);
// Writes bytes at an earlier offset (headers completed after the data), after flushing.
bool StorageWriteAt(StorageWriter* writer, uint64_t offset, const void* bytes, size_t count);
// Flushes and closes. With keep false, or when any write failed, the file is deleted. True when the
// file is complete and kept; error says why whenever a write failed.
bool StorageWriterClose(StorageWriter* writer, bool keep, wchar_t* error, size_t errorChars);

// For tests: after limit more bytes written by all writers together, writes fail as on a full disk
// (0: no limit).
void StorageSetWriteLimitForTests(uint64_t limit);

struct StorageReader {
    HANDLE handle;
    uint64_t size;
    wchar_t path[kPathChars];
};

// Opens path for reading (others may read it too). False when it cannot be opened.
bool StorageReaderOpen(StorageReader* reader, const wchar_t* path);
// Reads exactly count bytes at offset; false when the range is not inside the file or reading fails.
bool StorageReadAt(StorageReader* reader, uint64_t offset, void* to, size_t count);
void StorageReaderClose(StorageReader* reader);

// "text path" and the system's reason for code, for the error texts of file operations.
void StorageErrorText(wchar_t* error, size_t errorChars, const wchar_t* text, const wchar_t* path,
                      DWORD code);
// Deletes path if it exists; true when it is gone afterwards.
bool StorageDelete(const wchar_t* path);
// True when path names an existing file (not a folder).
bool StorageFileExists(const wchar_t* path);
