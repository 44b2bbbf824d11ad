// The colour palette that items and painting code name colours by.
#include "dialogs/app.h"
#include "dialogs/app_internal.h"

namespace {

const COLORREF kPalette[AppPaletteSize] = {
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(0, 0, 255),
    RGB(255, 255, 0),   RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(80, 80, 80),    RGB(128, 128, 128),
    RGB(232, 232, 232), RGB(224, 232, 224), RGB(232, 224, 224), RGB(224, 224, 232), RGB(232, 232, 224),
    RGB(80, 0, 0),      RGB(0, 80, 0),      RGB(0, 0, 80),
};

HBRUSH brushes[AppPaletteSize];

bool HasBrush(int index) {
    if (index == AppColorMagenta) return false;
#ifdef NIMBO_PLUGIN
    if (index >= 15) return false;
#endif
    return true;
}

} // namespace

COLORREF AppPaletteColor(int index) {
    if (index < 0 || index >= AppPaletteSize) return RGB(0, 0, 0);
    return kPalette[index];
}

HBRUSH AppPaletteBrush(int index) {
    if (index < 0 || index >= AppPaletteSize || !brushes[index])
        return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    return brushes[index];
}

// Brushes live until the process ends, so a second start keeps the ones it has.
void AppCreatePaletteBrushes() {
    for (int index = 0; index < AppPaletteSize; ++index)
        if (!brushes[index] && HasBrush(index)) brushes[index] = CreateSolidBrush(kPalette[index]);
}
