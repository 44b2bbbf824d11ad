#include "block_storage_read.h"

#include "storage_names.h"

#include <math.h>
#include <string.h>

#include <new>

namespace {

enum class Fault { None, Missing, Truncated, Damaged };

void FaultText(wchar_t* error, size_t errorChars, Fault fault, const wchar_t* path) {
    const wchar_t* text = fault == Fault::Missing     ? L" is missing."
                          : fault == Fault::Truncated ? L" is truncated."
                                                      : L" is damaged or belongs to another conversion.";
    TextCopy(error, errorChars, L"The storage file ");
    TextAppend(error, errorChars, path);
    TextAppend(error, errorChars, text);
}

// The size check common to every header: the file must be as long as the header says, and a
// shorter one is truncated rather than damaged.
Fault SizeFault(uint64_t recorded, uint64_t actual) {
    if (actual < recorded) return Fault::Truncated;
    return actual == recorded ? Fault::None : Fault::Damaged;
}

bool FinitePositive(double value) {
    return isfinite(value) && value > 0;
}

Fault CheckTreeHeader(const BlockTreeHeader& h, uint64_t fileSize) {
    if (memcmp(h.signature, kTreeSignature, 8) != 0 || h.version != kStorageVersion ||
        h.headerBytes != sizeof(h) || h.headerCrc != HeaderCrc(h))
        return Fault::Damaged;
    if (h.nodeRecordBytes != sizeof(NodeRecord) || h.nodeTableOffset != sizeof(h) || h.nodeCount == 0 ||
        h.pointCount > (1ull << 40) || h.nodeCount > h.pointCount ||
        h.positionsOffset != h.nodeTableOffset + static_cast<uint64_t>(h.nodeCount) * sizeof(NodeRecord) ||
        h.fileBytes != h.positionsOffset + h.pointCount * 12 || !(h.channelMask & 1))
        return Fault::Damaged;
    for (int axis = 0; axis < 3; ++axis)
        if (!FinitePositive(h.scale[axis]) || !isfinite(h.origin[axis])) return Fault::Damaged;
    if (h.blockName[kMaxBlockNameChars] != 0) return Fault::Damaged;
    return SizeFault(h.fileBytes, fileSize);
}

Fault CheckChannelHeader(const ChannelFileHeader& h, const BlockTreeHeader& tree, int file,
                         uint64_t fileSize) {
    if (memcmp(h.signature, kChannelSignature, 8) != 0 || h.version != kStorageVersion ||
        h.headerBytes != sizeof(h) || h.headerCrc != HeaderCrc(h))
        return Fault::Damaged;
    if (h.storageId != tree.storageId || h.pointCount != tree.pointCount || h.nodeCount != tree.nodeCount ||
        h.channel != ChannelOfBlockFile(file) || h.bytesPerPoint != BytesPerPointOfBlockFile(file) ||
        h.crcTableOffset != sizeof(h) || h.dataOffset != h.crcTableOffset + 4ull * h.nodeCount ||
        h.fileBytes != h.dataOffset + h.pointCount * h.bytesPerPoint)
        return Fault::Damaged;
    return SizeFault(h.fileBytes, fileSize);
}

// The node table must be a tree whose parents come first and whose nodes hold every point once,
// in order.
bool SoundTree(const NodeRecord* records, uint32_t count, uint64_t pointCount) {
    uint64_t next = 0;
    for (uint32_t n = 0; n < count; ++n) {
        const NodeRecord& r = records[n];
        if (r.firstPoint != next) return false;
        next += r.pointCount;
        if (next > pointCount) return false;
        if (n == 0 ? (r.parent != kNoNode || r.level != 0)
                   : (r.parent < 0 || static_cast<uint32_t>(r.parent) >= n ||
                      r.level != records[r.parent].level + 1))
            return false;
        if (n > 0) {
            bool listed = false;
            for (int32_t child : records[r.parent].children)
                listed = listed || child == static_cast<int32_t>(n);
            if (!listed) return false;
        }
        for (int32_t child : r.children)
            if (child != kNoNode &&
                (child <= static_cast<int32_t>(n) || static_cast<uint32_t>(child) >= count))
                return false;
        for (int axis = 0; axis < 3; ++axis)
            if (!isfinite(r.minimum[axis]) || !isfinite(r.maximum[axis]) || r.maximum[axis] < r.minimum[axis])
                return false;
        if (!isfinite(r.spacing) || r.spacing < 0) return false;
    }
    return next == pointCount;
}

bool Fail(BlockStorage* storage, wchar_t* error, size_t errorChars, Fault fault, const wchar_t* path) {
    FaultText(error, errorChars, fault, path);
    BlockStorageClose(storage);
    return false;
}

bool LoadNodeTable(BlockStorage* s) {
    uint32_t count = s->tree.nodeCount;
    NodeRecord* records = new (std::nothrow) NodeRecord[count];
    s->nodes = new (std::nothrow) CloudNode[count];
    s->nodeFirst = new (std::nothrow) uint64_t[count];
    s->crcs[kBlockTree] = new (std::nothrow) uint32_t[count];
    bool ok =
        records && s->nodes && s->nodeFirst && s->crcs[kBlockTree] &&
        StorageReadAt(&s->files[kBlockTree], s->tree.nodeTableOffset, records, count * sizeof(NodeRecord)) &&
        Crc32(0, records, count * sizeof(NodeRecord)) == s->tree.nodeTableCrc &&
        SoundTree(records, count, s->tree.pointCount);
    if (ok) {
        for (uint32_t n = 0; n < count; ++n) {
            CloudNode& node = s->nodes[n];
            memcpy(node.minimum, records[n].minimum, sizeof(node.minimum));
            memcpy(node.maximum, records[n].maximum, sizeof(node.maximum));
            node.spacing = records[n].spacing;
            node.pointCount = records[n].pointCount;
            memcpy(node.children, records[n].children, sizeof(node.children));
            node.parent = records[n].parent;
            node.level = records[n].level;
            s->nodeFirst[n] = records[n].firstPoint;
            s->crcs[kBlockTree][n] = records[n].positionsCrc;
        }
    }
    delete[] records;
    return ok;
}

bool OpenFiles(BlockStorage* s, const wchar_t* projectFolder, const wchar_t* blockName,
               const ProjectBlockEntry* entry, wchar_t* error, size_t errorChars) {
    *s = BlockStorage{};
    for (StorageReader& file : s->files) file.handle = INVALID_HANDLE_VALUE;
    wchar_t path[kPathChars];
    StoragePath(path, kPathChars, projectFolder, blockName, kBlockTree);
    StorageReader& treeFile = s->files[kBlockTree];
    if (!StorageReaderOpen(&treeFile, path)) return Fail(s, error, errorChars, Fault::Missing, path);
    if (treeFile.size < sizeof(BlockTreeHeader)) return Fail(s, error, errorChars, Fault::Truncated, path);
    StorageReadAt(&treeFile, 0, &s->tree, sizeof(s->tree));
    Fault fault = CheckTreeHeader(s->tree, treeFile.size);
    if (fault == Fault::None && !TextEqualNoCase(s->tree.blockName, blockName)) fault = Fault::Damaged;
    if (fault == Fault::None && entry &&
        (s->tree.storageId != entry->storageId || s->tree.pointCount != entry->pointCount ||
         s->tree.nodeCount != entry->nodeCount || s->tree.channelMask != entry->channelMask))
        fault = Fault::Damaged;
    if (fault != Fault::None) return Fail(s, error, errorChars, fault, path);
    if (!LoadNodeTable(s)) return Fail(s, error, errorChars, Fault::Damaged, path);
    for (int file = kBlockIntensity; file <= kBlockReturns; ++file) {
        if (!(s->tree.channelMask >> ChannelOfBlockFile(file) & 1)) continue;
        StoragePath(path, kPathChars, projectFolder, blockName, file);
        StorageReader& reader = s->files[file];
        if (!StorageReaderOpen(&reader, path)) return Fail(s, error, errorChars, Fault::Missing, path);
        if (reader.size < sizeof(ChannelFileHeader))
            return Fail(s, error, errorChars, Fault::Truncated, path);
        StorageReadAt(&reader, 0, &s->channels[file], sizeof(ChannelFileHeader));
        fault = CheckChannelHeader(s->channels[file], s->tree, file, reader.size);
        if (fault == Fault::None && entry && entry->fileBytes[file] != reader.size) fault = Fault::Damaged;
        if (fault != Fault::None) return Fail(s, error, errorChars, fault, path);
        uint32_t count = s->tree.nodeCount;
        s->crcs[file] = new (std::nothrow) uint32_t[count];
        if (!s->crcs[file] ||
            !StorageReadAt(&reader, s->channels[file].crcTableOffset, s->crcs[file], 4ull * count) ||
            Crc32(0, s->crcs[file], 4ull * count) != s->channels[file].crcTableCrc)
            return Fail(s, error, errorChars, Fault::Damaged, path);
    }
    CloudBlock& block = s->block;
    memcpy(block.origin, s->tree.origin, sizeof(block.origin));
    memcpy(block.scale, s->tree.scale, sizeof(block.scale));
    memcpy(block.minimum, s->tree.minimum, sizeof(block.minimum));
    memcpy(block.maximum, s->tree.maximum, sizeof(block.maximum));
    block.pointCount = s->tree.pointCount;
    block.channelMask = s->tree.channelMask;
    block.intensityLow = s->tree.intensityLow;
    block.intensityHigh = s->tree.intensityHigh;
    block.nodes = s->nodes;
    block.nodeCount = s->tree.nodeCount;
    block.elevationLow = block.minimum[2];
    block.elevationHigh = block.maximum[2];
    return true;
}

} // namespace

bool BlockStorageOpen(BlockStorage* storage, const wchar_t* projectFolder, const ProjectBlockEntry& entry,
                      wchar_t* error, size_t errorChars) {
    if (entry.name[kMaxBlockNameChars] != 0) {
        *storage = BlockStorage{};
        TextCopy(error, errorChars, L"The project index names a block without a proper name.");
        return false;
    }
    return OpenFiles(storage, projectFolder, entry.name, &entry, error, errorChars);
}

bool BlockStorageOpenAlone(BlockStorage* storage, const wchar_t* projectFolder, const wchar_t* blockName,
                           wchar_t* error, size_t errorChars) {
    return OpenFiles(storage, projectFolder, blockName, nullptr, error, errorChars);
}

void BlockStorageClose(BlockStorage* storage) {
    for (StorageReader& file : storage->files) StorageReaderClose(&file);
    for (uint32_t*& crc : storage->crcs) {
        delete[] crc;
        crc = nullptr;
    }
    delete[] storage->nodes;
    delete[] storage->nodeFirst;
    storage->nodes = nullptr;
    storage->nodeFirst = nullptr;
}

bool BlockStorageReadNode(BlockStorage* storage, uint32_t node, int file, void* to) {
    if (node >= storage->tree.nodeCount || file < kBlockTree || file > kBlockReturns || !storage->crcs[file])
        return false;
    uint64_t bytesPerPoint = BytesPerPointOfBlockFile(file);
    uint64_t start = file == kBlockTree ? storage->tree.positionsOffset : storage->channels[file].dataOffset;
    uint64_t offset = start + storage->nodeFirst[node] * bytesPerPoint;
    size_t bytes = static_cast<size_t>(storage->nodes[node].pointCount * bytesPerPoint);
    return StorageReadAt(&storage->files[file], offset, to, bytes) &&
           Crc32(0, to, bytes) == storage->crcs[file][node];
}
