#include "runtime/memory.h"
#include "runtime/memory_registry.h"

#include <windows.h>

#include <cstring>

namespace {

// Room for the guard pattern behind the usable bytes. Every block carries it, even where no guard
// is written, so that the usable size of any block is its heap size minus this.
constexpr size_t kGuardBytes = 4;

void* HeapBlock(size_t size, bool zero) {
    if (size > static_cast<size_t>(-1) - kGuardBytes) return nullptr;
    return GlobalAlloc(zero ? GPTR : GMEM_FIXED, size + kGuardBytes);
}

size_t UsableHeapSize(void* block) {
    size_t heapSize = GlobalSize(block);
    return heapSize > kGuardBytes ? heapSize - kGuardBytes : 0;
}

#ifndef NIMBO_PLUGIN

void* TrackedBlock(size_t size, const char* tag, bool zero) {
    void* block = HeapBlock(size, zero);
    if (!block) return nullptr;
    if (MemRegistryAdd(block, size, tag) >= 0) MemGuardWrite(block, size);
    return block;
}

// Usable size of a block of ours: the recorded one when tracked, else what the heap reports.
size_t UsableSize(void* block) {
    int index = MemRegistryLookup(block);
    return index >= 0 ? MemRegistrySize(index) : UsableHeapSize(block);
}

void* ReallocBlock(void* block, size_t newSize, bool zero) {
    int index = MemRegistryLookup(block);
    const char* tag = index >= 0 ? MemRegistryTag(index) : "Realloc";
    void* fresh = TrackedBlock(newSize, tag, zero);
    if (!fresh) return nullptr;
    if (block) {
        // Only the usable bytes move: copying the old guard would leave 01 02 03 04 in the middle of
        // a grown block that the caller expects zeroed.
        size_t oldSize = UsableSize(block);
        memcpy(fresh, block, oldSize < newSize ? oldSize : newSize);
        MemFree(block);
    }
    MemGuardWrite(fresh, newSize);
    return fresh;
}

#else

void* ReallocBlock(void* block, size_t newSize, bool zero) {
    void* fresh = HeapBlock(newSize, zero);
    if (!fresh) return nullptr;
    if (block) {
        size_t oldSize = UsableHeapSize(block);
        memcpy(fresh, block, oldSize < newSize ? oldSize : newSize);
        GlobalFree(block);
    }
    static const unsigned char guard[kGuardBytes] = {0x01, 0x02, 0x03, 0x04};
    memcpy(static_cast<unsigned char*>(fresh) + newSize, guard, kGuardBytes);
    return fresh;
}

#endif

} // namespace

#ifndef NIMBO_PLUGIN

void* MemAlloc(size_t size, const char* tag) {
    return TrackedBlock(size, tag, false);
}

void* MemAllocZero(size_t size, const char* tag) {
    return TrackedBlock(size, tag, true);
}

void MemFree(void* block) {
    if (!block) return;
    int index = MemRegistryLookup(block);
    if (index >= 0) {
        MemRegistryRemove(index);
        if (!MemGuardIntact(block, MemRegistrySize(index))) MemReportOverflow(MemRegistryTag(index));
    }
    GlobalFree(block);
}

void MemSwap(void* a, void* b, size_t length) {
    unsigned char* left = static_cast<unsigned char*>(a);
    unsigned char* right = static_cast<unsigned char*>(b);
    size_t done = 0;
    for (; done + 4 <= length; done += 4) {
        unsigned int word;
        memcpy(&word, left + done, 4);
        memcpy(left + done, right + done, 4);
        memcpy(right + done, &word, 4);
    }
    for (; done < length; ++done) {
        unsigned char byte = left[done];
        left[done] = right[done];
        right[done] = byte;
    }
}

int MemStatus(int* availablePhysicalMb, int* availableVirtualMb) {
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) {
        if (availablePhysicalMb) *availablePhysicalMb = 0;
        if (availableVirtualMb) *availableVirtualMb = 0;
        return 0;
    }
    if (availablePhysicalMb) *availablePhysicalMb = static_cast<int>(status.ullAvailPhys >> 20);
    if (availableVirtualMb) *availableVirtualMb = static_cast<int>(status.ullAvailVirtual >> 20);
    return static_cast<int>(status.ullTotalPhys >> 20);
}

#else

// The plug-in keeps no registry: tags are accepted for a common interface and dropped.
void* MemAlloc(size_t size, const char*) {
    return HeapBlock(size, false);
}

void* MemAllocZero(size_t size, const char*) {
    return HeapBlock(size, true);
}

void MemFree(void* block) {
    if (block) GlobalFree(block);
}

#endif

void* MemRealloc(void* block, size_t newSize) {
    return ReallocBlock(block, newSize, false);
}

void* MemReallocZero(void* block, size_t newSize) {
    return ReallocBlock(block, newSize, true);
}
