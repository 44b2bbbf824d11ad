// Point-size adjustment by mouse, the channel and class visibility, the snap settings: their state.
#pragma once

#include <stdint.h>

struct PointSizeAdjustState {
    int32_t startX, startY; // cursor at the first data point, screen pixels
    int32_t startSize;      // the view's point size then, truncated
};
extern PointSizeAdjustState PointSizeAdjust;

// Class colours for the visibility dialog: red, green, blue of each class.
extern unsigned int ClassColorTable[256][3];

// The adjustment works in whole units within these bounds.
constexpr int32_t kPointSizeAdjustMin = 0;
constexpr int32_t kPointSizeAdjustMax = 10000;

// The size the motion function gives for a cursor movement from the start (clamped to 0..10000).
int32_t AdjustedPointSize(int32_t startSize, int32_t startX, int32_t startY, int32_t x, int32_t y);
// A point-size setting as the whole number the adjustment starts from: truncated toward zero, and
// held inside the 32-bit range (a hand-edited preference file may hold anything, NaN included as 0).
int32_t PointSizeTruncated(double size);
