// Writing one block's storage files (B.oct and its channel files) from its octree layout. A block
// whose writing fails leaves none of its files behind.
#pragma once

#include "octree_build.h"
#include "storage_format.h"

#include <stddef.h>
#include <stdint.h>

struct BlockWriteRequest {
    const wchar_t* projectFolder;
    const wchar_t* blockName;
    const OctreeInput* input;   // the points the layout was built from
    const OctreeLayout* layout; // its block's ranges are written into the header
    uint64_t channels;          // the channels to store; those the input does not carry are skipped
    uint64_t storageId;
    uint32_t colourSourceBits; // 8 or 16: the depth of the colours before they became 8 bits
    int threads;
    const volatile bool* cancel;
};

// Writes the files and fills entry (name, id, counts, file sizes, bounds). False with the reason in
// error; then no file of the block is left.
bool WriteBlockStorage(const BlockWriteRequest& request, ProjectBlockEntry* entry, wchar_t* error,
                       size_t errorChars);
// Deletes every file a block can have; true when none is left.
bool DeleteBlockStorage(const wchar_t* projectFolder, const wchar_t* blockName);
