// The colours classes are shown in when a view colours by classification: the usual colours of the
// ASPRS classes, and a fixed spread of distinct colours for the others.
#pragma once

#include <stdint.h>

// 256 * 3 bytes: red, green, blue of class 0 .. 255.
const uint8_t* DefaultClassColours();
