#include "class_listing.h"

#include "class_defaults.h"

#include <stdio.h>

void ClassListingBuild(const unsigned long long* counts, const PointClassTable* table,
                       const unsigned int (*colourTable)[3], ClassListing* listing) {
    for (int c = 0; c < kClassCount; ++c) {
        listing->counts[c] = counts ? counts[c] : 0;
        const PointClass* defined = table && table->classes[c].defined ? &table->classes[c] : nullptr;
        if (defined)
            swprintf(listing->names[c], kClassNameChars, L"%ls", defined->name);
        else
            ClassDefaultName(c, listing->names[c], kClassNameChars);
        uint8_t* rgb = listing->colours[c];
        if (colourTable) {
            for (int i = 0; i < 3; ++i)
                rgb[i] = static_cast<uint8_t>(colourTable[c][i] > 255 ? 255 : colourTable[c][i]);
        } else if (defined) {
            rgb[0] = defined->red;
            rgb[1] = defined->green;
            rgb[2] = defined->blue;
        } else {
            ClassDefaultColour(c, rgb);
        }
    }
}
