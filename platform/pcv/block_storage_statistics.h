// What a block's storage files hold, counted from the files: for a block whose storage is kept from
// an earlier conversion but whose statistics were lost with a failed one.
#pragma once

#include "block_storage_read.h"
#include "block_statistics.h"
#include "storage_format.h"

// Reads every node of the block and counts its points. False when a node cannot be read.
bool StatisticsOfStorage(BlockStorage* storage, BlockStatistics* statistics);
// The index entry of an opened block (sizes of its files included).
ProjectBlockEntry EntryOfStorage(const BlockStorage& storage);
