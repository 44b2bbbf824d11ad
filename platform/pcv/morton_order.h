// Morton (Z-order) codes of integer points and their parallel sort. Points sorted by their code lie
// octant by octant at every level, so an octree node is one contiguous run of the sorted points and
// its cells one contiguous run each.
#pragma once

#include <stdint.h>

// Bits per axis of a code; a code has 3 * kMortonBits bits, x in the lowest bit of each triple.
constexpr int kMortonBits = 21;
constexpr uint32_t kMortonCells = 1u << kMortonBits;

// Interleaves three 21-bit cell coordinates.
uint64_t MortonEncode(uint32_t x, uint32_t y, uint32_t z);
// The inverse of MortonEncode for a code of level bits per axis (the top 3 * level bits of a code,
// shifted down): the cell's coordinates at that level.
void MortonDecode(uint64_t code, uint32_t* x, uint32_t* y, uint32_t* z);

// Sorts codes ascending and moves payload with them, stably, on threads threads (1 or 2). The two
// scratch arrays hold count entries each. cancel, when given, stops the sort early (the order is
// then undefined). Returns false when cancelled.
bool MortonSort(uint64_t* codes, uint32_t* payload, uint64_t* scratchCodes, uint32_t* scratchPayload,
                uint64_t count, int threads, const volatile bool* cancel);
