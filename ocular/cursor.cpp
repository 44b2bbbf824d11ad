// PLACEHOLDER (H5): replaced by the feature's real code before it lands.
#include "snapping.h"

void CursorRead(int*, int*) {}
int LastClickView() {
    return 0;
}
