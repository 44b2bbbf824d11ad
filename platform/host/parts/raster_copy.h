// Copying a mini app's raster into a view image, and combining two eye images into one stereo image.
// Pixels are raster format 5: 4 bytes, blue, green, red, unused; rows from the top.
#pragma once

#include <stdint.h>

struct PixelTarget {
    uint32_t* pixels; // width * height pixels, rows from the top
    int width;
    int height;
};

// Rasters larger than this a side are refused (nothing is copied).
constexpr int kRasterMaxSide = 32768;

// Copies the part size of a raster of rasterWidth x rasterHeight pixels so that its top-left pixel
// lands at origin of the target. Whatever falls outside the target, the size or the raster is left
// out. Returns the pixels copied, or -1 for an unusable raster (null, non-positive or huge dimensions).
long long RasterCopyClipped(PixelTarget target, int originX, int originY, int sizeX, int sizeY,
                            const void* raster, int rasterWidth, int rasterHeight);

enum StereoLayout { kStereoAnaglyph = 0, kStereoSideBySide = 1, kStereoOverUnder = 2 };

// Combines two eye images of the target's size into the target: a red-cyan anaglyph (the left eye's
// red, the right eye's green and blue), the left eye squeezed into the left half and the right eye into
// the right half, or the left eye above the right.
void StereoCombine(PixelTarget target, const uint32_t* left, const uint32_t* right, StereoLayout layout);
