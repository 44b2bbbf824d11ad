// Class visibility: which of the 256 classes a view shows. A mask with active 0 shows every class;
// an active one shows class c when bit c % 32 of classes[c / 32] is set.
#pragma once

#include "pcv.h"

// A mask showing every class (active 0).
ClassificationMask256 ClassMaskAll();
bool ClassMaskShows(const ClassificationMask256& mask, int c);
// The classes both masks show (a null or inactive mask shows every class). The result is inactive
// when it shows every class.
ClassificationMask256 ClassMaskCombine(const ClassificationMask256* visible,
                                       const ClassificationMask256* session);
// How many classes the mask shows.
int ClassMaskCount(const ClassificationMask256& mask);
