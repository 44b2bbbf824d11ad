#ifndef NIMBO_PLUGIN
#include "dialogs/choice_colors.h"

#include "dialogs/items.h"

namespace {

unsigned char ChoiceColors[ChoiceColorCount][3];

int IsColorIndex(int index) {
    return index >= 0 && index < ChoiceColorCount;
}

} // namespace

void DlgChoiceSetColor(int index, unsigned char red, unsigned char green, unsigned char blue) {
    // A host's table may be longer than ours; what does not fit is dropped rather than written past the end.
    if (!IsColorIndex(index)) return;
    ChoiceColors[index][0] = red;
    ChoiceColors[index][1] = green;
    ChoiceColors[index][2] = blue;
}

const unsigned char (*DlgChoiceColorTable())[3] {
    return ChoiceColors;
}

void ChoiceColorOf(int index, unsigned char rgb[3]) {
    for (int channel = 0; channel < 3; ++channel)
        rgb[channel] = IsColorIndex(index) ? ChoiceColors[index][channel] : 0;
}
#endif
