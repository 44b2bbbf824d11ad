// Separator lines: black static rectangles two pixels thick.
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

const ItemBehaviour ItemLineBehaviour = {
    .className = L"STATIC",
    .style = SS_BLACKRECT,
    .layout = LayoutHLine,
    .colors = ColorsStatic,
};

DialogItem* DlgLine(Dialog* dialog, double x, double y, double w) {
    return ItemCreate(dialog, DlgKindLine, x, y, w, 0, nullptr, 0, 0, nullptr, nullptr, 0, nullptr, nullptr,
                      nullptr);
}

#ifndef NIMBO_PLUGIN
const ItemBehaviour ItemVLineBehaviour = {
    .className = L"STATIC",
    .style = SS_BLACKRECT,
    .layout = LayoutVLine,
    .colors = ColorsStatic,
};

DialogItem* DlgVLine(Dialog* dialog, double x, double y, double h) {
    return ItemCreate(dialog, DlgKindVLine, x, y, 0, h, nullptr, 0, 0, nullptr, nullptr, 0, nullptr, nullptr,
                      nullptr);
}
#endif
