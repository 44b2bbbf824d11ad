// Where the mouse is and which view was clicked last, for the point-size adjustment.
#include "snapping.h"

#include <windows.h>

namespace {
constexpr int kLastViewIndex = 7;
}

void CursorRead(int* x, int* y) {
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    if (x) *x = cursor.x;
    if (y) *y = cursor.y;
}

int LastClickView() {
    int view = VwGetLastClick();
    // No click yet (-1), or a window that is no view: view 0 stands in, so callers always get an index
    // of the eight views.
    return view >= 0 && view <= kLastViewIndex ? view : 0;
}
