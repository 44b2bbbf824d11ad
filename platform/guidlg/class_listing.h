// What the visibility dialog shows of each class: its points in the project, its name and colour.
#pragma once

#include "class_file.h"

struct ClassListing {
    unsigned long long counts[kClassCount];
    wchar_t names[kClassCount][kClassNameChars];
    uint8_t colours[kClassCount][3]; // red, green, blue
};

// Names come from the class table where it defines the class, else the standard names; colours from
// colourTable (red, green, blue in 32 bits each, values above 255 taken as 255) where given, else the
// class table, else the standard palette. counts may be null (no points known).
void ClassListingBuild(const unsigned long long* counts, const PointClassTable* table,
                       const unsigned int (*colourTable)[3], ClassListing* listing);
