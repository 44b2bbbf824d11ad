// The points the caller hands over in memory (pcvSetMemoryPoints): Lidora's integer points with
// their coordinate set-up, one class byte, one 16-bit intensity and three 16-bit colour values (red,
// green, blue) per point. The engine borrows the arrays; it copies nothing but the colours, which it
// stores as 8 bits.
#pragma once

#include "pcv.h"
#include "point_columns.h"

#include <stddef.h>

struct MemoryPoints {
    const Point3Di* points;
    const unsigned char* classes;      // may be null
    const unsigned short* intensities; // may be null
    const unsigned short* colours;     // may be null
    PointCloudSummary summary;
    bool set;
};

// Columns over the caller's arrays: origin = the summary's offsets, scale = its scales. False with
// the reason in error when there are no points or the scales are unusable.
bool MemorySourceColumns(const MemoryPoints& memory, PointColumns* columns, wchar_t* error,
                         size_t errorChars);
