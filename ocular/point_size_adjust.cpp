// PLACEHOLDER (H5): replaced by the feature's real code before it lands.
#include "commands.h"
#include "display.h"

PointSizeAdjustState PointSizeAdjust;

void CmdAdjustPointSize(const wchar_t*) {}
int32_t AdjustedPointSize(int32_t startSize, int32_t, int32_t, int32_t, int32_t) {
    return startSize;
}
