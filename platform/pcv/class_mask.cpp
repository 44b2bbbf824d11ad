#include "class_mask.h"

ClassificationMask256 ClassMaskAll() {
    ClassificationMask256 mask{};
    for (uint32_t& word : mask.classes) word = 0xFFFFFFFFu;
    return mask;
}

bool ClassMaskShows(const ClassificationMask256& mask, int c) {
    if (c < 0 || c > 255) return false;
    return !mask.active || (mask.classes[c / 32] >> (c % 32) & 1);
}

ClassificationMask256 ClassMaskCombine(const ClassificationMask256* visible,
                                       const ClassificationMask256* session) {
    ClassificationMask256 result = ClassMaskAll();
    bool all = true;
    for (int word = 0; word < 8; ++word) {
        if (visible && visible->active) result.classes[word] &= visible->classes[word];
        if (session && session->active) result.classes[word] &= session->classes[word];
        all = all && result.classes[word] == 0xFFFFFFFFu;
    }
    result.active = all ? 0 : 1;
    return result;
}

int ClassMaskCount(const ClassificationMask256& mask) {
    int count = 0;
    for (int c = 0; c < 256; ++c) count += ClassMaskShows(mask, c) ? 1 : 0;
    return count;
}
