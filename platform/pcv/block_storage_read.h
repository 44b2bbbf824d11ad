// Opening one block's storage files and reading its nodes' points. Opening checks everything it can
// without reading the points: signatures, versions, header and node-table CRCs, that the sizes the
// headers record are the files' sizes, that every file carries the block's storage id, and that the
// node table is a sound tree. Reading a node checks its data's CRC.
#pragma once

#include "cloud_source.h"
#include "storage_format.h"
#include "storage_io.h"

#include <stddef.h>
#include <stdint.h>

struct BlockStorage {
    StorageReader files[kBlockFileCount]; // handle INVALID_HANDLE_VALUE for channels not stored
    BlockTreeHeader tree;
    ChannelFileHeader channels[kBlockFileCount]; // index: the StorageFile number
    CloudNode* nodes;
    uint64_t* nodeFirst;
    uint32_t* crcs[kBlockFileCount]; // per file, per node
    CloudBlock block;                // nodes == nodes; ranges from the tree header
};

// Opens the block that entry of the project index describes. False with the reason in error.
bool BlockStorageOpen(BlockStorage* storage, const wchar_t* projectFolder, const ProjectBlockEntry& entry,
                      wchar_t* error, size_t errorChars);
// Opens a block's files on their own (no index), for a conversion that decides whether they are
// still good: storageId and the counts are taken from the tree file.
bool BlockStorageOpenAlone(BlockStorage* storage, const wchar_t* projectFolder, const wchar_t* blockName,
                           wchar_t* error, size_t errorChars);
void BlockStorageClose(BlockStorage* storage);

// Reads the points of node from file (kBlockTree: positions) into to, which holds the node's
// pointCount * bytes per point. False when the file cannot be read or its CRC does not match.
bool BlockStorageReadNode(BlockStorage* storage, uint32_t node, int file, void* to);
