#include "common_scale.h"

#include <float.h>
#include <initializer_list>
#include <math.h>
#include <stdio.h>

namespace {

constexpr int64_t kMaxDivisor = INT32_MAX; // the messages below spell it out
const wchar_t* const kAxisNames[3] = {L"x", L"y", L"z"};

int64_t GreatestCommonDivisor(int64_t a, int64_t b) {
    while (b) {
        int64_t t = a % b;
        a = b;
        b = t;
    }
    return a;
}

// The least common multiple, or 0 when it exceeds kMaxDivisor.
int64_t LeastCommonMultiple(int64_t a, int64_t b) {
    int64_t step = a / GreatestCommonDivisor(a, b);
    if (step > kMaxDivisor / b) return 0;
    return step * b;
}

bool InsideInt32(int64_t value) {
    return value >= INT32_MIN && value <= INT32_MAX;
}

// The multiple of divisor that centres [low, high] best within 32 bits, when one keeps it inside.
bool FindShift(int64_t low, int64_t high, int64_t divisor, int64_t* shift) {
    if (InsideInt32(low) && InsideInt32(high)) {
        *shift = 0;
        return true;
    }
    int64_t middle = low + (high - low) / 2;
    int64_t below = middle >= 0 ? middle / divisor * divisor : -((-middle + divisor - 1) / divisor) * divisor;
    for (int64_t candidate : {below, below + divisor, below - divisor}) {
        if (InsideInt32(low - candidate) && InsideInt32(high - candidate)) {
            *shift = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

int ScaleAsFraction(double scale, int64_t* numerator, int64_t* denominator) {
    if (!(scale > 0) || !isfinite(scale)) return 0;
    // Continued fraction convergents h/k; the first within a few units of the last place wins.
    const double tolerance = 4 * DBL_EPSILON * scale;
    int64_t h1 = 1, h2 = 0, k1 = 0, k2 = 1;
    double x = scale;
    for (int step = 0; step < 64; ++step) {
        double whole = floor(x);
        if (whole > 9007199254740992.0) return 0;
        int64_t a = static_cast<int64_t>(whole);
        if (a != 0 && (h1 > (INT64_MAX - h2) / a || k1 > (INT64_MAX - k2) / a)) return 0;
        int64_t h = a * h1 + h2, k = a * k1 + k2;
        if (k > kMaxDivisor || h > 9007199254740992LL) return 0;
        if (k > 0 && fabs(static_cast<double>(h) / static_cast<double>(k) - scale) <= tolerance) {
            if (h == 0) return 0;
            *numerator = h;
            *denominator = k;
            return 1;
        }
        double rest = x - whole;
        if (rest <= 0) return 0;
        x = 1 / rest;
        h2 = h1;
        h1 = h;
        k2 = k1;
        k1 = k;
    }
    return 0;
}

namespace {

int ExactScaleFind(const double scale[3], const double offset[3], const int32_t rawMin[3],
                   const int32_t rawMax[3], CommonScale* common, wchar_t* error, size_t capacity) {
    int64_t numerator[3], denominator[3];
    int64_t divisor = 1;
    for (int axis = 0; axis < 3; ++axis) {
        if (!ScaleAsFraction(scale[axis], &numerator[axis], &denominator[axis]) ||
            !(divisor = LeastCommonMultiple(divisor, denominator[axis]))) {
            swprintf(error, capacity,
                     L"The file's scales (x %.12g, y %.12g, z %.12g) have no common scale 1/n with a whole n "
                     L"up to 2,147,483,647, so its coordinates cannot be held exactly in 32-bit integers.",
                     scale[0], scale[1], scale[2]);
            return 0;
        }
    }
    CommonScale result{};
    result.exact = 1;
    result.divisor = static_cast<int32_t>(divisor);
    for (int axis = 0; axis < 3; ++axis) {
        int64_t multiplier = numerator[axis] * (divisor / denominator[axis]);
        if (multiplier > kMaxDivisor) {
            swprintf(error, capacity, L"At the common scale 1/%lld one step of the %ls axis is too large.",
                     static_cast<long long>(divisor), kAxisNames[axis]);
            return 0;
        }
        int64_t low = rawMin[axis] * multiplier, high = rawMax[axis] * multiplier;
        int64_t shift = 0;
        if (!FindShift(low, high, divisor, &shift)) {
            swprintf(
                error, capacity,
                L"At the common scale 1/%lld the %ls coordinates span %.6g units, more than 32-bit integers "
                L"hold.",
                static_cast<long long>(divisor), kAxisNames[axis],
                static_cast<double>(rawMax[axis] - static_cast<int64_t>(rawMin[axis])) * scale[axis]);
            return 0;
        }
        result.multiplier[axis] = multiplier;
        result.shift[axis] = shift;
        result.offset[axis] = offset[axis] + static_cast<double>(shift / divisor);
    }
    *common = result;
    return 1;
}

// The finest divisor n, up to the finest axis's own 1 / scale, under which every axis's coordinates
// stay within 32 bits of the cloud's middle; 0 when even n = 1 does not.
int RoundedScaleFind(const double scale[3], const double offset[3], const int32_t rawMin[3],
                     const int32_t rawMax[3], CommonScale* common, wchar_t* error, size_t capacity) {
    double finest = scale[0];
    double widest = 0;
    for (int axis = 0; axis < 3; ++axis) {
        if (scale[axis] < finest) finest = scale[axis];
        double span = (static_cast<double>(rawMax[axis]) - rawMin[axis]) * scale[axis];
        if (span > widest) widest = span;
    }
    // Half the span on either side of the middle, with a unit of room for rounding.
    double fitting = widest > 0 ? floor((static_cast<double>(INT32_MAX) - 1) * 2 / widest) : kMaxDivisor;
    double divisor = fmin(fmin(floor(1 / finest + 0.5), fitting), static_cast<double>(kMaxDivisor));
    if (!(divisor >= 1)) {
        swprintf(error, capacity,
                 L"The coordinates span %.6g units, more than 32-bit integers hold even in whole units.",
                 widest);
        return 0;
    }
    CommonScale result{};
    result.divisor = static_cast<int32_t>(divisor);
    for (int axis = 0; axis < 3; ++axis) {
        result.fileScale[axis] = scale[axis];
        result.fileOffset[axis] = offset[axis];
        double low = rawMin[axis] * scale[axis] + offset[axis];
        double high = rawMax[axis] * scale[axis] + offset[axis];
        result.offset[axis] = low + (high - low) / 2;
    }
    *common = result;
    return 1;
}

} // namespace

int CommonScaleFind(const double scale[3], const double offset[3], const int32_t rawMin[3],
                    const int32_t rawMax[3], CommonScale* common, wchar_t* error, size_t capacity) {
    for (int axis = 0; axis < 3; ++axis) {
        if (!isfinite(offset[axis])) {
            swprintf(error, capacity, L"The %ls offset of the file is not a number.", kAxisNames[axis]);
            return 0;
        }
        if (!(scale[axis] > 0) || !isfinite(scale[axis])) {
            swprintf(error, capacity, L"The %ls scale of the file (%.12g) is not a positive number.",
                     kAxisNames[axis], scale[axis]);
            return 0;
        }
    }
    if (ExactScaleFind(scale, offset, rawMin, rawMax, common, error, capacity)) return 1;
    return RoundedScaleFind(scale, offset, rawMin, rawMax, common, error, capacity);
}
