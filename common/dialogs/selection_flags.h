// One selection byte per row or cell of the row box and the grid. The block can be gigabytes long
// (billions of rows), and a zero-filled block leaves the pages nobody wrote unresident, so nothing
// here may pull them in by copying, clearing or even reading the whole block: operations keep to
// the stretch [low, high) that may hold a set byte, and within it to the pages that a set was ever
// written to, which a small map of pages records.
#pragma once

// Bytes per page of the map; a page with a clear map entry holds only zero bytes.
constexpr long long kSelectionPage = 4096;

struct SelectionFlags {
    unsigned char* bytes; // zero-filled block, or null before the first growth
    unsigned char* pages; // one entry per kSelectionPage bytes: 1 when the page may hold a set byte
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
// 1 when index is set and no other flag is.
int SelectionIsOnly(const SelectionFlags* flags, long long index);
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
