// PLACEHOLDER (H3): replaced by the feature's real code before it lands.
#include "view.h"

void FillViewRecord(ProjectionImageData*, ViewHandle) {}
