#include "parts/readable_memory.h"

#include <windows.h>

#include <stdint.h>

namespace {

bool IsReadable(const MEMORY_BASIC_INFORMATION& info) {
    if (info.State != MEM_COMMIT) return false;
    if (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return (info.Protect & readable) != 0;
}

} // namespace

size_t ReadableBytesFrom(const void* pointer, size_t limit) {
    if (!pointer) return 0;
    uintptr_t start = reinterpret_cast<uintptr_t>(pointer);
    uintptr_t at = start;
    size_t total = 0;
    while (total < limit) {
        MEMORY_BASIC_INFORMATION info;
        if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) != sizeof info) break;
        if (!IsReadable(info)) break;
        uintptr_t regionEnd = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (regionEnd <= at) break;
        total = regionEnd - start;
        at = regionEnd;
    }
    return total < limit ? total : limit;
}
