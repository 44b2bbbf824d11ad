// The points of a loaded project's nodes in memory: read from the storage files when the renderer
// first asks for them, pinned under a priority until that priority is released, and evicted, least
// recently used first, when the memory they take would pass the limit. Used on one thread only (the
// one that calls the renderer).
#pragma once

#include "block_storage_read.h"
#include "cloud_source.h"

#include <stdint.h>

struct CacheSlot;
struct PinList;

struct NodeCache {
    BlockStorage* blocks; // not owned
    int blockCount;
    CacheSlot** slots; // per block, one slot per node
    CacheSlot* oldest; // the resident slots, least recently used first
    CacheSlot* newest;
    PinList* pins; // kMaxPinPriorities lists
    uint64_t limitBytes;
    uint64_t usedBytes;
    uint64_t residentNodes;
    uint64_t reads;     // nodes read from storage
    uint64_t evictions; // nodes given up to stay under the limit
    // Called once for each node whose data cannot be read (a damaged or vanished file).
    void (*reportFailure)(void* context, const wchar_t* text);
    void* reportContext;
};

// Different priorities that may hold pins at the same time.
constexpr int kMaxPinPriorities = 64;

bool NodeCacheInit(NodeCache* cache, BlockStorage* blocks, int blockCount, uint64_t limitBytes);
void NodeCacheFree(NodeCache* cache);
// Changes the limit; evicts unpinned nodes at once when the cache holds more.
void NodeCacheSetLimit(NodeCache* cache, uint64_t limitBytes);

// The node's points, read when they are not resident, pinned under priority. Null when the node does
// not exist, its data cannot be read, or it does not fit under the limit beside the pinned nodes.
const NodePoints* NodeCacheAcquire(NodeCache* cache, int block, int node, int priority);
// Unpins what priority pinned; the points stay resident until evicted.
void NodeCacheRelease(NodeCache* cache, int priority);

// The bytes a node takes in memory with the channels its block stores.
uint64_t NodeCacheBytes(const BlockStorage& block, uint32_t node);

// A cloud source whose acquire and release go to cache (which must stay where it is).
CloudSource NodeCacheSource(NodeCache* cache, const CloudBlock* blocks);
