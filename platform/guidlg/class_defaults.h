// What a class is called and how it looks when no class file says otherwise: the names of the LAS
// standard classes and a palette that tells the common ones apart.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Writes the standard name of classNumber (0..255), "Class N" for the reserved and user classes.
void ClassDefaultName(int classNumber, wchar_t* name, size_t capacity);
// Red, green, blue of classNumber.
void ClassDefaultColour(int classNumber, uint8_t rgb[3]);
