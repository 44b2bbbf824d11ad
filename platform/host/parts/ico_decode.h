// Icon files (.ico): the directory of images, and the decoding of one entry into pixels. Entries are
// device-independent bitmaps (1, 4, 8, 24 or 32 bits a pixel, with their AND mask) or PNG images.
#pragma once

#include "parts/png_codec.h"

#include <stddef.h>
#include <stdint.h>

#include <string>

// Decodes the entry that fits wantedSize best: the exact size, else the smallest larger one, else the
// largest; among equal sizes the deepest colour. why tells what was refused.
bool IcoDecode(const uint8_t* bytes, size_t size, int wantedSize, BgraImage* image, std::string* why);

// Scales an image to side x side pixels (box filter down, nearest neighbour up), alpha included.
BgraImage ScaleImage(const BgraImage& image, int side);
