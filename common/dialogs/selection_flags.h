// One selection byte per row or cell of the row box and the grid. The block can be gigabytes long
// (billions of rows), so every operation here works only on the stretch [low, high) that may hold
// a set byte: a zero-filled block leaves the pages nobody wrote unresident, and nothing may pull
// them in by copying or clearing the whole block.
#pragma once

struct SelectionFlags {
    unsigned char* bytes; // zero-filled block, or null before the first growth
    long long capacity;   // bytes in the block
    long long low, high;  // every byte outside [low, high) is zero; low == high when nothing is set
};

// Grows the block to hold count flags: at least minimum bytes, and at least growth more than before.
// Set flags keep their rows. 1 on success; 0 (block unchanged) when count is negative or the memory
// cannot be had.
int SelectionGrow(SelectionFlags* flags, long long count, long long minimum, long long growth,
                  const char* tag);
void SelectionRelease(SelectionFlags* flags);

// 1 when the flag of index is set; indexes outside the block read as clear.
int SelectionIsSet(const SelectionFlags* flags, long long index);
// Sets (value 1) or clears (value 0) first..last inclusive, cut to the block.
void SelectionSetRange(SelectionFlags* flags, long long first, long long last, int value);
// Clears every flag; returns 1 when any was set.
int SelectionClearAll(SelectionFlags* flags);
// Clears every flag at index count and beyond (a list that became shorter).
void SelectionTruncate(SelectionFlags* flags, long long count);
// Drops the flag of index and moves every later one up by one.
void SelectionDelete(SelectionFlags* flags, long long index);
// The first set index (-1 when none) and, when count is not null, the number of set flags.
long long SelectionFirst(const SelectionFlags* flags, long long* count);
// Moves a range selection from anchor..oldExtent to anchor..caret: clears what of the old range lies
// outside the new one, then sets the new one. oldExtent -1 means no old range.
void SelectionExtend(SelectionFlags* flags, long long anchor, long long oldExtent, long long caret);
