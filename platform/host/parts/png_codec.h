// PNG files, written for saved view images and read for icons whose entries are PNG images.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// An image of 4-byte pixels, blue, green, red, alpha (straight), rows from the top.
struct BgraImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// An 8-bit RGB PNG of pixels in raster format 5 (blue, green, red, unused; rows from the top).
bool PngEncodeBgrx(const uint8_t* pixels, int width, int height, std::vector<uint8_t>* file);

// Reads a non-interlaced PNG of bit depth 8 (grey, grey with alpha, RGB, RGBA) or a palette image of
// depth 1 to 8, at most kPngMaxSide pixels a side. why tells what was refused.
constexpr int kPngMaxSide = 4096;
bool PngDecode(const uint8_t* bytes, size_t size, BgraImage* image, std::string* why);

// True when the bytes begin with the PNG signature.
bool IsPng(const uint8_t* bytes, size_t size);
