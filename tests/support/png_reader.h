// Reads the PNG files the host saves (save N FILE): 8-bit RGB or RGBA, not interlaced.
#pragma once

#include <string>
#include <vector>

namespace pngread {

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb; // 3 bytes a pixel, rows from the top
};

// False (and why) for anything else or a damaged file.
bool Read(const std::wstring& path, Image* image, std::string* why);
// 0xRRGGBB of a pixel.
unsigned PixelAt(const Image& image, int x, int y);

} // namespace pngread
