// Whole-block reads and writes on a file handle, for the reader's batches and the writer's buffer.
#pragma once

#include <windows.h>

#include <stdint.h>

// Reads bytes at the file offset into dest, in as many system reads as it takes. Returns the bytes
// read, fewer than asked only at the end of the file; sets *systemError (when given) and returns 0
// when a read fails.
uint64_t LasReadAt(HANDLE handle, uint64_t offset, void* dest, uint64_t bytes, DWORD* systemError);

// Writes all bytes at the current position. false when any write fails or is short.
bool LasWriteAll(HANDLE handle, const void* source, uint64_t bytes);

// Moves the file position; false when the system refuses.
bool LasSetPosition(HANDLE handle, uint64_t offset);
