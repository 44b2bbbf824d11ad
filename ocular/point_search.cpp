// PLACEHOLDER (H5): replaced by the feature's real code before it lands.
#include "snapping.h"

void InputListener(int, DPoint3d*, ViewHandle) {}
int SnapFilter(int, DPoint3d*, ViewHandle) {
    return 0;
}
