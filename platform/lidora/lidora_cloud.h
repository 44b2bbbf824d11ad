// The points Lidora holds: parallel arrays of one coordinate set-up, as the entry points hand them out.
#pragma once

#include "pcv.h"

#include <stddef.h>
#include <stdint.h>

// The most points Lidora holds: the engine's summary counts in 32 bits and its point indexes are
// signed 32-bit numbers.
constexpr int64_t kLidoraMaxPoints = 2147483647; // messages spell it "2,147,483,647"
constexpr int kLidoraErrorChars = 1024;

struct LidoraCloud {
    int64_t count;
    Point3Di* points;
    unsigned char* classes;
    unsigned short* intensities;
    unsigned short* colours; // red, green, blue per point
    // coordinate = integer / divisor + offset, per axis
    int32_t divisor;
    double offset[3];
};

// Allocates zeroed arrays for count points (1..kLidoraMaxPoints). 0 with the reason in error (at
// least kLidoraErrorChars characters) and the cloud empty when the count is out of range or memory
// is short.
int CloudAllocate(LidoraCloud* cloud, int64_t count, wchar_t* error);
// Frees the arrays and empties the cloud; an empty cloud is left alone.
void CloudFree(LidoraCloud* cloud);
// The coordinate of point index on axis 0, 1 or 2.
double CloudCoordinate(const LidoraCloud& cloud, int64_t index, int axis);
