// Tagged memory blocks: every table and large buffer of the library comes from here, so that a
// block overrun can be traced to its owner by the tag it was allocated under.
#pragma once

#include <cstddef>

// Number of characters of a tag that are kept; longer tags are cut.
constexpr int kMemTagLength = 7;
// Number of live blocks the overrun registry can track; later blocks go untracked.
constexpr int kMemRegistrySize = 50000;

// A new block of size usable bytes, or null when the heap is exhausted. Contents undefined.
void* MemAlloc(size_t size, const char* tag);
// As MemAlloc, with the usable bytes zeroed.
void* MemAllocZero(size_t size, const char* tag);
// Moves a block into a new one of newSize usable bytes under the same tag ("Realloc" when the old
// block is not tracked). Keeps min(old, new) bytes. On failure returns null and the old block stays
// valid. A null block simply allocates.
void* MemRealloc(void* block, size_t newSize);
// As MemRealloc; every byte beyond the old usable size is zero.
void* MemReallocZero(void* block, size_t newSize);
// Releases a block, reporting "Overflow in memory <tag>" when its guard was overwritten. Null is ignored.
void MemFree(void* block);

#ifndef NIMBO_PLUGIN
// Reports every tracked block whose guard is damaged; returns the high-water mark of the registry.
int MemCheckAll();
// The next tracked block after afterIndex (start with -1): its index, or -1 when there is none.
// tagOut (8 chars), blockOut and sizeOut may each be null.
int MemNext(char* tagOut, void** blockOut, size_t* sizeOut, int afterIndex);
// Index of the first tracked block at or after fromIndex with exactly this tag, or -1.
int MemFind(const char* tag, int fromIndex);
// Number of tracked blocks.
int MemCount();
// Exchanges the contents of two non-overlapping byte ranges.
void MemSwap(void* a, void* b, size_t length);
// Total physical memory in MB; the available physical and virtual memory in MB go to the
// out-parameters, each of which may be null. 0 when the system cannot tell.
int MemStatus(int* availablePhysicalMb, int* availableVirtualMb);
#endif
