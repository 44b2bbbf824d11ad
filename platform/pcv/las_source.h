// Reading a LAS file's points into columns for conversion: both halves of the file at once, each
// through its own handle. The block's grid is the file's: origin = the header's offsets, scale = its
// scales, positions = the records' integers, so no coordinate changes on the way.
#pragma once

#include "point_columns.h"

#include <stddef.h>

struct LasSourceProgress {
    void (*report)(void* context, double fraction); // 0 .. 1 of the points read; may be null
    void* context;
    const volatile bool* cancel;
};

// Reads every point of path. False with the reason in error (the reader's text for malformed files,
// "Compressed LAZ files are not supported" for LAZ).
bool LasSourceRead(const wchar_t* path, int threads, const LasSourceProgress& progress, PointColumns* columns,
                   wchar_t* error, size_t errorChars);
