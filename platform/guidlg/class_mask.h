// The class visibility mask the viewer keeps per project: which of the 256 classes are drawn.
#pragma once

#include "class_file.h"

#include "pcv.h"

// Every class visible, the mask in use (active 1).
void ClassMaskShowAll(ClassificationMask256* mask);
bool ClassMaskIsVisible(const ClassificationMask256& mask, int classNumber);
void ClassMaskSetVisible(ClassificationMask256* mask, int classNumber, bool visible);
// Every class visible except those the table defines as hidden.
void ClassMaskFromTable(ClassificationMask256* mask, const PointClassTable& table);
