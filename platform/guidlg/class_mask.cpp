#include "class_mask.h"

void ClassMaskShowAll(ClassificationMask256* mask) {
    mask->active = 1;
    for (uint32_t& word : mask->classes) word = 0xFFFFFFFFu;
}

bool ClassMaskIsVisible(const ClassificationMask256& mask, int classNumber) {
    if (classNumber < 0 || classNumber >= kClassCount) return false;
    return (mask.classes[classNumber / 32] >> (classNumber % 32)) & 1u;
}

void ClassMaskSetVisible(ClassificationMask256* mask, int classNumber, bool visible) {
    if (classNumber < 0 || classNumber >= kClassCount) return;
    uint32_t bit = 1u << (classNumber % 32);
    if (visible)
        mask->classes[classNumber / 32] |= bit;
    else
        mask->classes[classNumber / 32] &= ~bit;
}

void ClassMaskFromTable(ClassificationMask256* mask, const PointClassTable& table) {
    ClassMaskShowAll(mask);
    for (int c = 0; c < kClassCount; ++c)
        if (table.classes[c].defined && !table.classes[c].visible) ClassMaskSetVisible(mask, c, false);
}
