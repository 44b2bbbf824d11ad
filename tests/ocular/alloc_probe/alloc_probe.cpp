// allocprobe.ix: counts the allocations the plug-in makes. The plug-in links its C runtime and its
// tagged allocator statically, so each of its allocations leaves the module through an import of
// one of the functions below; pointing those import slots of the loaded ocular.ix at counting
// wrappers counts every one of them, and nothing any other module allocates.
//
//   allocprobe start    patch ocular.ix (again) and start from 0; prints "allocprobe patched N NAMES"
//   allocprobe count    prints "allocprobe count N" and the functions that were called
//   allocprobe through  one GlobalAlloc and GlobalFree through ocular.ix's own import slot
//   allocprobe stop     puts the original functions back (also done at unload)
#include "orbisa_cface.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

void Say(const char* format, ...) {
    char text[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fputs(text, stdout);
    fputs("\n", stdout);
    fflush(stdout);
}

enum Counted {
    kHeapAlloc,
    kHeapReAlloc,
    kRtlAllocateHeap,
    kRtlReAllocateHeap,
    kLocalAlloc,
    kLocalReAlloc,
    kGlobalAlloc,
    kGlobalReAlloc,
    kVirtualAlloc,
    kMalloc,
    kCalloc,
    kRealloc,
    kRecalloc,
    kAlignedMalloc,
    kAlignedRealloc,
    kStrdup,
    kUnderscoreStrdup,
    kWcsdup,
    kUnderscoreWcsdup,
    kCountedFunctions
};

struct Original {
    void* function; // what the slot held before patching
    void** slot;    // the import slot in ocular.ix, null when not imported
    volatile LONG calls;
};

Original Originals[kCountedFunctions];

template <typename F> F OriginalOf(Counted which) {
    InterlockedIncrement(&Originals[which].calls);
    return reinterpret_cast<F>(Originals[which].function);
}

LPVOID WINAPI CountHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    return OriginalOf<decltype(&HeapAlloc)>(kHeapAlloc)(heap, flags, bytes);
}
LPVOID WINAPI CountHeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes) {
    return OriginalOf<decltype(&HeapReAlloc)>(kHeapReAlloc)(heap, flags, block, bytes);
}
typedef PVOID(WINAPI* RtlAllocateHeapFunc)(PVOID, ULONG, SIZE_T);
typedef PVOID(WINAPI* RtlReAllocateHeapFunc)(PVOID, ULONG, PVOID, SIZE_T);
PVOID WINAPI CountRtlAllocateHeap(PVOID heap, ULONG flags, SIZE_T bytes) {
    return OriginalOf<RtlAllocateHeapFunc>(kRtlAllocateHeap)(heap, flags, bytes);
}
PVOID WINAPI CountRtlReAllocateHeap(PVOID heap, ULONG flags, PVOID block, SIZE_T bytes) {
    return OriginalOf<RtlReAllocateHeapFunc>(kRtlReAllocateHeap)(heap, flags, block, bytes);
}
HLOCAL WINAPI CountLocalAlloc(UINT flags, SIZE_T bytes) {
    return OriginalOf<decltype(&LocalAlloc)>(kLocalAlloc)(flags, bytes);
}
HLOCAL WINAPI CountLocalReAlloc(HLOCAL block, SIZE_T bytes, UINT flags) {
    return OriginalOf<decltype(&LocalReAlloc)>(kLocalReAlloc)(block, bytes, flags);
}
HGLOBAL WINAPI CountGlobalAlloc(UINT flags, SIZE_T bytes) {
    return OriginalOf<decltype(&GlobalAlloc)>(kGlobalAlloc)(flags, bytes);
}
HGLOBAL WINAPI CountGlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags) {
    return OriginalOf<decltype(&GlobalReAlloc)>(kGlobalReAlloc)(block, bytes, flags);
}
LPVOID WINAPI CountVirtualAlloc(LPVOID address, SIZE_T bytes, DWORD type, DWORD protect) {
    return OriginalOf<decltype(&VirtualAlloc)>(kVirtualAlloc)(address, bytes, type, protect);
}
typedef void* (*MallocFunc)(size_t);
typedef void* (*CallocFunc)(size_t, size_t);
typedef void* (*ReallocFunc)(void*, size_t);
typedef void* (*RecallocFunc)(void*, size_t, size_t);
typedef void* (*AlignedMallocFunc)(size_t, size_t);
typedef void* (*AlignedReallocFunc)(void*, size_t, size_t);
typedef char* (*StrdupFunc)(const char*);
typedef wchar_t* (*WcsdupFunc)(const wchar_t*);
void* CountMalloc(size_t bytes) {
    return OriginalOf<MallocFunc>(kMalloc)(bytes);
}
void* CountCalloc(size_t count, size_t bytes) {
    return OriginalOf<CallocFunc>(kCalloc)(count, bytes);
}
void* CountRealloc(void* block, size_t bytes) {
    return OriginalOf<ReallocFunc>(kRealloc)(block, bytes);
}
void* CountRecalloc(void* block, size_t count, size_t bytes) {
    return OriginalOf<RecallocFunc>(kRecalloc)(block, count, bytes);
}
void* CountAlignedMalloc(size_t bytes, size_t alignment) {
    return OriginalOf<AlignedMallocFunc>(kAlignedMalloc)(bytes, alignment);
}
void* CountAlignedRealloc(void* block, size_t bytes, size_t alignment) {
    return OriginalOf<AlignedReallocFunc>(kAlignedRealloc)(block, bytes, alignment);
}
char* CountStrdup(const char* text) {
    return OriginalOf<StrdupFunc>(kStrdup)(text);
}
char* CountUnderscoreStrdup(const char* text) {
    return OriginalOf<StrdupFunc>(kUnderscoreStrdup)(text);
}
wchar_t* CountWcsdup(const wchar_t* text) {
    return OriginalOf<WcsdupFunc>(kWcsdup)(text);
}
wchar_t* CountUnderscoreWcsdup(const wchar_t* text) {
    return OriginalOf<WcsdupFunc>(kUnderscoreWcsdup)(text);
}

struct Wrapper {
    const char* name;
    void* wrapper;
};

// Indexed by Counted.
const Wrapper kWrappers[kCountedFunctions] = {
    {"HeapAlloc", reinterpret_cast<void*>(CountHeapAlloc)},
    {"HeapReAlloc", reinterpret_cast<void*>(CountHeapReAlloc)},
    {"RtlAllocateHeap", reinterpret_cast<void*>(CountRtlAllocateHeap)},
    {"RtlReAllocateHeap", reinterpret_cast<void*>(CountRtlReAllocateHeap)},
    {"LocalAlloc", reinterpret_cast<void*>(CountLocalAlloc)},
    {"LocalReAlloc", reinterpret_cast<void*>(CountLocalReAlloc)},
    {"GlobalAlloc", reinterpret_cast<void*>(CountGlobalAlloc)},
    {"GlobalReAlloc", reinterpret_cast<void*>(CountGlobalReAlloc)},
    {"VirtualAlloc", reinterpret_cast<void*>(CountVirtualAlloc)},
    {"malloc", reinterpret_cast<void*>(CountMalloc)},
    {"calloc", reinterpret_cast<void*>(CountCalloc)},
    {"realloc", reinterpret_cast<void*>(CountRealloc)},
    {"_recalloc", reinterpret_cast<void*>(CountRecalloc)},
    {"_aligned_malloc", reinterpret_cast<void*>(CountAlignedMalloc)},
    {"_aligned_realloc", reinterpret_cast<void*>(CountAlignedRealloc)},
    {"strdup", reinterpret_cast<void*>(CountStrdup)},
    {"_strdup", reinterpret_cast<void*>(CountUnderscoreStrdup)},
    {"wcsdup", reinterpret_cast<void*>(CountWcsdup)},
    {"_wcsdup", reinterpret_cast<void*>(CountUnderscoreWcsdup)},
};

HMODULE PatchedModule;

void WriteSlot(void** slot, void* value) {
    DWORD previous = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) return;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, previous, &previous);
}

int FindCounted(const char* name) {
    for (int i = 0; i < kCountedFunctions; ++i)
        if (strcmp(kWrappers[i].name, name) == 0) return i;
    return -1;
}

// Walks the module's import descriptors; slots already pointing at a wrapper keep their original.
int PatchImports(HMODULE module) {
    BYTE* base = reinterpret_cast<BYTE*>(module);
    IMAGE_DOS_HEADER* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    IMAGE_NT_HEADERS* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    IMAGE_DATA_DIRECTORY directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return 0;
    int patched = 0;
    IMAGE_IMPORT_DESCRIPTOR* import =
        reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; import->Name; ++import) {
        DWORD namesRva = import->OriginalFirstThunk ? import->OriginalFirstThunk : import->FirstThunk;
        IMAGE_THUNK_DATA* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesRva);
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            IMAGE_IMPORT_BY_NAME* byName =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            int which = FindCounted(reinterpret_cast<const char*>(byName->Name));
            if (which < 0) continue;
            void** slot = reinterpret_cast<void**>(&slots->u1.Function);
            if (*slot != kWrappers[which].wrapper) {
                Originals[which].function = *slot;
                Originals[which].slot = slot;
                WriteSlot(slot, kWrappers[which].wrapper);
            }
            ++patched;
        }
    }
    return patched;
}

// Only while the module that was patched is still loaded: after its unload there is nothing to restore.
void RestoreImports() {
    if (!PatchedModule || GetModuleHandleW(L"ocular.ix") != PatchedModule) {
        PatchedModule = nullptr;
        return;
    }
    for (Original& original : Originals) {
        if (original.slot) WriteSlot(original.slot, original.function);
        original.slot = nullptr;
    }
    PatchedModule = nullptr;
}

LONG TotalCalls() {
    LONG total = 0;
    for (const Original& original : Originals) total += original.calls;
    return total;
}

void Start(const wchar_t*) {
    HMODULE module = GetModuleHandleW(L"ocular.ix");
    if (!module) {
        Say("allocprobe no ocular.ix");
        return;
    }
    PatchedModule = module;
    int patched = PatchImports(module);
    for (Original& original : Originals) original.calls = 0;
    char names[1024] = "";
    size_t used = 0;
    for (int i = 0; i < kCountedFunctions; ++i) {
        if (!Originals[i].slot) continue;
        int written = snprintf(names + used, sizeof names - used, " %s", kWrappers[i].name);
        if (written < 0 || static_cast<size_t>(written) >= sizeof names - used) break;
        used += static_cast<size_t>(written);
    }
    Say("allocprobe patched %d%s", patched, names);
}

void Count(const wchar_t*) {
    char calls[1024] = "";
    size_t used = 0;
    for (int i = 0; i < kCountedFunctions; ++i) {
        if (Originals[i].calls == 0) continue;
        int written = snprintf(calls + used, sizeof calls - used, " %s=%ld", kWrappers[i].name,
                               static_cast<long>(Originals[i].calls));
        if (written < 0 || static_cast<size_t>(written) >= sizeof calls - used) break;
        used += static_cast<size_t>(written);
    }
    Say("allocprobe count %ld%s", static_cast<long>(TotalCalls()), calls);
}

// A known allocation through the plug-in's own slot: shows that what goes through it is counted.
void Through(const wchar_t*) {
    Original& global = Originals[kGlobalAlloc];
    if (!global.slot) {
        Say("allocprobe through: GlobalAlloc not patched");
        return;
    }
    auto allocate = reinterpret_cast<decltype(&GlobalAlloc)>(*global.slot);
    GlobalFree(allocate(GMEM_FIXED, 16));
    Say("allocprobe through done");
}

void Stop(const wchar_t*) {
    RestoreImports();
    Say("allocprobe stopped");
}

int Unload() {
    RestoreImports();
    return 0;
}

const MAppCmdHook kCommands[] = {
    {1, Start, "AllocProbeStart", "Start counting"},
    {2, Count, "AllocProbeCount", "Print the count"},
    {3, Through, "AllocProbeThrough", "Allocate through the slot"},
    {4, Stop, "AllocProbeStop", "Stop counting"},
    {0, nullptr, nullptr, nullptr},
};

const MAppSpaccel kKeyins[] = {
    {L"AllocProbeStart", L"allocprobe start", nullptr},
    {L"AllocProbeCount", L"allocprobe count", nullptr},
    {L"AllocProbeThrough", L"allocprobe through", nullptr},
    {L"AllocProbeStop", L"allocprobe stop", nullptr},
    {nullptr, nullptr, nullptr},
};

} // namespace

extern "C" __declspec(dllexport) int MiniAppMain(void) {
    MAppSetFunc(MAppEventUnload, Unload);
    MAppCmdHooksPublish(kCommands);
    MAppCmdSpaccelsPublish(kKeyins);
    return 0;
}
