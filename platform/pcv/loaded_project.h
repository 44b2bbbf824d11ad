// A project opened from its storage: the index, the tables, every block's files and node table, and
// the node cache that brings the nodes' points in as the renderer asks for them. Loading reads no
// points; it refuses storage that is incomplete, truncated, damaged or from different conversions.
#pragma once

#include "block_storage_read.h"
#include "node_cache.h"
#include "project_file.h"
#include "project_storage.h"

#include <stddef.h>
#include <stdint.h>

struct LoadedProject {
    ProjectFile project;
    ProjectIndex index;
    ProjectTables tables;
    BlockStorage* storages;
    CloudBlock* blocks; // what the renderer sees; ranges and class colours from the project's tables
    int blockCount;
    NodeCache cache;
    CloudSource source;
    uint64_t channelMask; // the channels any block carries
};

// Opens the storage of project. Null with the reason in error.
LoadedProject* LoadedProjectOpen(const ProjectFile& project, uint64_t cacheBytes, wchar_t* error,
                                 size_t errorChars);
void LoadedProjectFree(LoadedProject* loaded);
