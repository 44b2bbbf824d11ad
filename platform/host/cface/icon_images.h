// Tool-bar button images: icons from resource collections turned into bitmaps, and the pictures of
// the host's own buttons, drawn here.
#pragma once

#include "parts/png_codec.h"

#include <windows.h>

#include <string>

// Side of a tool-bar icon in pixels.
constexpr int kIconSide = 24;

// A 32-bit bitmap with premultiplied alpha for AlphaBlend, from an image of kIconSide pixels.
HBITMAP BitmapOfImage(const BgraImage& image);
// The icon at path in the registered collections, decoded and scaled to kIconSide; false (and why)
// when it cannot be had.
bool IconFromResources(const char* path, BgraImage* image, std::string* why);
// 0x00RRGGBB of the image's middle pixel, for reports.
unsigned MiddleColor(const BgraImage& image);

enum HostPicture { kPictureSnap, kPictureStereo, kPicturePerspective, kPictureFit };
BgraImage DrawHostPicture(HostPicture picture);
