// The points of one block on their way into storage: columns read from a source (owned here) or
// handed over by the caller (borrowed), with the block's integer grid. Colours arrive as 16-bit
// values and are stored as 8 bits: 8-bit values kept in 16-bit fields (every value at most 255) are
// kept as they are, true 16-bit values keep their high byte.
#pragma once

#include "octree_build.h"

#include <stdint.h>

struct PointColumns {
    double origin[3];
    double scale[3];
    uint64_t count;
    const int32_t* xyz;
    const uint16_t* intensity;
    const uint8_t* classification;
    const uint16_t* rgb16; // red, green, blue
    const uint8_t* returnNumber;
    uint8_t* rgb8; // made by PointColumnsFinishColours
    uint32_t colourSourceBits;
    // The columns this record owns (freed by PointColumnsFree).
    int32_t* ownedXyz;
    uint16_t* ownedIntensity;
    uint8_t* ownedClassification;
    uint16_t* ownedRgb16;
    uint8_t* ownedReturnNumber;
};

// Allocates owned columns for count points: positions, intensity, class and return number always,
// colours when withColours. False when memory runs out (nothing stays allocated then).
bool PointColumnsAllocate(PointColumns* columns, uint64_t count, bool withColours);
void PointColumnsFree(PointColumns* columns);

// Turns the 16-bit colours into 8 bits (on threads threads) and frees owned 16-bit colours.
bool PointColumnsFinishColours(PointColumns* columns, int threads);

// The builder's view of the columns, with only the channels asked for (mask; 0: all).
OctreeInput PointColumnsInput(const PointColumns& columns, uint64_t channels);
