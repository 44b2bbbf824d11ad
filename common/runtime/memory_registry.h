// The process-wide table of live tagged blocks, shared by the allocator and its queries.
#pragma once

#ifndef NIMBO_PLUGIN

#include <cstddef>

// Records a block; returns its entry index, or -1 when the registry is (or has ever been) full.
int MemRegistryAdd(void* block, size_t size, const char* tag);
// Index of the entry holding block, or -1.
int MemRegistryLookup(const void* block);
// Tag (at most 7 characters) and usable size of an entry.
const char* MemRegistryTag(int index);
size_t MemRegistrySize(int index);
// Frees the entry; the block itself is not touched.
void MemRegistryRemove(int index);
// 1 when the four bytes behind the usable size still hold the guard pattern.
int MemGuardIntact(const void* block, size_t size);
void MemGuardWrite(void* block, size_t size);
// Prints the overflow notice for a tag, flushed so that it survives a crash that follows.
void MemReportOverflow(const char* tag);

#endif
