#ifndef NIMBO_PLUGIN

#include "runtime/memory.h"
#include "runtime/memory_registry.h"

#include <cstdio>
#include <cstring>

namespace {

struct MemEntry {
    char tag[kMemTagLength + 1];
    void* block; // null: the entry is free
    size_t size;
};

const unsigned char kGuard[4] = {0x01, 0x02, 0x03, 0x04};

MemEntry g_entries[kMemRegistrySize];
// One more than the highest index ever used; entries below it may be free again.
int g_highWater = 0;

void CopyTag(char* dest, const char* tag) {
    int length = 0;
    if (tag) {
        while (length < kMemTagLength && tag[length]) {
            dest[length] = tag[length];
            ++length;
        }
    }
    dest[length] = 0;
}

int FirstFreeEntry() {
    // Once the table has been full it stays closed, so that the high-water scan stays bounded
    // and late blocks never displace the record of an early one.
    if (g_highWater >= kMemRegistrySize) return -1;
    for (int i = 0; i < g_highWater; ++i)
        if (!g_entries[i].block) return i;
    return g_highWater;
}

} // namespace

int MemRegistryAdd(void* block, size_t size, const char* tag) {
    int index = FirstFreeEntry();
    if (index < 0) return -1;
    MemEntry& entry = g_entries[index];
    CopyTag(entry.tag, tag);
    entry.block = block;
    entry.size = size;
    if (index + 1 > g_highWater) g_highWater = index + 1;
    return index;
}

int MemRegistryLookup(const void* block) {
    if (!block) return -1;
    for (int i = 0; i < g_highWater; ++i)
        if (g_entries[i].block == block) return i;
    return -1;
}

const char* MemRegistryTag(int index) {
    return g_entries[index].tag;
}

size_t MemRegistrySize(int index) {
    return g_entries[index].size;
}

void MemRegistryRemove(int index) {
    g_entries[index].block = nullptr;
}

int MemGuardIntact(const void* block, size_t size) {
    return memcmp(static_cast<const unsigned char*>(block) + size, kGuard, sizeof kGuard) == 0;
}

void MemGuardWrite(void* block, size_t size) {
    memcpy(static_cast<unsigned char*>(block) + size, kGuard, sizeof kGuard);
}

void MemReportOverflow(const char* tag) {
    printf("Overflow in memory %s\n", tag);
    fflush(stdout);
}

int MemCheckAll() {
    for (int i = 0; i < g_highWater; ++i) {
        const MemEntry& entry = g_entries[i];
        if (entry.block && !MemGuardIntact(entry.block, entry.size)) MemReportOverflow(entry.tag);
    }
    return g_highWater;
}

int MemNext(char* tagOut, void** blockOut, size_t* sizeOut, int afterIndex) {
    int start = afterIndex < 0 ? 0 : afterIndex + 1;
    for (int i = start; i < g_highWater; ++i) {
        const MemEntry& entry = g_entries[i];
        if (!entry.block) continue;
        if (tagOut) CopyTag(tagOut, entry.tag);
        if (blockOut) *blockOut = entry.block;
        if (sizeOut) *sizeOut = entry.size;
        return i;
    }
    return -1;
}

int MemFind(const char* tag, int fromIndex) {
    char wanted[kMemTagLength + 1];
    CopyTag(wanted, tag);
    for (int i = fromIndex < 0 ? 0 : fromIndex; i < g_highWater; ++i)
        if (g_entries[i].block && strcmp(g_entries[i].tag, wanted) == 0) return i;
    return -1;
}

int MemCount() {
    int count = 0;
    for (int i = 0; i < g_highWater; ++i)
        if (g_entries[i].block) ++count;
    return count;
}

#endif
