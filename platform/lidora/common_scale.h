// One scale for three axes. A LAS file scales each axis by its own factor; Lidora holds integers of
// one divisor for all three (coordinate = integer / divisor + offset). This finds the coarsest divisor
// under which every axis's steps are whole numbers, so that the conversion is exact, and the offsets
// that keep the integers inside 32 bits. Where no such divisor exists (scales like 1.16451354e-06
// that are no fraction of a small denominator, or an exact divisor whose integers would leave 32
// bits), the coordinates are rounded to the finest scale 1/n that is no finer than the file's finest
// axis and keeps every coordinate inside 32 bits around the middle of the cloud.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <math.h>

// How the integers of one file become Lidora's. Exact: stored = raw * multiplier - shift, per axis.
// Rounded: stored = the nearest integer to (raw * fileScale + fileOffset - offset) * divisor.
struct CommonScale {
    int32_t divisor;
    int64_t multiplier[3];
    int64_t shift[3]; // a multiple of divisor, so that the offset moves by whole units
    double offset[3]; // exact: the file's offsets plus shift / divisor; rounded: the cloud's middle
    int exact;        // 1 when every coordinate is reproduced exactly
    double fileScale[3];
    double fileOffset[3];
};

// scale as the fraction numerator / denominator (denominator at most 2147483647) when it is one to
// within a few units of the last place. 0 for a scale that is not positive and finite or no such
// fraction.
int ScaleAsFraction(double scale, int64_t* numerator, int64_t* denominator);

// The common scale of a file with these scales and offsets whose raw integers lie within rawMin and
// rawMax per axis. 1 when it exists; 0 with the reason in error (capacity characters).
int CommonScaleFind(const double scale[3], const double offset[3], const int32_t rawMin[3],
                    const int32_t rawMax[3], CommonScale* common, wchar_t* error, size_t capacity);

// A raw integer of an axis in the common scale; inside 32 bits for raw integers within the bounds
// CommonScaleFind was given.
inline int32_t CommonScaleApply(const CommonScale& common, int axis, int32_t raw) {
    if (common.exact) return static_cast<int32_t>(raw * common.multiplier[axis] - common.shift[axis]);
    double fromMiddle = raw * common.fileScale[axis] + (common.fileOffset[axis] - common.offset[axis]);
    return static_cast<int32_t>(llround(fromMiddle * common.divisor));
}
