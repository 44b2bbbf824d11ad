#include "parts/raster_copy.h"

#include <cstring>

namespace {

int Smallest(int a, int b) {
    return a < b ? a : b;
}

} // namespace

long long RasterCopyClipped(PixelTarget target, int originX, int originY, int sizeX, int sizeY,
                            const void* raster, int rasterWidth, int rasterHeight) {
    if (!raster || rasterWidth <= 0 || rasterHeight <= 0 || rasterWidth > kRasterMaxSide ||
        rasterHeight > kRasterMaxSide)
        return -1;
    if (!target.pixels || sizeX <= 0 || sizeY <= 0) return 0;
    // Work in 64 bits: origin + size may pass the range of an int.
    long long columns = Smallest(sizeX, rasterWidth), rows = Smallest(sizeY, rasterHeight);
    long long firstX = originX < 0 ? -static_cast<long long>(originX) : 0;
    long long firstY = originY < 0 ? -static_cast<long long>(originY) : 0;
    long long endX = columns, endY = rows;
    if (static_cast<long long>(originX) + endX > target.width)
        endX = target.width - static_cast<long long>(originX);
    if (static_cast<long long>(originY) + endY > target.height)
        endY = target.height - static_cast<long long>(originY);
    if (firstX >= endX || firstY >= endY) return 0;
    // Bytes, not pixels: a mini app's raster need not be aligned.
    const unsigned char* source = static_cast<const unsigned char*>(raster);
    for (long long y = firstY; y < endY; ++y) {
        const unsigned char* from = source + (y * rasterWidth + firstX) * 4;
        uint32_t* to = target.pixels + (originY + y) * target.width + (originX + firstX);
        memcpy(to, from, static_cast<size_t>(endX - firstX) * 4);
    }
    return (endX - firstX) * (endY - firstY);
}

void StereoCombine(PixelTarget target, const uint32_t* left, const uint32_t* right, StereoLayout layout) {
    int w = target.width, h = target.height;
    if (!target.pixels || !left || !right || w <= 0 || h <= 0) return;
    for (int y = 0; y < h; ++y) {
        uint32_t* out = target.pixels + static_cast<long long>(y) * w;
        for (int x = 0; x < w; ++x) {
            uint32_t value;
            if (layout == kStereoSideBySide) {
                int half = (w + 1) / 2;
                const uint32_t* eye = x < half ? left : right;
                int sx = x < half ? x * 2 : (x - half) * 2;
                if (sx >= w) sx = w - 1;
                value = eye[static_cast<long long>(y) * w + sx];
            } else if (layout == kStereoOverUnder) {
                int half = (h + 1) / 2;
                const uint32_t* eye = y < half ? left : right;
                int sy = y < half ? y * 2 : (y - half) * 2;
                if (sy >= h) sy = h - 1;
                value = eye[static_cast<long long>(sy) * w + x];
            } else {
                long long at = static_cast<long long>(y) * w + x;
                value = (left[at] & 0x00FF0000u) | (right[at] & 0x0000FFFFu);
            }
            out[x] = value;
        }
    }
}
