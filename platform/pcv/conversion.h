// Converting a project's points into storage and loading it: the work of pcvConvertLidoraProject,
// run on the engine's worker thread. Blocks are converted one after the other (each on both cores):
// from the points in memory when asked to, otherwise those whose storage is missing, damaged or
// older than their LAS source. A session file stands for the project it names.
#pragma once

#include "loaded_project.h"
#include "memory_source.h"

#include <stddef.h>
#include <stdint.h>

struct WorkProgress {
    // Called with 0 .. 99 and a description ("Reading points: north", "Building octree: north",
    // "Writing storage: north", "Writing project tables", "Loading"); may be null.
    void (*report)(void* context, int percent, const wchar_t* description);
    void* context;
    const volatile bool* cancel;
};

struct ConversionRequest {
    wchar_t file[kPathChars]; // project or session file
    uint64_t channels;        // channels to store (bit n: channel n); 0: every channel the source has
    bool fromMemory;          // convert memory into the project's first block
    MemoryPoints memory;
    wchar_t engine[128]; // what the engine was told of its caller, for the record and the summary
    uint64_t cacheBytes;
    int threads;
};

// Converts what needs converting, then loads. The loaded project, or null with the reason in error;
// a failed conversion leaves no index, so its storage is not taken as valid later.
LoadedProject* ConvertAndLoad(const ConversionRequest& request, const WorkProgress& progress, wchar_t* error,
                              size_t errorChars);

// A fresh storage id: different for every conversion of a block.
uint64_t NewStorageId();
