#include "node_cache.h"

#include "storage_names.h"

#include <string.h>

#include <new>
#include <vector>

struct CacheSlot {
    NodePoints points;
    uint8_t* memory; // null while not resident
    uint64_t bytes;
    CacheSlot* older;
    CacheSlot* newer;
    uint64_t pinMask; // bit i: pinned under the priority of pin list i
    bool failed;      // its data could not be read; not tried again
    int block;
    uint32_t node;
};

struct PinList {
    bool used;
    int priority;
    std::vector<CacheSlot*> slots;
};

namespace {

uint64_t Align16(uint64_t bytes) {
    return (bytes + 15) & ~15ull;
}

void Unlink(NodeCache* cache, CacheSlot* slot) {
    if (slot->older) {
        slot->older->newer = slot->newer;
    } else if (cache->oldest == slot) {
        cache->oldest = slot->newer;
    }
    if (slot->newer) {
        slot->newer->older = slot->older;
    } else if (cache->newest == slot) {
        cache->newest = slot->older;
    }
    slot->older = slot->newer = nullptr;
}

void LinkNewest(NodeCache* cache, CacheSlot* slot) {
    slot->older = cache->newest;
    slot->newer = nullptr;
    if (cache->newest) cache->newest->newer = slot;
    cache->newest = slot;
    if (!cache->oldest) cache->oldest = slot;
}

void Evict(NodeCache* cache, CacheSlot* slot) {
    Unlink(cache, slot);
    delete[] slot->memory;
    slot->memory = nullptr;
    cache->usedBytes -= slot->bytes;
    --cache->residentNodes;
    ++cache->evictions;
    NodePoints empty{};
    slot->points = empty;
}

// Evicts unpinned nodes, oldest first, until wanted more bytes fit under the limit.
bool MakeRoom(NodeCache* cache, uint64_t wanted) {
    CacheSlot* slot = cache->oldest;
    while (cache->usedBytes + wanted > cache->limitBytes && slot) {
        CacheSlot* next = slot->newer;
        if (slot->pinMask == 0) Evict(cache, slot);
        slot = next;
    }
    return cache->usedBytes + wanted <= cache->limitBytes;
}

int PinListFor(NodeCache* cache, int priority, bool create) {
    int free = -1;
    for (int i = 0; i < kMaxPinPriorities; ++i) {
        if (cache->pins[i].used && cache->pins[i].priority == priority) return i;
        if (!cache->pins[i].used && free < 0) free = i;
    }
    if (!create || free < 0) return -1;
    cache->pins[free].used = true;
    cache->pins[free].priority = priority;
    return free;
}

bool Pin(NodeCache* cache, CacheSlot* slot, int priority) {
    int list = PinListFor(cache, priority, true);
    if (list < 0) return false;
    uint64_t bit = 1ull << list;
    if (!(slot->pinMask & bit)) {
        slot->pinMask |= bit;
        cache->pins[list].slots.push_back(slot);
    }
    return true;
}

void ReportFailure(NodeCache* cache, const CacheSlot& slot) {
    if (!cache->reportFailure) return;
    const BlockStorage& block = cache->blocks[slot.block];
    wchar_t text[kPathChars + 128];
    TextCopy(text, kPathChars + 128, L"The storage of block ");
    TextAppend(text, kPathChars + 128, block.tree.blockName);
    TextAppend(text, kPathChars + 128, L" is damaged: its points cannot be read from ");
    TextAppend(text, kPathChars + 128, block.files[kBlockTree].path);
    TextAppend(text, kPathChars + 128, L" and its channel files.");
    cache->reportFailure(cache->reportContext, text);
}

// Lays the node's columns out in one allocation and reads them.
bool ReadSlot(NodeCache* cache, CacheSlot* slot) {
    BlockStorage& block = cache->blocks[slot->block];
    uint32_t count = block.nodes[slot->node].pointCount;
    uint8_t* memory = new (std::nothrow) uint8_t[slot->bytes];
    if (!memory) return false;
    NodePoints points{};
    points.count = count;
    uint64_t at = 0;
    bool ok = true;
    for (int file = kBlockTree; file <= kBlockReturns && ok; ++file) {
        if (!block.crcs[file]) continue;
        uint8_t* column = memory + at;
        ok = BlockStorageReadNode(&block, slot->node, file, column);
        at += Align16(static_cast<uint64_t>(count) * BytesPerPointOfBlockFile(file));
        switch (file) {
            case kBlockTree:
                points.offsets = reinterpret_cast<const int32_t*>(column);
                break;
            case kBlockIntensity:
                points.intensity = reinterpret_cast<const uint16_t*>(column);
                break;
            case kBlockClasses:
                points.classification = column;
                break;
            case kBlockColours:
                points.rgb = column;
                break;
            case kBlockReturns:
                points.returnNumber = column;
                break;
        }
    }
    if (!ok) {
        delete[] memory;
        return false;
    }
    slot->memory = memory;
    slot->points = points;
    ++cache->reads;
    return true;
}

const NodePoints* AcquireFromCache(void* context, int block, int node, int priority) {
    return NodeCacheAcquire(static_cast<NodeCache*>(context), block, node, priority);
}

void ReleaseFromCache(void* context, int priority) {
    NodeCacheRelease(static_cast<NodeCache*>(context), priority);
}

} // namespace

uint64_t NodeCacheBytes(const BlockStorage& block, uint32_t node) {
    uint64_t count = block.nodes[node].pointCount;
    uint64_t bytes = 0;
    for (int file = kBlockTree; file <= kBlockReturns; ++file)
        if (block.crcs[file]) bytes += Align16(count * BytesPerPointOfBlockFile(file));
    return bytes > 0 ? bytes : 16;
}

bool NodeCacheInit(NodeCache* cache, BlockStorage* blocks, int blockCount, uint64_t limitBytes) {
    memset(cache, 0, sizeof(*cache));
    cache->blocks = blocks;
    cache->blockCount = blockCount;
    cache->limitBytes = limitBytes;
    cache->slots = new (std::nothrow) CacheSlot*[blockCount > 0 ? blockCount : 1]();
    cache->pins = new (std::nothrow) PinList[kMaxPinPriorities]();
    if (!cache->slots || !cache->pins) {
        NodeCacheFree(cache);
        return false;
    }
    for (int b = 0; b < blockCount; ++b) {
        uint32_t count = blocks[b].tree.nodeCount;
        cache->slots[b] = new (std::nothrow) CacheSlot[count]();
        if (!cache->slots[b]) {
            NodeCacheFree(cache);
            return false;
        }
        for (uint32_t n = 0; n < count; ++n) {
            cache->slots[b][n].block = b;
            cache->slots[b][n].node = n;
            cache->slots[b][n].bytes = NodeCacheBytes(blocks[b], n);
        }
    }
    return true;
}

void NodeCacheFree(NodeCache* cache) {
    if (cache->slots) {
        for (int b = 0; b < cache->blockCount; ++b) {
            if (!cache->slots[b]) continue;
            for (uint32_t n = 0; n < cache->blocks[b].tree.nodeCount; ++n) delete[] cache->slots[b][n].memory;
            delete[] cache->slots[b];
        }
    }
    delete[] cache->slots;
    delete[] cache->pins;
    memset(cache, 0, sizeof(*cache));
}

void NodeCacheSetLimit(NodeCache* cache, uint64_t limitBytes) {
    cache->limitBytes = limitBytes;
    MakeRoom(cache, 0);
}

const NodePoints* NodeCacheAcquire(NodeCache* cache, int block, int node, int priority) {
    if (!cache->slots || block < 0 || block >= cache->blockCount || node < 0 ||
        static_cast<uint32_t>(node) >= cache->blocks[block].tree.nodeCount)
        return nullptr;
    CacheSlot* slot = &cache->slots[block][node];
    if (!slot->memory) {
        if (slot->failed || !MakeRoom(cache, slot->bytes)) return nullptr;
        if (!ReadSlot(cache, slot)) {
            slot->failed = true;
            ReportFailure(cache, *slot);
            return nullptr;
        }
        cache->usedBytes += slot->bytes;
        ++cache->residentNodes;
    } else {
        Unlink(cache, slot);
    }
    LinkNewest(cache, slot);
    if (!Pin(cache, slot, priority)) return nullptr;
    return &slot->points;
}

void NodeCacheRelease(NodeCache* cache, int priority) {
    if (!cache->pins) return;
    int list = PinListFor(cache, priority, false);
    if (list < 0) return;
    uint64_t bit = 1ull << list;
    for (CacheSlot* slot : cache->pins[list].slots) slot->pinMask &= ~bit;
    cache->pins[list].slots.clear();
    cache->pins[list].used = false;
}

CloudSource NodeCacheSource(NodeCache* cache, const CloudBlock* blocks) {
    CloudSource source{};
    source.blocks = blocks;
    source.blockCount = cache->blockCount;
    source.context = cache;
    source.acquire = AcquireFromCache;
    source.release = ReleaseFromCache;
    return source;
}
